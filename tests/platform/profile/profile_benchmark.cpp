// Key reads and writes on a realistic exchange file (~80 keys, ~3 KB) and on
// a 1 MiB file whose key sits at the end.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profile/profile.h"
#include "exchange_file.h"
#include "tests/support/temp_root.h"

namespace {

// A file in the benchmark's own folder, removed at exit.
std::filesystem::path benchFile(const std::string& name, const std::string& content) {
  static testing_support::TempFolder folder;
  auto path = folder / name;
  testing_support::writeFile(path, content);
  return path;
}

const std::filesystem::path& exchangeFile() {
  static auto path = benchFile("QZ3317VT_SMD.DAT", profile_test::exchangeFileContent());
  return path;
}

// 1 MiB of sections of 40 keys each; the key read and written is the last.
const std::filesystem::path& megabyteFile() {
  static auto path = [] {
    std::string text;
    for (int section = 0; text.size() < (1u << 20); ++section) {
      text += "[SECTION" + std::to_string(section) + "]\r\n";
      for (int key = 0; key < 40; ++key) {
        text += "SomeKeyName" + std::to_string(key) + "=value of key " + std::to_string(key) + "\r\n";
      }
    }
    text += "[Last]\r\nTarget=1\r\n";
    return benchFile("big.ini", text);
  }();
  return path;
}

void readKey(benchmark::State& state, const std::filesystem::path& file, const char* section,
             const char* key) {
  for (auto _ : state) {
    auto value = platform::profile::getString(file, section, key, "NONE", 260);
    benchmark::DoNotOptimize(value);
  }
}

void writeKey(benchmark::State& state, const std::filesystem::path& file, const char* section,
              const char* key) {
  int round = 0;
  for (auto _ : state) {
    bool written = platform::profile::writeString(file, section, key, std::to_string(++round % 2));
    if (!written) state.SkipWithError("write failed");
  }
}

void BM_ReadFirstSection(benchmark::State& s) { readKey(s, exchangeFile(), "DRVSPA", "zPort"); }
void BM_ReadStatusCode(benchmark::State& s) { readKey(s, exchangeFile(), "DRVMSG", "msgCode"); }
void BM_ReadLastKey(benchmark::State& s) { readKey(s, exchangeFile(), "JobInfo", "End"); }
void BM_ReadMissingKey(benchmark::State& s) { readKey(s, exchangeFile(), "DRVGET", "Absent"); }

void BM_ReadIntStatusCode(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::profile::getInt(exchangeFile(), "DRVMSG", "msgCode", 0));
  }
}

void BM_ReadUtf16Form(benchmark::State& state) {
  for (auto _ : state) {
    auto value = platform::profile::getStringW(exchangeFile(), u"JobInfo", u"DocName", u"", 260);
    benchmark::DoNotOptimize(value);
  }
}

void BM_WriteExistingKey(benchmark::State& s) { writeKey(s, exchangeFile(), "DRVMSG", "msgResult"); }
void BM_ReadMegabyteLastKey(benchmark::State& s) { readKey(s, megabyteFile(), "Last", "Target"); }
void BM_WriteMegabyteLastKey(benchmark::State& s) { writeKey(s, megabyteFile(), "Last", "Target"); }

}  // namespace

BENCHMARK(BM_ReadFirstSection);
BENCHMARK(BM_ReadStatusCode);
BENCHMARK(BM_ReadLastKey);
BENCHMARK(BM_ReadMissingKey);
BENCHMARK(BM_ReadIntStatusCode);
BENCHMARK(BM_ReadUtf16Form);
BENCHMARK(BM_WriteExistingKey);
BENCHMARK(BM_ReadMegabyteLastKey);
BENCHMARK(BM_WriteMegabyteLastKey);

BENCHMARK_MAIN();
