// The simulated printer against hostile scenarios, as a process: numbers it
// cannot serve, a scenario path that is a FIFO or a folder (at start and on
// reload), and SIGTERM while it is still starting.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_bus.h"
#include "tests/support/case_names.h"
#include "tests/support/printer_process.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "usb/bus.h"
#include "usb/sim_protocol.h"

namespace {

using namespace std::chrono_literals;
using testing_support::PrinterProcess;
using testing_support::TempRoot;

// Long enough for any machine; a printer that takes this long has hung.
constexpr auto kGenerous = 10s;

// Waits for `pid` to end; its exit code (-1 for a signal), or nullopt when
// it is still running after `limit`, in which case it is killed.
std::optional<int> waitWithin(int pid, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(5ms);
  }
  ::kill(pid, SIGKILL);
  testing_support::waitExit(pid);
  return std::nullopt;
}

// The first hardware id of each printing device the bus lists; nullopt when
// the printer does not answer.
std::optional<std::vector<std::string>> listedIds() {
  auto entries = platform::usb::makeSimBus()->listDevices(platform::usb::InterfaceClass::Printing);
  if (!entries) return std::nullopt;
  std::vector<std::string> ids;
  for (const auto& entry : *entries) {
    ids.push_back(entry.hardwareIds.empty() ? "" : entry.hardwareIds.front());
  }
  return ids;
}

const std::string kDefaultId = "USB\\VID_7A3C&PID_5B21&REV_0100";

// Each line alone makes the printer refuse to start, naming the line and
// the range it takes.
class RefusedNumber : public testing::TestWithParam<const char*> {};

TEST_P(RefusedNumber, StopsThePrinterAtStartNamingTheLine) {
  PrinterProcess printer;
  std::string diagnostics;
  int code = printer.startRefused(std::string("# hostile\n") + GetParam() + "\n", diagnostics);
  EXPECT_GT(code, 0);
  EXPECT_NE(diagnostics.find(std::string("scenario line 2: ") + GetParam()), std::string::npos)
      << diagnostics;
  EXPECT_NE(diagnostics.find(" to "), std::string::npos) << "no range in: " << diagnostics;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusedNumber,
    testing::Values("status = 100000", "status = 4294967297", "error.Status? = 123456",
                    "delay.Status? = 86400001", "delay.Status? = 9223372036854775807",
                    "delay.Status? = 99999999999999999999", "lines.Status? = 10000000",
                    "lines.Features? = 4294967297", "chunks.Features? = 1000000000",
                    "device.1.path-length = 1000000000000", "device.2.path-length = 2049",
                    "short-write = 65537", "unplugged = 2", "device.1.unplugged = 2",
                    "device.1.classes = 7 256", "device.65.hwid = X"),
    testing_support::CaseNameFromValue{});

// The largest values taken are served: a path of the longest length is
// listed whole.
TEST(ScenarioRanges, LongestPathIsListed) {
  PrinterProcess printer;
  ASSERT_TRUE(printer.start("device.1.path-length = 2048\n"));
  auto entries = platform::usb::makeSimBus()->listDevices(platform::usb::InterfaceClass::Printing);
  ASSERT_TRUE(entries && entries->size() == 1u);
  ASSERT_TRUE(entries->front().devicePath.has_value());
  EXPECT_EQ(entries->front().devicePath->size(), 2048u);
}

// A reloaded scenario with a refused number is not taken: the old devices stay.
TEST(ScenarioReload, RefusedNumberKeepsTheOldScenario) {
  PrinterProcess printer;
  ASSERT_TRUE(printer.start("device.2.hwid = OLD\n"));
  printer.rewriteScenario("device.2.hwid = NEW\nlines.Status? = 10000000\n");
  EXPECT_EQ(listedIds(), (std::vector<std::string>{kDefaultId, "OLD"}));
  printer.rewriteScenario("device.2.hwid = NEW\n");
  EXPECT_EQ(listedIds(), (std::vector<std::string>{kDefaultId, "NEW"})) << "a good one is taken";
  EXPECT_EQ(printer.stop(), 0);
}

enum class Special { Fifo, Folder };

std::string specialName(const testing::TestParamInfo<Special>& info) {
  return info.param == Special::Fifo ? "Fifo" : "Folder";
}

void makeSpecial(Special kind, const std::filesystem::path& path) {
  if (kind == Special::Fifo) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
  } else {
    std::filesystem::create_directory(path);
  }
}

// A FIFO would block the open until a writer came, a folder cannot be
// read: both are refused at once, at start and on reload.
class SpecialScenario : public testing::TestWithParam<Special> {
 protected:
  TempRoot root_;
};

TEST_P(SpecialScenario, IsRefusedAtStartWithoutBlocking) {
  auto scenario = root_.path() / "scenario.special";
  makeSpecial(GetParam(), scenario);
  auto errors = root_.path() / "stderr.txt";
  int pid = testing_support::spawnToFiles(
      {QZ_PRINTER, "--root", root_.path().string(), "--scenario", scenario.string()},
      root_.path() / "stdout.txt", errors);
  auto code = waitWithin(pid, kGenerous);
  ASSERT_TRUE(code.has_value()) << "the printer hung on the scenario";
  EXPECT_GT(*code, 0);
  EXPECT_NE(testing_support::readFile(errors).find("is not a regular file"), std::string::npos)
      << testing_support::readFile(errors);
  EXPECT_FALSE(std::filesystem::exists(platform::usb::sim::busSocketPath(root_.path())));
}

TEST_P(SpecialScenario, IsRefusedOnReloadKeepingTheOldScenario) {
  PrinterProcess printer;
  ASSERT_TRUE(printer.start("device.2.hwid = OLD\n"));
  auto next = printer.root() / "scenario.special";
  makeSpecial(GetParam(), next);
  // A folder cannot be renamed over a file: the file goes first.
  if (GetParam() == Special::Folder) std::filesystem::remove(printer.scenarioFile());
  std::filesystem::rename(next, printer.scenarioFile());
  EXPECT_EQ(listedIds(), (std::vector<std::string>{kDefaultId, "OLD"}));
  EXPECT_EQ(listedIds(), (std::vector<std::string>{kDefaultId, "OLD"})) << "and keeps serving";
  EXPECT_EQ(printer.stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpecialScenario, testing::Values(Special::Fifo, Special::Folder),
                         specialName);

// SIGTERM at any moment of start-up ends the printer: before it holds the
// signals it dies of the signal, afterwards it ends its start and then the
// loop that serves, removing its socket. The scenario is large enough and
// names a TCP listener, so that start-up takes a while.
TEST(PrinterStart, SigtermDuringStartEndsThePrinter) {
  std::string scenario = "tcp = 127.0.0.1:0\n";
  for (int i = 0; i < 5000; ++i) scenario += "value.Name" + std::to_string(i) + " = x\n";
  for (auto delay : {0us, 200us, 1000us, 3000us, 10000us, 30000us, 60000us}) {
    TempRoot root;
    auto file = root.path() / "scenario.txt";
    testing_support::writeFile(file, scenario);
    int pid = testing_support::spawnToFiles(
        {QZ_PRINTER, "--root", root.path().string(), "--scenario", file.string()},
        root.path() / "stdout.txt", root.path() / "stderr.txt");
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGTERM);
    auto code = waitWithin(pid, kGenerous);
    ASSERT_TRUE(code.has_value()) << "still running " << kGenerous.count() << " s after SIGTERM";
    EXPECT_TRUE(*code == 0 || *code == -1) << "exit code " << *code << " after " << delay.count()
                                           << " us";
    EXPECT_FALSE(std::filesystem::exists(platform::usb::sim::busSocketPath(root.path())));
    EXPECT_FALSE(std::filesystem::exists(platform::usb::sim::busFolder(root.path()) / "tcp.port"));
  }
}

}  // namespace
