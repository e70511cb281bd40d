// The usage log database as the recorder uses it: opened once per run,
// shared and for writing, then one row appended at a time, each step
// guarded on its own against database exceptions.
//
// A failure is either passing or not. Passing: the file stayed locked past
// the wait, the disk (or the file's size limit) is full, or the file or its
// file system is read-only; a later run may well store the same row, so
// the caller keeps it (record_spool.h). Anything else is a fault of the
// setup or of the row itself (a missing database, a wrong password, a
// missing table, a value a column cannot take, a damaged file): the row is
// not stored and nothing is kept, as the recorder has always done.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "base/clock.h"
#include "database/database.h"
#include "logrecorder/log_row.h"

namespace logrecorder {

// How long a run waits for the recorder's lock, and for a database file
// that another program holds locked: the same 30 seconds, so that a report
// tool reading the file for a few seconds costs no row.
inline constexpr std::chrono::seconds kRecorderWait{30};

enum class AppendOutcome { Stored, Passing, Refused };

class LogDatabase {
 public:
  // Waits run on `clock`, which must outlive the object.
  explicit LogDatabase(platform::base::Clock& clock);

  // Opens the usage log database. Never shows anything.
  AppendOutcome open();

  // Opens a dynaset on the row's table, adds a new row, sets the columns in
  // order and updates. The first failing step ends the attempt: the row is
  // not stored, and only a column marked warnsOnFailure shows a box. The
  // recordset is closed on every way out. `beforeCommit`, when given, gets
  // the new row's rowid before the row is committed (see
  // CDaoRecordset::update); when it throws, the row is rolled back and the
  // outcome is Passing. The database must be open.
  AppendOutcome append(const LogRow& row,
                       const std::function<void(std::int64_t rowid)>& beforeCommit = {});

  // Whether `table` holds a row with `rowid`: nullopt when that cannot be
  // found out now (a passing failure), false when the table is missing.
  std::optional<bool> hasRow(std::u16string_view table, std::int64_t rowid);

 private:
  platform::database::CDaoDatabase database_;
};

}  // namespace logrecorder
