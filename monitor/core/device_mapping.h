// The mapping from one status entry of an item query to the device fields
// and to the "DRVGET" and "DRVSET" values the refresh writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/core/status_entry.h"

namespace monitor {

// Values the refresh keeps between redraws of the status window.
struct DeviceFields {
  std::int16_t paperSource = 0;  // 0 automatic, 1 cassette, 2 manual
  std::int16_t paperSize = 0;    // 0, or 5 for a size whose name begins with L
  std::int16_t sleepMinutes = 15;
  std::int16_t cassettePaper = 0;
  std::int16_t tonerOutMode = 0;
  std::int16_t feedOffset = 0;   // tenths
  std::int16_t scanOffset = 0;   // tenths
  std::int32_t tonerRemaining = 100;
  std::int32_t drumRemaining = 100;
};

struct ProfileWrite {
  std::string_view section;
  std::string_view key;
  std::string value;
  bool operator==(const ProfileWrite&) const = default;
};

// The text after the last "=" of an entry text; the whole text when it
// holds none, so that a printer reporting a bare value still has it stored.
std::string_view valueText(std::string_view text);

// The decimal number after the last "="; 0 when the text holds none.
std::int32_t ValueAfterEquals(std::string_view text);

// Applies one entry to the fields and appends its writes, in the order they
// are made. Returns false, changing nothing, for a code that names no item.
bool mapItemEntry(const StatusEntry& entry, DeviceFields& fields, std::vector<ProfileWrite>& writes);

}  // namespace monitor
