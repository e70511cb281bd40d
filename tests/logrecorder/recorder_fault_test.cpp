// The recorder under faults: concurrent runs, a held lock, runs killed
// part-way, damaged database files, and databases made by other clients.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "text/codepage.h"
#include "database/database.h"
#include "database/query.h"
#include "base/instance_lock.h"
#include "recorder_fixture.h"

namespace recorder_test {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Owns a file descriptor.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

class RecorderFaultTest : public RecorderTest {
 protected:
  void writeAllRecords() const {
    writeFile(logrecorder::exchangeFile(),
              iniSection("PRINT", {{"UserName", "u"}, {"strDocmentName", "local"}}));
    writeFile(logrecorder::networkExchangeFile(),
              iniSection("PRINT", {{"UserName", "u"}, {"strDocmentName", "net"}}));
    writeFile(logrecorder::settingsFile(), iniSection("ScanLog", {{"DocName", "scan"}}) +
                                               iniSection("CopyLog", {{"copypages", "2"}}));
    writeFile(logrecorder::networkSettingsFile(), iniSection("ScanLog", {{"DocName", "netscan"}}));
  }

  std::vector<std::size_t> rowCounts() const {
    std::vector<std::size_t> counts;
    for (const auto& table : allTables()) counts.push_back(table.size());
    return counts;
  }
};

TEST_F(RecorderFaultTest, TwentyRunsStartedAtOnceAllWriteTheirRows) {
  initDatabase();
  writeAllRecords();
  const std::vector<std::string> words = {"PrintLog", "PrintLog_NET", "ScanLog", "ScanLog_NET",
                                          "CopyLog"};
  std::vector<int> pids;
  for (std::size_t i = 0; i < 20; ++i) pids.push_back(startRecorder(rootPath(), {words[i % 5]}));
  for (int pid : pids) EXPECT_EQ(testing_support::waitExit(pid), 0);
  EXPECT_EQ(rowCounts(), (std::vector<std::size_t>{4, 4, 4, 4, 4}));
}

// Waits until some process opens a file in `folder`, or `pid` ends.
void waitForOpenIn(const std::filesystem::path& folder, int pid) {
  Fd watch(::inotify_init1(IN_CLOEXEC));
  ASSERT_GE(watch.get(), 0);
  ASSERT_GE(::inotify_add_watch(watch.get(), folder.c_str(), IN_OPEN), 0);
  Fd exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  ASSERT_GE(exited.get(), 0);
  pollfd fds[2] = {{watch.get(), POLLIN, 0}, {exited.get(), POLLIN, 0}};
  ASSERT_GT(::poll(fds, 2, -1), 0);
}

// The mended lock: a run that finds the lock held waits and then writes.
TEST_F(RecorderFaultTest, ARunThatFindsTheLockHeldWaitsAndThenWrites) {
  initDatabase();
  writeAllRecords();
  auto lock = platform::base::InstanceLock::tryAcquire("QZ3317VT_EXEPrintLog.DLL");
  ASSERT_TRUE(lock.has_value());
  int pid = startRecorder(rootPath(), {"CopyLog"});
  waitForOpenIn(rootPath() / ".locks", pid);
  EXPECT_EQ(rows(u"CopyLog").size(), 0u);  // it cannot have written yet
  lock.reset();
  EXPECT_EQ(testing_support::waitExit(pid), 0);
  EXPECT_EQ(rows(u"CopyLog").size(), 1u);
}

// Where a run is killed: at once, when its journal appears, when it writes
// the database file, when its journal goes (the commit).
enum class KillPoint { AtStart, JournalCreated, DatabaseWritten, JournalDeleted };

// Waits for the event of `point` in the database folder, or for `pid` to
// end; returns without waiting for AtStart.
void waitForKillPoint(KillPoint point, const std::filesystem::path& folder, int pid) {
  if (point == KillPoint::AtStart) return;
  Fd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  ASSERT_GE(watch.get(), 0);
  uint32_t mask = point == KillPoint::JournalCreated    ? IN_CREATE
                  : point == KillPoint::DatabaseWritten ? IN_MODIFY
                                                        : IN_DELETE;
  ASSERT_GE(::inotify_add_watch(watch.get(), folder.c_str(), mask), 0);
  Fd exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  ASSERT_GE(exited.get(), 0);
  const std::string wanted = point == KillPoint::DatabaseWritten ? "QZ3317VT.MDB"
                                                                 : "QZ3317VT.MDB-journal";
  for (;;) {
    pollfd fds[2] = {{watch.get(), POLLIN, 0}, {exited.get(), POLLIN, 0}};
    ASSERT_GT(::poll(fds, 2, -1), 0);
    if (fds[1].revents != 0) return;
    alignas(inotify_event) char buffer[4096];
    auto length = ::read(watch.get(), buffer, sizeof buffer);
    for (ssize_t pos = 0; pos < length;) {
      auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
      if (event->len > 0 && wanted == event->name) return;
      pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

TEST_F(RecorderFaultTest, ARunKilledAnywhereLeavesTheDatabaseIntactWithAllEarlierRows) {
  initDatabase();
  const auto folder = database().parent_path();
  std::vector<std::string> stored;  // document names of the rows so far
  int run = 0;
  for (int round = 0; round < 2; ++round) {
    for (auto point : {KillPoint::AtStart, KillPoint::JournalCreated, KillPoint::DatabaseWritten,
                       KillPoint::JournalDeleted}) {
      const std::string name = "run " + std::to_string(run++);
      writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", name}}));
      int pid = startRecorder(rootPath(), {"PrintLog"});
      waitForKillPoint(point, folder, pid);
      ::kill(pid, SIGKILL);
      testing_support::waitExit(pid);

      // Opening for writing rolls back what a killed run left half done.
      platform::database::CDaoDatabase db;
      db.open(database(), false, false, logrecorder::kLogDatabaseConnect);
      platform::database::DatabaseQuery check(db, u"PRAGMA integrity_check");
      ASSERT_TRUE(check.next());
      EXPECT_EQ(check.row()[0], u"ok") << name;
      db.close();
      std::vector<std::string> names;
      for (const auto& row : rows(u"PRINTDOC")) names.push_back(row[2]);
      auto withThisRun = stored;
      withThisRun.push_back(name);
      EXPECT_TRUE(names == stored || names == withThisRun) << name;
      stored = names;
    }
  }
}

// Ways a database file gets damaged. A run whose append meets the damage
// must leave the file exactly as it is: every run for damage to the whole
// file, the PrintLog run for damage to PRINTDOC's page.
struct Damage {
  const char* name;
  void (*apply)(const std::filesystem::path& file, std::size_t printdocPage);
  std::vector<std::string> words = {"PrintLog", "ScanLog", "CopyLog"};
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

constexpr std::size_t kPageSize = 1024;

void overwrite(const std::filesystem::path& file, std::size_t offset, const std::string& bytes) {
  auto content = readFile(file);
  content.replace(offset, bytes.size(), bytes);
  writeFile(file, content);
}

const Damage kDamages[] = {
    {"truncated to half",
     [](const std::filesystem::path& f, std::size_t) {
       std::filesystem::resize_file(f, std::filesystem::file_size(f) / 2);
     }},
    {"last page cut short",
     [](const std::filesystem::path& f, std::size_t) {
       std::filesystem::resize_file(f, std::filesystem::file_size(f) - 100);
     }},
    {"first page overwritten",
     [](const std::filesystem::path& f, std::size_t) { overwrite(f, 200, std::string(64, 'Z')); }},
    {"the table's page overwritten",
     [](const std::filesystem::path& f, std::size_t page) {
       overwrite(f, (page - 1) * kPageSize + 300, std::string(64, '\0'));
     },
     {"PrintLog"}},
    {"replaced by text",
     [](const std::filesystem::path& f, std::size_t) {
       writeFile(f, std::string(4096, 'x'));
     }},
};

class DamagedDatabaseTest : public RecorderFaultTest,
                            public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedDatabaseTest, ARunEndsWithZeroAndLeavesTheFileUnchanged) {
  initDatabase();
  writeAllRecords();
  ASSERT_EQ(record({"PrintLog"}).exitCode, 0);
  std::size_t page = 0;
  {
    platform::database::CDaoDatabase db;
    db.open(database(), false, true, logrecorder::kLogDatabaseConnect);
    platform::database::DatabaseQuery query(db, u"SELECT rootpage FROM sqlite_master WHERE name = 'PRINTDOC'");
    ASSERT_TRUE(query.next());
    page = std::stoul(platform::text::utf16ToUtf8(*query.row()[0]));
  }
  GetParam().apply(database(), page);
  const auto before = readFile(database());
  for (const auto& word : GetParam().words) {
    auto run = record({word});
    EXPECT_EQ(run.exitCode, 0) << word;
    EXPECT_EQ(run.err, "") << word;
  }
  EXPECT_TRUE(readFile(database()) == before) << "the damaged file was changed";
}

std::string damageName(const ::testing::TestParamInfo<Damage>& param) {
  std::string name = param.param.name;
  for (auto& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedDatabaseTest, ::testing::ValuesIn(kDamages),
                         damageName);

// Runs Debian's sqlcipher shell on the database with `sql` after the key.
std::string sqlcipherShell(const std::filesystem::path& file, const std::string& sql) {
  EXPECT_TRUE(std::filesystem::exists(QZ_SQLCIPHER_SHELL))
      << QZ_SQLCIPHER_SHELL << " is missing: install the Debian package sqlcipher";
  auto run = testing_support::runProgram(
      {QZ_SQLCIPHER_SHELL, file.string(), "PRAGMA key = '40937271';\n" + sql});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return run.out;
}

// A schema of another client: other column order, extra columns with
// defaults, an integer where our schema has text.
TEST_F(RecorderFaultTest, ADatabaseMadeByTheSqlcipherShellTakesTheRecord) {
  sqlcipherShell(database(),
                 "CREATE TABLE ScanLog (ID INTEGER PRIMARY KEY, 扫描结果 TEXT, 备注 TEXT DEFAULT "
                 "'无', 分辨率 INTEGER NOT NULL, 扫描页数 INTEGER, 文件名 VARCHAR(100), "
                 "扫描时间 DATETIME, 扫描模式 TEXT, 扫描类型 TEXT, 计算机账户名 TEXT, 计算机名 TEXT);");
  writeFile(logrecorder::settingsFile(),
            gbkText(iniSection("ScanLog", {{"Pages", "3"}, {"DocName", "a,b.pdf"},
                                           {"Resolution", "600"}, {"Time", "2024/5/6 7:08:09"},
                                           {"Result", "好"}})));
  auto run = record({"ScanLog"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(sqlcipherShell(database(),
                           "SELECT ID, 扫描结果, 备注, 分辨率, typeof(分辨率), 扫描页数, 文件名, "
                           "扫描时间, 计算机名 FROM ScanLog;"),
            "1|好|无|600|integer|3|a,b.pdf|2024-05-06 07:08:09|" + hostName() + "\n");
}

// The same client schema: a resolution its integer column cannot take is
// shown; a too long document name (a silent column) is not.
TEST_F(RecorderFaultTest, ForeignColumnsThatCannotTakeAValue) {
  sqlcipherShell(database(),
                 "CREATE TABLE ScanLog (文件名 VARCHAR(3), 分辨率 INTEGER, 计算机名 TEXT, "
                 "计算机账户名 TEXT, 扫描类型 TEXT, 扫描模式 TEXT, 扫描页数 INTEGER, 扫描时间 TEXT, "
                 "扫描结果 TEXT);");
  writeFile(logrecorder::settingsFile(), iniSection("ScanLog", {{"Resolution", "600 dpi"}}));
  auto shown = record({"ScanLog"});
  EXPECT_NE(shown.err.find("[message box, warning]"), std::string::npos);
  EXPECT_NE(shown.err.find("600 dpi"), std::string::npos) << shown.err;

  writeFile(logrecorder::settingsFile(),
            iniSection("ScanLog", {{"DocName", "long.pdf"}, {"Resolution", "600 dpi"}}));
  auto silent = record({"ScanLog"});
  EXPECT_EQ(silent.exitCode, 0);
  EXPECT_EQ(silent.err, "");  // 文件名 fails first, so 分辨率 is never set
  EXPECT_EQ(sqlcipherShell(database(), "SELECT count(*) FROM ScanLog;"), "0\n");
}

}  // namespace
}  // namespace recorder_test
