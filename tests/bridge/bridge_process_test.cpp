// The built bridge against a private cupsd, with the status window on the
// headless host and the usage log recorder: the test prints with lp, plays
// the printer through the test backend's scenarios and the user through the
// window's standard input, and reads the exchange files and the database.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "profile/profile.h"
#include "private_cupsd.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace {

using testing_support::BackgroundProcess;
using testing_support::runProgram;

class BridgeRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cupsd.start());
    auto made = runProgram({QZ_LOGDB, "init"}, environment());
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  void TearDown() override {
    if (bridge_) endBridge();
  }

  std::map<std::string, std::string> environment() const {
    return {{"QZ3317VT_ROOT", root.path().string()},
            {"QZ3317VT_UI", "headless"},
            {"QZ3317VT_UI_TICKS", "driven"},
            {"QZ3317VT_USB", "sim"},
            {"QZ3317VT_SIM_READ_LIMIT_MS", "500"}};
  }
  std::vector<std::string> bridgeCommand() const {
    return {QZ_BRIDGE, "--server", cupsd.server(), "--active-poll", "50", "--idle-poll", "200"};
  }
  // Starts the bridge and waits for its first status in `exchangeFile`.
  void startBridge(const char* exchangeFile = "QZ3317VT_SMD.DAT") {
    bridge_ = std::make_unique<BackgroundProcess>(bridgeCommand(), environment(), root.path() / "bridge.err");
    ASSERT_TRUE(waitFor([&] { return key(exchangeFile, "DRVMSG", "msgCode") == "10001"; })) << log();
  }
  // Ends the window if one runs (Esc), then the bridge.
  void endBridge() {
    bridge_->writeInput("key esc\n");
    bridge_->terminate();
    bridge_.reset();
  }
  std::string log() const { return testing_support::readFile(root.path() / "bridge.err"); }

  // Sends one line to the window, then a sync; the window's lines before it.
  std::string send(const std::string& line) {
    auto token = std::to_string(++syncs_);
    EXPECT_TRUE(bridge_->writeInput(line + "\nsync " + token + "\n"));
    std::string seen;
    while (auto output = bridge_->readLine()) {
      if (*output == "sync " + token) return seen;
      seen += *output + "\n";
    }
    ADD_FAILURE() << "output ended before the sync:\n" << seen << log();
    return seen;
  }

  // Polls `done` for at most 15 seconds.
  static bool waitFor(const std::function<bool()>& done) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < limit) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
  }

  std::string key(const char* file, const char* section, const char* name) const {
    return platform::profile::getString(root.recordFolder() / file, section, name, "<none>", 64);
  }
  std::string local(const char* section, const char* name) const { return key("QZ3317VT_SMD.DAT", section, name); }
  std::string network(const char* section, const char* name) const {
    return key("QZ3317VT_SMD_NET.DAT", section, name);
  }

  // The rows of `table` as CSV lines, without the header.
  std::vector<std::string> rows(const char* table) const {
    auto listed = runProgram({QZ_LOGDB, "export", table, "--csv"}, environment());
    std::vector<std::string> lines;
    std::size_t start = listed.out.find('\n');
    while (start != std::string::npos && start + 1 < listed.out.size()) {
      std::size_t end = listed.out.find('\n', start + 1);
      std::string line = listed.out.substr(start + 1, end - start - 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      start = end;
    }
    return lines;
  }
  bool rowCount(const char* table, std::size_t count) const {
    return waitFor([&] { return rows(table).size() == count; });
  }
  static bool has(const std::string& lines, const std::string& line) {
    return lines.find(line + "\n") != std::string::npos;
  }

  // A jam on the first try (the backend holds the job), pages on the next.
  static constexpr const char* kJamScenario =
      "1 state +media-jam-error\n1 exit 3\n"
      "2 state -media-jam-error\n2 page 1 1\n2 page 2 1\n";

  testing_support::TempRoot root;
  bridge_test::PrivateCupsd cupsd;
  std::unique_ptr<BackgroundProcess> bridge_;

 private:
  int syncs_ = 0;
};

TEST_F(BridgeRun, JamShownAnsweredWithContinueReleasesTheJobAndRecordsIt) {
  cupsd.addQueue("qz", "usb", kJamScenario);
  startBridge();
  EXPECT_EQ(local("DRVSPA", "zPort"), "USB001");
  cupsd.print("qz", "Quarterly report", 2);

  ASSERT_TRUE(waitFor([&] { return local("DRVMSG", "msgCode") == "44114"; })) << log();
  EXPECT_EQ(local("DRVSPA", "Printing"), "1");
  EXPECT_EQ(local("DRVMSG", "msgSending"), "1");
  EXPECT_EQ(local("JobInfo", "Copies"), "2");
  auto jam = send("tick");
  EXPECT_TRUE(has(jam, "window shown")) << jam << log();
  EXPECT_TRUE(has(jam, "control 1424 shown")) << jam;
  EXPECT_TRUE(has(jam, "control 1426 shown")) << jam;

  send("click 1424");
  ASSERT_TRUE(rowCount("PRINTDOC", 1)) << log();
  auto row = rows("PRINTDOC")[0];
  EXPECT_TRUE(row.starts_with("root,")) << row;
  EXPECT_NE(row.find(",Quarterly report,"), std::string::npos) << row;
  EXPECT_TRUE(row.ends_with(",2,2,打印成功")) << "two pages, two copies: " << row;
  EXPECT_TRUE(waitFor([&] { return local("DRVSPA", "Printing") == "0"; }));
  EXPECT_EQ(local("DRVMSG", "msgCode"), "10001") << "the jam was cleared on the second try";
  EXPECT_EQ(local("PRINT", "strDocmentName"), "Quarterly report");
  EXPECT_NE(log().find("release job"), std::string::npos) << log();
}

TEST_F(BridgeRun, JamAnsweredWithCancelCancelsThatJobAndRecordsItCanceled) {
  cupsd.addQueue("qz", "usb", kJamScenario);
  startBridge();
  cupsd.print("qz", "Draft", 1);
  ASSERT_TRUE(waitFor([&] { return local("DRVMSG", "msgCode") == "44114"; })) << log();
  EXPECT_TRUE(has(send("tick"), "control 1426 shown"));

  send("click 1426");
  EXPECT_EQ(local("DRVMSG", "msgResult"), "4") << "the bridge is the sender: the window sends nothing";
  ASSERT_TRUE(rowCount("PRINTDOC", 1)) << log();
  EXPECT_TRUE(rows("PRINTDOC")[0].ends_with(",0,1,打印取消")) << rows("PRINTDOC")[0];
  EXPECT_TRUE(waitFor([&] { return local("DRVSPA", "Printing") == "0"; }));
  EXPECT_NE(log().find("cancel job"), std::string::npos) << log();
}

TEST_F(BridgeRun, NetworkQueueWritesTheNetworkExchangeFileAndStartsNoWindow) {
  cupsd.addQueue("qznet", "socket", "* page 1 1\n");
  startBridge("QZ3317VT_SMD_NET.DAT");
  cupsd.print("qznet", "Net page", 3);
  ASSERT_TRUE(rowCount("PRINTDOC_NET", 1)) << log();
  EXPECT_TRUE(rows("PRINTDOC_NET")[0].ends_with(",1,3,打印成功")) << rows("PRINTDOC_NET")[0];
  EXPECT_TRUE(rows("PRINTDOC").empty());
  EXPECT_EQ(network("PRINT", "Copies"), "3");
  EXPECT_EQ(network("DRVSPA", "zPort"), "<none>");
  EXPECT_EQ(local("PRINT", "Copies"), "<none>");
  EXPECT_EQ(log().find("started QZ3317VT_PSM"), std::string::npos) << log();
}

TEST_F(BridgeRun, CupsdRestartedMidJobIsFollowedAndTheJobRecordedOnce) {
  auto go = cupsd.folder() / "go";
  cupsd.addQueue("qz", "usb", "1 wait " + go.string() + "\n* page 1 1\n");
  startBridge();
  cupsd.print("qz", "Long job", 1);
  ASSERT_TRUE(waitFor([&] { return local("DRVSPA", "Printing") == "1"; })) << log();

  cupsd.stop();
  ASSERT_TRUE(waitFor([&] { return log().find("does not answer") != std::string::npos; })) << log();
  ASSERT_TRUE(cupsd.start());
  // The restarted server runs the job again from its start: second try.
  ASSERT_TRUE(rowCount("PRINTDOC", 1)) << log();
  EXPECT_TRUE(waitFor([&] { return local("DRVSPA", "Printing") == "0"; })) << log();
  EXPECT_NE(log().find("answers again"), std::string::npos) << log();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(rows("PRINTDOC").size(), 1u);
}

TEST_F(BridgeRun, SecondBridgeIsRefusedAndTheFirstGoesOn) {
  cupsd.addQueue("qz", "usb", "* page 1 1\n");
  startBridge();
  auto second = runProgram(bridgeCommand(), environment());
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("another bridge runs"), std::string::npos) << second.err;
  cupsd.print("qz", "After the second", 1);
  ASSERT_TRUE(rowCount("PRINTDOC", 1)) << log();
}

TEST_F(BridgeRun, JobEndedWhileNoBridgeRanIsRecordedOnceAcrossRestarts) {
  auto go = cupsd.folder() / "go";
  cupsd.addQueue("qz", "usb", "1 wait " + go.string() + "\n* page 1 1\n");
  startBridge();
  cupsd.print("qz", "Across restarts", 1);
  ASSERT_TRUE(waitFor([&] { return local("DRVSPA", "Printing") == "1"; })) << log();
  endBridge();

  cupsd.release(go);
  ASSERT_TRUE(waitFor([&] {
    auto done = runProgram({QZ_LPSTAT, "-h", cupsd.server(), "-W", "completed", "-o", "qz"});
    return done.out.find("qz-1") != std::string::npos;
  }));
  startBridge();
  ASSERT_TRUE(rowCount("PRINTDOC", 1)) << log();
  endBridge();

  startBridge();
  cupsd.print("qz", "Next one", 1);
  ASSERT_TRUE(rowCount("PRINTDOC", 2)) << log();
  auto all = rows("PRINTDOC");
  EXPECT_NE(all[0].find("Across restarts"), std::string::npos) << all[0];
  EXPECT_NE(all[1].find("Next one"), std::string::npos) << all[1];
}

TEST_F(BridgeRun, DeletedQueueIsLoggedOnceAndTheBridgeKeepsRunning) {
  cupsd.addQueue("qz", "usb", "* page 1 1\n");
  startBridge();
  cupsd.deleteQueue("qz");
  ASSERT_TRUE(waitFor([&] { return log().find("cannot be watched") != std::string::npos; })) << log();
  cupsd.addQueue("qz", "usb", "* page 1 1\n");
  ASSERT_TRUE(waitFor([&] { return log().find("is watched again") != std::string::npos; })) << log();
  cupsd.print("qz", "Back again", 1);
  ASSERT_TRUE(rowCount("PRINTDOC", 1)) << log();
  auto text = log();
  EXPECT_EQ(text.find("cannot be watched"), text.rfind("cannot be watched")) << "one line:\n" << text;
}

}  // namespace
