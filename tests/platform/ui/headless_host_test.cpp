// The dialog framework on the headless host: what the line protocol writes
// for each change, which input it refuses, menus, timers and painting.
#include <gtest/gtest.h>

#include <sstream>

#include "base/fake_clock.h"
#include "ui/dialog.h"
#include "ui/headless_host.h"

namespace platform::ui {
namespace {

DialogTemplate smallDialog() {
  DialogTemplate d;
  d.id = 7;
  d.caption = "Probe";
  d.units = {100, 40};
  d.minimiseBox = true;
  d.systemMenu = {{16, "About"}};
  d.controls = {
      {10, ControlKind::StaticText, {0, 0, 50, 8}, "a \"quoted\"\ttext", true, true, false, false},
      {11, ControlKind::PushButton, {0, 10, 40, 14}, "&Go", true, true, true, false},
      {12, ControlKind::PushButton, {50, 10, 40, 14}, "Hidden", false, true, true, false},
      {13, ControlKind::OwnerDrawnButton, {0, 24, 20, 16}, "", true, true, false, false},
      {14, ControlKind::DefaultPushButton, {50, 24, 40, 14}, "OK", true, true, true, false},
  };
  return d;
}

// A dialog that records what it hears and paints a 10 x 10 image.
class Probe : public Dialog {
 public:
  using Dialog::Dialog;
  std::vector<std::string> heard;
  Image image{42, 10, 10, std::vector<std::uint32_t>(100)};

 protected:
  void onInitDialog() override { setTimer(5, std::chrono::milliseconds(250)); }
  void onControlCommand(int id) override { heard.push_back("command " + std::to_string(id)); }
  void onTimer(int id) override {
    heard.push_back("timer " + std::to_string(id));
    setItemText(10, "tick");
    invalidate();
  }
  void onClose() override { heard.push_back("close"); }
  void onSystemCommand(int id) override { heard.push_back("system " + std::to_string(id)); }
  void onMinimised() override { showWindow(ShowMode::Hide); }
  void onNotifyIcon(int, IconMouse event) override {
    if (event == IconMouse::RightUp) showPopupMenu({1, "m", {{100, "Open"}, {101, "Exit"}}}, cursorPosition());
    if (event == IconMouse::LeftDoubleClick) heard.push_back("double click");
  }
  void onDrawItem(int, Painter& painter, const Rect& item) override {
    painter.drawImage(image, {item.width - 10, 0, 10, 10});
  }
  std::optional<Rgb> onControlColour(int id) override {
    return id == 10 ? std::optional<Rgb>(Rgb{1, 2, 3}) : std::nullopt;
  }
};

class Headless : public ::testing::Test {
 protected:
  void open() {
    ASSERT_TRUE(probe.create());
    host.flush();
  }
  std::string lines() {
    auto text = out.str();
    out.str("");
    return text;
  }

  base::FakeClock clock;
  std::ostringstream out;
  HeadlessHost host{{-1, &out, nullptr, &clock}};
  DialogTemplate dialog = smallDialog();
  Probe probe{dialog, host};
};

TEST_F(Headless, CreationWritesTheDialogThenItsFirstShowingAndPainting) {
  open();
  EXPECT_EQ(lines(),
            "dialog 7 \"Probe\" 150x65\n"
            "window shown\n"
            "colour 10 1 2 3\n"
            "picture 13 42 20 0 10 10\n");
}

TEST_F(Headless, ChangesAreWrittenOnceAfterEachEventAndTextsAreQuoted) {
  open();
  lines();
  EXPECT_TRUE(host.dispatch("tick"));
  EXPECT_EQ(lines(), "text 10 \"tick\"\n") << "the repaint drew the same picture: no line";
  EXPECT_TRUE(host.dispatch("dump"));
  auto dump = lines();
  EXPECT_NE(dump.find("control 12 hidden\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("text 11 \"&Go\"\n"), std::string::npos) << dump;
  probe.setItemText(10, "a\r\n\"b\"\\\x01");
  host.flush();
  EXPECT_EQ(lines(), "text 10 \"a\\r\\n\\\"b\\\"\\\\\\x01\"\n");
}

struct RefusedCase {
  const char* name;
  const char* line;
};
class RefusedInput : public Headless, public ::testing::WithParamInterface<RefusedCase> {};
TEST_P(RefusedInput, WritesAnErrorAndDeliversNothing) {
  open();
  lines();
  EXPECT_FALSE(host.dispatch(GetParam().line));
  EXPECT_EQ(lines().rfind("error ", 0), 0u);
  EXPECT_TRUE(probe.heard.empty());
}
INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedInput,
    ::testing::Values(RefusedCase{"HiddenButton", "click 12"}, RefusedCase{"StaticText", "click 10"},
                      RefusedCase{"NoSuchControl", "click 99"}, RefusedCase{"NotANumber", "click x"},
                      RefusedCase{"UnknownWord", "jump"}, RefusedCase{"NoMenuToPick", "pick 100"},
                      RefusedCase{"NoIcon", "icon dblclick"}, RefusedCase{"BadKey", "key f1"},
                      RefusedCase{"ZeroTicks", "tick 0"},
                      RefusedCase{"NoSuchSystemItem", "sysmenu 17"},
                      RefusedCase{"NeitherYesNorNo", "answer maybe"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Headless, ClicksKeysAndCloseNeedTheWindowShown) {
  open();
  EXPECT_TRUE(host.dispatch("click 11"));
  EXPECT_TRUE(host.dispatch("key enter")) << "the default button";
  EXPECT_TRUE(host.dispatch("close"));
  EXPECT_EQ(probe.heard, (std::vector<std::string>{"command 11", "command 14", "close"}));
  EXPECT_TRUE(host.dispatch("minimise"));
  EXPECT_FALSE(host.state()->visible);
  EXPECT_FALSE(host.dispatch("click 11"));
  EXPECT_FALSE(host.dispatch("key esc"));
  EXPECT_TRUE(host.dispatch("sync x"));
  EXPECT_NE(lines().find("sync x\n"), std::string::npos);
}

TEST_F(Headless, TicksFireTheTimerOnTheDrivenClockOnly) {
  open();
  auto start = clock.now();
  EXPECT_TRUE(host.dispatch("tick 3"));
  EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(750));
  EXPECT_EQ(probe.heard.size(), 3u);
  probe.killTimer(5);
  EXPECT_FALSE(host.dispatch("tick")) << "no timer runs";

  std::ostringstream realOut;
  base::FakeClock real;
  HeadlessHost realHost{{-1, &realOut, &real, nullptr}};
  Probe other{dialog, realHost};
  ASSERT_TRUE(other.create());
  EXPECT_FALSE(realHost.dispatch("tick")) << "the real clock drives these timers";
}

TEST_F(Headless, MenuOpensAtTheCursorAndAnyOtherInputClosesIt) {
  open();
  NotifyIcon icon{3, nullptr, "tip"};
  ASSERT_TRUE(probe.addNotifyIcon(icon));
  EXPECT_FALSE(probe.addNotifyIcon(icon)) << "one icon per id";
  host.dispatch("icon rclick");
  auto opened = lines();
  EXPECT_NE(opened.find("icon added 3 \"tip\"\n"), std::string::npos) << opened;
  EXPECT_NE(opened.find("menu open 1880 1060 100 \"Open\" 101 \"Exit\"\n"), std::string::npos) << opened;
  EXPECT_TRUE(host.dispatch("tick")) << "timers run while a menu is open";
  EXPECT_TRUE(host.state()->menu.has_value());
  EXPECT_TRUE(host.dispatch("icon dblclick"));
  EXPECT_FALSE(host.state()->menu.has_value());
  EXPECT_EQ(probe.heard.back(), "double click");
  host.dispatch("icon rclick");
  EXPECT_TRUE(host.dispatch("pick 101"));
  EXPECT_EQ(probe.heard.back(), "command 101");
  EXPECT_TRUE(probe.removeNotifyIcon(3));
  EXPECT_FALSE(probe.removeNotifyIcon(3)) << "removing an absent icon is harmless";
}

TEST_F(Headless, EndingHidesWritesTheResultAndRefusesFurtherInput) {
  open();
  probe.endDialog(9);
  host.flush();
  EXPECT_NE(lines().find("window hidden\nend 9\n"), std::string::npos);
  EXPECT_FALSE(host.dispatch("tick"));
  probe.destroyWindow();
  EXPECT_EQ(host.state(), nullptr);
}

TEST_F(Headless, MessageBoxIsALineWhileAWindowIsOpen) {
  open();
  lines();
  host.show({"Cap", "Text\nmore", MessageIcon::Warning});
  EXPECT_EQ(lines(), "message warning \"Cap\" \"Text\\nmore\"\n");
}

TEST_F(Headless, SystemMenuItemsArriveAsSystemCommandsWhileTheWindowShows) {
  open();
  EXPECT_TRUE(host.dispatch("sysmenu 16"));
  EXPECT_EQ(probe.heard, std::vector<std::string>{"system 16"});
  probe.showWindow(ShowMode::Hide);
  EXPECT_FALSE(host.dispatch("sysmenu 16"));
}

TEST_F(Headless, YesNoBoxesTakeTheOldestAnswerAndNoWhenNoneIsLeftPlainBoxesHaveNoIcon) {
  open();
  host.dispatch("answer yes");
  host.dispatch("answer no");
  lines();
  EXPECT_TRUE(host.ask({"Cap", "Send?", MessageIcon::None}));
  EXPECT_FALSE(host.ask({"Cap", "Send?", MessageIcon::None}));
  EXPECT_FALSE(host.ask({"Cap", "Send?", MessageIcon::None}));
  host.show({"Cap", "Plain", MessageIcon::None});
  EXPECT_EQ(lines(), "message question \"Cap\" \"Send?\"\nanswered yes\n"
                     "message question \"Cap\" \"Send?\"\nanswered no\n"
                     "message question \"Cap\" \"Send?\"\nanswered no\n"
                     "message plain \"Cap\" \"Plain\"\n");
}

TEST_F(Headless, AWindowOverTheOpenOneTakesTheInputUntilItIsDestroyed) {
  open();
  DialogTemplate aboutTemplate = smallDialog();
  aboutTemplate.id = 8;
  Probe about{aboutTemplate, host};
  ASSERT_TRUE(about.create());
  Probe third{aboutTemplate, host};
  EXPECT_FALSE(third.create()) << "one window over another at most";
  host.dispatch("click 11");
  EXPECT_EQ(about.heard, std::vector<std::string>{"command 11"});
  EXPECT_TRUE(probe.heard.empty());
  about.destroyWindow();
  host.dispatch("click 11");
  EXPECT_EQ(probe.heard, std::vector<std::string>{"command 11"});
  EXPECT_TRUE(third.create()) << "the place over the window is free again";
}

TEST(DialogUnits, RoundToTheNearestPixel) {
  EXPECT_EQ(unitsToPixels(Rect{10, 1, 70, 75}), (Rect{15, 2, 105, 122}));
  EXPECT_EQ(unitsToPixelsY(190), 309);
  EXPECT_EQ(unitsToPixelsX(300), 450);
}

}  // namespace
}  // namespace platform::ui
