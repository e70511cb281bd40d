// Starting a browser command line through the desktop opener: a fake
// opener on PATH records the arguments it was given.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/command_start.h"
#include "base/fake_registry.h"
#include "tests/support/case_names.h"
#include "tests/support/temp_root.h"

namespace platform::base {
namespace {

struct ParseCase {
  const char* line;
  const char* program;
  const char* argument;
};
class CommandLineParts : public ::testing::TestWithParam<ParseCase> {};
TEST_P(CommandLineParts, ProgramAndOneArgument) {
  auto parsed = parseCommandLine(GetParam().line);
  EXPECT_EQ(parsed.program, GetParam().program);
  EXPECT_EQ(parsed.argument, GetParam().argument);
}
INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineParts,
    ::testing::Values(
        ParseCase{"\"C:\\Program Files\\Internet Explorer\\Iexplore.exe\" http://a b", "C:\\Program Files\\Internet Explorer\\Iexplore.exe", "http://a b"},
        ParseCase{"C:\\Program Files\\Internet Explorer\\Iexplore.exe http://x", "C:\\Program Files\\Internet Explorer\\Iexplore.exe", "http://x"},
        ParseCase{"C:\\NS\\NETSCAPE.EXE", "C:\\NS\\NETSCAPE.EXE", ""},
        ParseCase{"tool arg one", "tool", "arg one"},
        ParseCase{"\"unclosed", "unclosed", ""}),
    [](const auto& param) { return testing_support::readableName(param.param.line, param.index); });

class DesktopOpener : public ::testing::Test {
 protected:
  DesktopOpener() {
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::unsetenv("BROWSER");
    auto script = root.path() / "xdg-open";
    testing_support::writeFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.tmp\"\n"
                                       "mv \"$0.args.tmp\" \"$0.args\"\n");
    ::chmod(script.c_str(), 0755);
    ::setenv("PATH", (root.path().string() + ":" + oldPath_).c_str(), 1);
  }
  ~DesktopOpener() override { ::setenv("PATH", oldPath_.c_str(), 1); }

  // What the fake opener was given, one argument a line; waits for it.
  std::string recorded(const std::string& name = "xdg-open") {
    auto file = root.path() / (name + ".args");
    for (int i = 0; i < 500 && !std::filesystem::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return testing_support::readFile(file);
  }

  testing_support::TempRoot root;

 private:
  std::string oldPath_;
};

TEST_F(DesktopOpener, AnAddressWithBlanksQuotesAndSemicolonsStaysOneArgument) {
  auto address = "http://127.0.0.1/a b;c \"d\" $(e) 'f'";
  EXPECT_GT(commandStarter().start(std::string("\"C:\\Program Files\\Internet Explorer\\Iexplore.exe\" ") + address), 31);
  EXPECT_EQ(recorded(), std::string(address) + "\n");
}

TEST_F(DesktopOpener, BrowserVariableComesFirstWithItsPlaceholder) {
  auto script = root.path() / "mybrowser";
  testing_support::writeFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.tmp\"\n"
                                     "mv \"$0.args.tmp\" \"$0.args\"\n");
  ::chmod(script.c_str(), 0755);
  ::setenv("BROWSER", "no-such-browser-here:mybrowser --new %s", 1);
  EXPECT_GT(commandStarter().start("C:\\NS\\Netscape.exe http://127.0.0.1/x"), 31);
  ::unsetenv("BROWSER");
  EXPECT_EQ(recorded("mybrowser"), "--new\nhttp://127.0.0.1/x\n");
}

TEST_F(DesktopOpener, OtherProgramsAndAMissingOpenerStartNothing) {
  EXPECT_EQ(commandStarter().start("C:\\Windows\\notepad.exe x"), kFileNotFound);
  ::setenv("PATH", root.path().c_str(), 1);
  std::filesystem::remove(root.path() / "xdg-open");
  EXPECT_EQ(commandStarter().start("C:\\IE\\Iexplore.exe http://127.0.0.1/"), kFileNotFound);
}

TEST(Registry, EmptyUnlessATestGivesValues) {
  EXPECT_FALSE(registry().readString(RegistryHive::LocalMachine, "Software", "Path", 260));
  FakeRegistry fake;
  fake.set(RegistryHive::LocalMachine, "Software\\X", "Path", "abc");
  setRegistry(&fake);
  EXPECT_EQ(registry().readString(RegistryHive::LocalMachine, "SOFTWARE\\x", "path", 260), "abc");
  EXPECT_FALSE(registry().readString(RegistryHive::LocalMachine, "Software\\X", "Path", 3))
      << "the value and its zero do not fit";
  EXPECT_FALSE(registry().readString(RegistryHive::CurrentUser, "Software\\X", "Path", 260));
  setRegistry(nullptr);
}

}  // namespace
}  // namespace platform::base
