// Starting and stopping the simulated printer for a test.
#include "tests/usb/printer_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

#include "platform/usb_sim_protocol.h"

extern char** environ;

namespace usbtest {

namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Reads from `fd` up to the first newline; empty at end of file.
std::string readLine(int fd) {
  std::string line;
  char c = 0;
  while (::read(fd, &c, 1) == 1) {
    if (c == '\n') return line;
    line += c;
  }
  return line;
}

}  // namespace

PrinterProcess::PrinterProcess() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qz-usb-XXXXXX").string();
  root_ = ::mkdtemp(pattern.data());
  ::setenv("QZ3317VT_ROOT", root_.c_str(), 1);
}

PrinterProcess::~PrinterProcess() {
  stop();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string PrinterProcess::spawn(const std::string& scenario,
                                  const std::filesystem::path* stderrFile) {
  auto scenarioFile = root_ / "scenario.txt";
  writeFile(scenarioFile, scenario);
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2 failed";
    return {};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (stderrFile != nullptr) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile->c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  std::string program = QZ_PRINTER_PATH;
  std::vector<std::string> args{program, "--root", root_.string(), "--scenario",
                                scenarioFile.string()};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int rc = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    pid_ = -1;
    ADD_FAILURE() << "cannot start " << program;
    return {};
  }
  std::string line = readLine(out[0]);
  ::close(out[0]);
  return line;
}

bool PrinterProcess::start(const std::string& scenario) {
  std::string line = spawn(scenario, nullptr);
  if (line != "ready") {
    ADD_FAILURE() << "the printer did not get ready, said: " << line;
    stop();
    return false;
  }
  return true;
}

int PrinterProcess::startRefused(const std::string& scenario, std::string& diagnostics) {
  auto errors = root_ / "stderr.txt";
  std::string line = spawn(scenario, &errors);
  // Without "ready" the printer has ended (its stdout closed), so the wait
  // below returns at once.
  if (line == "ready") ADD_FAILURE() << "the printer accepted the scenario: " << scenario;
  int status = stop();
  std::ifstream in(errors);
  diagnostics.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return status;
}

void PrinterProcess::rewriteScenario(const std::string& scenario) {
  auto next = root_ / "scenario.next";
  writeFile(next, scenario);
  std::filesystem::rename(next, root_ / "scenario.txt");
}

int PrinterProcess::stop() {
  if (pid_ < 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return status;
}

std::vector<std::string> PrinterProcess::requestLog() const {
  std::ifstream in(platform::usb::sim::requestLogPath(root_));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::optional<std::uint16_t> PrinterProcess::tcpPort() const {
  std::ifstream in(platform::usb::sim::busFolder(root_) / "tcp.port");
  unsigned port = 0;
  if (!(in >> port) || port == 0 || port > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

}  // namespace usbtest
