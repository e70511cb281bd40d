// Several processes writing distinct keys of one exchange file while others
// read it: every write lands and no reader ever sees a torn file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "profile/profile.h"
#include "exchange_file.h"
#include "tests/support/temp_root.h"
#include "tests/support/process.h"

namespace {

using platform::profile::getInt;
using platform::profile::getString;
using platform::profile::writeString;
using testing_support::TempFolder;

constexpr int kLibraryWriters = 3;
constexpr int kLibraryRounds = 150;
constexpr int kToolWriters = 2;
constexpr int kToolRounds = 20;
constexpr int kReaders = 2;

std::string writerKey(int writer) { return "Seq" + std::to_string(writer); }

int roundsOf(int writer) { return writer < kLibraryWriters ? kLibraryRounds : kToolRounds; }

// A writer process: its own key, counting up from 1.
[[noreturn]] void libraryWriter(const std::filesystem::path& file, int writer) {
  for (int round = 1; round <= kLibraryRounds; ++round) {
    if (!writeString(file, "DRVGET", writerKey(writer), std::to_string(round))) {
      std::fprintf(stderr, "writer %d: write %d failed\n", writer, round);
      _exit(1);
    }
  }
  _exit(0);
}

// A reader process: reads until `stop` reports its end, checking that both
// sentinels are there on every pass and that no sequence number goes back.
[[noreturn]] void reader(const std::filesystem::path& file, int stop) {
  std::vector<int> seen(kLibraryWriters + kToolWriters, 0);
  for (long pass = 1;; ++pass) {
    if (getString(file, "DRVSPA", "Sentinel", "", 16) != "begin" ||
        getString(file, "JobInfo", "End", "", 16) != "end") {
      std::fprintf(stderr, "reader: torn file on pass %ld\n", pass);
      _exit(1);
    }
    for (std::size_t w = 0; w < seen.size(); ++w) {
      int now = getInt(file, "DRVGET", writerKey(static_cast<int>(w)), 0);
      if (now < seen[w]) {
        std::fprintf(stderr, "reader: %s went back from %d to %d\n",
                     writerKey(static_cast<int>(w)).c_str(), seen[w], now);
        _exit(1);
      }
      seen[w] = now;
    }
    char byte = 0;
    if (::read(stop, &byte, 1) == 0) _exit(0);
  }
}

pid_t forkOrFail() {
  pid_t pid = ::fork();
  if (pid < 0) ADD_FAILURE() << "fork failed";
  return pid;
}

TEST(ConcurrentAccess, DistinctKeysAllLandAndReadersSeeWholeFiles) {
  ASSERT_TRUE(std::filesystem::exists(QZ_INI_TOOL))
      << "the tool is missing: " << QZ_INI_TOOL;
  TempFolder folder;
  auto file = folder / "QZ3317VT_SMD.DAT";
  testing_support::writeFile(file, profile_test::exchangeFileContent());

  int stopPipe[2];
  ASSERT_EQ(::pipe2(stopPipe, O_CLOEXEC), 0);
  ASSERT_EQ(::fcntl(stopPipe[0], F_SETFL, O_NONBLOCK), 0);

  std::vector<pid_t> readers;
  for (int i = 0; i < kReaders; ++i) {
    pid_t pid = forkOrFail();
    if (pid == 0) {
      ::close(stopPipe[1]);
      reader(file, stopPipe[0]);
    }
    readers.push_back(pid);
  }
  std::vector<pid_t> writers;
  for (int w = 0; w < kLibraryWriters; ++w) {
    pid_t pid = forkOrFail();
    if (pid == 0) {
      ::close(stopPipe[1]);
      libraryWriter(file, w);
    }
    writers.push_back(pid);
  }
  // The tool writers run their rounds one process after another, alongside
  // the library writers.
  std::vector<pid_t> toolLoops;
  for (int w = kLibraryWriters; w < kLibraryWriters + kToolWriters; ++w) {
    pid_t pid = forkOrFail();
    if (pid == 0) {
      ::close(stopPipe[1]);
      for (int round = 1; round <= kToolRounds; ++round) {
        std::string tag = std::to_string(w);
        int tool = testing_support::spawnToFiles(
            {QZ_INI_TOOL, "set", file.string(), "DRVGET", writerKey(w), std::to_string(round)},
            folder / ("tool" + tag + ".out"), folder / ("tool" + tag + ".err"));
        if (testing_support::waitExit(tool) != 0) _exit(1);
      }
      _exit(0);
    }
    writers.push_back(pid);
  }

  for (pid_t pid : writers) EXPECT_EQ(testing_support::waitExit(pid), 0) << "a writer failed";
  ::close(stopPipe[1]);
  for (pid_t pid : readers) EXPECT_EQ(testing_support::waitExit(pid), 0) << "a reader saw a torn file or a lost write";
  ::close(stopPipe[0]);

  for (int w = 0; w < kLibraryWriters + kToolWriters; ++w) {
    EXPECT_EQ(getInt(file, "DRVGET", writerKey(w), 0), roundsOf(w)) << writerKey(w);
  }
  EXPECT_EQ(getString(file, "DRVSPA", "Sentinel", "", 16), "begin");
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".QZ3317VT_SMD.DAT"), std::string::npos)
        << "temporary file left: " << entry.path();
  }
}

}  // namespace
