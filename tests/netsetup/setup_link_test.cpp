// CSetupLink against the scripted printer: finding the imaging interface,
// the three-call write, the bounded read, and the network path with its
// address, "Connect" key and connection per command.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/folders.h"
#include "netsetup/setup_link.h"
#include "setup_fixture.h"
#include "tests/support/case_names.h"

namespace netsetup_test {
namespace {

using netsetup::CSetupLink;
using netsetup::LinkMode;
using platform::usb::DeviceEntry;

// --- FindUsbDevice ---------------------------------------------------------

struct FindCase {
  std::string what;
  std::vector<DeviceEntry> devices;
  std::string expectedPath;  // empty: not found
};

const std::string kOtherId = "USB\\VID_04B8&PID_0005";

std::vector<FindCase> findCases() {
  std::string path257(257, 'p');
  std::string path258(258, 'p');
  return {
      {"the printer", {{{kPrinterId}, "one"}}, "one"},
      {"lower case id", {{{"usb\\vid_7a3c&pid_5b21&rev_0100"}, "one"}}, "one"},
      {"id without a revision", {{{"USB\\VID_7A3C&PID_5B21"}, "one"}}, "one"},
      {"only the first id counts", {{{kOtherId, kPrinterId}, "one"}}, ""},
      {"two printers, the first is taken", {{{kPrinterId}, "one"}, {{kPrinterId}, "two"}}, "one"},
      {"other devices are passed over", {{{kOtherId}, "one"}, {{}, "two"}, {{kPrinterId}, "three"}},
       "three"},
      {"first match without a path ends the search",
       {{{kPrinterId}, std::nullopt}, {{kPrinterId}, "two"}}, ""},
      {"path of 257 characters", {{{kPrinterId}, path257}}, path257},
      {"path of 258 characters", {{{kPrinterId}, path258}}, ""},
      {"no device", {}, ""},
  };
}

class FindUsbDevice : public SetupFixture, public ::testing::WithParamInterface<FindCase> {};

TEST_P(FindUsbDevice, TakesTheFirstMatchingImagingInterface) {
  printer.devices = GetParam().devices;
  CSetupLink link;
  bool found = link.FindUsbDevice();
  const std::string& path = GetParam().expectedPath;
  EXPECT_EQ(found, !path.empty());
  EXPECT_EQ(link.ready(), found);
  EXPECT_EQ(link.writePipePath(), found ? path + "\\1" : "");
  EXPECT_EQ(link.readPipePath(), found ? path + "\\0" : "");
  // The interface is test-opened once, and closed again.
  EXPECT_EQ(printer.opened, found ? std::vector<std::string>{path} : std::vector<std::string>{});
  EXPECT_EQ(printer.openHandles, 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, FindUsbDevice, ::testing::ValuesIn(findCases()),
                         testing_support::CaseNameFrom<&FindCase::what>{});

TEST_F(SetupFixture, FindUsbDeviceFailsWhenTheInterfaceCannotBeOpened) {
  printer.opensFail = true;
  CSetupLink link;
  EXPECT_FALSE(link.FindUsbDevice());
  EXPECT_FALSE(link.ready());
  EXPECT_EQ(link.writePipePath(), "");
}

// --- USB send and read -----------------------------------------------------

class UsbLink : public SetupFixture {
 protected:
  UsbLink() {
    EXPECT_TRUE(link.FindUsbDevice());
    link.setMode(LinkMode::Usb);
    printer.opened.clear();
  }
  bool send(const std::string& bytes) {
    return link.SendCommand({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  }
  CSetupLink link;
};

TEST_F(UsbLink, WriteCompletesInThreePartialCalls) {
  printer.writeChunk = 3;
  EXPECT_TRUE(send("CheckIP;"));
  EXPECT_EQ(printer.writeCalls, (std::vector<std::string>{"Che", "ckI", "P;"}));
  EXPECT_EQ(printer.usbCommands, std::vector<std::string>{"CheckIP;"});
  EXPECT_EQ(printer.opened, std::vector<std::string>{std::string(kImagingPath) + "\\1"});
}

TEST_F(UsbLink, BytesLeftAfterThreeCallsFailTheSend) {
  printer.writeChunk = 2;
  EXPECT_FALSE(send("CheckIP;"));
  EXPECT_EQ(printer.writeCalls.size(), 3u);
  EXPECT_EQ(printer.openHandles, 0);
}

TEST_F(UsbLink, AFailedCallIsFollowedByTheNext) {
  printer.failingWriteCalls = 2;
  EXPECT_TRUE(send("CheckIP;"));
  EXPECT_EQ(printer.writeCalls.size(), 3u);
  printer.failingWriteCalls = 3;
  EXPECT_FALSE(send("CheckIP;"));
}

TEST_F(UsbLink, WritePipeThatCannotBeOpenedFailsTheSend) {
  printer.opensFail = true;
  EXPECT_FALSE(send("CheckIP;"));
  EXPECT_TRUE(printer.writeCalls.empty());
}

TEST_F(UsbLink, EachReadWaitsAtMost500msOnTheReadPipe) {
  ASSERT_TRUE(send("CheckIP;"));
  netsetup::ReplyBuffer reply{};
  EXPECT_TRUE(link.ReadReply(reply));
  EXPECT_TRUE(netsetup::isAddressReply(reply));
  reply.fill(0);
  // Nothing more: the read runs out and was cancelled by the pipe.
  EXPECT_FALSE(link.ReadReply(reply));
  EXPECT_EQ(printer.readLimits,
            (std::vector<std::chrono::milliseconds>{netsetup::kUsbReadLimit, netsetup::kUsbReadLimit}));
  EXPECT_EQ(netsetup::kUsbReadLimit, std::chrono::milliseconds(500));
  EXPECT_EQ(printer.opened.back(), std::string(kImagingPath) + "\\0");
  EXPECT_EQ(printer.openHandles, 0);
}

TEST_F(SetupFixture, ReadWithTheReadyFlagClearTouchesNothing) {
  CSetupLink link;
  link.setMode(LinkMode::Usb);
  netsetup::ReplyBuffer reply{};
  EXPECT_FALSE(link.ReadReply(reply));
  link.setMode(LinkMode::Network);
  EXPECT_FALSE(link.ReadReply(reply));
  EXPECT_TRUE(printer.opened.empty());
}

// --- ConnectTcp: the address and the "Connect" key -------------------------

struct AddressCase {
  std::string what;
  std::optional<std::string> localIp;          // nothing: key missing
  std::optional<platform::net::Endpoint> peer;  // nothing: no attempt
};

std::vector<AddressCase> addressCases() {
  platform::net::Endpoint fallback{{0xC0A801A0}, 9100};  // 192.168.1.160
  return {
      {"key missing", std::nullopt, fallback},
      {"key empty", "", fallback},
      {"dotted decimal", "192.168.1.20", printerAt9100()},
      {"octal and hexadecimal parts", "0xc0.0250.1.20", printerAt9100()},
      {"two parts", "192.11010324", printerAt9100()},
      // Read with room for 15 characters: "192.168.001.020", whose
      // leading zeros make octal parts.
      {"cut to 15 characters", "192.168.001.0200", platform::net::Endpoint{{0xC0A80110}, 9100}},
      {"not an address", "192.168.1.300", std::nullopt},
      {"a host name", "printer", std::nullopt},
  };
}

class ConnectTcp : public SetupFixture, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(ConnectTcp, GoesToPort9100OfTheLocalDriverIp) {
  if (GetParam().localIp) setLocalIp(*GetParam().localIp);
  CSetupLink link;
  bool connected = link.ConnectTcp();
  const auto& peer = GetParam().peer;
  if (peer) {
    EXPECT_EQ(printer.attempts, std::vector<platform::net::Endpoint>{*peer});
  } else {
    EXPECT_TRUE(printer.attempts.empty());
  }
  bool expected = peer && *peer == printerAt9100();
  EXPECT_EQ(connected, expected);
  EXPECT_EQ(link.ready(), expected);
  EXPECT_EQ(setupKey(netsetup::kConnectKey), expected ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(LocalDriverIp, ConnectTcp, ::testing::ValuesIn(addressCases()),
                         testing_support::CaseNameFrom<&AddressCase::what>{});

TEST_F(SetupFixture, ConnectionsWaitAtMost5000msPerSendAndReceive) {
  setLocalIp("192.168.1.20");
  CSetupLink link;
  ASSERT_TRUE(link.ConnectTcp());
  ASSERT_EQ(printer.limits.size(), 1u);
  EXPECT_EQ(printer.limits[0].send, std::chrono::milliseconds(5000));
  EXPECT_EQ(printer.limits[0].receive, std::chrono::milliseconds(5000));
}

TEST_F(SetupFixture, WithoutTheWindowsFolderNoConnectionIsTriedAndConnectIsNotWritten) {
  setLocalIp("192.168.1.20");
  std::filesystem::remove_all(platform::base::windowsFolder());
  CSetupLink link;
  EXPECT_FALSE(link.ConnectTcp());
  EXPECT_FALSE(link.ready());
  EXPECT_TRUE(printer.attempts.empty());
  EXPECT_FALSE(std::filesystem::exists(platform::base::winIniPath()));
}

// --- Network commands ------------------------------------------------------

class NetworkLink : public SetupFixture {
 protected:
  NetworkLink() {
    setLocalIp("192.168.1.20");
    EXPECT_TRUE(link.ConnectTcp());
    link.closeConnection();
    printer.attempts.clear();
  }
  CSetupLink link;
};

TEST_F(NetworkLink, OneReplyPerCommandThenTheConnectionIsGone) {
  ASSERT_TRUE(link.SendCommand(netsetup::checkIpCommand()));
  EXPECT_EQ(printer.openConnections, 1);
  netsetup::ReplyBuffer reply{};
  EXPECT_TRUE(link.ReadReply(reply));
  EXPECT_TRUE(netsetup::isAddressReply(reply));
  EXPECT_EQ(printer.openConnections, 0);
  reply.fill(0);
  EXPECT_FALSE(link.ReadReply(reply));
  EXPECT_EQ(printer.attempts.size(), 1u);
}

TEST_F(NetworkLink, AReplyThatBeginsWithAZeroByteCountsAsNone) {
  printer.answers["CheckIP;"] = {std::string("\0IPadd:", 7)};
  ASSERT_TRUE(link.SendCommand(netsetup::checkIpCommand()));
  netsetup::ReplyBuffer reply{};
  EXPECT_FALSE(link.ReadReply(reply));
}

TEST_F(NetworkLink, FailedSendsAreRetriedOnFreshConnectionsUpToThreeTimes) {
  printer.failingSends = 2;
  EXPECT_TRUE(link.SendCommand(netsetup::checkIpCommand()));
  EXPECT_EQ(printer.attempts.size(), 3u);
  EXPECT_EQ(printer.openConnections, 1);
  link.closeConnection();
  printer.failingSends = 3;
  EXPECT_FALSE(link.SendCommand(netsetup::checkIpCommand()));
  EXPECT_EQ(printer.attempts.size(), 6u);
  EXPECT_EQ(printer.openConnections, 0);
}

TEST_F(NetworkLink, AFailedReconnectionEndsTheSendAndTheReads) {
  printer.listening.reset();
  EXPECT_FALSE(link.SendCommand(netsetup::checkIpCommand()));
  EXPECT_EQ(printer.attempts.size(), 1u);
  EXPECT_FALSE(link.ready());
  EXPECT_EQ(setupKey(netsetup::kConnectKey), "0");
  netsetup::ReplyBuffer reply{};
  EXPECT_FALSE(link.ReadReply(reply));
  // The flag stays clear: a later command makes no attempt either.
  EXPECT_FALSE(link.SendCommand(netsetup::checkIpCommand()));
  EXPECT_EQ(printer.attempts.size(), 1u);
}

TEST_F(NetworkLink, CommandsLongerThan256BytesAreNotSent) {
  EXPECT_FALSE(link.SendCommand(netsetup::Bytes(257, 'A')));
  EXPECT_TRUE(printer.attempts.empty());
}

}  // namespace
}  // namespace netsetup_test
