// The test's X server and its clients.
#include "tests/support/x_display.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

namespace testing_support {

std::string toolPath(const std::string& name) {
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= path.size();) {
    auto end = path.find(':', start);
    auto file = std::filesystem::path(path.substr(start, end - start)) / name;
    if (::access(file.c_str(), X_OK) == 0) return file.string();
    if (end == std::string::npos) break;
    start = end + 1;
  }
  ADD_FAILURE() << name << " is not installed (make deps installs it)";
  return "/nonexistent/" + name;
}

XDisplay::XDisplay(const std::filesystem::path& log) {
  // -displayfd: the server picks a free display number and writes it.
  server_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{toolPath("Xvfb"), "-displayfd", "1", "-nolisten", "tcp", "-screen",
                               "0", "1280x800x24"},
      std::map<std::string, std::string>{}, log);
  auto number = server_->readLine();
  if (number && !number->empty()) name_ = ":" + *number;
}

std::string XDisplay::x(std::vector<std::string> argv) const {
  argv[0] = toolPath(argv[0]);
  return runProgram(argv, {{"DISPLAY", name_}}).out;
}

std::string XDisplay::window(const std::string& pattern, bool shownOnly) const {
  std::vector<std::string> search{"xdotool", "search"};
  if (shownOnly) search.push_back("--onlyvisible");
  search.insert(search.end(), {"--name", pattern});
  auto ids = x(search);
  return ids.substr(0, ids.find('\n'));
}

bool XDisplay::press(const std::string& id, const std::vector<std::string>& keys) const {
  if (id.empty()) return false;
  bool focused = waitFor([&] {
    x({"xdotool", "windowfocus", id});
    return x({"xdotool", "getwindowfocus"}).starts_with(id);
  });
  if (!focused) return false;
  for (const auto& key : keys) x({"xdotool", "key", key});
  return true;
}

}  // namespace testing_support
