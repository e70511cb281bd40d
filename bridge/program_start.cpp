// posix_spawn of the sibling programs.
#include "bridge/program_start.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/system_names.h"

extern char** environ;

namespace bridge {

int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                 std::string& error) {
  std::filesystem::path beside = std::filesystem::path(platform::base::programPath()).parent_path() / program;
  bool local = ::access(beside.c_str(), X_OK) == 0;
  std::string file = local ? beside.string() : program;

  std::vector<std::string> words{file};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  int failed = local ? ::posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ)
                     : ::posix_spawnp(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ);
  if (failed != 0) {
    error = std::strerror(failed);
    return -1;
  }
  return pid;
}

bool hasExited(int pid) {
  if (pid <= 0) return true;
  int status = 0;
  pid_t result = ::waitpid(pid, &status, WNOHANG);
  return result == pid || (result < 0 && errno == ECHILD);
}

}  // namespace bridge
