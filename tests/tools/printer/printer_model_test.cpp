// The simulated printer's pieces that need no bus: scenario parsing, the
// request log escaping, the codes the monitor will see, and the settings.
#include <gtest/gtest.h>

#include "tools/printer/printer_model.h"
#include "tools/printer/request_log.h"
#include "tools/printer/scenario.h"

namespace {

using namespace printer;

TEST(RequestLog, EscapesWhatIsNotPrintable) {
  auto check = [](std::string_view bytes, std::string_view logged) {
    EXPECT_EQ(escapeBytes(bytes), logged);
  };
  check("Status?", "Status?");
  check("a\\b", "a\\\\b");
  check(std::string_view("\r\n\t\0", 4), "\\r\\n\\t\\0");
  check("\x7f\x01\xd6\xd0", "\\x7f\\x01\\xd6\\xd0");  // DEL, control, code page 936 text
}

TEST(Scenario, ParsesKeysAndRejectsUnknownOnes) {
  std::string error;
  auto scenario = parseScenario(
      "# comment\nstatus = 44114\nvalue.SleepMode = 30\nfault.SER.Features? = noreply\nchunks.SER.Features? = 2\n"
      "delay.Status? = 300\nreply.Version? = a\\r\\n\\0b\\x41\nshort-write = 5\n"
      "device.2.hwid = USB\\VID_7A3C&PID_5B21\ndevice.2.path-length = 260\n",
      error);
  ASSERT_TRUE(scenario) << error;
  EXPECT_EQ(scenario->status, 44114);
  EXPECT_EQ(scenario->values.at("SleepMode"), "30");
  EXPECT_TRUE(scenario->behaviour("SER.Features?").noReply);
  EXPECT_EQ(scenario->behaviour("SER.Features?").chunks, 2u);
  EXPECT_EQ(scenario->behaviour("Status?").delay.count(), 300);
  EXPECT_EQ(scenario->behaviour("Version?").reply, std::string("a\r\n\0bA", 6));
  EXPECT_EQ(scenario->shortWrite, 5u);
  ASSERT_EQ(scenario->devices.size(), 2u);
  EXPECT_EQ(scenario->devices[1].hardwareIds, std::vector<std::string>{"USB\\VID_7A3C&PID_5B21"});
  EXPECT_EQ(interfacePath(scenario->devices[1], 7).size(), 260u);
  EXPECT_EQ(interfacePath(scenario->devices[0], 7), "sim:1:7");

  for (const char* bad : {"colour = red\n", "status = soon\n", "fault.Status? = melt\n",
                          "device.0.path = x\n", "no equals sign\n"}) {
    EXPECT_FALSE(parseScenario(bad, error)) << bad;
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  }
}

// Every number of a scenario has the range the printer can serve: its last
// value is taken, the next one and numbers beyond 64 bits are refused with
// the range named, and so is a value below the first.
TEST(Scenario, NumbersOutsideWhatThePrinterServesAreRefused) {
  struct Range {
    const char* key;
    const char* first;
    const char* last;
    const char* beyond;
  };
  const Range ranges[] = {
      {"status", "0", "99999", "100000"},
      {"error.Status?", "0", "99999", "100000"},
      {"delay.Status?", "0", "86400000", "86400001"},
      {"lines.Features?", "0", "512", "513"},
      {"chunks.Features?", "0", "30", "31"},
      {"device.1.path-length", "0", "2048", "2049"},
      {"short-write", "0", "65536", "65537"},
      {"unplugged", "0", "1", "2"},
      {"device.2.unplugged", "0", "1", "2"},
      {"device.1.classes", "0", "7 255", "7 256"},
  };
  auto line = [](const char* key, std::string_view value) {
    return std::string(key) + " = " + std::string(value) + "\n";
  };
  for (const auto& range : ranges) {
    std::string error;
    EXPECT_TRUE(parseScenario(line(range.key, range.first), error)) << range.key << ": " << error;
    EXPECT_TRUE(parseScenario(line(range.key, range.last), error)) << range.key << ": " << error;
    for (std::string_view bad : {std::string_view(range.beyond), std::string_view("-1"),
                                 std::string_view("99999999999999999999")}) {
      std::string text = "# a comment first\n" + line(range.key, bad);
      EXPECT_FALSE(parseScenario(text, error)) << text;
      std::string named = "scenario line 2: " + std::string(range.key) + " = " + std::string(bad);
      EXPECT_NE(error.find(named), std::string::npos) << error;
      EXPECT_NE(error.find(" to "), std::string::npos) << "range named: " << error;
    }
  }
  std::string error;
  EXPECT_FALSE(parseScenario("device.65.hwid = X\n", error));
  EXPECT_NE(error.find("(from 1 to 64)"), std::string::npos) << error;
}

class Settings : public ::testing::Test {
 protected:
  std::string answer(std::string_view request) {
    return model_.answerPrinting(request, scenario_).reply;
  }
  Scenario scenario_ = defaultScenario();
  PrinterModel model_{scenario_, scenario_.devices.front()};
};

TEST_F(Settings, AcceptedValuesChangeTheModelRefusedOnesDoNot) {
  auto accepted = [&](std::string_view statement, const char* item, const char* stored) {
    EXPECT_EQ(answer(statement), std::string(item) + "=" + stored + ";CODE=00020\r\n") << statement;
    EXPECT_EQ(model_.value(item), stored);
  };
  auto refused = [&](std::string_view statement, const char* item) {
    std::string before = model_.value(item);
    EXPECT_EQ(answer(statement), "Error=BadValue;CODE=03040\r\n") << statement;
    EXPECT_EQ(model_.value(item), before);
  };
  accepted("SleepMode=Off;", "SleepMode", "Off");
  accepted("SleepMode=240;", "SleepMode", "240");
  refused("SleepMode=1000;", "SleepMode");
  accepted("CassettePaper=Letter;", "CassettePaper", "Letter");
  refused("CassettePaper=;", "CassettePaper");
  accepted("TonerOutError=Continue;", "TonerOutError", "Continue");
  refused("TonerOutError=stop;", "TonerOutError");
  accepted("FeedOffset=1.5;", "FeedOffset", "+1.5");  // the sign is added
  accepted("ScanOffset=-0.5;", "ScanOffset", "-0.5");
  refused("ScanOffset=-15;", "ScanOffset");
  EXPECT_EQ(answer("UserSetInitial;"), "UserSetInitial=OK;CODE=00020\r\n");
  EXPECT_EQ(model_.value("FeedOffset"), "+0.0");
  EXPECT_EQ(answer("TotalPages=0;"), "Error=UnknownItem;CODE=03040\r\n");
}

TEST_F(Settings, OneRequestWithSeveralWordsGetsOneAnswerEach) {
  EXPECT_EQ(answer("SleepMode=30;Status?"), "SleepMode=30;CODE=00020\r\nStatus=Ready;CODE=00001\r\n");
}

// The device sends further chunks only where the scenario says so, whatever
// the reply holds: the printer knows nothing of what its host will read.
TEST_F(Settings, FurtherChunksFollowOnlyTheWordsTheScenarioNames) {
  scenario_.words["Features?"].errorCode = 3040;
  scenario_.words["Version?"].reply = "V=1;CODE=00999\r\n";
  scenario_.words["Status?"].chunks = 2;
  EXPECT_EQ(model_.answerPrinting("Features?", scenario_).extraChunks, 0u);
  EXPECT_EQ(model_.answerPrinting("Version?", scenario_).extraChunks, 0u);
  EXPECT_EQ(model_.answerPrinting("Status?", scenario_).extraChunks, 2u);
  EXPECT_EQ(model_.answerPrinting("Status?SleepMode=30;", scenario_).extraChunks, 2u)
      << "the chunks of each word of a request add up";
}

}  // namespace
