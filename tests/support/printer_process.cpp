// Starting and stopping the simulated printer for a test.
#include "tests/support/printer_process.h"

#include <gtest/gtest.h>

#include <fstream>

#include "usb/sim_protocol.h"

namespace testing_support {

std::string PrinterProcess::spawn(const std::string& scenario,
                                  const std::optional<std::filesystem::path>& errFile) {
  writeFile(scenarioFile(), scenario);
  try {
    process_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{QZ_PRINTER, "--root", root().string(), "--scenario",
                                 scenarioFile().string()},
        std::map<std::string, std::string>{}, errFile);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what();
    return {};
  }
  return process_->readLine().value_or("");
}

bool PrinterProcess::start(const std::string& scenario) {
  std::string line = spawn(scenario, std::nullopt);
  if (line != "ready") {
    ADD_FAILURE() << "the printer did not get ready, said: " << line;
    stop();
    return false;
  }
  return true;
}

int PrinterProcess::startRefused(const std::string& scenario, std::string& diagnostics) {
  auto errors = root() / "stderr.txt";
  std::string line = spawn(scenario, errors);
  // Without "ready" the printer has ended (its stdout closed), so the wait
  // below returns at once.
  if (line == "ready") ADD_FAILURE() << "the printer accepted the scenario: " << scenario;
  int code = line == "ready" ? stop() : process_->wait();
  process_.reset();
  diagnostics = readFile(errors);
  return code;
}

void PrinterProcess::rewriteScenario(const std::string& scenario) {
  auto next = root() / "scenario.next";
  writeFile(next, scenario);
  std::filesystem::rename(next, scenarioFile());
}

int PrinterProcess::stop() {
  if (!process_) return -1;
  int code = process_->terminate();
  process_.reset();
  return code;
}

std::vector<std::string> PrinterProcess::requestLog() const {
  std::ifstream in(platform::usb::sim::requestLogPath(root()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string PrinterProcess::requestLogText() const {
  return readFile(platform::usb::sim::requestLogPath(root()));
}

std::optional<std::uint16_t> PrinterProcess::tcpPort() const {
  std::ifstream in(platform::usb::sim::busFolder(root()) / "tcp.port");
  unsigned port = 0;
  if (!(in >> port) || port == 0 || port > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

}  // namespace testing_support
