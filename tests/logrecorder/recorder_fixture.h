// A temporary root with a usage log database for tests of the built
// recorder and tool: record files as the driver writes them, runs of the
// programs, and the rows of a table read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logrecorder/record_paths.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace recorder_test {

// Rows as UTF-8 texts, NULL as "NULL".
using Rows = std::vector<std::vector<std::string>>;

using Keys = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// The bytes of one INI section with CRLF line ends, keys and values as given.
std::string iniSection(std::string_view section, Keys keys);

// UTF-8 text as a UTF-16LE file with the mark FF FE.
std::string utf16leText(std::string_view utf8);

// UTF-8 text in the 8-bit code page 936.
std::string gbkText(std::string_view utf8);

// This machine's host name and account name, as the recorder must find them.
std::string hostName();
std::string accountName();

// Starts the recorder with `words` under `root` (output discarded); the pid,
// for testing_support::waitExit.
int startRecorder(const std::filesystem::path& root, const std::vector<std::string>& words);

// The one line on standard error of a run that cannot open the database:
// everything before the engine's description.
inline std::string openFailurePrefix() {
  return "QZ3317VT_EXEPrintLog: cannot open the usage log database " +
         logrecorder::logDatabasePath().string() + ": ";
}

// No box, only the one line that names the database.
inline void expectOpenFailureLine(const std::string& err) {
  EXPECT_TRUE(err.starts_with(openFailurePrefix())) << err;
  EXPECT_TRUE(err.ends_with("; no row added\n")) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

class RecorderTest : public ::testing::Test {
 protected:
  // Makes the database with the five tables of qz3317vt-logdb.
  void initDatabase() const;

  // Runs the recorder with `words` after the program path.
  testing_support::RunResult record(const std::vector<std::string>& words) const;

  // The rows of `table`, in the order they were added.
  Rows rows(std::u16string_view table,
            std::u16string_view connect = logrecorder::kLogDatabaseConnect) const;

  // The rows of all five tables, for checks that nothing was added anywhere.
  std::vector<Rows> allTables() const;

  std::filesystem::path database() const { return logrecorder::logDatabasePath(); }
  const std::filesystem::path& rootPath() const { return root_.path(); }

 private:
  testing_support::TempRoot root_;
};

}  // namespace recorder_test
