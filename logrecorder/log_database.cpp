// The guarded steps of appending to the usage log database.
#include "logrecorder/log_database.h"

#include <exception>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/system_names.h"
#include "database/query.h"
#include "database/recordset.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"
#include "ui/message_box.h"

namespace logrecorder {

namespace {

using platform::database::CDaoException;
using platform::database::DaoErrorKind;

AppendOutcome outcomeOf(const CDaoException& error) {
  switch (error.kind()) {
    case DaoErrorKind::Busy:
    case DaoErrorKind::DiskFull:
    case DaoErrorKind::ReadOnly: return AppendOutcome::Passing;
    default: return AppendOutcome::Refused;
  }
}

void warn(const CDaoException& error) {
  platform::ui::showMessageBox(
      platform::ui::MessageBoxRequest{platform::base::programPath(),
                                      platform::text::utf16ToUtf8(error.description()),
                                      platform::ui::MessageIcon::Warning});
}

// Sets every column in order; false at the first that fails.
bool setColumns(platform::database::CDaoRecordset& recordset,
                const std::vector<ColumnValue>& columns) {
  for (const auto& setting : columns) {
    try {
      recordset.setFieldValue(setting.column, setting.value);
    } catch (const CDaoException& error) {
      if (setting.warnsOnFailure) warn(error);
      return false;
    }
  }
  return true;
}

}  // namespace

LogDatabase::LogDatabase(platform::base::Clock& clock) : database_(clock) {
  database_.setLockWait(kRecorderWait);
}

AppendOutcome LogDatabase::open() {
  try {
    database_.open(logDatabasePath(), false, false, kLogDatabaseConnect);
  } catch (const CDaoException& error) {
    auto outcome = outcomeOf(error);
    platform::base::reportProblem(
        "cannot open the usage log database " + logDatabasePath().string() + ": " +
        platform::text::utf16ToUtf8(error.description()) +
        (outcome == AppendOutcome::Passing ? "; the record is kept for the next run"
                                           : "; no row added"));
    return outcome;
  }
  return AppendOutcome::Stored;
}

AppendOutcome LogDatabase::append(const LogRow& row,
                                  const std::function<void(std::int64_t rowid)>& beforeCommit) {
  // Closed (discarding a pending row) on every way out.
  platform::database::CDaoRecordset recordset(database_);
  try {
    recordset.open(platform::database::CDaoRecordset::kOpenDynaset, row.sql(), 0);
  } catch (const CDaoException& error) {
    return outcomeOf(error);
  }
  try {
    recordset.addNew();
  } catch (const CDaoException& error) {
    return outcomeOf(error);
  }
  if (!setColumns(recordset, row.columns)) return AppendOutcome::Refused;
  try {
    recordset.update(beforeCommit);
  } catch (const CDaoException& error) {
    return outcomeOf(error);
  } catch (const std::exception&) {
    // beforeCommit could not note the row; it was rolled back, and may go
    // in later.
    return AppendOutcome::Passing;
  }
  recordset.close();
  return AppendOutcome::Stored;
}

std::optional<bool> LogDatabase::hasRow(std::u16string_view table, std::int64_t rowid) {
  std::u16string sql = u"SELECT count(*) FROM \"";
  for (char16_t c : table) {
    if (c == u'"') sql += u'"';
    sql += c;
  }
  sql += u"\" WHERE rowid = " + platform::text::utf8ToUtf16(std::to_string(rowid));
  try {
    platform::database::DatabaseQuery query(database_, sql);
    return query.next() && query.row()[0] == u"1";
  } catch (const CDaoException& error) {
    if (outcomeOf(error) == AppendOutcome::Passing) return std::nullopt;
    return false;
  }
}

}  // namespace logrecorder
