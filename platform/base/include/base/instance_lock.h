// A named lock that lives as long as the process holds the object.
//
// Each name is an advisory lock (flock) on its own file in ".locks/<uid>"
// under the root folder, so locks are per user, as named objects of a logon
// are: two users sharing a root never block each other, and no user can hold
// or replace another's lock file. The system releases a lock when the process
// ends or dies, so a crashed holder never leaves a stale lock. A second
// process, or a second object in the same process, sees the lock as held.
// The descriptor is not inherited by child processes.
//
// Only a lock that is held counts: when the lock file cannot be made or
// opened (an unwritable root, a file where a folder should be, a folder of
// another owner) or the system refuses the lock, the caller gets a lock that
// holds nothing and goes on, as a failure other than "already exists" lets a
// Windows program go on.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"

namespace platform::base {

class InstanceLock {
 public:
  // Takes the lock if nobody holds it; nullopt only when it is held.
  static std::optional<InstanceLock> tryAcquire(std::string_view name);

  // Waits until the lock is free, for at most `limit` on `clock`, looking
  // every 10 ms; nullopt only when the lock was held for the whole wait.
  static std::optional<InstanceLock> acquireWithin(std::string_view name,
                                                   std::chrono::milliseconds limit,
                                                   Clock& clock = systemClock());

  InstanceLock(InstanceLock&& other) noexcept;
  InstanceLock& operator=(InstanceLock&& other) noexcept;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();

  // False for the lock that holds nothing (see above).
  bool holdsLock() const noexcept { return fd_ >= 0; }

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace platform::base
