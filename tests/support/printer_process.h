// The simulated printer for a test: a qz3317vt-printer process serving a
// temporary root of its own (with the driver's folders), on a scenario file
// that the test may rewrite while it runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace testing_support {

class PrinterProcess {
 public:
  // Makes the root and points QZ3317VT_ROOT at it; no printer yet.
  PrinterProcess() = default;
  // Stops the printer (SIGTERM to its pid); the root goes with the object.
  ~PrinterProcess() { stop(); }
  PrinterProcess(const PrinterProcess&) = delete;
  PrinterProcess& operator=(const PrinterProcess&) = delete;

  // Writes the scenario and starts the printer; returns once it has printed
  // "ready". Fails the test (and returns false) when it cannot start.
  bool start(const std::string& scenario = "");
  // Writes the scenario and runs a printer that is expected to refuse it:
  // returns its exit code once it has ended, with what it wrote on stderr
  // in `diagnostics`. Fails the test when it gets ready instead.
  int startRefused(const std::string& scenario, std::string& diagnostics);
  // Replaces the scenario file atomically; the printer picks it up before
  // the next request.
  void rewriteScenario(const std::string& scenario);
  // Sends SIGTERM and waits for the exit; returns the exit code.
  int stop();

  // The lines of the request log so far.
  std::vector<std::string> requestLog() const;
  // The request log as it is on disk.
  std::string requestLogText() const;
  // The TCP port from the printer's port file; nothing without the file.
  std::optional<std::uint16_t> tcpPort() const;

  const TempRoot& tempRoot() const { return root_; }
  const std::filesystem::path& root() const { return root_.path(); }
  std::filesystem::path scenarioFile() const { return root() / "scenario.txt"; }

 private:
  // Starts the printer, stderr to `errFile` when given; returns its first
  // line on stdout, empty when it ended first.
  std::string spawn(const std::string& scenario, const std::optional<std::filesystem::path>& errFile);

  TempRoot root_;
  std::unique_ptr<BackgroundProcess> process_;
};

}  // namespace testing_support
