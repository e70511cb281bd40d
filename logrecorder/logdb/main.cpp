// qz3317vt-logdb: administration of the usage log database under the root.
//
//   qz3317vt-logdb init                 make the database with its five tables
//   qz3317vt-logdb list TABLE           print the rows of TABLE
//   qz3317vt-logdb export TABLE --csv   print TABLE as CSV
//   qz3317vt-logdb summary [--from DATE] [--to DATE] [--by user|computer|day] [--csv]
//   qz3317vt-logdb status               the tables' row counts and the spool
//
// Exit code: 0 success, 1 database failure (described on standard error,
// with the database's path; for status, on standard output with the rest),
// 2 usage error.
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_info.h"
#include "base/standard_streams.h"
#include "database/database.h"
#include "logrecorder/logdb/log_admin.h"
#include "logrecorder/logdb/log_summary.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr std::string_view kUsageText =
    "usage: qz3317vt-logdb init\n"
    "       qz3317vt-logdb list TABLE\n"
    "       qz3317vt-logdb export TABLE --csv\n"
    "       qz3317vt-logdb summary [--from DATE] [--to DATE] [--by user|computer|day] [--csv]\n"
    "       qz3317vt-logdb status\n";

constexpr std::string_view kHelpText =
    "The usage log database $QZ3317VT_ROOT/ProgramData/VARN/QZ3317VT/QZ3317VT.MDB.\n"
    "  init     make it with its five tables (an existing file is left alone)\n"
    "  list     print the rows of TABLE: PRINTDOC, PRINTDOC_NET, ScanLog,\n"
    "           ScanLog_NET or CopyLog\n"
    "  export   print TABLE as CSV (RFC 4180, CRLF)\n"
    "  summary  jobs and pages of prints, scans and copies, in one total or per\n"
    "           user, computer or day; DATE is YYYY-MM-DD, both ends included;\n"
    "           --csv for spreadsheets\n"
    "  status   the database, its tables' row counts, and the records kept for\n"
    "           a later run (the spool)\n"
    "Exit code: 0 success, 1 database failure, 2 usage error.\n"
    "--help and --version are taken only as the whole command line.\n";

struct SummaryRequest {
  logdb::SummaryGroup group = logdb::SummaryGroup::All;
  logdb::DayRange range;
  bool csv = false;
};

// A DATE as the user gives it, in the form dayOf reads; nothing when it is
// none.
std::optional<std::string> dateArgument(std::string_view text) {
  auto day = logdb::dayOf(text);
  if (!day || text.find(' ') != std::string_view::npos) return std::nullopt;
  return day;
}

std::optional<logdb::SummaryGroup> groupArgument(std::string_view text) {
  if (text == "user") return logdb::SummaryGroup::User;
  if (text == "computer") return logdb::SummaryGroup::Computer;
  if (text == "day") return logdb::SummaryGroup::Day;
  return std::nullopt;
}

std::optional<SummaryRequest> parseSummary(const std::vector<std::string_view>& args) {
  SummaryRequest request;
  for (std::size_t i = 1; i < args.size(); ++i) {
    auto flag = args[i];
    if (flag == "--csv") {
      request.csv = true;
      continue;
    }
    if (i + 1 >= args.size()) return std::nullopt;
    auto value = args[++i];
    if (flag == "--from" || flag == "--to") {
      auto day = dateArgument(value);
      if (!day) return std::nullopt;
      (flag == "--from" ? request.range.from : request.range.to) = day;
    } else if (flag == "--by") {
      auto group = groupArgument(value);
      if (!group) return std::nullopt;
      request.group = *group;
    } else {
      return std::nullopt;
    }
  }
  return request;
}

int usage() {
  std::cerr << kUsageText;
  return kUsage;
}

void openForReading(platform::database::CDaoDatabase& database, const std::filesystem::path& path) {
  database.open(path, false, true, logrecorder::kLogDatabaseConnect);
}

std::string counted(std::size_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

int runSummary(const std::filesystem::path& path, const SummaryRequest& request) {
  platform::database::CDaoDatabase database;
  openForReading(database, path);
  auto summary = logdb::summarizeUsage(database, request.group, request.range);
  if (request.csv) {
    logdb::printSummaryCsv(summary, request.group, std::cout);
  } else {
    logdb::printSummaryTable(summary, request.group, std::cout);
  }
  if (summary.undatedLeftOut > 0) {
    std::cerr << "qz3317vt-logdb: " << counted(summary.undatedLeftOut, "row")
              << " without a readable date left out of the range\n";
  }
  if (summary.unreadablePages > 0) {
    std::cerr << "qz3317vt-logdb: " << counted(summary.unreadablePages, "page count")
              << " that " << (summary.unreadablePages == 1 ? "is" : "are")
              << " not a number counted as 0\n";
  }
  return kOk;
}

int run(const std::vector<std::string_view>& args, const std::filesystem::path& path) {
  if (args.size() == 1 && args[0] == "status") return logdb::showStatus(std::cout) ? kOk : kFailed;
  if (args.size() == 1 && args[0] == "init") {
    logdb::initLogDatabase(path);
    std::cout << "created " << path.string() << '\n';
    return kOk;
  }
  if (!args.empty() && args[0] == "summary") {
    auto request = parseSummary(args);
    return request ? runSummary(path, *request) : usage();
  }
  bool list = args.size() == 2 && args[0] == "list";
  bool exportCsv = args.size() == 3 && args[0] == "export" && args[2] == "--csv";
  if (!list && !exportCsv) return usage();
  platform::database::CDaoDatabase database;
  openForReading(database, path);
  auto table = platform::text::utf8ToUtf16(args[1]);
  if (list) {
    logdb::listTable(database, table, std::cout);
  } else {
    logdb::exportCsv(database, table, std::cout);
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  if (platform::base::answerInfoRequest(argc, argv, "qz3317vt-logdb",
                                        std::string(kUsageText) + std::string(kHelpText))) {
    return 0;
  }
  std::vector<std::string_view> args(argv + 1, argv + argc);
  auto path = logrecorder::logDatabasePath();
  try {
    return run(args, path);
  } catch (const platform::database::CDaoException& error) {
    std::cerr << "qz3317vt-logdb: " << path.string() << ": "
              << platform::text::utf16ToUtf8(error.description()) << '\n';
    return kFailed;
  }
}
