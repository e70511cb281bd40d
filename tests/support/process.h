// Running the built programs from tests: one run to completion with its
// output, a background process that the test talks to and ends by its pid,
// or a bare spawn with output to files for tests that fork many writers.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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

// Starts `argv` with the current environment plus `env`, stdin from
// /dev/null and stdout and stderr into the two files; returns the pid. Throws when it cannot start.
int spawnToFiles(const std::vector<std::string>& argv, const std::filesystem::path& outFile,
                 const std::filesystem::path& errFile,
                 const std::map<std::string, std::string>& env = {});

// Waits for a process started here; its exit code, -1 for a signal.
int waitExit(int pid);

// A process running in the background with its stdin and stdout on pipes,
// stderr to `errFile` when given (else the test's own). The destructor ends
// it with SIGTERM and reaps it.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& argv,
                    const std::map<std::string, std::string>& env = {},
                    const std::optional<std::filesystem::path>& errFile = std::nullopt);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // Reads standard output up to the next line end; nullopt at its end.
  std::optional<std::string> readLine();
  // Writes `text` to its standard input; false when the pipe is closed.
  bool writeInput(std::string_view text);
  // Closes its standard input (end of file for the process).
  void closeInput();
  int pid() const { return pid_; }
  // Sends SIGTERM and waits; returns the exit code (-1 for a signal).
  int terminate();
  // Waits for the process to end on its own; returns the exit code.
  int wait();

 private:
  int pid_ = -1;
  int inFd_ = -1;
  int outFd_ = -1;
  std::string pending_;
};

}  // namespace testing_support
