// Driver command batches: what is sent, the result, and the failure box.
#include <gtest/gtest.h>

#include "fake_usb_bus.h"
#include "monitor/core/ppl_w3.h"
#include "ui/message_box.h"
#include "profile/profile.h"
#include "tests/support/temp_root.h"

namespace monitor {
namespace {

using testing_support::FakeUsbBus;

class RecordingBoxes final : public platform::ui::MessageBoxHost {
 public:
  void show(const platform::ui::MessageBoxRequest& request) override { shown.push_back(request); }
  std::vector<platform::ui::MessageBoxRequest> shown;
};

class Batch : public ::testing::Test {
 protected:
  Batch() {
    usb.OpenLink();
    platform::ui::setMessageBoxHost(&boxes);
  }
  ~Batch() override { platform::ui::setMessageBoxHost(nullptr); }

  void set(const char* key, const std::string& value) {
    platform::profile::writeString(root.exchangeFile(), "DRVCMD", key, value);
  }
  std::string get(const char* key) {
    return platform::profile::getString(root.exchangeFile(), "DRVCMD", key, "<none>", 16);
  }
  void accept(int times) {
    for (int i = 0; i < times; ++i) bus.reply("SleepMode=30;CODE=00020\r\n");
  }

  testing_support::TempRoot root;
  FakeUsbBus bus;
  COrvoUsb usb{bus};
  CPPL_W3 printer{usb};
  RecordingBoxes boxes;
};

TEST_F(Batch, NoCommandsSendsNothing) {
  set("Result", "1");
  EXPECT_EQ(printer.RunCommandBatch(), 0);
  EXPECT_TRUE(bus.written.empty());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(get("Result"), "0");
  EXPECT_EQ(get("Run"), "0");
}

TEST_F(Batch, MissingKeysAreSentAsZero) {
  set("MaxCount", "3");
  set("Cmd1", "SleepMode=30");
  set("Cmd2", "FeedOffset=-1.5");
  accept(3);
  EXPECT_EQ(printer.RunCommandBatch(), 1);
  EXPECT_EQ(bus.written, (std::vector<std::string>{"SleepMode=30;", "FeedOffset=-1.5;", "0;"}));
  EXPECT_EQ(get("Result"), "1");
}

TEST_F(Batch, AtMostTenCommands) {
  set("MaxCount", "12");
  for (int i = 1; i <= 12; ++i) set(("Cmd" + std::to_string(i)).c_str(), "C" + std::to_string(i));
  accept(12);
  printer.RunCommandBatch();
  ASSERT_EQ(bus.written.size(), 10u);
  EXPECT_EQ(bus.written.back(), "C10;");
}

TEST_F(Batch, EmptyLastCommandGivesZeroWithoutABox) {
  set("MaxCount", "2");
  set("Cmd1", "SleepMode=30");
  set("Cmd2", "");
  accept(1);
  EXPECT_EQ(printer.RunCommandBatch(), 0);
  EXPECT_EQ(bus.written.size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(get("Result"), "0");
}

TEST_F(Batch, LongCommandIsCutTo63Characters) {
  set("MaxCount", "1");
  set("Cmd1", std::string(70, 'x'));
  accept(1);
  printer.RunCommandBatch();
  ASSERT_EQ(bus.written.size(), 1u);
  EXPECT_EQ(bus.written[0], std::string(63, 'x') + ";");
}

TEST_F(Batch, RejectThenAccept) {
  set("MaxCount", "1");
  set("Cmd1", "SleepMode=30");
  bus.reply("CODE=00007\r\n");  // answered, but not confirmed
  accept(1);
  EXPECT_EQ(printer.RunCommandBatch(), 1);
  EXPECT_EQ(bus.written.size(), 2u) << "two transactions";
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Batch, OnlyTheLastCommandDecides) {
  set("MaxCount", "2");
  set("Cmd1", "A");
  set("Cmd2", "B");
  accept(1);
  for (int i = 0; i < 3; ++i) bus.reply("CODE=00007\r\n");
  EXPECT_EQ(printer.RunCommandBatch(), 0);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(Batch, FailureBoxTakesItsTextsFromTheResourceFile) {
  testing_support::writeFile(root.resourceFile(),
                             "[FW_MSG]\r\nmsgCode=Update\r\nmsgCodei1=First\r\nmsgCodei2=Second\r\n"
                             "msgCodei4=Fourth\r\n");
  usb.clearLink();
  set("MaxCount", "1");
  set("Cmd1", "A");
  EXPECT_EQ(printer.RunCommandBatch(), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Update");
  EXPECT_EQ(boxes.shown[0].text, "First\r\nSecond\r\n") << "stops at the first missing line";
  EXPECT_EQ(boxes.shown[0].icon, platform::ui::MessageIcon::Error);
}

TEST_F(Batch, FailureBoxDefaultsAndLimit) {
  usb.clearLink();
  EXPECT_EQ(printer.SendBatchCommand("A;"), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "ERROR!");
  EXPECT_EQ(boxes.shown[0].text, "Flash Writing Error");

  // Nine lines of 200 characters: two fit in 519 characters with their line ends.
  std::string resource = "[FW_MSG]\r\nmsgCode=C\r\n";
  for (int i = 1; i <= 9; ++i) resource += "msgCodei" + std::to_string(i) + "=" + std::string(200, char('a' + i)) + "\r\n";
  testing_support::writeFile(root.resourceFile(), resource);
  printer.SendBatchCommand("A;");
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, std::string(200, 'b') + "\r\n" + std::string(200, 'c') + "\r\n");
}

TEST_F(Batch, ChineseBoxTextsArriveAsUtf8) {
  // "错误" and "写入失败" in code page 936.
  testing_support::writeFile(root.resourceFile(),
                             "[FW_MSG]\r\nmsgCode=\xB4\xED\xCE\xF3\r\nmsgCodei1=\xD0\xB4\xC8\xEB\xCA\xA7\xB0\xDC\r\n");
  usb.clearLink();
  printer.SendBatchCommand("A;");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "错误");
  EXPECT_EQ(boxes.shown[0].text, "写入失败\r\n");
}

}  // namespace
}  // namespace monitor
