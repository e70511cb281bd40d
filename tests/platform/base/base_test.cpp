// Folders under the root, named locks and the Windows command line.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "base/command_line.h"
#include "base/folders.h"
#include "base/instance_lock.h"
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
