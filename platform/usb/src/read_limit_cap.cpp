// The read limit cap of the test environment.
#include "read_limit_cap.h"

#include <algorithm>
#include <cstdlib>

namespace platform::usb {

std::chrono::milliseconds cappedReadLimit(std::chrono::milliseconds limit, const char* variable) {
  const char* cap = std::getenv(variable);
  if (cap == nullptr || *cap == '\0') return limit;
  char* end = nullptr;
  long value = std::strtol(cap, &end, 10);
  if (*end != '\0' || value < 0) return limit;
  return std::min(limit, std::chrono::milliseconds(value));
}

}  // namespace platform::usb
