// The claim of a root's simulated bus: a lock file and the owned socket.
#include "tools/printer/bus_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace printer {

namespace {

std::string readOwner(int fd) {
  char buffer[32] = {};
  ssize_t got = ::pread(fd, buffer, sizeof buffer - 1, 0);
  std::string pid(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
  while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
  return pid;
}

}  // namespace

std::optional<BusClaim> BusClaim::acquire(const std::filesystem::path& busFolder,
                                          std::string& error) {
  auto lockPath = busFolder / "printer.lock";
  platform::base::UniqueFd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd.valid()) {
    error = "cannot make " + lockPath.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) {
      error = "cannot lock " + lockPath.string() + ": " + std::strerror(errno);
      return std::nullopt;
    }
    auto owner = readOwner(fd.get());
    error = busFolder.parent_path().string() + " is already served by a running printer" +
            (owner.empty() ? std::string() : " (pid " + owner + ")") +
            "; stop it first or use another root";
    return std::nullopt;
  }
  // The pid only serves the message of a refused printer; the lock holds
  // without it.
  auto pid = std::to_string(::getpid()) + "\n";
  bool noted = ::ftruncate(fd.get(), 0) == 0 &&
               ::pwrite(fd.get(), pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
  static_cast<void>(noted);
  return BusClaim(std::move(fd));
}

void BusClaim::ownSocket(const std::filesystem::path& socketPath) {
  struct stat st {};
  if (::lstat(socketPath.c_str(), &st) != 0) return;
  socketPath_ = socketPath;
  socketDevice_ = st.st_dev;
  socketInode_ = st.st_ino;
}

void BusClaim::removeOwnSocket() {
  if (socketPath_.empty()) return;
  struct stat st {};
  if (::lstat(socketPath_.c_str(), &st) == 0 && st.st_dev == socketDevice_ &&
      st.st_ino == socketInode_) {
    ::unlink(socketPath_.c_str());
  }
  socketPath_.clear();
}

}  // namespace printer
