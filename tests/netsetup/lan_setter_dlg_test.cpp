// The setup dialog on the headless host against the scripted printer: what
// a user sees and sends when finding the printer, typing new settings and
// saving them, the question before doubtful settings, and the about box.
#include <gtest/gtest.h>

#include <sstream>

#include "netsetup/lan_setter_dlg.h"
#include "netsetup/setup_texts.h"
#include "setup_fixture.h"
#include "ui/headless_host.h"

namespace netsetup_test {
namespace {

using netsetup::Clan_setterDlg;
using netsetup::Octets;

class SetupDialog : public SetupFixture {
 protected:
  void open() {
    ASSERT_TRUE(dialog.create());
    host.flush();
    lines();
  }
  // Sends input lines; the output lines they caused.
  std::string send(std::initializer_list<std::string_view> input) {
    for (auto line : input) host.dispatch(line);
    return lines();
  }
  std::string lines() {
    auto text = out.str();
    out.str("");
    return text;
  }
  static bool has(const std::string& text, const std::string& line) {
    return text.find(line + "\n") != std::string::npos;
  }
  std::string lastUsbCommand() const {
    return printer.usbCommands.empty() ? "" : printer.usbCommands.back();
  }
  static std::string setCommand(const Octets& ip, const Octets& mask, const Octets& gateway) {
    auto bytes = netsetup::setIpCommand(ip, mask, gateway);
    return {bytes.begin(), bytes.end()};
  }

  std::ostringstream out;
  platform::ui::HeadlessHost host{{-1, &out, nullptr, nullptr}};
  Clan_setterDlg dialog{host};
};

TEST_F(SetupDialog, OpensWithTheTemplateTextsAndTheThreeFieldsDisabled) {
  ASSERT_TRUE(dialog.create());
  host.flush();
  auto shown = lines();
  EXPECT_TRUE(shown.starts_with("dialog 102 \"QZ3317VT网络打印机参数设置\" ")) << shown;
  for (auto line : {"control 1003 disabled", "control 1004 disabled", "control 1005 disabled",
                    "control 1001 disabled", "control 1016 enabled", "control 1 hidden",
                    "control 1015 hidden", "text 1010 \"欢迎使用QZ3317VT网络打印机\"",
                    "text 1016 \"0.0.0.0\""})
    EXPECT_TRUE(has(shown + send({"dump"}), line)) << line;
}

TEST_F(SetupDialog, FindShowsThePrinterThenTypedSettingsAreSavedAndTheFieldsCleared) {
  open();
  auto found = send({"click 1000"});
  for (auto line : {"text 1003 \"192.168.1.20\"", "text 1004 \"255.255.255.0\"",
                    "text 1005 \"192.168.1.1\"", "text 1012 \"当前IP地址：192.168.1.20\"",
                    "text 1018 \"MAC地址：00:1B:A9:33:17:01\"",
                    "text 1010 \"已连接打印机设备，请设置网络参数\"",
                    "message plain \"WARNING\" \"网络打印驱动未安装！\"", "control 1001 enabled",
                    "control 1003 enabled", "control 1016 disabled"})
    EXPECT_TRUE(has(found, line)) << line << "\n" << found;

  auto saved = send({"type 1003 192.168.1.30", "type 1004 255.255.255.", "click 1001"});
  EXPECT_EQ(lastUsbCommand(), setCommand({192, 168, 1, 30}, {255, 255, 255, 0}, {192, 168, 1, 1}));
  EXPECT_EQ(setupKey(netsetup::kLocalIpKey), "192.168.1.30");
  for (auto line : {"text 1010 \"网络参数设置成功\"", "text 1012 \"当前IP地址：192.168.1.30\"",
                    "text 1003 \"0.0.0.0\"",
                    "control 1001 disabled", "control 1012 disabled"})
    EXPECT_TRUE(has(saved, line)) << line << "\n" << saved;
  EXPECT_EQ(send({"type 1003 1.2.3.4"}), "error type: control 1003 is hidden or disabled\n");
}

TEST_F(SetupDialog, DoubtfulSettingsAreSentOnlyAfterAYes) {
  open();
  send({"click 1000", "type 1005 10.0.0.1"});
  auto declined = send({"answer no", "click 1001"});
  EXPECT_TRUE(declined.find("message question \"WARNING\" \"这些网络参数可能有误：") !=
              std::string::npos) << declined;
  EXPECT_TRUE(has(declined, "answered no")) << declined;
  EXPECT_EQ(lastUsbCommand(), "CheckMAC;");
  EXPECT_EQ(setupKey(netsetup::kLocalIpKey), "<missing>");

  send({"type 1005 10.0.0.1", "answer yes", "click 1001"});
  EXPECT_EQ(lastUsbCommand(), setCommand({192, 168, 1, 20}, {255, 255, 255, 0}, {10, 0, 0, 1}));
}

TEST_F(SetupDialog, FindWithoutAPrinterSaysSoInABoxThenInTheStatusLine) {
  printer.onUsb = false;
  printer.devices.clear();
  printer.listening.reset();
  setLocalIp("192.168.1.20");
  open();
  auto text = send({"click 1000"});
  auto box = text.find("message plain \"WARNING\" \"未连接打印机设备\"");
  auto status = text.find("text 1010 \"未连接打印机设备\"");
  ASSERT_NE(box, std::string::npos) << text;
  EXPECT_GT(status, box) << text;
  EXPECT_FALSE(has(text, "control 1001 enabled"));
}

TEST_F(SetupDialog, CloseButtonEscAndTheHiddenOkButton) {
  open();
  EXPECT_EQ(send({"click 1"}), "error click: control 1 is hidden\n");
  EXPECT_EQ(send({"click 2"}), "window hidden\nend 2\n");
  EXPECT_TRUE(printer.usbCommands.empty());
}

}  // namespace
}  // namespace netsetup_test
