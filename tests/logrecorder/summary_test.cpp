// qz3317vt-logdb summary: jobs and pages per user, computer and day over a
// log with rows on several days, by several users, in every table, checked
// against sums the test makes from its own rows; the date range at its
// edges; the table and CSV forms; and the day read from a time text.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "database/database.h"
#include "logrecorder/logdb/log_summary.h"
#include "recorder_fixture.h"
#include "tests/support/case_names.h"
#include "text/codepage.h"

namespace recorder_test {
namespace {

enum class Kind { Print, NetPrint, Scan, NetScan, Copy };

struct LogRow {
  Kind kind;
  std::string user;      // ignored for copies
  std::string computer;  // ignored for copies
  std::string time;
  std::string day;       // the day the time text names, "" for none
  int pages;
};

// Five days, three users (one with a Chinese name), two computers, every
// table, several time spellings, and rows without a readable date.
const std::vector<LogRow> kLog = {
    {Kind::Print, "alice", "PC-1", "2024-05-01 09:00:00", "2024-05-01", 3},
    {Kind::Print, "张三", "PC-2", "2024-05-01 17:59:59", "2024-05-01", 12},
    {Kind::NetPrint, "alice", "LAPTOP", "2024/5/2 8:05", "2024-05-02", 1},
    {Kind::Print, "bob", "PC-1", "2024-05-03", "2024-05-03", 40},
    {Kind::Print, "alice", "PC-1", "2024-05-04 23:59:59", "2024-05-04", 7},
    {Kind::NetPrint, "张三", "PC-2", "2024-05-05 00:00:00", "2024-05-05", 2},
    {Kind::Print, "bob", "PC-1", "yesterday", "", 5},
    {Kind::Print, "", "PC-1", "2024-05-02 10:00:00", "2024-05-02", 4},
    {Kind::Scan, "alice", "PC-1", "2024-05-02 11:00:00", "2024-05-02", 6},
    {Kind::NetScan, "bob", "LAPTOP", "2024/05/04 12:00:00", "2024-05-04", 2},
    {Kind::Scan, "张三", "PC-2", "2024-05-05 08:00", "2024-05-05", 9},
    {Kind::Copy, "", "", "2024-05-01 15:30:00", "2024-05-01", 4},
    {Kind::Copy, "", "", "2024-05-04 09:15:00", "2024-05-04", 10},
    {Kind::Copy, "", "", "", "", 1},
};

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

std::string insertOf(const LogRow& row) {
  auto pages = std::to_string(row.pages);
  switch (row.kind) {
    case Kind::Print:
    case Kind::NetPrint:
      return std::string("INSERT INTO ") + (row.kind == Kind::Print ? "PRINTDOC" : "PRINTDOC_NET") +
             " (用户名, 计算机名, 文件名, 打印时间, 打印页数, 打印份数, 打印结果) VALUES (" +
             quoted(row.user) + ", " + quoted(row.computer) + ", 'doc', " + quoted(row.time) +
             ", " + pages + ", 2, 'OK');";
    case Kind::Scan:
    case Kind::NetScan:
      return std::string("INSERT INTO ") + (row.kind == Kind::Scan ? "ScanLog" : "ScanLog_NET") +
             " (计算机名, 计算机账户名, 文件名, 扫描类型, 扫描模式, 分辨率, 扫描页数, 扫描时间, "
             "扫描结果) VALUES (" +
             quoted(row.computer) + ", " + quoted(row.user) + ", 'scan', 'ADF', 'Color', '300', " +
             pages + ", " + quoted(row.time) + ", 'OK');";
    case Kind::Copy:
      return "INSERT INTO CopyLog (复印时间, 复印页数, 打印页数) VALUES (" + quoted(row.time) + ", " +
             pages + ", 99);";
  }
  return {};
}

// One group's figures in the CSV's column order.
using Figures = std::vector<long long>;
using Table = std::map<std::string, Figures>;

// What the summary must say, from the rows above.
Table expected(const std::string& by, const std::optional<std::string>& from,
               const std::optional<std::string>& to) {
  Table table;
  if (by == "records") table["all"] = Figures(6, 0);
  for (const auto& row : kLog) {
    if ((from || to) && row.day.empty()) continue;
    if (from && row.day < *from) continue;
    if (to && row.day > *to) continue;
    bool copy = row.kind == Kind::Copy;
    std::string group = by == "records"    ? "all"
                        : by == "user"     ? (copy || row.user.empty() ? "(none)" : row.user)
                        : by == "computer" ? (copy || row.computer.empty() ? "(none)" : row.computer)
                                           : (row.day.empty() ? "(no date)" : row.day);
    auto& figures = table.try_emplace(group, Figures(6, 0)).first->second;
    std::size_t column = row.kind == Kind::Print || row.kind == Kind::NetPrint ? 0
                         : copy                                              ? 4
                                                                             : 2;
    figures[column] += 1;
    figures[column + 1] += row.pages;
  }
  return table;
}

// The CSV the tool printed, by group; the header is checked on the way.
Table parseCsv(const std::string& csv, const std::string& by) {
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, by + ",print jobs,print pages,scan jobs,scan pages,copy jobs,copy pages\r");
  Table table;
  while (std::getline(in, line)) {
    EXPECT_TRUE(line.ends_with('\r')) << "CRLF line ends";
    line.pop_back();
    std::istringstream fields(line);
    std::string group, field;
    std::getline(fields, group, ',');
    Figures figures;
    while (std::getline(fields, field, ',')) figures.push_back(std::stoll(field));
    table[group] = figures;
  }
  return table;
}

class SummaryTest : public RecorderTest {
 protected:
  void SetUp() override {
    initDatabase();
    platform::database::CDaoDatabase db;
    db.open(database(), false, false, logrecorder::kLogDatabaseConnect);
    std::string sql;
    for (const auto& row : kLog) sql += insertOf(row);
    db.execute(platform::text::utf8ToUtf16(sql));
  }

  testing_support::RunResult summary(const std::vector<std::string>& words) const {
    std::vector<std::string> argv{QZ_LOGDB, "summary"};
    argv.insert(argv.end(), words.begin(), words.end());
    return testing_support::runProgram(argv, {{"QZ3317VT_ROOT", rootPath().string()}});
  }

  void expectCsv(const std::string& by, std::optional<std::string> from = std::nullopt,
                 std::optional<std::string> to = std::nullopt) const {
    std::vector<std::string> words{"--csv"};
    if (by != "records") words.insert(words.end(), {"--by", by});
    if (from) words.insert(words.end(), {"--from", *from});
    if (to) words.insert(words.end(), {"--to", *to});
    auto run = summary(words);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(parseCsv(run.out, by), expected(by, from, to))
        << "by " << by << " from " << from.value_or("-") << " to " << to.value_or("-");
  }
};

TEST_F(SummaryTest, EachGroupingSumsEveryRow) {
  for (const char* by : {"records", "user", "computer", "day"}) expectCsv(by);
}

TEST_F(SummaryTest, TheRangeIncludesBothEdgeDays) {
  expectCsv("day", "2024-05-02", "2024-05-04");
  expectCsv("user", "2024-05-04", "2024-05-04");  // one day: 00:00 to 23:59:59
  expectCsv("day", "2024-05-05", std::nullopt);   // the last day, open end
  expectCsv("day", std::nullopt, "2024-05-01");   // the first day, open start
  expectCsv("computer", "2024-05-06", std::nullopt);  // after the last row: nothing
  expectCsv("records", "2024-05-04", "2024-05-02");   // an empty range: zeros
}

TEST_F(SummaryTest, RowsWithoutADayAreCountedUnlessARangeIsGiven) {
  auto whole = summary({"--by", "day", "--csv"});
  EXPECT_EQ(whole.err, "");
  EXPECT_NE(whole.out.find("(no date),1,5,0,0,1,1\r\n"), std::string::npos) << whole.out;
  auto ranged = summary({"--from", "2000-01-01", "--csv"});
  EXPECT_EQ(ranged.exitCode, 0);
  EXPECT_EQ(ranged.err, "qz3317vt-logdb: 2 rows without a readable date left out of the range\n");
}

TEST_F(SummaryTest, TheTableAlignsWideNamesAndEndsWithATotal) {
  auto run = summary({"--by", "user", "--from", "2024-05-05"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "user   print jobs  print pages  scan jobs  scan pages  copy jobs  copy pages\n"
            "张三            1            2          1           9          0           0\n"
            "total           1            2          1           9          0           0\n");
}

TEST_F(SummaryTest, BadArgumentsAreUsageErrors) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--by", "week"}, {"--by"}, {"--from", "2024-13-01"},
        {"--to", "5/1/2024"}, {"--from", "2024-05-01 10:00"}, {"--csv", "extra"}}) {
    auto run = summary(words);
    EXPECT_EQ(run.exitCode, 2) << words.front();
    EXPECT_TRUE(run.err.starts_with("usage: qz3317vt-logdb init\n")) << run.err;
  }
}

TEST(SummaryWithoutDatabase, NamesTheFileItCannotOpen) {
  testing_support::TempRoot root;
  auto run = testing_support::runProgram({QZ_LOGDB, "summary"},
                                         {{"QZ3317VT_ROOT", root.path().string()}});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.starts_with("qz3317vt-logdb: " + logrecorder::logDatabasePath().string() +
                                  ": "))
      << run.err;
}

struct DayCase {
  const char* time;
  const char* day;  // nullptr: none
};

class DayOf : public ::testing::TestWithParam<DayCase> {};

TEST_P(DayOf, ReadsTheLeadingDate) {
  auto day = logdb::dayOf(GetParam().time);
  if (GetParam().day == nullptr) {
    EXPECT_FALSE(day) << *day;
  } else {
    EXPECT_EQ(day.value_or("none"), GetParam().day);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Times, DayOf,
    ::testing::Values(DayCase{"2024-05-01 10:20:30", "2024-05-01"},  // the demo's form
                      DayCase{"2024/5/1 8:00", "2024-05-01"},        // one-digit month and day
                      DayCase{"2024-05-01", "2024-05-01"},           // a date alone
                      DayCase{"2024-02-29", "2024-02-29"},           // a leap day
                      DayCase{"2023-02-29", nullptr},                // no leap year
                      DayCase{"1900-02-29", nullptr},                // a century, no leap year
                      DayCase{"2000-02-29", "2000-02-29"},           // every 400 years
                      DayCase{"2024-13-01", nullptr},                // no such month
                      DayCase{"2024-04-31", nullptr},                // no such day
                      DayCase{"24-05-01", nullptr},                  // a short year
                      DayCase{"2024-5/1", nullptr},                  // mixed separators
                      DayCase{"2024-05-01T10:00", nullptr},          // no blank after the date
                      DayCase{"2024-05-001", nullptr},               // three-digit day
                      DayCase{"yesterday", nullptr}, DayCase{"", nullptr}),
    testing_support::CaseNameFrom<&DayCase::time>{});

}  // namespace
}  // namespace recorder_test
