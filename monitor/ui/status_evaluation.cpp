// The status evaluation's rules.
#include "monitor/ui/status_evaluation.h"

#include <algorithm>

#include "monitor/ui/monitor_resources.h"

namespace monitor {

namespace {
bool isKindCode(std::int32_t code, StatusKind kind) {
  return std::any_of(kStatusTable.begin(), kStatusTable.end(),
                     [&](const StatusRow& row) { return row.code == code && row.kind == kind; });
}
}  // namespace

CodeClass classOfCode(std::int32_t code) {
  if (isKindCode(code, StatusKind::Error)) return CodeClass::Error;
  if (isKindCode(code, StatusKind::Warning)) return CodeClass::Warning;
  switch (code) {
    case 10001: case 10003: case 10007: case 10023: case 40000: return CodeClass::Information;
    default: return CodeClass::None;
  }
}

ChosenStatus chooseStatusEntry(const StatusList& status) {
  ChosenStatus chosen;
  if (status.count <= 0) return chosen;
  auto last = static_cast<std::size_t>(std::min<int>(status.count, kMaxStatusEntries) - 1);
  auto code = status.entries[last].code;
  auto cls = classOfCode(code);
  if (cls == CodeClass::None) return chosen;
  chosen = {true, static_cast<std::int32_t>(last), code, cls == CodeClass::Error};
  return chosen;
}

RedrawStep nextRedrawStep(bool unchanged, bool printing, std::int8_t counter) {
  if (!unchanged) return {true, 0};
  if (!printing) return {false, 0};
  if (counter >= 2) {
    if (counter <= 10) return {false, static_cast<std::int8_t>(counter + 1)};
    return {true, 0};
  }
  return {true, counter};
}

int pictureForKind(StatusKind kind) {
  switch (kind) {
    case StatusKind::Error: return kPictureRed;
    case StatusKind::Warning: return kPictureYellow;
    case StatusKind::Normal: return kPictureGreen;
  }
  return kPictureGreen;
}

platform::ui::Rect pictureRect(const platform::ui::Rect& item, int bw, int bh) {
  int dw = item.width <= bw ? item.width : bw;
  int dh = item.height <= bh ? item.height : bh;
  int x = item.width > dw ? item.x + (item.width - dw) / 2 : item.x;
  int y = item.height > dh ? item.y + (item.height - dh) / 2 : item.y;
  return {x, y, dw, dh};
}

}  // namespace monitor
