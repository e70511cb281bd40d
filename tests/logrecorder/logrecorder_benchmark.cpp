// Costs of the usage log recorder: opening the database (the key
// derivation), one append into an empty table and into one of 100,000
// rows, and one whole recorder run from process start to exit.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "logrecorder/logdb/log_admin.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"
#include "database/database.h"
#include "database/recordset.h"
#include "tests/support/temp_root.h"

extern char** environ;

namespace {

// A fresh root with the usage log database and a print record.
struct Setup {
  Setup() {
    logdb::initLogDatabase(logrecorder::logDatabasePath());
    testing_support::writeFile(logrecorder::exchangeFile(),
                               "[PRINT]\r\nUserName=alice\r\nComputerName=PC-07\r\n"
                               "strDocmentName=report.doc\r\nstrPrintTime=2024-05-01 10:20:30\r\n"
                               "PageNum=12\r\nCopies=1\r\nPrintResult=OK\r\n");
  }
  testing_support::TempRoot root;
};

void openDatabase(platform::database::CDaoDatabase& db) {
  db.open(logrecorder::logDatabasePath(), false, false, logrecorder::kLogDatabaseConnect);
}

void BM_OpenWithKey(benchmark::State& state) {
  Setup setup;
  for (auto _ : state) {
    platform::database::CDaoDatabase db;
    openDatabase(db);
  }
}
BENCHMARK(BM_OpenWithKey)->Unit(benchmark::kMillisecond);

// One append as a writer does it, on an open database; the argument is the
// number of rows already in the table.
void BM_Append(benchmark::State& state) {
  Setup setup;
  platform::database::CDaoDatabase db;
  openDatabase(db);
  // The rows go in with one statement, so that setting up 100,000 rows
  // costs one commit rather than 100,000.
  db.execute(platform::text::utf8ToUtf16(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(state.range(0)) +
      ") INSERT INTO PRINTDOC SELECT 'user', 'PC', 'document ' || i, '2024-05-01 10:20:30', "
      "i % 100, 1, 'OK' FROM n"));
  for (auto _ : state) {
    platform::database::CDaoRecordset rs(db);
    rs.open(platform::database::CDaoRecordset::kOpenDynaset, u"Select * from PRINTDOC", 0);
    rs.addNew();
    rs.setFieldValue(u"用户名", u"alice");
    rs.setFieldValue(u"计算机名", u"PC-07");
    rs.setFieldValue(u"文件名", u"report.doc");
    rs.setFieldValue(u"打印时间", u"2024-05-01 10:20:30");
    rs.setFieldValue(u"打印页数", u"12");
    rs.setFieldValue(u"打印份数", u"1");
    rs.setFieldValue(u"打印结果", u"OK");
    rs.update();
    rs.close();
  }
}
BENCHMARK(BM_Append)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WholeRecorderRun(benchmark::State& state) {
  Setup setup;
  std::string program = QZ_RECORDER;
  std::string word = "PrintLog";
  char* argv[] = {program.data(), word.data(), nullptr};
  for (auto _ : state) {
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start the recorder");
      return;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
}
BENCHMARK(BM_WholeRecorderRun)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
