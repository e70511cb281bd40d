// The desktop host on Qt's offscreen platform: layout from dialog units,
// the status window's paper jam with its picture, texts and buttons, keys,
// address fields, the hide fallback without a notification area, timers.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTest>

#include "layout.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/ui/monitor_dlg.h"
#include "monitor/ui/monitor_resources.h"
#include "netsetup/setup_resources.h"
#include "profile/profile.h"
#include "qt_host.h"
#include "tests/monitor/fake_usb_bus.h"
#include "tests/support/temp_root.h"
#include "text/codepage.h"
#include "window.h"

namespace {

using platform::ui::ControlKind;
using platform::ui::DialogTemplate;
using platform::ui::qt::QtHost;
using platform::ui::qt::QtWindow;

// The dialog manager's base unit, measured here from the font's metrics
// the way the template's units are defined: the average width of the 52
// Latin letters, rounded, and the font's height.
QSize measuredBase(const DialogTemplate& dialog) {
  QFontMetrics metrics(platform::ui::qt::templateFont(dialog));
  int letters = 0;
  for (char c = 'A'; c <= 'Z'; ++c) letters += metrics.horizontalAdvance(QChar(c));
  for (char c = 'a'; c <= 'z'; ++c) letters += metrics.horizontalAdvance(QChar(c));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

int roundedDiv(int value, int numerator, int denominator) {
  return (value * numerator + denominator / 2) / denominator;
}

// Does nothing; the window's own behaviour is what these tests watch.
class QuietEvents final : public platform::ui::WindowEvents {
 public:
  void onInitDialog() override {}
  void onCommand(int id) override { commands.push_back(id); }
  void onTimer(int id) override { timers.push_back(id); }
  void onClose() override {}
  void onSystemCommand(int) override {}
  void onMinimised() override {}
  void onNotifyIcon(int, platform::ui::IconMouse) override {}
  void onDrawItem(int, platform::ui::Painter&, const platform::ui::Rect&) override { ++draws; }
  std::optional<platform::ui::Rgb> onControlColour(int) override { return std::nullopt; }
  void onDestroy() override {}
  std::vector<int> commands;
  std::vector<int> timers;
  int draws = 0;
};

struct TemplateCase {
  const char* name;
  DialogTemplate (*make)();
};

class DesktopLayout : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(DesktopLayout, ControlsSitAtTheirUnitsInPixelsOfTheTemplateFont) {
  auto dialog = GetParam().make();
  QtHost host;
  QuietEvents events;
  auto window = host.createWindow(dialog, events);
  auto* widget = static_cast<QtWindow&>(*window).widget();
  auto base = measuredBase(dialog);
  EXPECT_EQ(widget->size(), QSize(roundedDiv(dialog.units.width, base.width(), 4),
                                  roundedDiv(dialog.units.height, base.height(), 8)));
  for (const auto& c : dialog.controls) {
    QRect expected(roundedDiv(c.units.x, base.width(), 4), roundedDiv(c.units.y, base.height(), 8),
                   roundedDiv(c.units.width, base.width(), 4),
                   roundedDiv(c.units.height, base.height(), 8));
    // Controls the dialog never addresses share one id: the one here is
    // the one at its place.
    auto named = widget->findChildren<QWidget*>(QString::number(c.id), Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(named.isEmpty()) << c.id;
    auto* control = named.front();
    for (auto* candidate : named)
      if (candidate->geometry() == expected) control = candidate;
    EXPECT_EQ(control->geometry(), expected) << "control " << c.id;
    EXPECT_EQ(control->isVisibleTo(widget), c.visible) << c.id;
    EXPECT_EQ(control->isEnabled(), c.enabled) << c.id;
  }
}

DialogTemplate statusTemplate() { return monitor::statusDialogTemplate(); }
DialogTemplate setupTemplate() { return netsetup::setupDialogTemplate(); }
DialogTemplate aboutTemplate() { return netsetup::aboutDialogTemplate(); }

INSTANTIATE_TEST_SUITE_P(Templates, DesktopLayout,
                         ::testing::Values(TemplateCase{"StatusWindow140", statusTemplate},
                                           TemplateCase{"SetupDialog102", setupTemplate},
                                           TemplateCase{"AboutBox100", aboutTemplate}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(DesktopLayoutScale, ALargerTemplateFontGivesALargerDialog) {
  auto small = statusTemplate();
  auto large = small;
  large.fontPoints = 16;
  QtHost host;
  QuietEvents events;
  auto a = host.createWindow(small, events);
  auto smallSize = a->clientSize();
  a.reset();
  auto b = host.createWindow(large, events);
  EXPECT_GT(b->clientSize().width, smallSize.width * 3 / 2);
  EXPECT_GT(b->clientSize().height, smallSize.height * 3 / 2);
}

// The status window on the desktop host in a test's own root.
class DesktopStatusWindow : public ::testing::Test {
 protected:
  DesktopStatusWindow() : usb(bus), printer(usb) {}

  void SetUp() override {
    testing_support::writeFile(root.resourceFile(), platform::text::utf8ToAnsi(
        "[FW_MSG]\nV_JAM_TRAY1=卡纸\nV_JAM_TRAY1c2=代码 %s\nV_JAM_TRAY1i1=取出卡纸\n"
        "V_JAM_TRAY1i2=关闭前盖\n"));
    set("DRVMSG", "msgCode", "44114");
    set("DRVSPA", "Printing", "1");
    window = std::make_unique<monitor::CMonitorDlg>(printer, false, 1, platform::base::systemClock(), host);
    ASSERT_TRUE(window->create());
    widget = host.openWindow()->widget();
    widget->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(widget));
  }

  void set(const char* section, const char* key, const std::string& value) {
    platform::profile::writeString(root.exchangeFile(), section, key, value);
  }
  std::string key(const char* section, const char* name) const {
    return platform::profile::getString(root.exchangeFile(), section, name, "<none>", 64);
  }
  QWidget* control(int id) const { return widget->findChild<QWidget*>(QString::number(id)); }
  // The pixels of a control as the window painted them.
  QImage painted(int id) const {
    auto picture = widget->grab().toImage();
    return picture.copy(control(id)->geometry());
  }
  static bool any(const QImage& image, bool (*match)(QColor)) {
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (match(image.pixelColor(x, y))) return true;
    return false;
  }

  testing_support::TempRoot root;
  testing_support::FakeUsbBus bus;
  monitor::COrvoUsb usb;
  monitor::CPPL_W3 printer;
  QtHost host;
  std::unique_ptr<monitor::CMonitorDlg> window;
  QWidget* widget = nullptr;
};

TEST_F(DesktopStatusWindow, PaperJamShowsTheRedPictureTheResourceTextsInBlueAndTwoButtons) {
  EXPECT_TRUE(widget->isVisible());
  EXPECT_EQ(window->itemText(monitor::kIdTitle), "卡纸\r\n代码 44114");
  EXPECT_EQ(window->itemText(monitor::kIdInformation), "取出卡纸\r\n关闭前盖\r\n");
  auto picture = painted(monitor::kIdPicture);
  // The designed red bitmap fills the centre; its corner is the background.
  QColor corner = picture.pixelColor(picture.width() / 2 - 30, picture.height() / 2 - 32);
  EXPECT_GT(corner.red(), 180);
  EXPECT_LT(corner.green(), 80);
  EXPECT_LT(corner.blue(), 80);
  EXPECT_TRUE(any(painted(monitor::kIdInformation), [](QColor c) {
    return c.blue() > 200 && c.red() < 80 && c.green() < 80;
  })) << "the information text paints in blue";
  EXPECT_FALSE(any(painted(monitor::kIdTitle), [](QColor c) {
    return c.blue() > 200 && c.red() < 80 && c.green() < 80;
  })) << "the title keeps the window's text colour";
  std::vector<int> shown;
  for (int id : {monitor::kIdFirstContinue, monitor::kIdSecondContinue, monitor::kIdCancel,
                 monitor::kIdClose})
    if (control(id)->isVisible()) shown.push_back(id);
  EXPECT_EQ(shown, (std::vector<int>{monitor::kIdFirstContinue, monitor::kIdCancel}));
  EXPECT_EQ(static_cast<QAbstractButton*>(control(monitor::kIdFirstContinue))->text(),
            QString::fromUtf8("继续打印&t"));
}

TEST_F(DesktopStatusWindow, ClickingContinueWritesTheAnswerAndKeepsTheWindow) {
  QTest::mouseClick(control(monitor::kIdFirstContinue), Qt::LeftButton);
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgRun"), "0");
  EXPECT_EQ(key("DRVMSG", "msgCode"), "1001");
  EXPECT_FALSE(window->hasEnded());
  EXPECT_TRUE(widget->isVisible());
}

TEST_F(DesktopStatusWindow, EscEndsTheWindowWithTheCancelCommand) {
  control(monitor::kIdFirstContinue)->setFocus();
  QTest::keyClick(widget->focusWidget(), Qt::Key_Escape);
  EXPECT_TRUE(window->hasEnded());
  EXPECT_EQ(window->result(), platform::ui::kCommandCancel);
  EXPECT_FALSE(widget->isVisible());
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
}

TEST_F(DesktopStatusWindow, TabSkipsTheCancelButtonThatIsNoTabStopAndArrowsStayInTheGroup) {
  control(monitor::kIdFirstContinue)->setFocus();
  QTest::keyClick(widget->focusWidget(), Qt::Key_Tab);
  // 1426 is no tab stop and 1427 is hidden: the tab order wraps to 1401.
  EXPECT_EQ(widget->focusWidget(), control(monitor::kIdPicture));
  // 1401 to 1426 form the first group; Down moves to its next control
  // that can take the focus, skipping hidden ones, whether tab stop or not.
  control(monitor::kIdFirstContinue)->setFocus();
  QTest::keyClick(widget->focusWidget(), Qt::Key_Down);
  EXPECT_EQ(widget->focusWidget(), control(monitor::kIdCancel));
  QTest::keyClick(widget->focusWidget(), Qt::Key_Down);
  EXPECT_EQ(widget->focusWidget(), control(monitor::kIdPicture)) << "wraps within the group";
}

TEST_F(DesktopStatusWindow, WithoutANotificationAreaHidingMinimisesToTheTaskBar) {
  // Qt's offscreen platform has no system tray, so the icon is refused.
  EXPECT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  window->showWindow(platform::ui::ShowMode::Hide);
  EXPECT_TRUE(window->isMinimised());
  EXPECT_TRUE(widget->isVisible());
  window->showWindow(platform::ui::ShowMode::Normal);
  EXPECT_FALSE(window->isMinimised());
}

// The setup tool's IP address field.
class DesktopAddressField : public ::testing::Test {
 protected:
  void SetUp() override {
    window = host.createWindow(netsetup::setupDialogTemplate(), events);
    window->show(platform::ui::ShowMode::Normal);
    auto* widget = static_cast<QtWindow&>(*window).widget();
    widget->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(widget));
    field = widget->findChild<QWidget*>("1003");
  }
  QLineEdit* octet(int index) const { return field->findChild<QLineEdit*>(QStringLiteral("octet%1").arg(index)); }

  QtHost host;
  QuietEvents events;
  std::unique_ptr<platform::ui::HostWindow> window;
  QWidget* field = nullptr;
};

TEST_F(DesktopAddressField, RefusesAnOctetAbove255AsItIsTyped) {
  QTest::keyClicks(octet(0), "256");
  EXPECT_EQ(octet(0)->text(), "25");
  EXPECT_EQ(window->controlText(1003), "25.0.0.0");
}

TEST_F(DesktopAddressField, ThreeDigitsOrADotMoveToTheNextOctet) {
  octet(0)->setFocus();
  QTest::keyClicks(octet(0), "192");
  ASSERT_TRUE(octet(1)->hasFocus());
  QTest::keyClicks(octet(1), "168.");
  ASSERT_TRUE(octet(2)->hasFocus());
  QTest::keyClicks(octet(2), "1.");
  ASSERT_TRUE(octet(3)->hasFocus());
  QTest::keyClicks(octet(3), "20");
  EXPECT_EQ(window->controlText(1003), "192.168.1.20");
}

TEST_F(DesktopAddressField, ReadsABlankOctetAs0AndSetsFromDottedText) {
  window->setControlText(1003, "192.168..20");
  EXPECT_EQ(octet(2)->text(), "");
  EXPECT_EQ(window->controlText(1003), "192.168.0.20");
  window->setControlText(1003, "192.168.001.300");
  EXPECT_EQ(window->controlText(1003), "192.168.1.255");
  window->setControlText(1003, "");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(octet(i)->text(), "") << i;
}

// The status window is invalidated at every refresh; while it does not
// show (here minimised, as hiding is without a notification area) that
// must cost no painting, and showing it again paints it.
TEST(DesktopPainting, AWindowThatDoesNotShowIsNotPaintedUntilItShowsAgain) {
  DialogTemplate dialog{9, "paint", {80, 40}, "MS Shell Dlg", 8, false, false, {}, {}};
  dialog.controls = {{1, ControlKind::OwnerDrawnButton, {0, 0, 40, 30}, "", true, true, false, false}};
  QtHost host;
  QuietEvents events;
  auto window = host.createWindow(dialog, events);
  window->show(platform::ui::ShowMode::Normal);
  ASSERT_TRUE(QTest::qWaitFor([&] { return events.draws > 0; }, 2000));
  window->show(platform::ui::ShowMode::Hide);
  ASSERT_TRUE(window->isMinimised());
  QTest::qWait(20);
  events.draws = 0;
  for (int i = 0; i < 3; ++i) window->invalidate();
  QTest::qWait(50);
  EXPECT_EQ(events.draws, 0);
  window->show(platform::ui::ShowMode::Normal);
  EXPECT_TRUE(QTest::qWaitFor([&] { return events.draws > 0; }, 2000));
}

TEST(DesktopTimers, ARepeatingTimerFiresOnTheEventLoopUntilKilled) {
  DialogTemplate dialog{8, "timer", {40, 20}, "MS Shell Dlg", 8, false, false, {}, {}};
  QtHost host;
  QuietEvents events;
  auto window = host.createWindow(dialog, events);
  window->setTimer(5, std::chrono::milliseconds(5));
  EXPECT_TRUE(QTest::qWaitFor([&] { return events.timers.size() >= 2; }, 2000));
  window->killTimer(5);
  auto fired = events.timers.size();
  QTest::qWait(30);
  EXPECT_EQ(events.timers.size(), fired);
  EXPECT_EQ(events.timers.front(), 5);
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
