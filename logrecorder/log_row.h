// One usage record as the row it becomes: its table and, in the order they
// are set, its columns with their text values.
#pragma once

#include <string>
#include <vector>

namespace logrecorder {

struct ColumnValue {
  std::u16string column;
  std::u16string value;
  // When setting this column fails, the engine's description is shown in a
  // warning box (caption: the program's path) before the row is given up.
  bool warnsOnFailure = false;

  bool operator==(const ColumnValue&) const = default;
};

struct LogRow {
  std::u16string table;  // PRINTDOC, PRINTDOC_NET, ScanLog, ScanLog_NET or CopyLog
  std::vector<ColumnValue> columns;

  // The SQL of the row's recordset: "Select * from " and the table.
  std::u16string sql() const { return u"Select * from " + table; }

  bool operator==(const LogRow&) const = default;
};

}  // namespace logrecorder
