// qz3317vt-logdb: the database it makes, its refusal to touch an existing
// file, and its listing and CSV export.
#include <filesystem>
#include <string>

#include "database/database.h"
#include "database/query.h"
#include "text/codepage.h"
#include "logrecorder/record_spool.h"
#include "recorder_fixture.h"

namespace recorder_test {
namespace {

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::writeFile;

class LogdbTest : public RecorderTest {
 protected:
  testing_support::RunResult logdb(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{QZ_LOGDB};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, {{"QZ3317VT_ROOT", rootPath().string()}});
  }
};

TEST_F(LogdbTest, InitMakesTheFiveTablesWithTheRecordersColumns) {
  std::filesystem::remove_all(database().parent_path());  // init makes the folders too
  auto run = logdb({"init"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(readFile(database()).substr(0, 15), "SQLite format 3");

  platform::database::CDaoDatabase db;
  db.open(database(), false, true, logrecorder::kLogDatabaseConnect);
  auto columnsOf = [&db](std::u16string_view table) {
    platform::database::DatabaseQuery query(db, u"PRAGMA table_info(" + std::u16string(table) + u")");
    std::string names;
    while (query.next()) names += platform::text::utf16ToUtf8(*query.row()[1]) + " ";
    return names;
  };
  const std::string print = "用户名 计算机名 文件名 打印时间 打印页数 打印份数 打印结果 ";
  const std::string scan = "计算机名 计算机账户名 文件名 扫描类型 扫描模式 分辨率 扫描页数 扫描时间 扫描结果 ";
  EXPECT_EQ(columnsOf(u"PRINTDOC"), print);
  EXPECT_EQ(columnsOf(u"PRINTDOC_NET"), print);
  EXPECT_EQ(columnsOf(u"ScanLog"), scan);
  EXPECT_EQ(columnsOf(u"ScanLog_NET"), scan);
  EXPECT_EQ(columnsOf(u"CopyLog"), "复印时间 复印页数 打印页数 ");
}

TEST_F(LogdbTest, InitRefusesAnExistingFile) {
  writeFile(database(), "not ours");
  auto run = logdb({"init"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err, "");
  EXPECT_EQ(readFile(database()), "not ours");
}

TEST_F(LogdbTest, ListAndExportPrintTheRowsTheRecorderAdded) {
  ASSERT_EQ(logdb({"init"}).exitCode, 0);
  writeFile(logrecorder::settingsFile(),
            iniSection("CopyLog", {{"copypages", "2"}, {"printpages", "3"}, {"time", "7:00"}}));
  ASSERT_EQ(record({"CopyLog"}).exitCode, 0);
  writeFile(logrecorder::settingsFile(),
            gbkText(iniSection("CopyLog", {{"copypages", "1"}, {"time", "say \"hi\", 八点"}})));
  ASSERT_EQ(record({"CopyLog"}).exitCode, 0);

  auto list = logdb({"list", "CopyLog"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out,
            "CopyLog:\n复印时间 | 复印页数 | 打印页数\n7:00 | 2 | 3\nsay \"hi\", 八点 | 1 | 0\n"
            "(2 rows)\n");
  auto csv = logdb({"export", "CopyLog", "--csv"});
  EXPECT_EQ(csv.exitCode, 0);
  EXPECT_EQ(csv.out, "复印时间,复印页数,打印页数\r\n7:00,2,3\r\n\"say \"\"hi\"\", 八点\",1,0\r\n");
}

TEST_F(LogdbTest, StatusShowsTheTablesAndTheSpool) {
  ASSERT_EQ(logdb({"init"}).exitCode, 0);
  writeFile(logrecorder::settingsFile(), iniSection("CopyLog", {{"copypages", "2"}}));
  ASSERT_EQ(record({"CopyLog"}).exitCode, 0);
  logrecorder::RecordSpool spool(logrecorder::spoolFolder(), 2);
  for (auto table : {u"PRINTDOC", u"CopyLog", u"CopyLog"}) {
    ASSERT_TRUE(spool.add(logrecorder::LogRow{table, {}}));
  }
  auto status = logdb({"status"});
  EXPECT_EQ(status.exitCode, 0) << status.err;
  EXPECT_EQ(status.out, "database: " + database().string() +
                            "\n  PRINTDOC: 0 rows\n  PRINTDOC_NET: 0 rows\n  ScanLog: 0 rows\n"
                            "  ScanLog_NET: 0 rows\n  CopyLog: 1 row\n"
                            "spool: " + logrecorder::spoolFolder().string() +
                            "\n  waiting: 2 rows (CopyLog 2)\n  dropped: 1 row\n");

  std::filesystem::remove(database());
  status = logdb({"status"});
  EXPECT_EQ(status.exitCode, 1);
  EXPECT_NE(status.out.find("  cannot open: "), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("  waiting: 2 rows"), std::string::npos) << "the spool is shown all the same";
}

TEST_F(LogdbTest, FailuresAndUsageErrorsHaveTheirExitCodes) {
  EXPECT_EQ(logdb({"list", "PRINTDOC"}).exitCode, 1);  // no database yet
  ASSERT_EQ(logdb({"init"}).exitCode, 0);
  EXPECT_EQ(logdb({"list", "NoSuchTable"}).exitCode, 1);
  EXPECT_EQ(logdb({"export", "PRINTDOC"}).exitCode, 2);
  EXPECT_EQ(logdb({"drop"}).exitCode, 2);
  EXPECT_EQ(logdb({}).exitCode, 2);
}

}  // namespace
}  // namespace recorder_test
