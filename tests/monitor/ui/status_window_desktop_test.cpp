// Whole runs of the built QZ3317VT_PSM in "STM" mode on the desktop host,
// on an X server of the test's own, with and without a notification area
// (the trayer panel). The test plays the user with xdotool and reads the
// windows with xwininfo and xprop.
#include <gtest/gtest.h>


#include <chrono>
#include <filesystem>
#include <memory>
#include <regex>

#include "profile/profile.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/x_display.h"

namespace {

using testing_support::BackgroundProcess;
using testing_support::runProgram;
using testing_support::toolPath;
using testing_support::waitFor;

constexpr const char* kCaption = "QZ3317VT打印机状态监视";

class DesktopStatusWindowRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.started()) << "Xvfb did not start (is the xvfb package installed?)";
    set("DRVSPA", "zPort", "USB001");
    set("DRVSPA", "Printing", "0");
    set("DRVMSG", "msgCode", "10001");
  }

  void startTrayHost() {
    tray_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{toolPath("trayer"), "--edge", "bottom", "--align", "right", "--widthtype",
                                 "pixel", "--width", "100", "--heighttype", "pixel", "--height", "32"},
        std::map<std::string, std::string>{{"DISPLAY", display_.name()}}, root.path() / "trayer.err");
    ASSERT_TRUE(waitFor([&] { return !x({"xdotool", "search", "--name", "^panel$"}).empty(); }))
        << "the tray host did not come up";
  }

  void startMonitor() {
    monitor_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{QZ_MONITOR, "STM"},
        std::map<std::string, std::string>{{"QZ3317VT_ROOT", root.path().string()},
                                           {"QZ3317VT_USB", "sim"},
                                           {"QZ3317VT_UI", "desktop"},
                                           {"DISPLAY", display_.name()},
                                           {"XDG_RUNTIME_DIR", root.path().string()},
                                           {"LSAN_OPTIONS", "suppressions=" QZ_TOOLKIT_LEAKS}},
        root.path() / "monitor.err");
    ASSERT_TRUE(waitFor([&] { return !window().empty(); })) << "no status window appeared";
  }

  std::string x(std::vector<std::string> argv) const { return display_.x(std::move(argv)); }
  std::string window() const { return display_.window(kCaption); }
  // Both ask about a window by its id only: without one, xwininfo and xprop
  // would wait for the user to click a window.
  bool mapped() const {
    auto id = window();
    return !id.empty() &&
           x({"xwininfo", "-id", id}).find("Map State: IsViewable") != std::string::npos;
  }
  std::string netState() const {
    auto id = window();
    return id.empty() ? "" : x({"xprop", "-id", id, "_NET_WM_STATE"});
  }
  // Centre of the monitor's icon inside the tray host's panel, in screen
  // pixels; empty when the panel holds none.
  std::optional<std::pair<int, int>> trayIcon() const {
    static const std::regex line(R"re("QZ3317VT": \("QZ3317VT" "QZ3317VT"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(\d+)\+(\d+))re");
    auto panel = x({"xdotool", "search", "--name", "^panel$"});
    if (panel.empty()) return std::nullopt;
    auto tree = x({"xwininfo", "-tree", "-id", panel.substr(0, panel.find('\n'))});
    std::smatch m;
    if (!std::regex_search(tree, m, line)) return std::nullopt;
    return std::pair{std::stoi(m[3]) + std::stoi(m[1]) / 2, std::stoi(m[4]) + std::stoi(m[2]) / 2};
  }
  void pressEsc() {
    EXPECT_TRUE(display_.press(window(), {"Escape"})) << "the window does not take the focus";
  }
  // The monitor's exit code once it ended by itself, -2 if it did not.
  int ended() {
    bool gone = waitFor([&] { return x({"xdotool", "search", "--name", kCaption}).empty(); });
    return gone ? monitor_->wait() : -2;
  }

  void set(const char* section, const char* key, const std::string& value) {
    platform::profile::writeString(root.exchangeFile(), section, key, value);
  }
  std::string key(const char* section, const char* name) const {
    return platform::profile::getString(root.exchangeFile(), section, name, "<none>", 64);
  }

  testing_support::TempRoot root;

 private:
  testing_support::XDisplay display_{root.path() / "xvfb.err"};
  std::unique_ptr<BackgroundProcess> tray_;
  std::unique_ptr<BackgroundProcess> monitor_;
};

TEST_F(DesktopStatusWindowRun, TrayIconDoubleClickBringsTheHiddenWindowBackAndEscEndsTheMonitor) {
  startTrayHost();
  startMonitor();
  std::optional<std::pair<int, int>> icon;
  ASSERT_TRUE(waitFor([&] { return (icon = trayIcon()).has_value(); }))
      << "the monitor's icon is not in the notification area";
  EXPECT_TRUE(waitFor([&] { return !mapped(); })) << "a ready status hides the window at the first tick";

  x({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second)});
  x({"xdotool", "click", "--repeat", "2", "--delay", "80", "1"});
  ASSERT_TRUE(waitFor([&] { return mapped(); })) << "the double click shows the window";
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "1");

  pressEsc();
  EXPECT_EQ(ended(), 0);
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgRun"), "0");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
}

TEST_F(DesktopStatusWindowRun, WithoutANotificationAreaTheHiddenWindowGoesToTheTaskBarInstead) {
  startMonitor();
  // The window asks to be minimised (the state a window manager iconifies)
  // and stays mapped, where with an icon it would be unmapped.
  EXPECT_TRUE(waitFor([&] { return netState().find("_NET_WM_STATE_HIDDEN") != std::string::npos; }))
      << netState();
  EXPECT_TRUE(mapped());

  pressEsc();
  EXPECT_EQ(ended(), 0);
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
}

}  // namespace
