// The printer's request word table: 120 fixed words whose index is also a
// command number shared with the driver (49 is "Status?").
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace monitor {

inline constexpr std::size_t kRequestWordCount = 120;

// Indexes the monitor uses by name.
inline constexpr std::size_t kSleepMode = 23;
inline constexpr std::size_t kFeatures = 44;
inline constexpr std::size_t kVersion = 45;
inline constexpr std::size_t kCancelJob = 46;
inline constexpr std::size_t kLockPrinter = 47;
inline constexpr std::size_t kUnlockPrinter = 48;
inline constexpr std::size_t kStatus = 49;
inline constexpr std::size_t kSerFeatures = 50;
inline constexpr std::size_t kCsicValues = 51;
inline constexpr std::size_t kOpcValues = 52;
inline constexpr std::size_t kUsbInfo = 54;
inline constexpr std::size_t kMismatchPageAdd = 55;
inline constexpr std::size_t kMismatchPageDelete = 56;
inline constexpr std::size_t kContinuePrint = 57;
inline constexpr std::size_t kRetryCurrentPage = 59;

extern const std::array<std::string_view, kRequestWordCount> kRequestWords;

}  // namespace monitor
