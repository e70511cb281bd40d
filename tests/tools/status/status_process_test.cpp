// qz3317vt-status against the simulated printer: what a person reads, what
// a script parses, and that it runs the monitor's refresh with its lock and
// flags.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "base/instance_lock.h"
#include "tests/support/printer_fixture.h"
#include "tools/status/device_report.h"

namespace {

using testing_support::readFile;

constexpr const char* kUsbPort = "[DRVSPA]\r\nzPort=USB001\r\n";

class StatusTool : public testing_support::SimulatedPrinter {
 protected:
  testing_support::RunResult status(const std::vector<std::string>& words = {}) {
    std::vector<std::string> argv{QZ_STATUS};
    argv.insert(argv.end(), words.begin(), words.end());
    return testing_support::runProgram(argv, {{"QZ3317VT_ROOT", root.path().string()},
                                              {"QZ3317VT_USB", "sim"},
                                              {"QZ3317VT_SIM_READ_LIMIT_MS", kShortReadLimit}});
  }
  nlohmann::json statusJson() {
    auto run = status({"--json"});
    EXPECT_EQ(run.out.back(), '\n');
    return nlohmann::json::parse(run.out);
  }
  static bool shows(const std::string& out, const std::string& line) {
    return out.find("\n" + line + "\n") != std::string::npos || out.starts_with(line + "\n");
  }
};

TEST_F(StatusTool, ShowsLevelsCountersAndSettingsForAPerson) {
  startPrinter(
      "value.TonerRemain = 35\nvalue.OPCRemain = 7\nvalue.TotalPages = 20417\n"
      "value.JamCounts = 12\nvalue.SleepMode = 60\nvalue.FeedOffset = -1.5\n");
  writeExchange(kUsbPort);
  auto run = status();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* line : {
           "printer          found",
           "status           Ready (code 1)",
           "toner            [#######-------------] 35 %   part QZT-3317",
           "drum             [#-------------------] 7 %   part QZD-3317",
           "pages printed    20417",
           "paper jams       12",
           "firmware         V1.08, OPL 2.0, engine E1.02, controller date 2021-06-18",
           "sleep mode       60 (DRVSET 4)",
           "feed offset      -1.5 (DRVSET -15)",
       }) {
    EXPECT_TRUE(shows(run.out, line)) << line << "\nin:\n" << run.out;
  }
}

TEST_F(StatusTool, RunsTheMonitorsRefreshWithItsFlags) {
  startPrinter();
  writeExchange(kUsbPort);
  ASSERT_EQ(status().exitCode, 0);
  EXPECT_EQ(readFile(root.winIni()), "[DRVSTM]\r\nStmInUse=0\r\nConnect=1\r\nPgmCode=0\r\n");
  EXPECT_NE(exchange().find("[DRVGET]\r\nFWVersion=V1.08\r\n"), std::string::npos);
  EXPECT_EQ(requests(), testing_support::sent("Version?") + testing_support::sent("Features?") +
                            testing_support::sent("SER.Features?") +
                            testing_support::sent("CSICValues?") +
                            testing_support::sent("OPCValues?") +
                            testing_support::sent("USBInfo?") + testing_support::sent("Status?"));
}

TEST_F(StatusTool, AJamIsShownByItsNameAndCode) {
  startPrinter("status = 44114\nstatus-name = Jam\n");
  writeExchange(kUsbPort);
  auto run = status();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(shows(run.out, "status           Jam (code 44114)")) << run.out;
  auto json = statusJson();
  EXPECT_EQ(json["status"], (nlohmann::json{{"code", 44114}, {"name", "Jam"}}));
}

TEST_F(StatusTool, JsonCarriesTheSameValuesTyped) {
  startPrinter("value.TonerRemain = 35\nvalue.TotalPages = 20417\nvalue.JamCounts = many\n");
  writeExchange(kUsbPort);
  auto json = statusJson();
  EXPECT_EQ(json["outcome"], "refreshed");
  EXPECT_EQ(json["found"], true);
  EXPECT_EQ(json["toner"]["remaining"], 35);
  EXPECT_EQ(json["toner"]["partNumber"], "QZT-3317");
  EXPECT_EQ(json["drum"]["remaining"], 90);
  EXPECT_EQ(json["counters"]["totalPages"], 20417);
  EXPECT_TRUE(json["counters"]["jams"].is_null()) << "no number: null, the text stays in DRVGET";
  EXPECT_EQ(json["DRVGET"]["JamCounts"], "many");
  EXPECT_EQ(json["DRVGET"].size(), 26u);
  EXPECT_EQ(json["DRVSET"], (nlohmann::json{{"SleepMode", "2"}, {"CassettePaper", "0"},
                                            {"TonerOutError", "1"}, {"FeedOffset", "0"},
                                            {"ScanOffset", "0"}}));
}

TEST_F(StatusTool, NoPrinterExitsOneWithTheMonitorsLine) {
  writeExchange(kUsbPort);
  auto run = status();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "printer          not found\n");
  EXPECT_NE(run.err.find("qz3317vt-status: no printer found"), std::string::npos) << run.err;
  auto json = statusJson();
  EXPECT_EQ(json["outcome"], "no printer");
  EXPECT_EQ(json["found"], false);
  EXPECT_TRUE(json["status"].is_null());
  EXPECT_FALSE(json.contains("toner"));
}

TEST_F(StatusTool, ASilentPrinterIsFoundButNotAnswering) {
  startPrinter("fault.CSICValues? = noreply\n");
  writeExchange(kUsbPort);
  auto run = status();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "printer          found, but it did not answer every query\n");
  EXPECT_EQ(run.err, "qz3317vt-status: no reply from the printer within 10000 ms\n");
}

TEST_F(StatusTool, ARunningMonitorKeepsItFromAsking) {
  startPrinter();
  writeExchange(kUsbPort);
  auto held = platform::base::InstanceLock::tryAcquire("QZ3317VT_PSM.EXE");
  ASSERT_TRUE(held);
  auto run = status();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "printer          not asked: another monitor is running (lock QZ3317VT_PSM.EXE)\n");
  EXPECT_EQ(requests(), "");
}

TEST_F(StatusTool, AParallelPortKeepsItOffUsb) {
  startPrinter();
  writeExchange("[DRVSPA]\r\nzPort=LPT1:\r\n");
  auto run = status();
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out,
            "printer          not asked: the driver's port setting zPort = LPT1: is a parallel port\n");
  EXPECT_EQ(requests(), "");
}

TEST_F(StatusTool, AnythingButJsonIsAUsageError) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--JSON"}, {"--json", "--json"}, {"INI"}}) {
    auto run = status(words);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "usage: qz3317vt-status [--json]\n");
    EXPECT_FALSE(std::filesystem::exists(root.winIni())) << "nothing ran";
  }
}

TEST(LevelBar, FillsItsShareRoundedAndClamped) {
  using status_tool::levelBar;
  EXPECT_EQ(levelBar(0), "[--------------------]");
  EXPECT_EQ(levelBar(2), "[--------------------]");   // under half a cell
  EXPECT_EQ(levelBar(3), "[#-------------------]");   // over half a cell
  EXPECT_EQ(levelBar(50), "[##########----------]");
  EXPECT_EQ(levelBar(100), "[####################]");
  EXPECT_EQ(levelBar(250), "[####################]");  // a printer reporting past full
  EXPECT_EQ(levelBar(-5), "[--------------------]");
  EXPECT_EQ(levelBar(50, 4), "[##--]");
}

}  // namespace
