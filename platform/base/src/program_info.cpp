// The answers to "--help" and "--version".
#include "base/program_info.h"

#include <cstdio>

namespace platform::base {

std::string_view projectVersion() { return QZ_PROJECT_VERSION; }

bool answerInfoRequest(int argc, const char* const* argv, std::string_view name,
                       std::string_view usage) {
  if (argc != 2) return false;
  std::string_view word = argv[1];
  if (word == "--help") {
    std::fwrite(usage.data(), 1, usage.size(), stdout);
  } else if (word == "--version") {
    auto version = projectVersion();
    std::printf("%.*s %.*s\n", static_cast<int>(name.size()), name.data(),
                static_cast<int>(version.size()), version.data());
  } else {
    return false;
  }
  std::fflush(stdout);
  return true;
}

}  // namespace platform::base
