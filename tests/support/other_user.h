// A second user for tests of the per-user rules (locks, file permissions).
//
// Only root can act as another user, and CI runs the tests as root; a test
// that needs the second user skips itself elsewhere, saying why. The second
// user has its own uid and gid, no supplementary groups and no entry in the
// user database; folders it must reach are made accessible by the test.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

inline constexpr uid_t kOtherUid = 54321;
inline constexpr gid_t kOtherGid = 54321;
inline constexpr const char* kSetpriv = "/usr/bin/setpriv";

// Whether this process may act as the second user.
inline bool canActAsOtherUser() { return ::geteuid() == 0; }

#define QZ_REQUIRE_OTHER_USER()                                                       \
  do {                                                                                \
    if (!testing_support::canActAsOtherUser()) {                                      \
      GTEST_SKIP() << "needs root to act as a second user (CI runs tests as root)";   \
    }                                                                                 \
  } while (false)

// Runs `body` in a child process as the second user and returns what it
// returns, or -1 when the child could not switch or died of a signal.
inline int runAsOtherUser(const std::function<int()>& body) {
  pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kOtherGid, kOtherGid, kOtherGid) != 0 ||
        ::setresuid(kOtherUid, kOtherUid, kOtherUid) != 0) {
      _exit(255);
    }
    _exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

// `argv` run by setpriv as the second user.
inline std::vector<std::string> asOtherUser(std::vector<std::string> argv) {
  std::vector<std::string> wrapped{kSetpriv, "--reuid=" + std::to_string(kOtherUid),
                                   "--regid=" + std::to_string(kOtherGid), "--clear-groups", "--"};
  wrapped.insert(wrapped.end(), argv.begin(), argv.end());
  return wrapped;
}

// Lets every user into `folder` and each folder above it up to `top`
// (mkdtemp makes test folders private to their owner).
inline void openFoldersUpTo(const std::filesystem::path& folder, const std::filesystem::path& top) {
  for (auto at = folder;; at = at.parent_path()) {
    std::filesystem::permissions(at, std::filesystem::perms::others_exec |
                                         std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    if (at == top || at == at.parent_path()) break;
  }
}

}  // namespace testing_support
