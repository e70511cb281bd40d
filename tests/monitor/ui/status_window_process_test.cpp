// Whole runs of the built QZ3317VT_PSM in "STM" and "ALE" mode on the
// headless host against the simulated printer: the test plays the driver on
// the exchange file and the user on standard input, and reads what the
// window showed from standard output.
#include <gtest/gtest.h>

#include <memory>

#include "profile/profile.h"
#include "tests/support/printer_fixture.h"

namespace {

using testing_support::BackgroundProcess;

class StatusWindowRun : public testing_support::SimulatedPrinter {
 protected:
  void SetUp() override {
    startPrinter();
    set("DRVSPA", "zPort", "USB001");
  }

  void start(const std::string& keyword) {
    monitor_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{QZ_MONITOR, keyword},
        std::map<std::string, std::string>{{"QZ3317VT_ROOT", root.path().string()},
                                           {"QZ3317VT_USB", "sim"},
                                           {"QZ3317VT_SIM_READ_LIMIT_MS", kShortReadLimit},
                                           {"QZ3317VT_UI", "headless"},
                                           {"QZ3317VT_UI_TICKS", "driven"}});
  }
  // Sends one input line (none when empty), then a sync; returns every
  // output line before the sync's answer.
  std::string send(const std::string& line) {
    auto token = std::to_string(++syncs_);
    EXPECT_TRUE(monitor_->writeInput((line.empty() ? "" : line + "\n") + "sync " + token + "\n"));
    std::string seen;
    while (auto output = monitor_->readLine()) {
      if (*output == "sync " + token) return seen;
      seen += *output + "\n";
    }
    ADD_FAILURE() << "the monitor ended before the sync; it wrote:\n" << seen;
    return seen;
  }
  // Sends the last input and reads up to the end of output; the exit code.
  int finish(const std::string& lines, std::string& seen) {
    monitor_->writeInput(lines);
    while (auto line = monitor_->readLine()) seen += *line + "\n";
    return monitor_->wait();
  }

  void set(const char* section, const char* key, const std::string& value) {
    platform::profile::writeString(root.exchangeFile(), section, key, value);
  }
  std::string key(const char* section, const char* name) const {
    return platform::profile::getString(root.exchangeFile(), section, name, "<none>", 64);
  }
  std::string winIni(const char* name) const {
    return platform::profile::getString(root.winIni(), "DRVSTM", name, "<none>", 64);
  }
  static bool has(const std::string& lines, const std::string& line) {
    return lines.find(line + "\n") != std::string::npos;
  }

 private:
  std::unique_ptr<BackgroundProcess> monitor_;
  int syncs_ = 0;
};

TEST_F(StatusWindowRun, ResidentMonitorAnswersAJamAndEndsFromTheTrayMenu) {
  set("DRVMSG", "msgCode", "10001");
  start("STM");
  auto shown = send("");
  EXPECT_TRUE(has(shown, "window shown")) << shown;
  EXPECT_TRUE(has(shown, "position 1470 701")) << "placed at the lower right:\n" << shown;
  EXPECT_TRUE(has(shown, "icon added 840 \"QZ3317VT打印机状态监视\"")) << shown;
  EXPECT_EQ(winIni("StmInUse"), "1");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "1");
  EXPECT_TRUE(has(send("tick"), "window hidden"));

  set("DRVMSG", "msgCode", "44114");
  set("DRVSPA", "Printing", "1");
  auto jam = send("tick");
  EXPECT_TRUE(has(jam, "window shown")) << jam;
  EXPECT_TRUE(has(jam, "topmost on")) << jam;
  EXPECT_TRUE(has(jam, "picture 1401 329 17 23 70 75")) << jam;
  EXPECT_TRUE(has(jam, "control 1424 shown")) << jam;
  EXPECT_TRUE(has(jam, "control 1427 hidden")) << jam;

  send("click 1424");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgCode"), "1001");

  set("DRVMSG", "msgSending", "1");
  send("click 1426");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "4");
  EXPECT_EQ(requests().find("CancelJob?"), std::string::npos) << "the driver is sending: no request";
  set("DRVMSG", "msgSending", "0");
  send("click 1426");
  EXPECT_EQ(key("DRVMSG", "msgResult"), "68");
  EXPECT_NE(requests().find("CancelJob?"), std::string::npos) << requests();

  auto menu = send("icon rclick");
  EXPECT_TRUE(has(menu, "menu open 1880 1060 32776 \"打开\" 32774 \"退出\"")) << menu;
  std::string end;
  EXPECT_EQ(finish("pick 32774\n", end), 0);
  EXPECT_TRUE(has(end, "icon removed 840")) << end;
  EXPECT_TRUE(has(end, "end -1")) << end;
  EXPECT_EQ(key("DRVMSG", "STMreaddata"), "0");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "1") << "exit writes no closing values";
  EXPECT_EQ(winIni("StmInUse"), "0");
  EXPECT_EQ(winIni("PgmCode"), "0");
  EXPECT_EQ(winIni("Connect"), "1");
}

TEST_F(StatusWindowRun, EscEndsTheResidentMonitorWithTheClosingValues) {
  set("DRVMSG", "msgCode", "40021");
  start("STM");
  send("");
  std::string end;
  EXPECT_EQ(finish("key esc\n", end), 0);
  EXPECT_TRUE(has(end, "end 2")) << end;
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgRun"), "0");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
  EXPECT_EQ(winIni("StmInUse"), "0");
}

TEST_F(StatusWindowRun, AlertModeEndsItselfWhenTheJobPrintsAgain) {
  set("DRVMSG", "msgCode", "44114");
  set("DRVSPA", "Printing", "1");
  start("ALE");
  auto shown = send("tick 2");
  EXPECT_TRUE(has(shown, "control 1424 shown")) << shown;
  set("DRVMSG", "msgCode", "10023");
  std::string end;
  EXPECT_EQ(finish("tick\n", end), 0);
  EXPECT_TRUE(has(end, "end 1")) << end;
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
  EXPECT_EQ(key("DRVMSG", "msgWorking"), "0");
  EXPECT_EQ(winIni("StmInUse"), "0");
}

TEST_F(StatusWindowRun, AlertModeOnAReadyPrinterEndsDuringItsInitialisation) {
  std::string end;
  start("ALE");
  EXPECT_EQ(finish("", end), 0);
  EXPECT_FALSE(has(end, "window shown")) << end;
  EXPECT_TRUE(has(end, "end 1")) << end;
  EXPECT_EQ(key("DRVMSG", "msgResult"), "0");
}

TEST_F(StatusWindowRun, AlertModeAnswerEndsTheRunAndKeepsTheAnswer) {
  set("DRVMSG", "msgCode", "44114");
  set("DRVSPA", "Printing", "1");
  start("ALE");
  send("");
  std::string end;
  EXPECT_EQ(finish("click 1426\n", end), 0);
  EXPECT_TRUE(has(end, "end 1")) << end;
  EXPECT_EQ(key("DRVMSG", "msgResult"), "68");
  EXPECT_EQ(key("DRVMSG", "msgCode"), "44114");
  EXPECT_NE(requests().find("CancelJob?"), std::string::npos);
}

TEST_F(StatusWindowRun, EmptyKeywordAsksForStatusBeforeTheWindowRuns) {
  start("");
  send("");
  EXPECT_EQ(key("DRVMSG", "msgCmd"), "49");
  std::string end;
  EXPECT_EQ(finish("key esc\n", end), 0);
}

}  // namespace
