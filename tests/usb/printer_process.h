// Test fixture support: a qz3317vt-printer process serving a temporary root
// of its own, with a scenario file that the test may rewrite while it runs.
#pragma once

#include <sys/types.h>

#include <filesystem>
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
  // Replaces the scenario file atomically; the printer picks it up before
  // the next request.
  void rewriteScenario(const std::string& scenario);
  // Sends SIGTERM and waits for the exit; returns the exit status.
  int stop();

  // The lines of the request log so far.
  std::vector<std::string> requestLog() const;

  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
  pid_t pid_ = -1;
};

}  // namespace usbtest
