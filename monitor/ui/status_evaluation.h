// The pure rules of the status evaluation: the code classes, the choice of
// the status entry to show, the redraw skip rule and the picture.
#pragma once

#include <cstdint>

#include "monitor/core/status_entry.h"
#include "monitor/core/status_table.h"
#include "ui/geometry.h"

namespace monitor {

enum class CodeClass { None, Error, Warning, Information };

// Error codes (rows of kind 1, 50001 included), then warning codes (kind
// 2), then the information codes 10001, 10003, 10007, 10023 and 40000; any
// other code, 10000 among them, is in no class.
CodeClass classOfCode(std::int32_t code);

struct ChosenStatus {
  bool found = false;
  std::int32_t entry = 0;  // index of the chosen status entry
  std::int32_t code = 0;   // its code; 0 when nothing was found
  bool topmost = false;    // the chosen code is an error code
};

// Looks at the last valid entry only: chosen when its code is in a class.
ChosenStatus chooseStatusEntry(const StatusList& status);

struct RedrawStep {
  bool redraw = false;
  std::int8_t counter = 0;  // the redraw skip counter afterwards
};

// Whether a refresh redraws. `unchanged`: the row and the four printer
// values equal the drawn ones. A change, or a skip counter below 2, redraws
// and sets the counter to 0 (a change) or keeps it; no job printing skips
// and clears it; from 2 on, unchanged refreshes skip and count up, and the
// one that finds 11 redraws and starts again from 0.
RedrawStep nextRedrawStep(bool unchanged, bool printing, std::int8_t counter);

// The picture of a status kind: red for errors, yellow for warnings, else
// green.
int pictureForKind(StatusKind kind);

// Where a bitmap of bw x bh goes in an item rectangle: at its natural size
// and centred when the item is larger, squeezed to the item's width or
// height, each on its own, when it is smaller.
platform::ui::Rect pictureRect(const platform::ui::Rect& item, int bw, int bh);

}  // namespace monitor
