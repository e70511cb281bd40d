// The built monitor's one line on standard error for each failure that its
// modes pass over in silence; the exit status stays 0 and what it writes
// stays what it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/printer_fixture.h"

namespace {

constexpr const char* kUsbPort = "[DRVSPA]\r\nzPort=USB001\r\n";
const std::string kNoPrinter =
    "QZ3317VT_PSM: no printer found: no USB printing interface of a QZ3317VT (vendor 7A3C, "
    "product 5B21)\n";

class MonitorDiagnostics : public testing_support::SimulatedPrinter {};

TEST_F(MonitorDiagnostics, AWorkingRunSaysNothing) {
  startPrinter();
  writeExchange(kUsbPort);
  for (const char* keyword : {"INI", "DRV", "JBG", ""}) {
    auto run = runMonitor(keyword);
    EXPECT_EQ(run.exitCode, 0) << keyword;
    EXPECT_EQ(run.err, "") << keyword;
  }
}

TEST_F(MonitorDiagnostics, NoPrinterIsOneLine) {
  writeExchange(kUsbPort);
  auto run = runMonitor("INI");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, kNoPrinter);
  EXPECT_EQ(exchange(), kUsbPort) << "nothing was asked, nothing written";
}

TEST_F(MonitorDiagnostics, ASilentPrinterIsOneLineWithTheReadLimit) {
  startPrinter("fault.Version? = noreply\n");
  writeExchange(kUsbPort);
  auto run = runMonitor("INI");
  EXPECT_EQ(run.exitCode, 0);
  // The simulated bus cuts the wait to a second; the line names the limit
  // the monitor asked for.
  EXPECT_EQ(run.err, "QZ3317VT_PSM: no reply from the printer within 10000 ms\n");
}

TEST_F(MonitorDiagnostics, AnUnknownKeywordIsOneLineAndStillRunsTheStatusMode) {
  startPrinter();
  writeExchange(kUsbPort);
  auto run = runMonitor("xyz");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "QZ3317VT_PSM: mode keyword \"XYZ\" not recognised (INI, DRV, CMD, JBG, STM or ALE); "
            "running the status window as for STM\n");
  // "ALERT" is "ALE": only three characters count, and that is no mistake.
  EXPECT_EQ(runMonitor("ALERT").err, "");
}

TEST_F(MonitorDiagnostics, MissingFoldersAreOneLineEach) {
  std::filesystem::remove_all(root.recordFolder());
  std::filesystem::remove_all(root.path() / "Windows");
  auto run = runMonitor("JBG");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "QZ3317VT_PSM: record folder missing: " + root.recordFolder().string() +
                         " (the exchange file cannot be read or written)\n"
                         "QZ3317VT_PSM: Windows folder missing: " +
                         (root.path() / "Windows").string() + " (win.ini cannot be written)\n");
  EXPECT_FALSE(std::filesystem::exists(root.path() / "Windows")) << "still never created";
}

}  // namespace
