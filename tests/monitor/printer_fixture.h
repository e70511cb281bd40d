// A temporary root with the simulated printer serving it, for tests that
// run the monitor against a printer.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "process.h"
#include "temp_root.h"

namespace testing_support {

class SimulatedPrinter : public ::testing::Test {
 protected:
  // Starts the printer with `scenario` as its scenario file.
  void startPrinter(const std::string& scenario = "") {
    writeFile(scenarioFile(), scenario);
    printer_ = std::make_unique<BackgroundProcess>(std::vector<std::string>{
        QZ_PRINTER, "--root", root.path().string(), "--scenario", scenarioFile().string()});
    ASSERT_EQ(printer_->readLine(), "ready");
  }

  RunResult runMonitor(const std::string& keyword) {
    return runProgram({QZ_MONITOR, keyword},
                      {{"QZ3317VT_ROOT", root.path().string()}, {"QZ3317VT_USB", "sim"}});
  }

  void writeExchange(const std::string& content) { writeFile(root.exchangeFile(), content); }
  std::string exchange() const { return readFile(root.exchangeFile()); }
  std::string requests() const { return readFile(root.path() / ".usb-sim/requests.log"); }
  std::filesystem::path scenarioFile() const { return root.path() / "scenario.txt"; }

  TempRoot root;

 private:
  std::unique_ptr<BackgroundProcess> printer_;
};

// "word\n" repeated: what the request log holds for one transaction.
inline std::string sent(const std::string& word, int times = 3) {
  std::string log;
  for (int i = 0; i < times; ++i) log += word + "\n";
  return log;
}

}  // namespace testing_support
