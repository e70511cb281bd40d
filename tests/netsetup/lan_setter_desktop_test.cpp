// The built lan_setter without arguments on an X server of the test's own,
// with no host chosen: the display brings the desktop host. The test plays
// the user with the keyboard against the simulated printer on the simulated
// USB bus: a find, its box, and Esc.
#include <gtest/gtest.h>

#include "tests/support/printer_process.h"
#include "tests/support/process.h"
#include "tests/support/x_display.h"

namespace {

using testing_support::waitFor;

constexpr const char* kCaption = "^QZ3317VT网络打印机参数设置$";

TEST(LanSetterDesktop, FindShowsItsBoxOnTheDisplayAndEscEndsTheDialog) {
  testing_support::PrinterProcess printer;
  ASSERT_TRUE(printer.start());
  testing_support::XDisplay display(printer.root() / "xvfb.err");
  ASSERT_TRUE(display.started()) << "Xvfb did not start (is the xvfb package installed?)";
  testing_support::BackgroundProcess setup(
      {QZ_LAN_SETTER},
      {{"QZ3317VT_ROOT", printer.root().string()}, {"QZ3317VT_USB", "sim"},
       {"QZ3317VT_UI", ""}, {"DISPLAY", display.name()},
       {"XDG_RUNTIME_DIR", printer.root().string()},
       {"LSAN_OPTIONS", "suppressions=" QZ_TOOLKIT_LEAKS}},
      printer.root() / "lan_setter.err");
  ASSERT_TRUE(waitFor([&] { return !display.window(kCaption, true).empty(); }))
      << "no setup dialog appeared";

  // The focus starts on the first tab stop, 关闭; Tab moves it to 查找设备.
  ASSERT_TRUE(display.press(display.window(kCaption, true), {"Tab", "space"}));
  ASSERT_TRUE(waitFor([&] { return !display.window("^WARNING$", true).empty(); }))
      << "no box after the find";
  EXPECT_EQ(printer.requestLog(), (std::vector<std::string>{"CheckIP;", "CheckMAC;"}));
  ASSERT_TRUE(display.press(display.window("^WARNING$", true), {"Return"}));
  EXPECT_TRUE(waitFor([&] { return display.window("^WARNING$", true).empty(); }));

  ASSERT_TRUE(display.press(display.window(kCaption, true), {"Escape"}));
  EXPECT_TRUE(waitFor([&] { return display.window(kCaption, true).empty(); }));
  EXPECT_EQ(setup.wait(), 0);
}

}  // namespace
