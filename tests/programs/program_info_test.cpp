// Every program and tool answers "--help" and "--version" the same way, and
// only when one of them is the whole command line: then it prints, exits 0
// and leaves the root as it found it; anything longer keeps the program's
// own meaning.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/case_names.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace {

using testing_support::runProgram;

struct Program {
  const char* name;
  const char* path;
};

const Program kPrograms[] = {
    {"QZ3317VT_PSM", QZ_MONITOR},        {"QZ3317VT_EXEPrintLog", QZ_RECORDER},
    {"lan_setter", QZ_LAN_SETTER},
    {"qz3317vt-ini", QZ_INI},            {"qz3317vt-logdb", QZ_LOGDB},
    {"qz3317vt-printer", QZ_PRINTER},    {"qz3317vt-root", QZ_ROOT_TOOL},
    {"qz3317vt-status", QZ_STATUS},
};

// Every entry under `folder`, to see that a run left it alone.
std::vector<std::string> entriesOf(const std::filesystem::path& folder) {
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    entries.push_back(entry.path().lexically_relative(folder).string());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

class ProgramInfo : public ::testing::TestWithParam<Program> {
 protected:
  testing_support::RunResult run(const std::vector<std::string>& words) {
    std::vector<std::string> argv{GetParam().path};
    argv.insert(argv.end(), words.begin(), words.end());
    return runProgram(argv, {{"QZ3317VT_ROOT", root.path().string()}, {"QZ3317VT_USB", "sim"}});
  }
  testing_support::TempRoot root;
};

TEST_P(ProgramInfo, HelpPrintsUsageAndTouchesNothing) {
  auto before = entriesOf(root.path());
  auto help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with(std::string("usage: ") + GetParam().name)) << help.out;
  EXPECT_NE(help.out.find("--help and --version are taken only as the whole command line"),
            std::string::npos);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(entriesOf(root.path()), before) << "no lock, no win.ini, no folder";
}

TEST_P(ProgramInfo, VersionPrintsNameAndVersion) {
  auto version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string(GetParam().name) + " " + QZ_VERSION + "\n");
  EXPECT_EQ(version.err, "");
}

INSTANTIATE_TEST_SUITE_P(Every, ProgramInfo, ::testing::ValuesIn(kPrograms),
                         testing_support::CaseNameFrom<&Program::name>{});

// The driver's words keep their meaning when "--help" is not alone.
TEST(ProgramInfoOnlyAlone, TheMonitorRunsItsModeAfterAHelpWord) {
  testing_support::TempRoot root;
  auto run = runProgram({QZ_MONITOR, "--help", "JBG"}, {{"QZ3317VT_ROOT", root.path().string()},
                                                       {"QZ3317VT_USB", "sim"}});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(testing_support::readFile(root.winIni()),
            "[DRVSTM]\r\nStmInUse=0\r\nConnect=1\r\nPgmCode=0\r\n");
}

TEST(ProgramInfoOnlyAlone, TheRecorderTakesAHelpWordAsAnUnknownLogWord) {
  testing_support::TempRoot root;
  auto run = runProgram({QZ_RECORDER, "--help", "PrintLog"},
                        {{"QZ3317VT_ROOT", root.path().string()}});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("log word \"--help PrintLog\" not recognised"), std::string::npos)
      << run.err;
}

TEST(ProgramInfoOnlyAlone, AToolTakesHelpWithMoreWordsAsAUsageError) {
  testing_support::TempRoot root;
  auto run = runProgram({QZ_ROOT_TOOL, "--help", "init"}, {{"QZ3317VT_ROOT", root.path().string()}});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "usage: qz3317vt-root init [DIR]\n");
}

}  // namespace
