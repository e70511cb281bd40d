// A named lock that lives as long as the process holds the object.
//
// Each name is an advisory lock (flock) on its own file in ".locks" under the
// root folder. The system releases it when the process ends or dies, so a
// crashed holder never leaves a stale lock. A second process, or a second
// object in the same process, sees the lock as held. The descriptor is not
// inherited by child processes.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"

namespace platform::base {

class InstanceLock {
 public:
  // Takes the lock if nobody holds it; nullopt when it is held elsewhere or
  // the lock file cannot be made.
  static std::optional<InstanceLock> tryAcquire(std::string_view name);

  // Waits until the lock is free, for at most `limit` on `clock`, looking
  // every 10 ms; nullopt when the wait ran out.
  static std::optional<InstanceLock> acquireWithin(std::string_view name,
                                                   std::chrono::milliseconds limit,
                                                   Clock& clock = systemClock());

  InstanceLock(InstanceLock&& other) noexcept;
  InstanceLock& operator=(InstanceLock&& other) noexcept;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace platform::base
