// A test fixture with the simulated printer serving the test's root, for
// tests that run the monitor against a printer.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/printer_process.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace testing_support {

class SimulatedPrinter : public ::testing::Test {
 protected:
  // Starts the printer with `scenario` as its scenario file.
  void startPrinter(const std::string& scenario = "") { ASSERT_TRUE(printer.start(scenario)); }

  // Runs the built monitor on the simulated bus of this root. A read on the
  // simulated bus waits at most kShortReadLimit unless the test asks for the
  // real limit, so a silent printer costs a second, not ten. A status window
  // runs on the headless host with driven ticks, so that the end of its
  // input (none) ends it.
  RunResult runMonitor(const std::string& keyword) {
    std::map<std::string, std::string> env{{"QZ3317VT_ROOT", root.path().string()},
                                           {"QZ3317VT_USB", "sim"},
                                           {"QZ3317VT_SIM_READ_LIMIT_MS", readLimitMs_},
                                           {"QZ3317VT_UI", "headless"},
                                           {"QZ3317VT_UI_TICKS", "driven"}};
    return runProgram({QZ_MONITOR, keyword}, env);
  }
  void useRealReadLimit() { readLimitMs_.clear(); }

  void writeExchange(const std::string& content) { writeFile(root.exchangeFile(), content); }
  std::string exchange() const { return readFile(root.exchangeFile()); }
  std::string requests() const { return printer.requestLogText(); }
  std::filesystem::path scenarioFile() const { return printer.scenarioFile(); }

  static constexpr const char* kShortReadLimit = "1000";

  PrinterProcess printer;
  const TempRoot& root = printer.tempRoot();

 private:
  std::string readLimitMs_ = kShortReadLimit;
};

// "word\n" repeated: what the request log holds for one transaction.
inline std::string sent(const std::string& word, int times = 3) {
  std::string log;
  for (int i = 0; i < times; ++i) log += word + "\n";
  return log;
}

}  // namespace testing_support
