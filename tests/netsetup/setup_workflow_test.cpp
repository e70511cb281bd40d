// The setup dialog's workflow on a headless form against the scripted
// printer, grouped by action: find device, save, query local IP. Texts are
// compared byte for byte in code page 936.
#include <gtest/gtest.h>

#include "netsetup/setup_form.h"
#include "netsetup/setup_texts.h"
#include "netsetup/setup_workflow.h"
#include "setup_fixture.h"
#include "text/codepage.h"

namespace netsetup_test {
namespace {

using namespace netsetup;

std::string ansi(const char* utf8) { return platform::text::utf8ToAnsi(utf8); }

const std::string kPrinterAddress = addressReply({192, 168, 1, 20}, {255, 255, 255, 0}, {192, 168, 1, 1});

class Workflow : public SetupFixture {
 protected:
  Workflow() {
    form.onMessage([this](const std::string& text) { boxes.push_back(text); });
    form.onConfirm([this](const std::string& text) {
      questions.push_back(text);
      return answerYes;
    });
    workflow.initDialog();
  }

  void expectDeviceArea(bool enabled) {
    for (int id : {kIdMac, kIdCurrentIp, kIdCurrentMask, kIdCurrentGateway, kIdIpLabel,
                   kIdMaskLabel, kIdGatewayLabel, kIdIpField, kIdMaskField, kIdGatewayField,
                   kIdSave}) {
      EXPECT_EQ(form.enabled(id), enabled) << "control " << id;
    }
  }
  void expectReset(const char* status) {
    EXPECT_EQ(form.text(kIdStatusLine), ansi(status));
    EXPECT_EQ(form.text(kIdMac), ansi("MAC地址："));
    EXPECT_EQ(form.text(kIdCurrentIp), ansi("当前IP地址："));
    EXPECT_EQ(form.text(kIdCurrentMask), ansi("当前子网掩码："));
    EXPECT_EQ(form.text(kIdCurrentGateway), ansi("当前默认网关："));
    for (int id : {kIdIpField, kIdMaskField, kIdGatewayField}) EXPECT_TRUE(form.field(id).blank());
    expectDeviceArea(false);
  }
  void expectPrinterValues() {
    EXPECT_EQ(form.text(kIdStatusLine), ansi("已连接打印机设备，请设置网络参数"));
    EXPECT_EQ(form.text(kIdCurrentIp), ansi("当前IP地址：192.168.1.20"));
    EXPECT_EQ(form.text(kIdCurrentMask), ansi("当前子网掩码：255.255.255.0"));
    EXPECT_EQ(form.text(kIdCurrentGateway), ansi("当前默认网关：192.168.1.1"));
    EXPECT_EQ(form.text(kIdMac), ansi("MAC地址：00:1B:A9:33:17:01"));
    EXPECT_EQ(form.field(kIdIpField).text(), "192.168.1.20");
    EXPECT_EQ(form.field(kIdMaskField).text(), "255.255.255.0");
    EXPECT_EQ(form.field(kIdGatewayField).text(), "192.168.1.1");
    expectDeviceArea(true);
  }
  void onNetworkOnly() {
    printer.onUsb = false;
    setLocalIp("192.168.1.20");
  }

  SetupForm form;
  SetupWorkflow workflow{form};
  std::vector<std::string> boxes;
  std::vector<std::string> questions;
  bool answerYes = false;
};

TEST(SetupTexts, AreCodePage936Bytes) {
  EXPECT_EQ(texts::communicationError(), "\xCD\xA8\xD1\xB6\xB4\xED\xCE\xF3");
  EXPECT_EQ(texts::macLabel(), "MAC\xB5\xD8\xD6\xB7\xA3\xBA");
  EXPECT_EQ(texts::caption(), "WARNING");
}

TEST_F(Workflow, InitDialogDisablesTheThreeFieldsAndLeavesTheLocalIpField) {
  for (int id : {kIdIpField, kIdMaskField, kIdGatewayField}) EXPECT_FALSE(form.enabled(id));
  EXPECT_TRUE(form.enabled(kIdLocalIpField));
  EXPECT_EQ(form.text(kIdStatusLine), ansi("欢迎使用QZ3317VT网络打印机"));
}

// --- Find device -----------------------------------------------------------

TEST_F(Workflow, FindOnUsbWithoutLocalDriverIpShowsTheValuesThenSaysNoDriver) {
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  expectPrinterValues();
  EXPECT_EQ(boxes, std::vector<std::string>{ansi("网络打印驱动未安装！")});
  EXPECT_EQ(printer.usbCommands, (std::vector<std::string>{"CheckIP;", "CheckMAC;"}));
  EXPECT_TRUE(printer.attempts.empty());
  EXPECT_TRUE(form.field(kIdLocalIpField).blank());
}

TEST_F(Workflow, MatchingLocalDriverIpShowsNoBox) {
  setLocalIp("192.168.1.20");
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(form.field(kIdLocalIpField).text(), "192.168.1.20");
}

TEST_F(Workflow, LocalDriverIpIsComparedAsTextSoLeadingZerosMismatch) {
  setLocalIp("192.168.001.020");
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  EXPECT_EQ(boxes,
            std::vector<std::string>{ansi("打印机IP与本地驱动IP不匹配，请重新设置打印机网络参数！")});
  // The field shows the text's octets; the values stay enabled for a save.
  EXPECT_EQ(form.field(kIdLocalIpField).text(), "192.168.1.20");
  expectPrinterValues();
}

TEST_F(Workflow, TheLocalIpFieldIsDisabledFromTheFirstFindOn) {
  printer.onUsb = false;
  printer.listening.reset();
  workflow.findDevice();
  EXPECT_FALSE(form.enabled(kIdLocalIpField));
  printer.onUsb = true;
  workflow.findDevice();
  EXPECT_FALSE(form.enabled(kIdLocalIpField));
}

TEST_F(Workflow, OtherUsbRepliesBeforeTheAddressReplyAreSkipped) {
  printer.answers["CheckIP;"] = {"Busy;", "Busy;", kPrinterAddress};
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  expectPrinterValues();
}

TEST_F(Workflow, TheFiftyFirstReplyIsTakenAsTheAddressReplyAllTheSame) {
  std::vector<std::string> replies(50, "Busy;");
  std::string other = addressReply({10, 0, 0, 5}, {255, 0, 0, 0}, {10, 0, 0, 1});
  replies.push_back("Other:" + other.substr(6));
  printer.answers["CheckIP;"] = replies;
  printer.answers["CheckMAC;"] = {};
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  EXPECT_EQ(form.text(kIdCurrentIp), ansi("当前IP地址：10.0.0.5"));
  // 51 reads for the address and one, which times out, for the MAC.
  EXPECT_EQ(printer.readLimits.size(), 51u + 1u);
}

TEST_F(Workflow, NetworkReplyWithoutTheTagThenAClosedConnectionIsACommunicationError) {
  onNetworkOnly();
  printer.answers["CheckIP;"] = {"Busy;", kPrinterAddress};
  EXPECT_EQ(workflow.findDevice(), FindOutcome::CommunicationError);
  expectReset("通讯错误");
  EXPECT_TRUE(boxes.empty());
  // The probe and the one connection of "CheckIP;": no second command.
  EXPECT_EQ(printer.networkCommands(), std::vector<std::string>{"CheckIP;"});
}

TEST_F(Workflow, NoReplyIsACommunicationErrorWithoutABox) {
  // Fields of an earlier find are cleared as well.
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  boxes.clear();
  printer.answers["CheckIP;"] = {};
  EXPECT_EQ(workflow.findDevice(), FindOutcome::CommunicationError);
  expectReset("通讯错误");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Workflow, NeitherOnUsbNorOnTheNetworkShowsTheBoxThenTheStatus) {
  printer.onUsb = false;
  printer.listening.reset();
  EXPECT_EQ(workflow.findDevice(), FindOutcome::NotConnected);
  EXPECT_EQ(boxes, std::vector<std::string>{ansi("未连接打印机设备")});
  expectReset("未连接打印机设备");
  EXPECT_EQ(setupKey(kConnectKey), "0");
}

TEST_F(Workflow, NoMacReplyLeavesTheMacLineAsItWas) {
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  printer.answers["CheckMAC;"] = {};
  printer.answers["CheckIP;"] = {addressReply({10, 0, 0, 7}, {255, 0, 0, 0}, {10, 0, 0, 1})};
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  EXPECT_EQ(form.text(kIdCurrentIp), ansi("当前IP地址：10.0.0.7"));
  EXPECT_EQ(form.text(kIdMac), ansi("MAC地址：00:1B:A9:33:17:01"));
  expectDeviceArea(true);
}

TEST_F(Workflow, FindOverTheNetworkUsesAProbeAndAConnectionPerCommand) {
  onNetworkOnly();
  EXPECT_EQ(workflow.findDevice(), FindOutcome::Read);
  expectPrinterValues();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(printer.attempts.size(), 3u);
  EXPECT_EQ(printer.networkCommands(), (std::vector<std::string>{"CheckIP;", "CheckMAC;"}));
  EXPECT_EQ(printer.openConnections, 0);
  EXPECT_EQ(setupKey(kConnectKey), "1");
}

// --- Save ------------------------------------------------------------------

TEST_F(Workflow, SuccessfulSaveRewritesTheLocalIpAndKeepsTheNewValuesGreyedOut) {
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  form.field(kIdIpField).setText("192.168.1.30");
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::Sent);
  EXPECT_EQ(printer.usbCommands.back(),
            std::string("SetIP=\xC0\xA8\x01\x1E\xFF\xFF\xFF\x00\xC0\xA8\x01\x01;", 19));
  EXPECT_EQ(form.text(kIdStatusLine), ansi("网络参数设置成功"));
  EXPECT_EQ(setupKey(kLocalIpKey), "192.168.1.30");
  EXPECT_EQ(form.text(kIdCurrentIp), ansi("当前IP地址：192.168.1.30"));
  EXPECT_EQ(form.text(kIdCurrentMask), ansi("当前子网掩码：255.255.255.0"));
  EXPECT_EQ(form.text(kIdCurrentGateway), ansi("当前默认网关：192.168.1.1"));
  for (int id : {kIdIpField, kIdMaskField, kIdGatewayField}) EXPECT_TRUE(form.field(id).blank());
  expectDeviceArea(false);
  // USB: no reply is read after the set command.
  EXPECT_EQ(printer.readLimits.size(), 2u);
}

TEST_F(Workflow, ABlankOctetIsSentAsZeroAndStoredAsZero) {
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  form.field(kIdGatewayField).setField(3, std::nullopt);
  form.field(kIdIpField).setField(2, std::nullopt);
  answerYes = true;  // 192.168.0.20 has its gateway 192.168.1.0 outside
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::Sent);
  EXPECT_EQ(printer.usbCommands.back(),
            std::string("SetIP=\xC0\xA8\x00\x14\xFF\xFF\xFF\x00\xC0\xA8\x01\x00;", 19));
  EXPECT_EQ(setupKey(kLocalIpKey), "192.168.0.20");
}

TEST_F(Workflow, SaveOverTheNetworkSendsTheCountedFrameAndDiscardsOneReply) {
  onNetworkOnly();
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  printer.answers[std::string("SetIP=\x3B\x3B\x01\x14\xFF\xFF\xFF\x00\x3B\x3B\x01\x01;", 19)] = {
      "SetIP:ok"};
  form.field(kIdIpField).setText("59.59.1.20");
  form.field(kIdGatewayField).setText("59.59.1.1");
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::Sent);
  EXPECT_EQ(printer.frames.back(),
            std::string("NET.SetIP=\x3B\x3B\x01\x14\xFF\xFF\xFF\x00\x3B\x3B\x01\x01;", 23));
  EXPECT_EQ(printer.openConnections, 0);
  EXPECT_EQ(setupKey(kLocalIpKey), "59.59.1.20");
}

TEST_F(Workflow, SaveAfterUnpluggingSaysNotConnectedWithoutABox) {
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  boxes.clear();
  printer.onUsb = false;
  printer.listening.reset();
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::NotConnected);
  expectReset("未连接打印机设备");
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(setupKey(kLocalIpKey), "<missing>");
}

TEST_F(Workflow, ASendThatFailsSaysSoAndResetsTheLabels) {
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  printer.failingWriteCalls = 3;
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::NotSent);
  expectReset("网络参数设置失败");
  EXPECT_EQ(setupKey(kLocalIpKey), "<missing>");
}

TEST_F(Workflow, DoubtfulSettingsAreSentOnlyWhenTheUserSaysYes) {
  ASSERT_EQ(workflow.findDevice(), FindOutcome::Read);
  form.field(kIdIpField).setText("192.168.1.255");
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::Declined);
  EXPECT_EQ(questions, std::vector<std::string>{ansi(
                           "这些网络参数可能有误：\r\nIP地址是子网的广播地址\r\n是否仍要发送到打印机？")});
  // Nothing was sent, and the dialog stays as it was, ready for a change.
  EXPECT_EQ(printer.usbCommands.size(), 2u);
  EXPECT_EQ(form.field(kIdIpField).text(), "192.168.1.255");
  expectDeviceArea(true);
  answerYes = true;
  EXPECT_EQ(workflow.saveSettings(), SaveOutcome::Sent);
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_EQ(setupKey(kLocalIpKey), "192.168.1.255");
}

// --- Query local IP --------------------------------------------------------

TEST_F(Workflow, QueryLocalIpShowsTheKeyOrSaysNoDriver) {
  workflow.queryLocalIp();
  EXPECT_EQ(boxes, std::vector<std::string>{ansi("网络打印驱动未安装！")});
  EXPECT_FALSE(form.enabled(kIdLocalIpField));
  setLocalIp("10.1.2.3");
  workflow.queryLocalIp();
  EXPECT_EQ(form.field(kIdLocalIpField).text(), "10.1.2.3");
  EXPECT_EQ(boxes.size(), 1u);
}

}  // namespace
}  // namespace netsetup_test
