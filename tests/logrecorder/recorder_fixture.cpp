// Record files, program runs and read-back for the recorder's process tests.
#include "recorder_fixture.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>

#include "logrecorder/logdb/log_admin.h"
#include "text/codepage.h"
#include "database/database.h"
#include "database/query.h"

extern char** environ;

namespace recorder_test {

std::string iniSection(std::string_view section, Keys keys) {
  std::string text = "[" + std::string(section) + "]\r\n";
  for (const auto& [key, value] : keys) {
    text += std::string(key) + "=" + std::string(value) + "\r\n";
  }
  return text;
}

std::string utf16leText(std::string_view utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : platform::text::utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string gbkText(std::string_view utf8) { return platform::text::utf8ToAnsi(utf8); }

std::string hostName() {
  std::string host(HOST_NAME_MAX + 1, '\0');
  if (::gethostname(host.data(), host.size() - 1) != 0) return {};
  return host.c_str();
}

std::string accountName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry != nullptr ? entry->pw_name : std::getenv("USER");
}

int startRecorder(const std::filesystem::path& root, const std::vector<std::string>& words) {
  std::vector<std::string> args{QZ_RECORDER};
  args.insert(args.end(), words.begin(), words.end());
  return testing_support::spawnToFiles(args, "/dev/null", "/dev/null",
                                       {{"QZ3317VT_ROOT", root.string()}});
}

void RecorderTest::initDatabase() const { logdb::initLogDatabase(database()); }

testing_support::RunResult RecorderTest::record(const std::vector<std::string>& words) const {
  std::vector<std::string> args{QZ_RECORDER};
  args.insert(args.end(), words.begin(), words.end());
  return testing_support::runProgram(args, {{"QZ3317VT_ROOT", rootPath().string()}});
}

namespace {

Rows readRows(platform::database::CDaoDatabase& database, std::u16string_view table) {
  platform::database::DatabaseQuery query(database,
                                u"SELECT * FROM \"" + std::u16string(table) + u"\" ORDER BY rowid");
  Rows rows;
  while (query.next()) {
    std::vector<std::string> row;
    for (const auto& value : query.row()) {
      row.push_back(value ? platform::text::utf16ToUtf8(*value) : "NULL");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

// The rows are read on a connection that may write: a run killed during a
// commit leaves a hot journal, which only such a connection rolls back, as
// the next run of the recorder or any other client would.
Rows RecorderTest::rows(std::u16string_view table, std::u16string_view connect) const {
  platform::database::CDaoDatabase db;
  db.open(database(), false, false, connect);
  return readRows(db, table);
}

std::vector<Rows> RecorderTest::allTables() const {
  platform::database::CDaoDatabase db;
  db.open(database(), false, false, logrecorder::kLogDatabaseConnect);
  std::vector<Rows> tables;
  for (auto table : {u"PRINTDOC", u"PRINTDOC_NET", u"ScanLog", u"ScanLog_NET", u"CopyLog"}) {
    tables.push_back(readRows(db, table));
  }
  return tables;
}

}  // namespace recorder_test
