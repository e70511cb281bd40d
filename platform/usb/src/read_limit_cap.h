// A cap on every read's wait, from an environment variable, for tests of
// whole programs: a silent printer then costs them a moment instead of the
// programs' full read limit. Each backend has its own variable.
#pragma once

#include <chrono>

namespace platform::usb {

// `limit`, or the number of milliseconds in `variable` when that is smaller.
// Unset, empty or not a whole non-negative number: no cap.
std::chrono::milliseconds cappedReadLimit(std::chrono::milliseconds limit, const char* variable);

}  // namespace platform::usb
