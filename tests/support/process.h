// Running the built programs from tests: one run to completion with its
// output, or a background process that the test ends by its pid.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
  int exitCode = -1;     // -1 when the process died of a signal
  std::string out;
  std::string err;
};

// Runs `argv` with the current environment plus `env`, and waits for it.
RunResult runProgram(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env = {});

// A process running in the background; the destructor ends it with
// SIGTERM and reaps it.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& argv,
                    const std::map<std::string, std::string>& env = {});
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // Reads standard output up to the next line end; nullopt at its end.
  std::optional<std::string> readLine();
  int pid() const { return pid_; }
  // Sends SIGTERM and waits; returns the exit code (-1 for a signal).
  int terminate();

 private:
  int pid_ = -1;
  int outFd_ = -1;
  std::string pending_;
};

}  // namespace testing_support
