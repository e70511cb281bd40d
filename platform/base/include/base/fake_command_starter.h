// A command starter for tests: records each command line, starts nothing.
#pragma once

#include <string>
#include <vector>

#include "base/command_start.h"

namespace platform::base {

class RecordingCommandStarter final : public CommandStarter {
 public:
  int start(std::string_view commandLine) override {
    started.emplace_back(commandLine);
    return result;
  }
  std::vector<std::string> started;
  int result = kStarted;
};

}  // namespace platform::base
