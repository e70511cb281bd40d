// An X server of a test's own (Xvfb on a display number it picks) and the
// X clients a test plays the user with: xdotool for windows, keys and the
// mouse, xwininfo and xprop to read windows. A machine without these
// programs fails the test that needs them: they are part of the project's
// packages.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"

namespace testing_support {

// The program's file on PATH; a missing one fails the current test.
std::string toolPath(const std::string& name);

// Polls `done` until it holds or `limit` has passed; a desktop runs on the
// real clock, so a test waits for what it watches, never a fixed time.
template <typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

class XDisplay {
 public:
  // Starts the server; its standard error goes to `log`.
  explicit XDisplay(const std::filesystem::path& log);
  bool started() const { return !name_.empty(); }
  // ":N", for DISPLAY.
  const std::string& name() const { return name_; }

  // Runs an X client (its name is looked up on PATH) on this display; its
  // standard output.
  std::string x(std::vector<std::string> argv) const;
  // The first window whose name matches `pattern` (xdotool's regular
  // expression), or the first shown one with `shownOnly`; empty for none.
  std::string window(const std::string& pattern, bool shownOnly = false) const;
  // Gives window `id` the keyboard focus (no window manager does it here),
  // then presses `keys` (xdotool's key names) one after the other.
  bool press(const std::string& id, const std::vector<std::string>& keys) const;

 private:
  std::unique_ptr<BackgroundProcess> server_;
  std::string name_;
};

}  // namespace testing_support
