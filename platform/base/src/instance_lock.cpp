// Named locks as flock()s on files in ".locks" under the root.
#include "base/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "base/folders.h"

namespace platform::base {

namespace {

// Opens (and if need be makes) the lock file of `name`; -1 on failure.
int openLockFile(std::string_view name) {
  auto folder = rootFolder() / ".locks";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  auto file = folder / (std::string(name) + ".lock");
  return ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
}

bool tryLock(int fd) {
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

std::optional<InstanceLock> InstanceLock::tryAcquire(std::string_view name) {
  return acquireWithin(name, std::chrono::milliseconds(0), systemClock());
}

std::optional<InstanceLock> InstanceLock::acquireWithin(std::string_view name,
                                                        std::chrono::milliseconds limit,
                                                        Clock& clock) {
  int fd = openLockFile(name);
  if (fd < 0) return std::nullopt;
  // Polling keeps the wait bounded without a timer signal; the holder of
  // such a lock is a short-lived process, so a 10 ms step loses little.
  auto deadline = clock.now() + limit;
  while (!tryLock(fd)) {
    if (clock.now() >= deadline) {
      ::close(fd);
      return std::nullopt;
    }
    clock.sleepFor(std::chrono::milliseconds(10));
  }
  return InstanceLock(fd);
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform::base
