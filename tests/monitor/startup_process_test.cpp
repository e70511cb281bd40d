// The built monitor under a temporary root: start-up flags, the lock, the
// empty keyword and a missing record folder.
#include <gtest/gtest.h>

#include "base/instance_lock.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace {

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::writeFile;

class MonitorStart : public ::testing::Test {
 protected:
  // The status window of an empty keyword runs on the headless host with
  // driven ticks, so its input's end (no input at all) ends the run.
  testing_support::RunResult run(const std::string& keyword) {
    return runProgram({QZ_MONITOR, keyword}, {{"QZ3317VT_ROOT", root.path().string()},
                                              {"QZ3317VT_USB", "sim"},
                                              {"QZ3317VT_UI_TICKS", "driven"}});
  }
  std::string exchangeStart(std::size_t bytes) const {
    return readFile(root.exchangeFile()).substr(0, bytes);
  }
  testing_support::TempRoot root;
};

TEST_F(MonitorStart, JobBeginWritesTheFourFlagsInOrder) {
  auto result = run("JBG");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // Each key lands where it was first written: StmInUse, Connect, PgmCode.
  EXPECT_EQ(readFile(root.winIni()), "[DRVSTM]\r\nStmInUse=0\r\nConnect=1\r\nPgmCode=0\r\n");
  EXPECT_FALSE(std::filesystem::exists(root.exchangeFile())) << "JBG writes no exchange key";
}

TEST_F(MonitorStart, EmptyKeywordAsksForStatus) {
  auto result = run("");  // the command line ends with a blank
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::string expected = "[DRVMSG]\r\nmsgCmd=49\r\nmsgWorking=1\r\n";
  EXPECT_EQ(exchangeStart(expected.size()), expected) << "asked before the window ran";
}

TEST_F(MonitorStart, RefusedStartRunsNothingAndLeavesTheFlags) {
  writeFile(root.winIni(), "[DRVSTM]\r\nStmInUse=1\r\nConnect=1\r\n");
  writeFile(root.exchangeFile(), "[DRVSPA]\r\nzPort=USB001\r\n[DRVCMD]\r\nMaxCount=1\r\nCmd1=A\r\n");
  auto held = platform::base::InstanceLock::tryAcquire("QZ3317VT_PSM.EXE");
  ASSERT_TRUE(held);
  for (const char* keyword : {"INI", "CMD", ""}) {
    auto result = run(keyword);
    EXPECT_EQ(result.exitCode, 0) << keyword;
    EXPECT_EQ(result.err, "") << keyword << ": no failure box, nothing ran";
  }
  EXPECT_EQ(readFile(root.winIni()), "[DRVSTM]\r\nStmInUse=1\r\nConnect=1\r\n");
  EXPECT_EQ(readFile(root.exchangeFile()),
            "[DRVSPA]\r\nzPort=USB001\r\n[DRVCMD]\r\nMaxCount=1\r\nCmd1=A\r\n");
}

TEST_F(MonitorStart, MissingRecordFolderGivesDefaultsAndSilentWrites) {
  std::filesystem::remove_all(root.recordFolder());
  for (const char* keyword : {"JBG", "INI", "CMD", ""}) {
    auto result = run(keyword);
    EXPECT_EQ(result.exitCode, 0) << keyword << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(root.recordFolder())) << "never created";
  EXPECT_EQ(readFile(root.winIni()), "[DRVSTM]\r\nStmInUse=0\r\nConnect=1\r\nPgmCode=0\r\n");
}

TEST_F(MonitorStart, ReadOnlyExchangeFileBecomesWritable) {
  writeFile(root.exchangeFile(), "[DRVSPA]\r\nzPort=NONE\r\n");
  std::filesystem::permissions(root.exchangeFile(), std::filesystem::perms::owner_read);
  auto result = run("");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::string expected = "[DRVSPA]\r\nzPort=NONE\r\n[DRVMSG]\r\nmsgCmd=49\r\n";
  EXPECT_EQ(exchangeStart(expected.size()), expected);
}

}  // namespace
