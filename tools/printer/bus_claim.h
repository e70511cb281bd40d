// Which simulated printer serves a root's bus, and which socket it owns.
//
// The bus of a root belongs to one printer process at a time. The claim is
// an advisory lock (flock) on "printer.lock" in the bus folder, held for
// the life of the printer; the file holds the owner's pid for the message
// a second printer gives. The system drops the lock when the owner ends or
// dies, so a crashed printer never keeps the next one out, and the next one
// may then replace the socket the crashed one left.
//
// The owner remembers the socket it bound (device and inode) and removes
// the socket path only while it still names that socket.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/unique_fd.h"

namespace printer {

class BusClaim {
 public:
  // Takes the claim of `busFolder` (which must exist). Nothing, with a
  // message in `error`, when a running printer holds it or the lock file
  // cannot be made.
  static std::optional<BusClaim> acquire(const std::filesystem::path& busFolder,
                                         std::string& error);

  BusClaim(BusClaim&&) noexcept = default;
  BusClaim& operator=(BusClaim&&) noexcept = default;

  // Remembers the socket just bound at `socketPath` as this printer's own.
  void ownSocket(const std::filesystem::path& socketPath);
  // Removes the owned socket if the path still names it; otherwise leaves
  // whatever is there.
  void removeOwnSocket();

 private:
  explicit BusClaim(platform::base::UniqueFd lock) : lock_(std::move(lock)) {}

  platform::base::UniqueFd lock_;
  std::filesystem::path socketPath_;
  dev_t socketDevice_ = 0;
  ino_t socketInode_ = 0;
};

}  // namespace printer
