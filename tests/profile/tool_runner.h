// Runs the built qz3317vt-ini and collects what it printed and its exit code.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/profile/temp_folder.h"

extern char** environ;

namespace profile_test {

inline std::filesystem::path iniTool() { return QZ_INI_TOOL; }

// Starts the tool with `args`, its output going to files `outFile`
// and `errFile`; returns its pid, or -1.
inline pid_t startTool(const std::vector<std::string>& args, const std::filesystem::path& outFile,
                       const std::filesystem::path& errFile) {
  std::string tool = iniTool().string();
  std::vector<char*> argv;
  argv.push_back(tool.data());
  std::vector<std::string> copies(args);
  for (auto& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  int failed = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? pid : -1;
}

// The exit code of a process started here; -1 when it did not exit normally.
inline int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the tool to its end, with its output files in `folder`.
inline ToolRun runTool(const TempFolder& folder, const std::vector<std::string>& args) {
  auto outFile = folder / "tool.out";
  auto errFile = folder / "tool.err";
  ToolRun run;
  pid_t pid = startTool(args, outFile, errFile);
  EXPECT_GT(pid, 0) << "cannot start " << iniTool();
  if (pid <= 0) return run;
  run.exitCode = waitFor(pid);
  run.out = readBytes(outFile);
  run.err = readBytes(errFile);
  return run;
}

}  // namespace profile_test
