// The status window on the headless host, driven tick by tick as the
// driver drives it: pop-up rule, buttons, answers, tray, daily reset.
#include <gtest/gtest.h>

#include "base/fake_command_starter.h"
#include "base/fake_registry.h"
#include "status_window_fixture.h"

namespace monitor {
namespace {

constexpr const char* kJamTexts =
    "[FW_MSG]\nV_JAM_TRAY1=卡纸\nV_JAM_TRAY1c2=代码 %s\nV_JAM_TRAY1i1=取出卡纸\n"
    "V_JAM_TRAY1i2=关闭前盖\nV_READY=就绪\n"
    "[WEBSITE]\ncurrent=http://127.0.0.1/order\n";

TEST_F(StatusWindow, JamWhilePrintingPopsUpAtTheLowerRightWithTheContinueAndCancelButtons) {
  resources(kJamTexts);
  status(10001, 0);
  open();
  EXPECT_TRUE(shown()) << "the window is on the screen at start, whatever the status";
  tick();
  EXPECT_FALSE(shown()) << "ready hides it at the first tick";

  status(44114, 1);
  tick();
  EXPECT_TRUE(shown());
  // 450 x 309 client pixels on 1920 x 1080 with a 40-pixel taskbar.
  EXPECT_EQ(state().position, (platform::ui::Point{1920 - 450, 1080 - 309 - 40 - 30}));
  EXPECT_TRUE(state().topmost);
  EXPECT_EQ(picture(), "329 17 23 70 75") << "red, centred in the 105 x 122 picture";
  EXPECT_EQ(buttons(), "1424 1426") << "no close button while the jam prints";
  EXPECT_EQ(text(kIdTitle), "卡纸\r\n代码 44114");
  EXPECT_EQ(text(kIdInformation), "取出卡纸\r\n关闭前盖\r\n");
  EXPECT_EQ(state().control(kIdInformation)->colour, (platform::ui::Rgb{0, 0, 255}));

  EXPECT_TRUE(input("click 1424"));
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgRun"), "0");
  EXPECT_EQ(key("DRVMSG", "msgCode"), "1001");
  EXPECT_TRUE(shown());
  EXPECT_EQ(buttons(), "1424 1426") << "the window keeps the jam until the driver writes a code";
  EXPECT_EQ(text(kIdTitle), "卡纸\r\n代码 44114");
  tick(3);
  EXPECT_EQ(picture(), "329 17 23 70 75");
  EXPECT_FALSE(window->hasEnded());
}

TEST_F(StatusWindow, JamWithNoJobPrintingShowsNoButtonsAndTheTitleBarStillCloses) {
  resources(kJamTexts);
  status(44114, 0);
  open();
  EXPECT_EQ(buttons(), "");
  EXPECT_EQ(picture(), "329 17 23 70 75");
  EXPECT_TRUE(input("close"));
  EXPECT_FALSE(shown());
  EXPECT_FALSE(window->hasEnded());
}

TEST_F(StatusWindow, RepeatedCodeStaysHiddenAfterClosingAndAnyOtherCodeInBetweenBringsItBack) {
  status(44114, 1);
  open();
  tick();
  EXPECT_TRUE(input("click 1427") == false) << "no close button while printing";
  EXPECT_TRUE(input("close"));
  tick(2);
  EXPECT_FALSE(shown()) << "the same code does not pop up again";
  status(10001, 0);
  tick();
  EXPECT_FALSE(shown());
  status(44114, 1);
  tick();
  EXPECT_TRUE(shown()) << "44114 after 10001 is new again";
}

struct PopupCase {
  const char* name;
  int code;
  int printing;
  const char* picture;
  const char* buttons;
};

class StatusRows : public StatusWindow, public ::testing::WithParamInterface<PopupCase> {};

TEST_P(StatusRows, PictureAndButtons) {
  status(10001, 0);
  open();
  tick();
  status(GetParam().code, GetParam().printing);
  tick();
  EXPECT_TRUE(shown());
  EXPECT_EQ(picture(), GetParam().picture);
  EXPECT_EQ(buttons(), GetParam().buttons);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, StatusRows,
    ::testing::Values(PopupCase{"NearEndWhilePrinting", 10205, 1, "330 17 23 70 75", "1425 1426"},
                      PopupCase{"TrayTwoLowWhilePrinting", 62123, 1, "330 17 23 70 75", "1424 1426"},
                      PopupCase{"CoverOpenIdle", 40021, 0, "329 17 23 70 75", ""},
                      PopupCase{"NoCartridgeWhilePrinting", 40405, 1, "329 17 23 70 75", "1424 1426"}),
    testing_support::CaseNameFrom<&PopupCase::name>{});

TEST_F(StatusWindow, NearEndIndentsInformationLinesTwoAndThree) {
  resources("[FW_MSG]\nV_CONSUM_N_END=耗材将尽\nV_CONSUM_N_ENDi1=一\nV_CONSUM_N_ENDi2=二\n"
            "V_CONSUM_N_ENDi3=三\nV_CONSUM_N_ENDi4=四\n");
  status(10205, 1);
  open();
  EXPECT_EQ(text(kIdInformation), "一\r\n    二\r\n    三\r\n四\r\n");
}

TEST_F(StatusWindow, CommunicationErrorIsIgnoredWhileThePrinterIsOnTheBus) {
  status(44114, 0);
  open();
  input("close");
  status(50001, 0);
  tick();
  EXPECT_EQ(window->shownIndex(), 30) << "code 0 is in no class: nothing changes";
  EXPECT_EQ(picture(), "329 17 23 70 75");
}

TEST_F(StatusWindow, CommunicationErrorWithThePrinterAbsentDrawsRowSixtyFourAndHides) {
  bus.devices = std::vector<platform::usb::DeviceEntry>{};
  status(10001, 0);
  open();
  status(50001, 0);
  tick();
  EXPECT_EQ(window->shownIndex(), 64);
  EXPECT_FALSE(shown()) << "a communication error never pops up";
  EXPECT_TRUE(input("icon dblclick"));
  tick(2);
  EXPECT_TRUE(shown()) << "unless the user opened it";
  EXPECT_EQ(picture(), "329 17 23 70 75");
  EXPECT_EQ(buttons(), "1427");
}

TEST_F(StatusWindow, CodesInNoClassChangeNothing) {
  resources(kJamTexts);
  status(44114, 1);
  open();
  for (int code : {12345, 10000}) {
    status(code, 0);
    tick();
    EXPECT_TRUE(shown()) << code;
    EXPECT_EQ(text(kIdTitle), "卡纸\r\n代码 44114") << code;
    EXPECT_EQ(buttons(), "1424 1426") << code;
  }
}

TEST_F(StatusWindow, NoUsbPortKeepsTheTextsEmptyForTheWholeRun) {
  // With no job printing: a printing field would redraw row 0 (V_NONE).
  resources(kJamTexts);
  status(44114, 0);
  open(false, 0);
  tick(3);
  EXPECT_EQ(text(kIdTitle), "");
  EXPECT_EQ(text(kIdInformation), "");
  EXPECT_EQ(picture(), "328 17 23 70 75");
  EXPECT_EQ(buttons(), "1427");
}

TEST_F(StatusWindow, AlertModeEndsOnReadyAndPrintingButNotOnSleep) {
  for (int code : {10001, 10023}) {
    status(code, 0);
    open(true);
    EXPECT_TRUE(window->hasEnded()) << code << ": already in the initialisation";
    EXPECT_EQ(window->result(), platform::ui::kCommandOk);
    EXPECT_FALSE(shown());
    EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
    EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
    close();
  }
  status(40000, 0);
  open(true);
  tick(2);
  EXPECT_FALSE(window->hasEnded());
  EXPECT_TRUE(shown()) << "alert mode never hides itself";
  status(10023, 1);
  tick();
  EXPECT_TRUE(window->hasEnded());
}

TEST_F(StatusWindow, AlertModeAnswerEndsTheWindowAndKeepsTheAnswer) {
  status(44114, 1);
  set("DRVMSG", "msgSending", "1");
  open(true);
  EXPECT_TRUE(input("click 1426"));
  EXPECT_TRUE(window->hasEnded());
  EXPECT_EQ(key("DRVMSG", "msgResult"), "4") << "the OK command finds the answer written";
  EXPECT_EQ(key("DRVMSG", "msgCode"), "44114") << "alert mode writes no 1001";
}

TEST_F(StatusWindow, CloseWhilePrintingCountsRedrawSkipsUpToElevenThenRedraws) {
  status(44114, 1);
  open();
  input("close");
  EXPECT_EQ(window->redrawSkipCounter(), 1);
  input("icon dblclick");
  input("close");
  EXPECT_EQ(window->redrawSkipCounter(), 2);
  std::vector<int> counters;
  for (int i = 0; i < 11; ++i) {
    tick();
    counters.push_back(window->redrawSkipCounter());
  }
  EXPECT_EQ(counters, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0}));
}

TEST_F(StatusWindow, ClosingTwiceWritesTheResultOnlyOnce) {
  status(44114, 0);
  open();
  input("close");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  set("DRVMSG", "msgResult", "x");
  set("DRVMSG", "msgWorking", "1");
  set("DRVMSG", "msgRun", "1");
  input("icon dblclick");
  input("close");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "x");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
  EXPECT_EQ(key("DRVMSG", "msgRun"), "0");
}

TEST_F(StatusWindow, EscAfterACancelAnswerOverwritesTheAnswerAndEnds) {
  status(44114, 1);
  open();
  input("click 1426");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "68");
  EXPECT_TRUE(input("key esc"));
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_TRUE(window->hasEnded());
  EXPECT_EQ(window->result(), platform::ui::kCommandCancel);
  close();
  EXPECT_TRUE(lines().find("icon removed 840") != std::string::npos);
}

TEST_F(StatusWindow, CancelSendsTheRequestOnlyWhenTheDriverIsNotSending) {
  usb.OpenLink();
  status(44114, 1);
  open();
  set("DRVMSG", "msgSending", "1");
  input("click 1426");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "4");
  EXPECT_TRUE(bus.written.empty());
  set("DRVMSG", "msgSending", "0");
  input("click 1426");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "68");
  ASSERT_FALSE(bus.written.empty());
  EXPECT_EQ(bus.written.front().substr(0, 10), "CancelJob?");
  EXPECT_EQ(key("DRVMSG", "msgRun"), "0");
  EXPECT_EQ(key("DRVMSG", "msgCode"), "1001");
}

TEST_F(StatusWindow, DailyResetOncePerDay) {
  set("DRVSET", "TonerLow", "1");
  set("DRVSET", "PopupOrder", "1");
  open();
  close();
  EXPECT_EQ(key("DRVSET", "Year"), "2026");
  EXPECT_EQ(key("DRVSET", "Month"), "3");
  EXPECT_EQ(key("DRVSET", "Day"), "14");
  EXPECT_EQ(key("DRVSET", "TonerLow"), "0");
  EXPECT_EQ(key("DRVSET", "PopupOrder"), "0");
  set("DRVSET", "TonerLow", "1");
  open();
  close();
  EXPECT_EQ(key("DRVSET", "TonerLow"), "1") << "a second window the same day writes nothing";
  dateClock.advance(std::chrono::hours(24));
  open();
  EXPECT_EQ(key("DRVSET", "Day"), "15");
  EXPECT_EQ(key("DRVSET", "TonerLow"), "0");
}

TEST_F(StatusWindow, TrayDoubleClickKeepsTheWindowOverReadyTicksAndOpenDoesNot) {
  status(10001, 0);
  open();
  tick();
  ASSERT_FALSE(shown());
  input("icon dblclick");
  EXPECT_TRUE(window->openedByUser());
  tick(3);
  EXPECT_TRUE(shown());
  input("close");
  tick();
  EXPECT_FALSE(shown());

  input("icon rclick");
  ASSERT_TRUE(state().menu.has_value());
  EXPECT_EQ(state().menuAt, (platform::ui::Point{1880, 1060}));
  EXPECT_TRUE(input("pick 32776"));
  EXPECT_TRUE(shown());
  EXPECT_FALSE(window->openedByUser());
  tick();
  EXPECT_FALSE(shown()) << "after open, the next ready tick hides it";
}

TEST_F(StatusWindow, TrayMenuClosesWithoutACommandAndSingleClicksDoNothing) {
  status(10001, 0);
  open();
  tick();
  input("icon click");
  EXPECT_FALSE(shown());
  input("icon rclick");
  EXPECT_TRUE(input("dismiss"));
  EXPECT_FALSE(state().menu.has_value());
  EXPECT_FALSE(shown());
  EXPECT_FALSE(input("pick 32774")) << "no menu is open";
  EXPECT_FALSE(window->hasEnded());
}

TEST_F(StatusWindow, TrayExitWritesTheReadDataFlagAndEndsWithWorkingStillSet) {
  status(44114, 1);
  open();
  input("icon rclick");
  EXPECT_TRUE(input("pick 32774"));
  EXPECT_TRUE(window->hasEnded());
  EXPECT_EQ(window->result(), -1);
  EXPECT_EQ(key("DRVMSG", "STMreaddata"), "0");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "1");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "<none>");
  EXPECT_TRUE(state().icons.empty());
}

TEST_F(StatusWindow, MinimiseHidesAndTheIconBringsItBack) {
  status(44114, 0);
  open();
  EXPECT_TRUE(input("minimise"));
  EXPECT_FALSE(shown());
  input("icon dblclick");
  EXPECT_TRUE(shown());
  EXPECT_FALSE(state().minimised);
}

TEST_F(StatusWindow, MonitorTimeChangeRestartsTheTimerOneSecondApart) {
  status(10001, 0);
  open();
  auto start = timerClock.now();
  tick();
  set("DRVDRV", "MonitorTime", "7");
  tick();
  tick();
  EXPECT_EQ(timerClock.now() - start, std::chrono::seconds(3));
}

TEST_F(StatusWindow, OrderButtonIsEnabledOnlyWithAWebsiteAndStaysHidden) {
  open();
  EXPECT_FALSE(state().control(kIdOrder)->enabled);
  close();
  resources("[WEBSITE]\ncurrent=http://127.0.0.1/shop\n");
  open();
  EXPECT_TRUE(state().control(kIdOrder)->enabled);
  EXPECT_FALSE(visible(kIdOrder));
}

struct JobCase {
  const char* name;
  const char* jobInfo;  // lines of the JobInfo section
  const char* resolution;
  const char* copies;
  const char* source;
  const char* type;
  const char* size;
};

class JobInfo : public StatusWindow, public ::testing::WithParamInterface<JobCase> {};

TEST_P(JobInfo, GroupTexts) {
  testing_support::writeFile(root.exchangeFile(),
                             platform::text::utf8ToAnsi(std::string("[JobInfo]\n") + GetParam().jobInfo));
  open();
  tick();
  EXPECT_EQ(text(kIdResolution), GetParam().resolution);
  EXPECT_EQ(text(kIdCopies), GetParam().copies);
  EXPECT_EQ(text(kIdPaperSource), GetParam().source);
  EXPECT_EQ(text(kIdPaperType), GetParam().type);
  EXPECT_EQ(text(kIdPaperSize), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JobInfo,
    ::testing::Values(
        JobCase{"Defaults", "", "600x600 dpi", "1", "自动", "普通纸", "A4"},
        JobCase{"HighResolution", "xResolution=1\nyResolution=1200\n", "1200x1200 dpi", "1", "自动", "普通纸", "A4"},
        JobCase{"ZoomedSize", "ZoomOptions=1\nZoomPaperSize=5\nPaperSize=0\n", "600x600 dpi", "1", "自动", "普通纸", "LETTER"},
        JobCase{"SizePastTheTable", "PaperSize=22\n", "600x600 dpi", "1", "自动", "普通纸", "自定义纸张尺寸"},
        JobCase{"NegativeSize", "PaperSize=-1\nCopies=3\n", "600x600 dpi", "3", "自动", "普通纸", "自定义纸张尺寸"},
        JobCase{"UnknownSourceAndType", "PaperSource=3\nPaperType=9\n", "600x600 dpi", "1", "", "", "A4"}),
    testing_support::CaseNameFrom<&JobCase::name>{});


TEST_F(StatusWindow, OrderOpensTheWebsiteWithTheBrowserTheRegistryNames) {
  platform::base::RecordingCommandStarter starter;
  platform::base::FakeRegistry registry;
  registry.set(platform::base::RegistryHive::LocalMachine,
               "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "Path",
               "C:\\Program Files\\Internet Explorer;");
  platform::base::setCommandStarter(&starter);
  platform::base::setRegistry(&registry);
  open();
  // The address as the resource text file holds it, in code page 936.
  EXPECT_TRUE(window->OpenOrderSite(platform::text::utf8ToAnsi("http://127.0.0.1/订购?a=1;b")));
  starter.result = platform::base::kFileNotFound;
  EXPECT_FALSE(window->OpenOrderSite("x"));
  platform::base::setRegistry(nullptr);
  platform::base::setCommandStarter(nullptr);
  ASSERT_EQ(starter.started.size(), 2u);
  EXPECT_EQ(starter.started[0],
            "C:\\Program Files\\Internet Explorer\\Iexplore.exe http://127.0.0.1/订购?a=1;b")
      << "the started program gets UTF-8";
}

}  // namespace
}  // namespace monitor
