// The steps every record writer shares: open the usage log database,
// append one row column by column, and store it, each step guarded on its
// own against database exceptions.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace logrecorder {

// One column of the new row. `value` is called inside the guarded step that
// sets the column, so a failure while obtaining or formatting the value
// counts as a failure of that column.
struct ColumnSetting {
  std::u16string_view column;
  std::function<std::u16string()> value;
  // When setting this column fails, show the engine's description in a
  // warning box (caption: the program's path) before giving up the row.
  bool warnsOnFailure = false;
};

// Opens the usage log database shared and for writing, opens a dynaset on
// `sql`, adds a new row, sets `columns` in order and updates. The first
// failing step ends the attempt: the row is not stored, and only a column
// marked warnsOnFailure shows a box. Everything opened is closed on every
// way out. Returns 1 when the row was stored, 0 otherwise.
int appendRow(std::u16string_view sql, const std::vector<ColumnSetting>& columns);

}  // namespace logrecorder
