// The spool of rows that could not be stored, and the runs that fill and
// drain it, in process on real database files with a fake clock, so the
// 30-second waits pass at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/fake_clock.h"
#include "base/instance_lock.h"
#include "database/database.h"
#include "database/query.h"
#include "logrecorder/logdb/log_admin.h"
#include "logrecorder/record_paths.h"
#include "logrecorder/record_spool.h"
#include "logrecorder/recorder_run.h"
#include "tests/support/temp_root.h"
#include "text/codepage.h"

namespace logrecorder {
namespace {

using testing_support::writeFile;

LogRow printRow(std::u16string document) {
  return LogRow{u"PRINTDOC", {{u"用户名", u"u"}, {u"文件名", std::move(document)}}};
}

TEST(SpoolRowText, EveryValueComesBackAsItWas) {
  LogRow row{u"ScanLog",
             {{u"计算机名", u"PC\t1\\n"}, {u"文件名", u"a\r\nb\\\\c 扫描𠀋"}, {u"扫描模式", u"", true}}};
  EXPECT_EQ(decodeRow(encodeRow(row)), row);
  auto text = encodeRow(row);
  EXPECT_FALSE(decodeRow(text.substr(0, text.size() - 4))) << "a row without its end";
  EXPECT_FALSE(decodeRow(""));
  EXPECT_FALSE(decodeRow("QZ3317VT spool row 1\ntable\tT\ncolumn\t2\ta\tb\nend\n"));
}

class SpoolTest : public ::testing::Test {
 protected:
  void SetUp() override { logdb::initLogDatabase(logDatabasePath()); }

  // Stores "PRINT" with this document name, the way the driver leaves it,
  // and runs the recorder for PrintLog.
  void recordPrint(const std::string& document) {
    writeFile(exchangeFile(), "[PRINT]\r\nUserName=u\r\nstrDocmentName=" + document + "\r\n");
    runRecorder("PrintLog", clock_);
  }

  std::vector<std::string> documents() {
    platform::database::CDaoDatabase db;
    db.open(logDatabasePath(), false, true, kLogDatabaseConnect);
    platform::database::DatabaseQuery query(db, u"SELECT 文件名 FROM PRINTDOC ORDER BY rowid");
    std::vector<std::string> names;
    while (query.next()) names.push_back(platform::text::utf16ToUtf8(*query.row()[0]));
    return names;
  }

  std::size_t waiting() { return RecordSpool(spoolFolder()).status().waiting; }

  testing_support::TempRoot root_;
  platform::base::FakeClock clock_;
};

TEST_F(SpoolTest, ALockedDatabaseFillsTheSpoolAndTheNextRunEmptiesItInOrder) {
  {
    platform::database::CDaoDatabase holder;
    holder.open(logDatabasePath(), false, false, kLogDatabaseConnect);
    holder.execute(u"BEGIN EXCLUSIVE");
    for (const char* document : {"A", "B", "C"}) recordPrint(document);
    EXPECT_EQ(clock_.slept(), std::chrono::seconds(90)) << "each run waited 30 s for the file";
    EXPECT_EQ(waiting(), 3u);
  }
  EXPECT_EQ(documents(), std::vector<std::string>{});
  recordPrint("D");
  EXPECT_EQ(documents(), (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_EQ(waiting(), 0u);
  recordPrint("E");  // nothing is stored twice
  EXPECT_EQ(documents(), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
}

TEST_F(SpoolTest, ARunWhoseLockWaitRunsOutKeepsItsRow) {
  {
    auto held = platform::base::InstanceLock::tryAcquire(kRecorderLockName);
    ASSERT_TRUE(held && held->holdsLock());
    recordPrint("waited in vain");
    EXPECT_EQ(clock_.slept(), std::chrono::seconds(30));
  }
  EXPECT_EQ(waiting(), 1u);
  recordPrint("next");
  EXPECT_EQ(documents(), (std::vector<std::string>{"waited in vain", "next"}));
}

// Faults of the setup or of the row keep the old silence: nothing is kept.
TEST_F(SpoolTest, ASetupFaultKeepsNothing) {
  std::filesystem::remove(logDatabasePath());
  recordPrint("no database");
  {
    platform::database::CDaoDatabase other;
    other.create(logDatabasePath(), u";pwd=12345678");
    other.execute(u"CREATE TABLE PRINTDOC (文件名 TEXT)");
  }
  recordPrint("wrong password");
  std::filesystem::remove(logDatabasePath());
  {
    platform::database::CDaoDatabase noTable;
    noTable.create(logDatabasePath(), kLogDatabaseConnect);
    noTable.execute(u"CREATE TABLE CopyLog (复印时间 TEXT)");
  }
  recordPrint("no table");
  EXPECT_EQ(waiting(), 0u);
  EXPECT_FALSE(std::filesystem::exists(spoolFolder()));
}

// A kept row that its table refuses leaves the spool, and the drain goes on
// with the next one.
TEST_F(SpoolTest, AKeptRowTheTableRefusesIsGivenUp) {
  RecordSpool spool(spoolFolder());
  ASSERT_TRUE(spool.add(printRow(u"kept 1")));
  ASSERT_TRUE(spool.add(LogRow{u"PRINTDOC", {{u"打印页数", u"many"}}}));
  ASSERT_TRUE(spool.add(printRow(u"kept 2")));
  recordPrint("own");
  EXPECT_EQ(documents(), (std::vector<std::string>{"kept 1", "kept 2", "own"}));
  EXPECT_EQ(waiting(), 0u);
}

TEST_F(SpoolTest, BeyondItsCapacityTheOldestAreDroppedAndCounted) {
  RecordSpool spool(spoolFolder(), 3);
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(spool.add(printRow(u"r" + std::u16string(1, char16_t(u'0' + i)))));
  auto status = spool.status();
  EXPECT_EQ(status.waiting, 3u);
  EXPECT_EQ(status.dropped, 2u);
  writeFile(spoolFolder() / "00000000000000000001.row", "QZ3317VT spool row 1\ntable\tPRINTDOC\n");
  recordPrint("own");
  EXPECT_EQ(documents(), (std::vector<std::string>{"r3", "r4", "r5", "own"}));
  EXPECT_EQ(spool.status().dropped, 3u) << "the unreadable row counts as dropped";
}

}  // namespace
}  // namespace logrecorder
