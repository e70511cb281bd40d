// The guarded steps of one append to the usage log database.
#include "logrecorder/row_append.h"

#include <vector>

#include "base/system_names.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"
#include "database/database.h"
#include "database/recordset.h"
#include "ui/message_box.h"

namespace logrecorder {

namespace {

void warn(const platform::database::CDaoException& error) {
  platform::ui::showMessageBox(platform::ui::MessageBoxRequest{
      platform::base::programPath(), platform::text::utf16ToUtf8(error.description()), platform::ui::MessageIcon::Warning});
}

// Sets every column in order; false at the first that fails.
bool setColumns(platform::database::CDaoRecordset& recordset, const std::vector<ColumnSetting>& columns) {
  for (const auto& setting : columns) {
    try {
      recordset.setFieldValue(setting.column, setting.value());
    } catch (const platform::database::CDaoException& error) {
      if (setting.warnsOnFailure) warn(error);
      return false;
    }
  }
  return true;
}

}  // namespace

int appendRow(std::u16string_view sql, const std::vector<ColumnSetting>& columns) {
  // Declared in this order, destroyed in reverse: the recordset closes
  // (discarding a pending row) before its database does.
  platform::database::CDaoDatabase database;
  platform::database::CDaoRecordset recordset(database);
  try {
    database.open(logDatabasePath(), false, false, kLogDatabaseConnect);
  } catch (const platform::database::CDaoException&) {
    return 0;
  }
  try {
    recordset.open(platform::database::CDaoRecordset::kOpenDynaset, sql, 0);
  } catch (const platform::database::CDaoException&) {
    return 0;
  }
  try {
    recordset.addNew();
  } catch (const platform::database::CDaoException&) {
    return 0;
  }
  if (!setColumns(recordset, columns)) return 0;
  try {
    recordset.update();
    recordset.close();
    database.close();
  } catch (const platform::database::CDaoException&) {
    return 0;
  }
  return 1;
}

}  // namespace logrecorder
