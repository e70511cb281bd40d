// The monitor's table of the 65 status codes it knows: for each, its kind
// (which picture and whether the window pops up), the buttons a redraw shows
// while a job prints, and its status name, the key of its messages in the
// resource text file.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace monitor {

enum class StatusKind : std::uint8_t { Normal = 0, Error = 1, Warning = 2 };

// Indexes into StatusRow::buttons, in the order of the buttons' ids.
inline constexpr std::size_t kButtonFirstContinue = 0;   // 1424
inline constexpr std::size_t kButtonSecondContinue = 1;  // 1425
inline constexpr std::size_t kButtonCancel = 2;          // 1426
inline constexpr std::size_t kButtonClose = 3;           // 1427

struct StatusRow {
  std::int32_t code;
  StatusKind kind;
  std::array<std::uint8_t, 4> buttons;
  std::int16_t messageIndex;  // selects the status name; equals the row here
  std::string_view name;
};

inline constexpr std::size_t kStatusRows = 65;
extern const std::array<StatusRow, kStatusRows> kStatusTable;

// Rows the window itself refers to.
inline constexpr std::int16_t kRowReady = 2;
inline constexpr std::int16_t kRowPrinting = 5;
inline constexpr std::int16_t kRowConsumablesNearEnd = 6;

// The status name a message index selects.
std::string_view statusName(std::int16_t messageIndex);

}  // namespace monitor
