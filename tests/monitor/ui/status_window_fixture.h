// A status window on the headless host in a test's own root: the driver's
// side is played by writing the exchange file, time moves only by tick(),
// and the window's state and output lines are read back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "base/fake_clock.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/ui/monitor_dlg.h"
#include "monitor/ui/monitor_resources.h"
#include "profile/profile.h"
#include "../fake_usb_bus.h"
#include "tests/support/case_names.h"
#include "tests/support/temp_root.h"
#include "text/codepage.h"
#include "ui/headless_host.h"

namespace monitor {

class StatusWindow : public ::testing::Test {
 protected:
  StatusWindow() : usb(bus), printer(usb) {}

  // Opens the window, in alert mode or not, for a port; its initialisation
  // runs at once.
  void open(bool alert = false, std::int16_t port = 1) {
    window = std::make_unique<CMonitorDlg>(printer, alert, port, dateClock, host);
    ASSERT_TRUE(window->create());
    host.flush();
  }
  void close() { window.reset(); }

  // The driver's side.
  void set(const char* section, const char* key, const std::string& value) {
    platform::profile::writeString(root.exchangeFile(), section, key, value);
  }
  void status(int code, int printing) {
    set("DRVMSG", "msgCode", std::to_string(code));
    set("DRVSPA", "Printing", std::to_string(printing));
  }
  std::string key(const char* section, const char* name) const {
    return platform::profile::getString(root.exchangeFile(), section, name, "<none>", 64);
  }
  // A resource text file line per "key=value" (UTF-8 here, stored in 936).
  void resources(const std::string& utf8) {
    testing_support::writeFile(root.resourceFile(), platform::text::utf8ToAnsi(utf8));
  }

  // The user's and the timer's side.
  void tick(int times = 1) { ASSERT_TRUE(host.dispatch("tick " + std::to_string(times))); }
  bool input(const std::string& line) { return host.dispatch(line); }

  // What the window shows.
  const platform::ui::HeadlessState& state() const { return *host.state(); }
  bool shown() const { return host.state() && state().visible; }
  std::string text(int id) const { return state().control(id)->text; }
  bool visible(int id) const { return state().control(id)->visible; }
  std::string picture() const { return state().control(kIdPicture)->picture; }
  // The buttons 1424, 1425, 1426, 1427 that show, as "1424 1426".
  std::string buttons() const {
    std::string shownIds;
    for (int id : {kIdFirstContinue, kIdSecondContinue, kIdCancel, kIdClose})
      if (visible(id)) shownIds += (shownIds.empty() ? "" : " ") + std::to_string(id);
    return shownIds;
  }
  // The output lines written since the last call.
  std::string lines() {
    auto text = out.str();
    out.str("");
    return text;
  }

  testing_support::TempRoot root;
  testing_support::FakeUsbBus bus;
  COrvoUsb usb;
  CPPL_W3 printer;
  platform::base::FakeClock timerClock;
  platform::base::FakeClock dateClock{std::chrono::sys_days{std::chrono::year{2026} / 3 / 14} + std::chrono::hours(12)};
  std::ostringstream out;
  platform::ui::HeadlessHost host{{-1, &out, nullptr, &timerClock}};
  std::unique_ptr<CMonitorDlg> window;
};

}  // namespace monitor
