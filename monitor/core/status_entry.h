// The parsed form of a printer reply: up to 30 status entries, each a code
// and two short texts taken from one "CODE=" line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace monitor {

inline constexpr std::size_t kMaxStatusEntries = 30;
// Longest texts an entry keeps; longer ones are cut.
inline constexpr std::size_t kFirstTextLimit = 15;
inline constexpr std::size_t kSecondTextLimit = 31;

struct StatusEntry {
  std::int32_t code = 0;
  std::string firstText;
  std::string secondText;
};

struct StatusList {
  std::int8_t count = 0;  // valid entries, 0 to 30
  std::array<StatusEntry, kMaxStatusEntries> entries{};

  std::span<const StatusEntry> valid() const {
    return std::span<const StatusEntry>(entries).first(static_cast<std::size_t>(count));
  }
};

// Fills `list` from one reply of `data.size()` bytes. A status line is one
// whose line feed at j (j >= 11) follows a carriage return and has "CODE="
// at j-11..j-7; its five characters at j-6..j-2 give the code. Codes that
// begin with 112, 113, 114, 410, 412, 413, 414 or 419 lose their last two
// digits to "01". The ";"-separated fields before "CODE=" on the same line
// give the texts: the last field is the second text, the one before it the
// first text. At most 30 lines are kept. Returns 1 when data is not empty.
int parseReplyInto(std::span<const std::uint8_t> data, StatusList& list);

// Whether a code is one of the printer's reply error codes.
bool isReplyErrorCode(std::int32_t code);

}  // namespace monitor
