// Named locks as flock()s on files in ".locks/<uid>" under the root.
#include "base/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/folders.h"

namespace platform::base {

namespace {

// Makes `folder` with `mode` unless it exists; the mode is set after the
// mkdir so that the umask cannot narrow it. False when it cannot be made.
bool makeFolder(const std::filesystem::path& folder, mode_t mode) {
  if (::mkdir(folder.c_str(), mode) == 0) return ::chmod(folder.c_str(), mode) == 0;
  return errno == EEXIST;
}

// The folder of this user's locks: ".locks" is shared by every user of the
// root (sticky and world-writable, like /tmp), and in it each user has a
// folder that only that user may write. A folder that is not a directory
// owned by this user, or that others may write, is not used: its locks could
// be held or replaced by someone else.
bool userLockFolder(std::filesystem::path& folder) {
  auto shared = rootFolder() / ".locks";
  if (!makeFolder(shared, 01777)) return false;
  folder = shared / std::to_string(::geteuid());
  if (!makeFolder(folder, 0700)) return false;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  return st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Opens (and if need be makes) the lock file of `name`; -1 when it cannot.
int openLockFile(std::string_view name) {
  std::filesystem::path folder;
  if (!userLockFolder(folder)) return -1;
  auto file = folder / (std::string(name) + ".lock");
  return ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

enum class Attempt { Taken, Held, Failed };

Attempt tryLock(int fd) {
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return Attempt::Held;
    if (errno != EINTR) return Attempt::Failed;
  }
  return Attempt::Taken;
}

}  // namespace

std::optional<InstanceLock> InstanceLock::tryAcquire(std::string_view name) {
  return acquireWithin(name, std::chrono::milliseconds(0), systemClock());
}

std::optional<InstanceLock> InstanceLock::acquireWithin(std::string_view name,
                                                        std::chrono::milliseconds limit,
                                                        Clock& clock) {
  int fd = openLockFile(name);
  if (fd < 0) return InstanceLock(-1);
  // Polling keeps the wait bounded without a timer signal; the holder of
  // such a lock is a short-lived process, so a 10 ms step loses little.
  auto deadline = clock.now() + limit;
  for (;;) {
    switch (tryLock(fd)) {
      case Attempt::Taken: return InstanceLock(fd);
      case Attempt::Failed: ::close(fd); return InstanceLock(-1);
      case Attempt::Held: break;
    }
    if (clock.now() >= deadline) {
      ::close(fd);
      return std::nullopt;
    }
    clock.sleepFor(std::chrono::milliseconds(10));
  }
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
