// Test fixture support: a qz3317vt-printer process serving a temporary root
// of its own, with a scenario file that the test may rewrite while it runs.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace usbtest {

class PrinterProcess {
 public:
  // Makes a temporary root and points QZ3317VT_ROOT at it; no printer yet.
  PrinterProcess();
  // Stops the printer (SIGTERM to its pid) and removes the root.
  ~PrinterProcess();
  PrinterProcess(const PrinterProcess&) = delete;
  PrinterProcess& operator=(const PrinterProcess&) = delete;

  // Writes the scenario and starts the printer; returns once it has printed
  // "ready". Fails the test (and returns false) when it cannot start.
  bool start(const std::string& scenario = "");
  // Writes the scenario and runs a printer that is expected to refuse it:
  // returns its exit status once it has ended, with what it wrote on stderr
  // in `diagnostics`. Fails the test when it gets ready instead.
  int startRefused(const std::string& scenario, std::string& diagnostics);
  // Replaces the scenario file atomically; the printer picks it up before
  // the next request.
  void rewriteScenario(const std::string& scenario);
  // Sends SIGTERM and waits for the exit; returns the exit status.
  int stop();

  // The lines of the request log so far.
  std::vector<std::string> requestLog() const;
  // The TCP port from the printer's port file; nothing without the file.
  std::optional<std::uint16_t> tcpPort() const;

  const std::filesystem::path& root() const { return root_; }

 private:
  // Starts the printer on the scenario file, stderr to `stderrFile` when
  // given; returns its first line on stdout, empty when it ended first.
  std::string spawn(const std::string& scenario, const std::filesystem::path* stderrFile);

  std::filesystem::path root_;
  pid_t pid_ = -1;
};

}  // namespace usbtest
