// qz3317vt-logdb: administration of the usage log database under the root.
//
//   qz3317vt-logdb init                 make the database with its five tables
//   qz3317vt-logdb list TABLE           print the rows of TABLE
//   qz3317vt-logdb export TABLE --csv   print TABLE as CSV
//   qz3317vt-logdb status               the tables' row counts and the spool
//
// Exit code: 0 success, 1 database failure (described on standard error;
// for status, on standard output with the rest), 2 usage error.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "logrecorder/logdb/log_admin.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"
#include "base/standard_streams.h"
#include "database/database.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr std::string_view kUsageText =
    "usage: qz3317vt-logdb init\n"
    "       qz3317vt-logdb list TABLE\n"
    "       qz3317vt-logdb export TABLE --csv\n"
    "       qz3317vt-logdb status\n";

int usage() {
  std::cerr << kUsageText;
  return kUsage;
}

int run(const std::vector<std::string_view>& args) {
  auto path = logrecorder::logDatabasePath();
  if (args.size() == 1 && args[0] == "status") return logdb::showStatus(std::cout) ? kOk : kFailed;
  if (args.size() == 1 && args[0] == "init") {
    logdb::initLogDatabase(path);
    std::cout << "created " << path.string() << '\n';
    return kOk;
  }
  bool list = args.size() == 2 && args[0] == "list";
  bool exportCsv = args.size() == 3 && args[0] == "export" && args[2] == "--csv";
  if (!list && !exportCsv) return usage();
  platform::database::CDaoDatabase database;
  database.open(path, false, true, logrecorder::kLogDatabaseConnect);
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
  std::vector<std::string_view> args(argv + 1, argv + argc);
  try {
    return run(args);
  } catch (const platform::database::CDaoException& error) {
    std::cerr << "qz3317vt-logdb: " << platform::text::utf16ToUtf8(error.description()) << '\n';
    return kFailed;
  }
}
