// The guarded steps of one append to the usage log database.
#include "logrecorder/row_append.h"

#include <unistd.h>

#include <vector>

#include "logrecorder/record_paths.h"
#include "platform/codepage.h"
#include "platform/database.h"
#include "platform/database_recordset.h"
#include "platform/message_box.h"

namespace logrecorder {

namespace {

// The full path of the running program, the caption of the warning box.
std::string programPath() {
  std::vector<char> buffer(4096);
  auto length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

void warn(const platform::CDaoException& error) {
  platform::showMessageBox(platform::MessageBoxRequest{
      programPath(), platform::utf16ToUtf8(error.description()), platform::MessageIcon::Warning});
}

// Sets every column in order; false at the first that fails.
bool setColumns(platform::CDaoRecordset& recordset, const std::vector<ColumnSetting>& columns) {
  for (const auto& setting : columns) {
    try {
      recordset.setFieldValue(setting.column, setting.value());
    } catch (const platform::CDaoException& error) {
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
  platform::CDaoDatabase database;
  platform::CDaoRecordset recordset(database);
  try {
    database.open(logDatabasePath(), false, false, kLogDatabaseConnect);
  } catch (const platform::CDaoException&) {
    return 0;
  }
  try {
    recordset.open(platform::CDaoRecordset::kOpenDynaset, sql, 0);
  } catch (const platform::CDaoException&) {
    return 0;
  }
  try {
    recordset.addNew();
  } catch (const platform::CDaoException&) {
    return 0;
  }
  if (!setColumns(recordset, columns)) return 0;
  try {
    recordset.update();
    recordset.close();
    database.close();
  } catch (const platform::CDaoException&) {
    return 0;
  }
  return 1;
}

}  // namespace logrecorder
