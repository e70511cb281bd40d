// posix_spawn with pipes for the test helpers.
#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace testing_support {

namespace {

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : extra) merged[key] = value;
  std::vector<std::string> flat;
  for (const auto& [key, value] : merged) flat.push_back(key + "=" + value);
  return flat;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (auto& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// Where one standard descriptor of a child comes from.
struct Stream {
  int fd = -1;                          // dup2 this descriptor, or
  const char* file = nullptr;           // open this file
  int flags = O_WRONLY | O_CREAT | O_TRUNC;
};

void addStream(posix_spawn_file_actions_t& actions, int target, const Stream& stream) {
  if (stream.file != nullptr) {
    posix_spawn_file_actions_addopen(&actions, target, stream.file, stream.flags, 0644);
  } else if (stream.fd >= 0 && stream.fd != target) {
    posix_spawn_file_actions_adddup2(&actions, stream.fd, target);
  }
}

// Spawns with the three standard descriptors as given.
int spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          const Stream& in, const Stream& out, const Stream& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  addStream(actions, 0, in);
  addStream(actions, 1, out);
  addStream(actions, 2, err);
  auto args = argv;
  auto envTexts = environmentWith(env);
  auto argp = pointers(args);
  auto envp = pointers(envTexts);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
  return pid;
}

const Stream kNoInput{-1, "/dev/null", O_RDONLY};

}  // namespace

int waitExit(int pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int spawnToFiles(const std::vector<std::string>& argv, const std::filesystem::path& outFile,
                 const std::filesystem::path& errFile,
                 const std::map<std::string, std::string>& env) {
  return spawn(argv, env, kNoInput, Stream{-1, outFile.c_str()}, Stream{-1, errFile.c_str()});
}

RunResult runProgram(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  int pid = spawn(argv, env, kNoInput, Stream{out[1]}, Stream{err[1]});
  ::close(out[1]);
  ::close(err[1]);
  RunResult result;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      auto n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  result.exitCode = waitExit(pid);
  return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& env,
                                     const std::optional<std::filesystem::path>& errFile) {
  // A write to a process that has ended must fail, not kill the test.
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  Stream err{2};
  if (errFile) err = Stream{-1, errFile->c_str()};
  pid_ = spawn(argv, env, Stream{in[0]}, Stream{out[1]}, err);
  ::close(in[0]);
  ::close(out[1]);
  inFd_ = in[1];
  outFd_ = out[0];
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) terminate();
  closeInput();
  if (outFd_ >= 0) ::close(outFd_);
}

bool BackgroundProcess::writeInput(std::string_view text) {
  while (!text.empty()) {
    if (inFd_ < 0) return false;
    auto n = ::write(inFd_, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void BackgroundProcess::closeInput() {
  if (inFd_ >= 0) ::close(inFd_);
  inFd_ = -1;
}

int BackgroundProcess::wait() {
  if (pid_ <= 0) return -1;
  int code = waitExit(pid_);
  pid_ = -1;
  return code;
}

std::optional<std::string> BackgroundProcess::readLine() {
  for (;;) {
    auto nl = pending_.find('\n');
    if (nl != std::string::npos) {
      auto line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return line;
    }
    char buffer[256];
    auto n = ::read(outFd_, buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
}

int BackgroundProcess::terminate() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int code = waitExit(pid_);
  pid_ = -1;
  return code;
}

}  // namespace testing_support
