// Folders under the root, named locks, the Windows command line and the
// standard streams.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/command_line.h"
#include "base/folders.h"
#include "base/instance_lock.h"
#include "base/standard_streams.h"
#include "base/unique_fd.h"
#include "tests/support/other_user.h"
#include "tests/support/temp_root.h"

namespace platform {
using namespace platform::base;

namespace {

TEST(Folders, MapUnderTheRoot) {
  ::setenv("QZ3317VT_ROOT", "/r", 1);
  EXPECT_EQ(programFilesFolder(), "/r/Program Files");
  EXPECT_EQ(commonAppDataFolder(), "/r/ProgramData");
  EXPECT_EQ(winIniPath(), "/r/Windows/win.ini");
  EXPECT_EQ(printerDriverFolder(), "/r/Windows/System32/spool/drivers/x64");
  EXPECT_EQ(joinPath({"/r/Program Files", "VARN", "QZ3317VT", "QZ3317VT_SMD.DAT"}),
            "/r/Program Files/VARN/QZ3317VT/QZ3317VT_SMD.DAT");

  ::unsetenv("QZ3317VT_ROOT");
  ::setenv("XDG_DATA_HOME", "/xdg", 1);
  EXPECT_EQ(rootFolder(), "/xdg/qz3317vt");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(rootFolder(), "/home/u/.local/share/qz3317vt");
}

TEST(Folders, WithoutHomeTheUserDatabaseGivesTheHomeFolder) {
  std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::unsetenv("QZ3317VT_ROOT");
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("HOME");
  const passwd* entry = ::getpwuid(::geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(rootFolder(), std::filesystem::path(entry->pw_dir) / ".local/share/qz3317vt");
  ::setenv("HOME", "relative/home", 1);  // never a folder under the working directory
  ::setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(rootFolder(), std::filesystem::path(entry->pw_dir) / ".local/share/qz3317vt");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", home.c_str(), 1);
}

TEST(Folders, NormalAttributesGiveWritePermissionBack) {
  testing_support::TempRoot root;
  auto file = root.exchangeFile();
  testing_support::writeFile(file, "x");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_TRUE(setNormalAttributes(file));
  auto perms = std::filesystem::status(file).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
  EXPECT_FALSE(setNormalAttributes(root.path() / "missing"));
}

TEST(InstanceLock, HeldUntilReleasedAndSeenByOtherProcesses) {
  testing_support::TempRoot root;
  auto first = InstanceLock::tryAcquire("A");
  ASSERT_TRUE(first);
  EXPECT_FALSE(InstanceLock::tryAcquire("A")) << "same process, second object";
  EXPECT_TRUE(InstanceLock::tryAcquire("B")) << "names are independent";

  pid_t child = ::fork();
  if (child == 0) _exit(InstanceLock::tryAcquire("A") ? 1 : 0);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "another process sees the lock held";

  first.reset();
  EXPECT_TRUE(InstanceLock::tryAcquire("A"));
}

TEST(InstanceLock, ReleasedWhenTheHolderDies) {
  testing_support::TempRoot root;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  if (child == 0) {
    auto lock = InstanceLock::tryAcquire("L");
    (void)!::write(ready[1], "x", 1);
    ::pause();
    _exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_FALSE(InstanceLock::tryAcquire("L"));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(InstanceLock::acquireWithin("L", std::chrono::seconds(5)));
}

// A lock that cannot be made lets the run go on: the caller gets a lock
// that holds nothing, never "held".
TEST(InstanceLock, ALockThatCannotBeMadeLetsTheRunGoOn) {
  testing_support::TempRoot root;
  testing_support::writeFile(root.path() / ".locks", "a file where the folder should be");
  auto lock = InstanceLock::tryAcquire("A");
  ASSERT_TRUE(lock);
  EXPECT_FALSE(lock->holdsLock());
  EXPECT_TRUE(InstanceLock::acquireWithin("A", std::chrono::seconds(30)));  // no wait either

  ::setenv("QZ3317VT_ROOT", (root.path() / ".locks" / "under a file").c_str(), 1);
  EXPECT_TRUE(InstanceLock::tryAcquire("A"));
}

// Locks are per user: another user's run neither sees this user's lock nor
// is stopped by this user's lock files, and a folder it cannot trust (made
// by someone else) is not used.
TEST(InstanceLock, EachUserHasItsOwnLocks) {
  QZ_REQUIRE_OTHER_USER();
  testing_support::TempRoot root;
  testing_support::openFoldersUpTo(root.path(), root.path().parent_path());
  auto held = InstanceLock::tryAcquire("A");
  ASSERT_TRUE(held && held->holdsLock());
  EXPECT_EQ(std::filesystem::status(root.path() / ".locks").permissions(),
            std::filesystem::perms::all | std::filesystem::perms::sticky_bit);

  auto otherTakesIt = [] {
    auto lock = InstanceLock::tryAcquire("A");
    if (!lock) return 1;                 // held: someone else's lock counted
    return lock->holdsLock() ? 0 : 2;    // 2: no lock of its own
  };
  EXPECT_EQ(testing_support::runAsOtherUser(otherTakesIt), 0);
  EXPECT_EQ(testing_support::runAsOtherUser(otherTakesIt), 0) << "again, its folder exists";
  EXPECT_FALSE(InstanceLock::tryAcquire("A")) << "this user's lock is still held";

  // A folder of the other user's name that someone else made, holding a
  // lock file that someone else holds, is not trusted: that user's run goes
  // on without a lock rather than being stopped.
  auto planted = root.path() / ".locks" / std::to_string(testing_support::kOtherUid);
  std::filesystem::remove_all(planted);
  std::filesystem::create_directory(planted);
  platform::base::UniqueFd plantedLock(::open((planted / "B.lock").c_str(), O_RDWR | O_CREAT, 0666));
  ASSERT_TRUE(plantedLock.valid());
  ASSERT_EQ(::flock(plantedLock.get(), LOCK_EX), 0);
  EXPECT_EQ(testing_support::runAsOtherUser([] {
              auto lock = InstanceLock::tryAcquire("B");
              return lock && !lock->holdsLock() ? 0 : 1;
            }),
            0);
}

TEST(StandardStreams, ClosedDescriptorsAreNeverHandedOutAndBrokenPipesDoNotKill) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  ::close(pipeFds[0]);  // no reader from the start
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeFds[1], 1);  // standard output: a pipe without a reader
    ::close(pipeFds[1]);
    ::close(0);
    ::close(2);
    protectStandardStreams();
    int opened = ::open("/dev/null", O_RDONLY);
    if (opened <= 2) _exit(1);
    if (::write(1, "x", 1) != -1 || errno != EPIPE) _exit(2);
    // The handler does not survive exec: a program started from here gets
    // the default action back.
    struct sigaction current {};
    ::sigaction(SIGPIPE, nullptr, &current);
    _exit(current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN ? 0 : 3);
  }
  ::close(pipeFds[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

struct LineCase {
  std::vector<const char*> argv;
  const char* line;
  const char* tail;
};

TEST(CommandLine, WindowsForm) {
  const LineCase cases[] = {
      {{"/bin/psm", "INI"}, "/bin/psm INI", "INI"},
      {{"/a b/psm", "stm"}, "\"/a b/psm\" stm", "stm"},
      {{"/bin/psm", ""}, "/bin/psm ", ""},
      {{"/bin/psm"}, "/bin/psm", ""},
      {{"/bin/log", "two", "words"}, "/bin/log two words", "two words"},
      {{"/bin/log", "ScanLog "}, "/bin/log \"ScanLog \"", "\"ScanLog \""},
      // Words a Windows caller could only have passed in quotes keep them.
      {{"/bin/log", "", "CopyLog"}, "/bin/log \"\" CopyLog", "\"\" CopyLog"},
      {{"/bin/log", " CopyLog"}, "/bin/log \" CopyLog\"", "\" CopyLog\""},
      {{"/bin/log", "\tCopyLog"}, "/bin/log \"\tCopyLog\"", "\"\tCopyLog\""},
      {{"/bin/log", "a\"b"}, "/bin/log \"a\\\"b\"", "\"a\\\"b\""},
      {{"/bin/log", "x y\\"}, "/bin/log \"x y\\\\\"", "\"x y\\\\\""},
      {{"/bin/log", "C:\\dir\\"}, "/bin/log C:\\dir\\", "C:\\dir\\"},  // no quote follows
      {{"/a\tb/log", "CopyLog"}, "\"/a\tb/log\" CopyLog", "CopyLog"},
  };
  for (const auto& c : cases) {
    auto line = commandLine(static_cast<int>(c.argv.size()), c.argv.data());
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(commandLineTail(line), c.tail) << line;
  }
  EXPECT_EQ(commandLineTail("\"C:\\x y\\log.exe\"   \tScanLog"), "ScanLog");
  EXPECT_EQ(commandLineTail("\"unclosed"), "");
}

}  // namespace
}  // namespace platform
