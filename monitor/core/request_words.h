// The printer's request word table: 120 fixed words whose index is also a
// command number shared with the driver (49 is "Status?").
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace monitor {

inline constexpr std::size_t kRequestWordCount = 120;

// Indexes the monitor uses by name.
enum RequestIndex : std::size_t {
  kSleepMode = 23,
  kFeatures = 44,
  kVersion = 45,
  kCancelJob = 46,
  kLockPrinter = 47,
  kUnlockPrinter = 48,
  kStatus = 49,
  kSerFeatures = 50,
  kCsicValues = 51,
  kOpcValues = 52,
  kUsbInfo = 54,
  kMismatchPageAdd = 55,
  kMismatchPageDelete = 56,
  kContinuePrint = 57,
  kRetryCurrentPage = 59,
};

extern const std::array<std::string_view, kRequestWordCount> kRequestWords;

}  // namespace monitor
