// The recorder under faults: concurrent runs, a held lock, runs killed
// part-way, damaged database files, and databases made by other clients.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "text/codepage.h"
#include "database/database.h"
#include "database/query.h"
#include "base/instance_lock.h"
#include "logrecorder/record_spool.h"
#include "recorder_fixture.h"
#include "tests/support/other_user.h"

extern char** environ;

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

  // Where this user's locks are.
  std::filesystem::path lockFolder() const {
    return rootPath() / ".locks" / std::to_string(::geteuid());
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
  waitForOpenIn(lockFolder(), pid);
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
    // Damage that the open meets is told in one line; damage met later
    // keeps the append's silence. Neither shows a box.
    if (!run.err.empty()) expectOpenFailureLine(run.err);
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

// The mend: a run reads its record before it waits, so two runs that wait
// while the driver writes two more records store each its own, once.
TEST_F(RecorderFaultTest, TwoRecordsWrittenDuringAWaitAreEachStoredOnce) {
  initDatabase();
  auto lock = platform::base::InstanceLock::tryAcquire("QZ3317VT_EXEPrintLog.DLL");
  ASSERT_TRUE(lock && lock->holdsLock());
  std::vector<int> pids;
  for (const char* document : {"B", "C"}) {
    writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", document}}));
    pids.push_back(startRecorder(rootPath(), {"PrintLog"}));
    waitForOpenIn(lockFolder(), pids.back());  // it has read its record and waits
  }
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "D"}}));
  lock.reset();
  for (int pid : pids) EXPECT_EQ(testing_support::waitExit(pid), 0);
  std::vector<std::string> names;
  for (const auto& row : rows(u"PRINTDOC")) names.push_back(row[2]);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B", "C"}));
}

// A report tool that keeps a read transaction open on the file for a few
// seconds (here Debian's sqlcipher shell, for 6 s, longer than the old 5 s
// wait) costs no row: the run waits for it.
TEST_F(RecorderFaultTest, AReaderHoldingTheDatabaseForSecondsCostsNoRow) {
  initDatabase();
  testing_support::BackgroundProcess shell({QZ_SQLCIPHER_SHELL, database().string()});
  ASSERT_TRUE(shell.writeInput("PRAGMA key = '40937271';\nBEGIN;\n"
                               "SELECT 'holding', count(*) FROM PRINTDOC;\n"));
  ASSERT_EQ(shell.readLine(), "holding|0");
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "waited"}}));
  int pid = startRecorder(rootPath(), {"PrintLog"});
  waitForKillPoint(KillPoint::JournalCreated, database().parent_path(), pid);
  std::this_thread::sleep_for(std::chrono::seconds(6));
  ASSERT_TRUE(shell.writeInput("COMMIT;\n.quit\n"));
  shell.closeInput();
  EXPECT_EQ(shell.wait(), 0);
  EXPECT_EQ(testing_support::waitExit(pid), 0);
  ASSERT_EQ(rows(u"PRINTDOC").size(), 1u);
  EXPECT_EQ(rows(u"PRINTDOC")[0][2], "waited");
}

// Where a drain is killed: at once, when the row is noted before its commit,
// when its commit ends (the journal goes), when its file goes, when the note
// goes.
enum class DrainKill { AtStart, Noted, Committed, RowFileGone, NoteGone };

// Waits for the file event of `point`, or for `pid` to end.
void waitForDrainPoint(DrainKill point, const std::filesystem::path& spool,
                       const std::filesystem::path& database, int pid) {
  if (point == DrainKill::AtStart) return;
  if (point == DrainKill::Committed) {
    waitForKillPoint(KillPoint::JournalDeleted, database.parent_path(), pid);
    return;
  }
  Fd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  ASSERT_GE(watch.get(), 0);
  ASSERT_GE(::inotify_add_watch(watch.get(), spool.c_str(), IN_MOVED_TO | IN_DELETE), 0);
  Fd exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  ASSERT_GE(exited.get(), 0);
  for (;;) {
    pollfd fds[2] = {{watch.get(), POLLIN, 0}, {exited.get(), POLLIN, 0}};
    ASSERT_GT(::poll(fds, 2, -1), 0);
    if (fds[1].revents != 0) return;
    alignas(inotify_event) char buffer[4096];
    auto length = ::read(watch.get(), buffer, sizeof buffer);
    for (ssize_t pos = 0; pos < length;) {
      auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
      std::string name = event->len > 0 ? event->name : "";
      bool note = name == "inflight";
      bool rowFile = name.ends_with(".row");
      if (point == DrainKill::Noted && note && (event->mask & IN_MOVED_TO)) return;
      if (point == DrainKill::RowFileGone && rowFile && (event->mask & IN_DELETE)) return;
      if (point == DrainKill::NoteGone && note && (event->mask & IN_DELETE)) return;
      pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

// kill -9 anywhere in a drain neither loses nor duplicates a kept row, and
// the rows keep their order.
TEST_F(RecorderFaultTest, ARunKilledWhileItDrainsTheSpoolLosesAndDuplicatesNothing) {
  initDatabase();
  logrecorder::RecordSpool spool(logrecorder::spoolFolder());
  std::vector<std::string> kept;
  for (int i = 0; i < 12; ++i) {
    kept.push_back("kept " + std::to_string(i));
    ASSERT_TRUE(spool.add(logrecorder::LogRow{
        u"PRINTDOC", {{u"文件名", platform::text::utf8ToUtf16(kept.back())}}}));
  }
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "own"}}));
  auto storedNames = [&] {
    std::vector<std::string> names;
    for (const auto& row : rows(u"PRINTDOC")) names.push_back(row[2]);
    return names;
  };
  for (int round = 0; round < 2; ++round) {
    for (auto point : {DrainKill::AtStart, DrainKill::Noted, DrainKill::Committed,
                       DrainKill::RowFileGone, DrainKill::NoteGone}) {
      int pid = startRecorder(rootPath(), {"PrintLog"});
      waitForDrainPoint(point, spool.folder(), database(), pid);
      ::kill(pid, SIGKILL);
      testing_support::waitExit(pid);
      auto names = storedNames();
      std::vector<std::string> keptSoFar(kept.begin(),
                                         kept.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(names.size(), kept.size())));
      EXPECT_TRUE(std::equal(keptSoFar.begin(), keptSoFar.end(), names.begin()))
          << "kill point " << static_cast<int>(point) << ": the kept rows in order, once";
    }
  }
  ASSERT_EQ(record({"PrintLog"}).exitCode, 0);  // one run that is not killed
  auto names = storedNames();
  std::vector<std::string> expected = kept;
  std::erase(names, "own");
  EXPECT_EQ(names, expected);
  EXPECT_EQ(spool.status().waiting, 0u);
  EXPECT_FALSE(spool.status().inflight);
}

// Locks are per user: a second user's run on a root the first user used is
// not stopped by the first user's lock, held or left behind.
TEST_F(RecorderFaultTest, ASecondUserIsNeverStoppedByTheFirstUsersLock) {
  QZ_REQUIRE_OTHER_USER();
  initDatabase();
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "first user"}}));
  ASSERT_EQ(record({"PrintLog"}).exitCode, 0);
  testing_support::openFoldersUpTo(logrecorder::recordFolder(), rootPath());
  testing_support::openFoldersUpTo(database().parent_path(), rootPath());
  std::filesystem::permissions(database().parent_path(), std::filesystem::perms::all);
  std::filesystem::permissions(database(), std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_write |
                                               std::filesystem::perms::others_read |
                                               std::filesystem::perms::others_write);
  auto held = platform::base::InstanceLock::tryAcquire("QZ3317VT_EXEPrintLog.DLL");
  ASSERT_TRUE(held && held->holdsLock());
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "second user"}}));
  auto run = testing_support::runProgram(testing_support::asOtherUser({QZ_RECORDER, "PrintLog"}),
                                         {{"QZ3317VT_ROOT", rootPath().string()}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  // Stored at once: a run that had waited for the held lock would have
  // given up after 30 s and kept its row in the spool instead.
  std::vector<std::string> names;
  for (const auto& row : rows(u"PRINTDOC")) names.push_back(row[2]);
  EXPECT_EQ(names, (std::vector<std::string>{"first user", "second user"}));
}

TEST_F(RecorderFaultTest, ALockThatCannotBeMadeLetsTheRunGoOn) {
  initDatabase();
  writeFile(rootPath() / ".locks", "a plain file where the lock folder should be");
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "stored"}}));
  EXPECT_EQ(record({"PrintLog"}).exitCode, 0);
  EXPECT_EQ(rows(u"PRINTDOC").size(), 1u);
}

// How a run's standard error is broken.
enum class BrokenStderr { PipeWithoutReader, Closed };

void PrintTo(BrokenStderr how, std::ostream* out) {
  *out << (how == BrokenStderr::Closed ? "closed" : "pipe without reader");
}

// Runs the recorder with `word` and its standard error broken; the exit
// code, -1 for a signal.
int recordWithBrokenStderr(const std::filesystem::path& root, const std::string& word,
                           BrokenStderr how) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  int pipeFds[2] = {-1, -1};
  if (how == BrokenStderr::Closed) {
    posix_spawn_file_actions_addclose(&actions, 2);
  } else {
    EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    ::close(pipeFds[0]);  // nobody will ever read
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  }
  std::string rootVar = "QZ3317VT_ROOT=" + root.string();
  std::vector<std::string> env{rootVar};
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "QZ3317VT_ROOT=", 14) != 0) env.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (auto& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = QZ_RECORDER;
  std::vector<char*> argv{program.data(), const_cast<char*>(word.c_str()), nullptr};
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (pipeFds[1] >= 0) ::close(pipeFds[1]);
  EXPECT_EQ(rc, 0);
  return rc == 0 ? testing_support::waitExit(pid) : -2;
}

class BrokenStderrTest : public RecorderFaultTest,
                         public ::testing::WithParamInterface<BrokenStderr> {};

// The warning box of a scan column goes to standard error; with that
// broken the run still ends with 0, and no file of the run took its place.
TEST_P(BrokenStderrTest, AWarningBoxStillEndsTheRunWithZero) {
  sqlcipherShell(database(),
                 "CREATE TABLE ScanLog (文件名 TEXT, 分辨率 INTEGER, 计算机名 TEXT, "
                 "计算机账户名 TEXT, 扫描类型 TEXT, 扫描模式 TEXT, 扫描页数 INTEGER, 扫描时间 TEXT, "
                 "扫描结果 TEXT);");
  writeFile(logrecorder::settingsFile(), iniSection("ScanLog", {{"Resolution", "600 dpi"}}));
  const auto before = readFile(database());
  EXPECT_EQ(recordWithBrokenStderr(rootPath(), "ScanLog", GetParam()), 0);
  EXPECT_TRUE(readFile(database()) == before) << "the box's text went into the database";
  EXPECT_EQ(sqlcipherShell(database(), "SELECT count(*) FROM ScanLog;"), "0\n");
}

INSTANTIATE_TEST_SUITE_P(Ways, BrokenStderrTest,
                         ::testing::Values(BrokenStderr::PipeWithoutReader, BrokenStderr::Closed),
                         [](const auto& param) {
                           return param.param == BrokenStderr::Closed ? "Closed"
                                                                      : "PipeWithoutReader";
                         });

// With a SQLite that does not encrypt loaded in place of SQLCipher, no file
// is made or written, whatever the program.
TEST_F(RecorderFaultTest, WithAnEngineThatDoesNotEncryptNothingIsWritten) {
  if (!std::filesystem::exists(QZ_PLAIN_SQLITE)) GTEST_SKIP() << QZ_PLAIN_SQLITE << " is missing";
  std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
  const std::map<std::string, std::string> plain = {
      {"QZ3317VT_ROOT", rootPath().string()},
      {"LD_PRELOAD", QZ_PLAIN_SQLITE},
      {"ASAN_OPTIONS", asan + (asan.empty() ? "" : ":") + "verify_asan_link_order=0"}};
  auto init = testing_support::runProgram({QZ_LOGDB, "init"}, plain);
  EXPECT_EQ(init.exitCode, 1);
  EXPECT_NE(init.err.find("does not encrypt"), std::string::npos) << init.err;
  EXPECT_FALSE(std::filesystem::exists(database()));

  initDatabase();
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "secret.doc"}}));
  const auto before = readFile(database());
  EXPECT_EQ(testing_support::runProgram({QZ_RECORDER, "PrintLog"}, plain).exitCode, 0);
  EXPECT_TRUE(readFile(database()) == before);
  EXPECT_FALSE(std::filesystem::exists(logrecorder::spoolFolder())) << "a setup fault keeps nothing";
}

// A database that cannot grow (here: the file size limit of the run, with
// SIGXFSZ ignored as a full disk gives no signal) is a passing cause: the
// row waits in the spool and the next run stores it.
TEST_F(RecorderFaultTest, ARowThatFindsNoRoomWaitsInTheSpool) {
  initDatabase();
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "no room"}}));
  auto full = testing_support::runProgram(
      {"/bin/bash", "-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" PrintLog", QZ_RECORDER},
      {{"QZ3317VT_ROOT", rootPath().string()}});
  EXPECT_EQ(full.exitCode, 0) << full.err;
  EXPECT_EQ(rows(u"PRINTDOC").size(), 0u);
  EXPECT_EQ(logrecorder::RecordSpool(logrecorder::spoolFolder()).status().waiting, 1u);
  writeFile(logrecorder::exchangeFile(), iniSection("PRINT", {{"strDocmentName", "room again"}}));
  ASSERT_EQ(record({"PrintLog"}).exitCode, 0);
  std::vector<std::string> names;
  for (const auto& row : rows(u"PRINTDOC")) names.push_back(row[2]);
  EXPECT_EQ(names, (std::vector<std::string>{"no room", "room again"}));
}

}  // namespace
}  // namespace recorder_test
