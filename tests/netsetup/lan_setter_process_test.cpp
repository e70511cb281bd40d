// The built lan_setter --find and --save against the simulated printer, on
// its USB imaging interface and on its TCP port 9100 at a loopback address
// of the test's own; and a default run under the loopback-only rule.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "base/unique_fd.h"
#include "tests/support/case_names.h"
#include "tests/support/printer_process.h"
#include "tests/support/process.h"

namespace {

using testing_support::RunResult;

// A random address in 127.0.0.0/8 whose port 9100 is free now, so tests
// running side by side each have a printer of their own on the real port.
std::string freeLoopbackAddress() {
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> part(1, 254);
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::string address = "127." + std::to_string(part(random)) + "." +
                          std::to_string(part(random)) + "." + std::to_string(part(random));
    platform::base::UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(9100);
    ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    if (::bind(probe.get(), reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) return address;
  }
  ADD_FAILURE() << "no free loopback address for port 9100";
  return "127.0.0.1";
}

// The program's path on PATH; empty when it is not there.
std::string onPath(const std::string& program) {
  std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
  for (std::string folder; std::getline(path, folder, ':');) {
    std::string candidate = folder + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

class LanSetter : public ::testing::Test {
 protected:
  // The printer on TCP only (nothing on the bus), local driver IP at it.
  void startOnNetwork(const std::string& extra = "") {
    setLocalIp(address);
    ASSERT_TRUE(printer.start("unplugged = 1\ntcp = " + address + ":9100\nvalue.IP = " + address +
                              "\n" + extra));
  }
  void startOnUsb(const std::string& extra = "") { ASSERT_TRUE(printer.start(extra)); }

  RunResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), QZ_LAN_SETTER);
    return testing_support::runProgram(arguments, environment());
  }
  std::map<std::string, std::string> environment() const {
    return {{"QZ3317VT_ROOT", printer.root().string()},
            {"QZ3317VT_USB", "sim"},
            {"QZ3317VT_NET", "loopback-only"}};
  }

  void setLocalIp(const std::string& ip) {
    testing_support::writeFile(printer.tempRoot().winIni(),
                               "[DRVSTM_QZ3317VT]\r\nPrintPortInUse=" + ip + "\r\n");
  }
  std::string winIni() const { return testing_support::readFile(printer.tempRoot().winIni()); }
  std::string requests() const { return printer.requestLogText(); }
  bool sentSetIp() const { return requests().find("SetIP=") != std::string::npos; }

  // What --find prints for the simulated printer's default values at `ip`.
  static std::string foundLines(const std::string& ip, const std::string& mac = "00:1B:A9:33:17:01") {
    return "已连接打印机设备，请设置网络参数\nMAC地址：" + mac + "\n当前IP地址：" + ip +
           "\n当前子网掩码：255.0.0.0\n当前默认网关：127.0.0.1\n";
  }

  const std::string address = freeLoopbackAddress();
  testing_support::PrinterProcess printer;
};

constexpr const char* kNoDriver = "WARNING: 网络打印驱动未安装！\n";
constexpr const char* kResetLines = "MAC地址：\n当前IP地址：\n当前子网掩码：\n当前默认网关：\n";

// --- --find ----------------------------------------------------------------

TEST_F(LanSetter, FindOverTcpReadsThePrinterAtTheLocalDriverIp) {
  startOnNetwork();
  auto result = run({"--find"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, foundLines(address));
  EXPECT_EQ(requests(), "NET.CheckIP;\nNET.CheckMAC;\n");
  EXPECT_NE(winIni().find("Connect=1"), std::string::npos);
}

TEST_F(LanSetter, FindOverUsbWithoutDriverSaysSoAfterTheValues) {
  startOnUsb();
  auto result = run({"--find"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, kNoDriver + foundLines("127.0.0.2"));
  EXPECT_EQ(requests(), "CheckIP;\nCheckMAC;\n");
}

TEST_F(LanSetter, FindWarnsWhenThePrinterIsNotAtTheLocalDriverIp) {
  startOnUsb();
  setLocalIp("127.000.000.002");
  auto result = run({"--find"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "WARNING: 打印机IP与本地驱动IP不匹配，请重新设置打印机网络参数！\n" +
                            foundLines("127.0.0.2"));
}

TEST_F(LanSetter, FindWithThePrinterNowhereSaysNotConnected) {
  // Nothing on the bus, and nothing listens at the local driver IP.
  startOnUsb("unplugged = 1");
  setLocalIp(address);
  auto result = run({"--find"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, std::string("WARNING: 未连接打印机设备\n未连接打印机设备\n") + kResetLines);
  EXPECT_NE(winIni().find("Connect=0"), std::string::npos);
  EXPECT_EQ(requests(), "");
}

struct FaultCase {
  std::string what;
  bool overTcp;
  std::string scenario;
  int exitCode;
  std::string out;  // after the first line of boxes, if any
};

std::vector<FaultCase> faultCases() {
  const std::string found = "已连接打印机设备，请设置网络参数\n";
  const std::string values = "当前IP地址：127.0.0.2\n当前子网掩码：255.0.0.0\n当前默认网关：127.0.0.1\n";
  const std::string error = "通讯错误\n" + std::string(kResetLines);
  const std::string padded = "MAC地址：00:1B:A9:33:17:01" + std::string(260 - 24, 'F') + "\n";
  return {
      {"usb two other replies first", false, "before.CheckIP = 2", 0,
       found + "MAC地址：00:1B:A9:33:17:01\n" + values},
      {"tcp other reply first, then the connection is closed", true,
       "before.CheckIP = 1\nfault.tcp = close-after-reply", 1, error},
      {"usb no reply", false, "fault.CheckIP = noreply", 1, error},
      {"usb no mac reply", false, "fault.CheckMAC = noreply", 0, found + "MAC地址：\n" + values},
      {"tcp no mac reply", true, "fault.CheckMAC = noreply\nfault.tcp = close-after-reply", 0,
       found + "MAC地址：\n" + values},
      {"usb mac reply of 260 bytes", false, "fault.CheckMAC = pad-260", 0, found + padded + values},
      {"tcp mac reply of 260 bytes", true, "fault.CheckMAC = pad-260", 0, found + padded + values},
      {"usb mask with a zero octet", false, "value.Mask = 255.255.255.0", 0,
       found + "MAC地址：00:1B:A9:33:17:01\n当前IP地址：127.0.0.2\n当前子网掩码：255.255.255.0\n"
               "当前默认网关：127.0.0.1\n"},
  };
}

class PrinterFaults : public LanSetter, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(PrinterFaults, FindReportsWhatThePrinterAnswered) {
  const auto& c = GetParam();
  if (c.overTcp) {
    // The printer's address stays 127.0.0.2 so that the lines compare.
    setLocalIp(address);
    ASSERT_TRUE(printer.start("unplugged = 1\ntcp = " + address + ":9100\n" + c.scenario));
  } else {
    startOnUsb(c.scenario);
  }
  auto result = run({"--find"});
  EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
  std::string out = result.out;
  // Boxes (no driver, mismatch) come first; the lines are what is compared.
  while (out.starts_with("WARNING: ")) out.erase(0, out.find('\n') + 1);
  EXPECT_EQ(out, c.out);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, PrinterFaults, ::testing::ValuesIn(faultCases()),
                         testing_support::CaseNameFrom<&FaultCase::what>{});

// --- --save ----------------------------------------------------------------

TEST_F(LanSetter, SaveOverUsbGivesThePrinterItsNewAddress) {
  startOnUsb();
  auto result = run({"--save", "127.0.0.66", "255.0.0.0", "127.0.0.1"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, kNoDriver + foundLines("127.0.0.2") +
                            "网络参数设置成功\nMAC地址：00:1B:A9:33:17:01\n当前IP地址：127.0.0.66\n"
                            "当前子网掩码：255.0.0.0\n当前默认网关：127.0.0.1\n");
  EXPECT_NE(winIni().find("PrintPortInUse=127.0.0.66\r\n"), std::string::npos);
  EXPECT_NE(requests().find("SetIP=\\x7f\\0\\0B\\xff\\0\\0\\0\\x7f\\0\\0\\x01;"), std::string::npos)
      << requests();
  // The printer now reports the new address, and it matches the local IP.
  auto again = run({"--find"});
  EXPECT_EQ(again.out, foundLines("127.0.0.66"));
}

TEST_F(LanSetter, SaveOverTcpSendsTheFramedCommandWithABlankOctetAsZero) {
  startOnNetwork("fault.tcp = close-after-reply");
  std::string newIp = address.substr(0, address.rfind('.') + 1) + "7";
  // The gateway's last octet is left blank: 127.0.0.0, outside no subnet of /8.
  auto result = run({"--save", newIp, "255.0.0.0", "127.0.0."});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("网络参数设置成功\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("当前默认网关：127.0.0.0\n"), std::string::npos);
  EXPECT_NE(winIni().find("PrintPortInUse=" + newIp + "\r\n"), std::string::npos);
  EXPECT_NE(requests().find("NET.SetIP=\\x7f"), std::string::npos) << requests();
  EXPECT_NE(requests().find("\\xff\\0\\0\\0\\x7f\\0\\0\\0;\n"), std::string::npos) << requests();
}

struct RefusalCase {
  std::string what;
  std::vector<std::string> addresses;
  std::string problem;
};

std::vector<RefusalCase> refusalCases() {
  return {
      {"mask not contiguous", {"127.0.0.9", "255.0.255.0", "127.0.0.1"}, "子网掩码不连续"},
      {"gateway elsewhere", {"127.0.0.9", "255.0.0.0", "10.0.0.1"}, "默认网关不在IP地址的子网内"},
      {"network address", {"127.0.0.0", "255.0.0.0", "127.0.0.1"}, "IP地址是子网的网络地址"},
      {"broadcast address", {"127.255.255.255", "255.0.0.0", "127.0.0.1"},
       "IP地址是子网的广播地址"},
      {"zero address", {"0.0.0.0", "255.0.0.0", "0.0.0.1"}, "IP地址为0.0.0.0"},
  };
}

class SaveChecks : public LanSetter, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SaveChecks, RefuseDoubtfulSettingsUnlessForced) {
  startOnUsb();
  std::vector<std::string> arguments{"--save"};
  for (const auto& a : GetParam().addresses) arguments.push_back(a);
  auto refused = run(arguments);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.out.find("WARNING: 这些网络参数可能有误：\n" + GetParam().problem + "\n"),
            std::string::npos)
      << refused.out;
  EXPECT_NE(refused.err.find("not sent"), std::string::npos);
  EXPECT_FALSE(sentSetIp());
  EXPECT_EQ(winIni().find("PrintPortInUse"), std::string::npos);

  arguments.push_back("--force");
  auto forced = run(arguments);
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_TRUE(sentSetIp());
  EXPECT_NE(winIni().find("PrintPortInUse=" + GetParam().addresses[0]), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Settings, SaveChecks, ::testing::ValuesIn(refusalCases()),
                         testing_support::CaseNameFrom<&RefusalCase::what>{});

TEST_F(LanSetter, SaveWithoutAPrinterFailsAfterTheFind) {
  startOnUsb("unplugged = 1");
  setLocalIp(address);
  auto result = run({"--save", "127.0.0.9", "255.0.0.0", "127.0.0.1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(sentSetIp());
}

TEST_F(LanSetter, DialogWithoutArgumentsFindsThenSavesTypedSettingsOverUsb) {
  startOnUsb();
  testing_support::BackgroundProcess dialog({QZ_LAN_SETTER}, environment());
  ASSERT_TRUE(dialog.writeInput("click 1000\ntype 1003 127.0.0.66\ntype 1004 255.0.0.0\n"
                                "type 1005 127.0.0.1\nclick 1001\nclick 2\n"));
  dialog.closeInput();
  std::string out;
  while (auto line = dialog.readLine()) out += *line + "\n";
  EXPECT_EQ(dialog.wait(), 0) << out;
  for (const char* line : {"text 1003 \"127.0.0.2\"", "text 1010 \"已连接打印机设备，请设置网络参数\"",
                           "text 1010 \"网络参数设置成功\"", "text 1012 \"当前IP地址：127.0.0.66\"",
                           "end 2"})
    EXPECT_NE(out.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << out;
  EXPECT_NE(winIni().find("PrintPortInUse=127.0.0.66\r\n"), std::string::npos);
  EXPECT_NE(requests().find("SetIP=\\x7f\\0\\0B\\xff\\0\\0\\0\\x7f\\0\\0\\x01;"),
            std::string::npos)
      << requests();
}

TEST_F(LanSetter, DialogAboutBoxTakesTheInputUntilItsOkCloses) {
  startOnUsb();
  testing_support::BackgroundProcess dialog({QZ_LAN_SETTER}, environment());
  ASSERT_TRUE(dialog.writeInput("sysmenu 16\nclick 1000\nkey enter\nclick 2\n"));
  dialog.closeInput();
  std::string out;
  while (auto line = dialog.readLine())
    if (line->starts_with("dialog") || line->starts_with("end") || line->starts_with("error"))
      out += *line + "\n";
  EXPECT_EQ(dialog.wait(), 0);
  EXPECT_EQ(out, "dialog 102 \"QZ3317VT网络打印机参数设置\" 527x346\n"
                 "dialog 100 \"关于 QZ3317VT网络打印机网络参数设置\" 255x101\n"
                 "error click: no button 1000\nend 1\nend 2\n");
  EXPECT_EQ(requests().find("CheckIP;"), std::string::npos);
}

TEST_F(LanSetter, UsageErrorsExitWithTwo) {
  startOnUsb();
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--find", "--force"},
           {"--save", "192.168.1.300", "255.255.255.0", "192.168.1.1"},
           {"--save", "127.0.0.9", "255.0.0.0"},
           {"--bogus"}}) {
    auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments[0];
    EXPECT_NE(result.err.find("usage: lan_setter"), std::string::npos);
  }
  EXPECT_EQ(requests(), "");
}

// --- The loopback-only rule ------------------------------------------------

// A default run (no printer on the bus, no local driver IP) aims at
// 192.168.1.160:9100. It runs in a network namespace of its own, so that
// even a broken rule could not reach that address; the report shows that
// the rule, not the namespace, refused it.
TEST_F(LanSetter, DefaultRunUnderTheRuleReports192_168_1_160AsRefusedAndSendsNothing) {
  std::string unshare = onPath("unshare");
  ASSERT_FALSE(unshare.empty()) << "unshare (util-linux) is needed to contain this test";
  auto result = testing_support::runProgram(
      {unshare, "--net", "--map-root-user", QZ_LAN_SETTER, "--find"}, environment());
  ASSERT_EQ(result.err.find("unshare:"), std::string::npos)
      << "this test needs a private network namespace: " << result.err;
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "qz3317vt-net: loopback-only: refused 192.168.1.160:9100, nothing sent\n");
  EXPECT_EQ(result.out, std::string("WARNING: 未连接打印机设备\n未连接打印机设备\n") + kResetLines);
  EXPECT_NE(winIni().find("Connect=0"), std::string::npos);
}

}  // namespace
