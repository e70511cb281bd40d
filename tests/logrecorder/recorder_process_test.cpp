// The built recorder under a temporary root: one row per log word with the
// values of its record, and nothing recorded or shown for rejected words
// and unusable databases.
#include <filesystem>
#include <string>
#include <vector>

#include "database/database.h"
#include "recorder_fixture.h"

namespace recorder_test {
namespace {

using testing_support::writeFile;

const Keys kPrintKeys = {{"UserName", "alice"},          {"ComputerName", "PC-07"},
                         {"strDocmentName", "report.doc"}, {"strPrintTime", "2024-05-01 10:20:30"},
                         {"PageNum", "12"},                {"Copies", "-3"},
                         {"PrintResult", "OK"}};
const std::vector<std::string> kPrintRow = {"alice", "PC-07", "report.doc", "2024-05-01 10:20:30",
                                            "12",    "-3",    "OK"};

const Keys kScanKeys = {{"Pages", "4"},          {"DocName", "scan.pdf"},
                        {"ScanSource", "ADF"},   {"ScanMode", "Color"},
                        {"Resolution", "600"},   {"Time", "2024-05-02 08:00"},
                        {"Result", "Done"},      {"ComputerName", "NOT-THIS"},
                        {"UserName", "nobody"}};

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
    ++count;
  }
  return count;
}

class RecorderProcessTest : public RecorderTest {
 protected:
  void SetUp() override { initDatabase(); }

  // Runs one word and checks the run's outward behaviour: exit code 0 and
  // no message box.
  void recordQuietly(const std::string& word) {
    auto run = record({word});
    EXPECT_EQ(run.exitCode, 0) << word;
    EXPECT_EQ(run.err, "") << word;
  }
};

TEST_F(RecorderProcessTest, PrintLogAddsTheSevenValuesToPrintdoc) {
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", kPrintKeys));
  recordQuietly("PrintLog");
  EXPECT_EQ(rows(u"PRINTDOC"), Rows{kPrintRow});
  EXPECT_EQ(rows(u"PRINTDOC_NET"), Rows{});
}

TEST_F(RecorderProcessTest, PrintLogNetUsesTheNetworkFileAndLeavesPrintdocUnchanged) {
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"UserName", "local"}}));
  writeFile(logrecorder::networkExchangeFile(), iniSection("PRINT", kPrintKeys));
  recordQuietly("PrintLog_NET");
  EXPECT_EQ(rows(u"PRINTDOC_NET"), Rows{kPrintRow});
  EXPECT_EQ(rows(u"PRINTDOC"), Rows{});
}

TEST_F(RecorderProcessTest, ScanLogTakesTheNamesFromTheSystemNotFromTheFile) {
  writeFile(logrecorder::settingsFile(), iniSection("ScanLog", kScanKeys));
  writeFile(logrecorder::networkSettingsFile(),
            iniSection("ScanLog", {{"DocName", "net.pdf"}, {"Pages", "1"}}));
  recordQuietly("ScanLog");
  recordQuietly("ScanLog_NET");
  EXPECT_EQ(rows(u"ScanLog"), (Rows{{hostName(), accountName(), "scan.pdf", "ADF", "Color", "600",
                                     "4", "2024-05-02 08:00", "Done"}}));
  EXPECT_EQ(rows(u"ScanLog_NET"),
            (Rows{{hostName(), accountName(), "net.pdf", "", "", "", "1", "", ""}}));
}

TEST_F(RecorderProcessTest, CopyLogWritesItsThreeColumns) {
  writeFile(logrecorder::settingsFile(),
            iniSection("CopyLog", {{"copypages", "5"}, {"printpages", "10"}, {"time", "09:15"}}) +
                iniSection("ScanLog", kScanKeys));
  recordQuietly("CopyLog");
  EXPECT_EQ(rows(u"CopyLog"), (Rows{{"09:15", "5", "10"}}));
  EXPECT_EQ(rows(u"ScanLog"), Rows{});
}

TEST_F(RecorderProcessTest, MissingKeysAndFilesGiveEmptyTextsAndZero) {
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"UserName", "bob"}}));
  recordQuietly("PrintLog");
  recordQuietly("CopyLog");  // no settings file at all
  EXPECT_EQ(rows(u"PRINTDOC"), (Rows{{"bob", "", "", "", "0", "0", ""}}));
  EXPECT_EQ(rows(u"CopyLog"), (Rows{{"", "0", "0"}}));
}

TEST_F(RecorderProcessTest, ALongValueIsStoredAsItsFirst259Characters) {
  std::string name(300, 'n');
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", name}}));
  recordQuietly("PrintLog");
  auto stored = rows(u"PRINTDOC");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0][2], name.substr(0, 259));
}

TEST_F(RecorderProcessTest, ChineseValuesArriveIntactFromGbkAndUtf16Files) {
  // The exchange file in code page 936, the settings file in UTF-16LE.
  writeFile(logrecorder::exchangeFile(),
            gbkText(iniSection("PRINT", {{"UserName", "张三"}, {"strDocmentName", "季度报告.doc"},
                                         {"PrintResult", "打印成功"}})));
  writeFile(logrecorder::settingsFile(),
            utf16leText(iniSection("ScanLog", {{"DocName", "扫描件𠀋.pdf"}, {"ScanMode", "彩色"}})));
  recordQuietly("PrintLog");
  recordQuietly("ScanLog");
  EXPECT_EQ(rows(u"PRINTDOC"), (Rows{{"张三", "", "季度报告.doc", "", "0", "0", "打印成功"}}));
  auto scan = rows(u"ScanLog");
  ASSERT_EQ(scan.size(), 1u);
  EXPECT_EQ(scan[0][2], "扫描件𠀋.pdf");
  EXPECT_EQ(scan[0][4], "彩色");
}

TEST_F(RecorderProcessTest, TheSameWordTwiceAddsTwoIdenticalRows) {
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", kPrintKeys));
  recordQuietly("PrintLog");
  recordQuietly("PrintLog");
  EXPECT_EQ(rows(u"PRINTDOC"), (Rows{kPrintRow, kPrintRow}));
}

TEST_F(RecorderProcessTest, AQuotedProgramPathWithBlanksStillFindsItsWord) {
  auto folder = rootPath() / "my programs";
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink(QZ_RECORDER, folder / "QZ3317VT_EXEPrintLog");
  writeFile(logrecorder::settingsFile(), iniSection("ScanLog", kScanKeys));
  auto run = testing_support::runProgram({(folder / "QZ3317VT_EXEPrintLog").string(), "ScanLog"},
                                         {{"QZ3317VT_ROOT", rootPath().string()}});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(rows(u"ScanLog").size(), 1u);
}

TEST_F(RecorderProcessTest, RejectedWordsRecordNothing) {
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", kPrintKeys));
  writeFile(logrecorder::settingsFile(),
            iniSection("ScanLog", kScanKeys) + iniSection("CopyLog", {{"copypages", "1"}}));
  // Each run says, in one line, which word it did not take.
  const std::string kExpected =
      " (exactly one of CopyLog, PrintLog, PrintLog_NET, ScanLog, ScanLog_NET); nothing recorded\n";
  const std::string kNoWord = "QZ3317VT_EXEPrintLog: no log word given" + kExpected;
  auto notRecognised = [&](const std::string& word) {
    return "QZ3317VT_EXEPrintLog: log word \"" + word + "\" not recognised" + kExpected;
  };
  const std::vector<std::pair<std::vector<std::string>, std::string>> rejected = {
      {{"printlog"}, notRecognised("printlog")},                 // other letter case
      {{"PrintLog "}, notRecognised("\"PrintLog \"")},           // a trailing blank
      {{"PrintLog", "ScanLog"}, notRecognised("PrintLog ScanLog")},  // two words
      {{}, kNoWord},                                             // empty command line
      {{""}, kNoWord},                                           // an empty word
      {{"PrintLog" + std::string(252, ' ')},                     // a quoted tail of 261 characters,
       notRecognised("\"PrintLog" + std::string(250, ' '))},       // cut to its 259-byte buffer
      {{"PrintLogX"}, notRecognised("PrintLogX")},               // a longer word
      // Words only a quoted argument carries: the tail keeps the quotes.
      {{"", "CopyLog"}, notRecognised("\"\" CopyLog")},
      {{" CopyLog"}, notRecognised("\" CopyLog\"")},
      {{"\tCopyLog"}, notRecognised("\"\tCopyLog\"")},
  };
  for (const auto& [words, line] : rejected) {
    auto run = record(words);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, line);
  }
  EXPECT_EQ(allTables(), std::vector<Rows>(5));
}

TEST_F(RecorderProcessTest, AWrongPasswordAddsNothingAndShowsNoBox) {
  std::filesystem::remove(database());
  {
    platform::database::CDaoDatabase other;
    other.create(database(), u";pwd=12345678");
    other.execute(u"CREATE TABLE PRINTDOC (用户名 TEXT, 计算机名 TEXT, 文件名 TEXT, 打印时间 TEXT, "
                  u"打印页数 INTEGER, 打印份数 INTEGER, 打印结果 TEXT)");
  }
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", kPrintKeys));
  auto run = record({"PrintLog"});
  EXPECT_EQ(run.exitCode, 0);
  expectOpenFailureLine(run.err);
  EXPECT_EQ(rows(u"PRINTDOC", u";pwd=12345678"), Rows{});
}

// The driver's installation makes the record folder; without it the row
// is still written, with empty values, and one line says why.
TEST_F(RecorderProcessTest, AMissingRecordFolderIsOneLineAndAnEmptyRow) {
  std::filesystem::remove_all(logrecorder::recordFolder());
  auto run = record({"CopyLog"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "QZ3317VT_EXEPrintLog: record folder missing: " +
                         logrecorder::recordFolder().string() + " (a record is read as empty values)\n");
  EXPECT_EQ(rows(u"CopyLog"), (Rows{{"", "0", "0"}}));
}

TEST(RecorderWithoutDatabaseTest, AMissingDatabaseAddsNothingShowsNoBoxCreatesNothing) {
  testing_support::TempRoot root;
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", kPrintKeys));
  auto run = testing_support::runProgram({QZ_RECORDER, "PrintLog"},
                                         {{"QZ3317VT_ROOT", root.path().string()}});
  EXPECT_EQ(run.exitCode, 0);
  expectOpenFailureLine(run.err);
  EXPECT_FALSE(std::filesystem::exists(logrecorder::logDatabasePath()));
}

// Every text column that init makes takes the longest value a record can
// carry: a long print result is stored, not the whole row dropped.
TEST_F(RecorderProcessTest, TheLongestValuesFitTheDatabaseThatInitMade) {
  std::string longest(259, 'r');
  writeFile(logrecorder::exchangeFile(),
            iniSection("PRINT", {{"PrintResult", std::string(100, 'r')}, {"strPrintTime", longest}}));
  writeFile(logrecorder::settingsFile(),
            iniSection("ScanLog", {{"Resolution", longest}, {"ScanMode", longest}}) +
                iniSection("CopyLog", {{"time", longest}}));
  recordQuietly("PrintLog");
  recordQuietly("ScanLog");
  recordQuietly("CopyLog");
  ASSERT_EQ(rows(u"PRINTDOC").size(), 1u);
  EXPECT_EQ(rows(u"PRINTDOC")[0][6], std::string(100, 'r'));
  EXPECT_EQ(rows(u"ScanLog").size(), 1u);
  EXPECT_EQ(rows(u"CopyLog").size(), 1u);
}

// A value its column cannot take (in a database with narrower columns than
// init makes): only the scan table's shown columns tell the user, once, in a
// warning box; no table gets a row.
TEST_F(RecorderProcessTest, AValueTheColumnCannotTakeAddsNoRowAndOnlyScanShowsIt) {
  std::filesystem::remove(database());
  {
    platform::database::CDaoDatabase narrow;
    narrow.create(database(), logrecorder::kLogDatabaseConnect);
    narrow.execute(
        u"CREATE TABLE PRINTDOC (用户名 TEXT, 计算机名 TEXT, 文件名 TEXT, 打印时间 VARCHAR(64), "
        u"打印页数 INTEGER, 打印份数 INTEGER, 打印结果 TEXT);"
        u"CREATE TABLE PRINTDOC_NET (用户名 TEXT);"
        u"CREATE TABLE ScanLog (计算机名 TEXT, 计算机账户名 TEXT, 文件名 TEXT, 扫描类型 TEXT, "
        u"扫描模式 TEXT, 分辨率 VARCHAR(32), 扫描页数 INTEGER, 扫描时间 TEXT, 扫描结果 TEXT);"
        u"CREATE TABLE ScanLog_NET (计算机名 TEXT);"
        u"CREATE TABLE CopyLog (复印时间 VARCHAR(64), 复印页数 INTEGER, 打印页数 INTEGER);");
  }
  std::string tooLong(40, 'x');  // 分辨率, 打印时间 and 复印时间 take less
  writeFile(logrecorder::exchangeFile(),
            iniSection("PRINT", {{"strPrintTime", tooLong + tooLong}}));
  writeFile(logrecorder::settingsFile(),
            iniSection("ScanLog", {{"Resolution", tooLong}}) +
                iniSection("CopyLog", {{"time", tooLong + tooLong}}));

  recordQuietly("PrintLog");
  recordQuietly("CopyLog");
  auto scan = record({"ScanLog"});
  EXPECT_EQ(scan.exitCode, 0);
  EXPECT_EQ(countOf(scan.err, "[message box, warning] " + std::string(QZ_RECORDER) + "\n"), 1u)
      << scan.err;
  EXPECT_EQ(countOf(scan.err, "[message box"), 1u) << scan.err;
  EXPECT_NE(scan.err.find("分辨率"), std::string::npos) << scan.err;
  EXPECT_EQ(allTables(), std::vector<Rows>(5));
}

TEST_F(RecorderProcessTest, TheFileWrittenIsEncrypted) {
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", kPrintKeys));
  recordQuietly("PrintLog");
  auto bytes = testing_support::readFile(database());
  ASSERT_GT(bytes.size(), 16u);
  EXPECT_NE(bytes.substr(0, 15), "SQLite format 3");
  EXPECT_EQ(bytes.find("report.doc"), std::string::npos);
}

}  // namespace
}  // namespace recorder_test
