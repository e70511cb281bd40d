// The three setup commands byte for byte, as they reach the USB pipe and
// the TCP connection, and the parses of the address and MAC replies.
#include <gtest/gtest.h>

#include "netsetup/setup_commands.h"
#include "netsetup/setup_link.h"
#include "setup_fixture.h"

namespace netsetup_test {
namespace {

using netsetup::ReplyBuffer;

std::string text(const netsetup::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

ReplyBuffer bufferOf(const std::string& bytes) {
  ReplyBuffer buffer{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), buffer.size()), buffer.begin());
  return buffer;
}

// 192.168.1.160, 255.255.255.0 and 59.0.59.1: an octet ";" and a zero
// octet inside the counted command.
netsetup::Bytes awkwardSetIp() {
  return netsetup::setIpCommand({192, 168, 1, 160}, {255, 255, 255, 0}, {59, 0, 59, 1});
}
const std::string kAwkwardSetIp("SetIP=\xC0\xA8\x01\xA0\xFF\xFF\xFF\x00;\x00;\x01;", 19);

TEST(SetupCommands, HaveTheirBytesAndLengths) {
  EXPECT_EQ(text(netsetup::checkIpCommand()), "CheckIP;");
  EXPECT_EQ(text(netsetup::checkMacCommand()), "CheckMAC;");
  EXPECT_EQ(text(awkwardSetIp()), kAwkwardSetIp);
  EXPECT_EQ(awkwardSetIp().size(), 19u);
}

TEST(SetupCommands, NetworkFrameHasTheNetPrefixAndAtMost256CommandBytes) {
  EXPECT_EQ(text(*netsetup::networkFrame(netsetup::checkIpCommand())), "NET.CheckIP;");
  EXPECT_EQ(netsetup::networkFrame(awkwardSetIp())->size(), 23u);
  EXPECT_TRUE(netsetup::networkFrame(netsetup::Bytes(256, 'A')).has_value());
  EXPECT_FALSE(netsetup::networkFrame(netsetup::Bytes(257, 'A')).has_value());
}

class CommandFraming : public SetupFixture {
 protected:
  // Sends the three commands through a link in `mode`.
  void sendAll(netsetup::LinkMode mode) {
    netsetup::CSetupLink link;
    if (mode == netsetup::LinkMode::Usb) {
      ASSERT_TRUE(link.FindUsbDevice());
    } else {
      ASSERT_TRUE(link.ConnectTcp());
      link.closeConnection();
    }
    link.setMode(mode);
    for (const auto& command :
         {netsetup::checkIpCommand(), netsetup::checkMacCommand(), awkwardSetIp()}) {
      EXPECT_TRUE(link.SendCommand(command));
    }
  }
};

TEST_F(CommandFraming, UsbCarriesTheCommandsAsTheyAre) {
  sendAll(netsetup::LinkMode::Usb);
  EXPECT_EQ(printer.usbCommands,
            (std::vector<std::string>{"CheckIP;", "CheckMAC;", kAwkwardSetIp}));
  EXPECT_TRUE(printer.frames.empty());
}

TEST_F(CommandFraming, NetworkPutsNetBeforeEachCommandOnAConnectionOfItsOwn) {
  setLocalIp("192.168.1.20");
  sendAll(netsetup::LinkMode::Network);
  EXPECT_EQ(printer.frames,
            (std::vector<std::string>{"NET.CheckIP;", "NET.CheckMAC;", "NET." + kAwkwardSetIp}));
  // The probe and one connection per command.
  EXPECT_EQ(printer.attempts.size(), 4u);
  EXPECT_TRUE(printer.usbCommands.empty());
}

TEST(AddressReply, TakesTheThreeAddressesFromBytes6To17) {
  auto reply = bufferOf(addressReply({192, 168, 1, 20}, {255, 255, 255, 0}, {192, 168, 1, 1}) +
                        "ignored");
  ASSERT_TRUE(netsetup::isAddressReply(reply));
  auto addresses = netsetup::parseAddressReply(reply);
  EXPECT_EQ(netsetup::dotted(addresses.ip), "192.168.1.20");
  // The zero octet of the mask is an octet like any other.
  EXPECT_EQ(netsetup::dotted(addresses.mask), "255.255.255.0");
  EXPECT_EQ(netsetup::dotted(addresses.gateway), "192.168.1.1");
}

TEST(AddressReply, TagIsCaseSensitiveAndWholeSixBytes) {
  EXPECT_FALSE(netsetup::isAddressReply(bufferOf("ipadd:\x01\x02\x03\x04")));
  EXPECT_FALSE(netsetup::isAddressReply(bufferOf("IPadd")));
  EXPECT_FALSE(netsetup::isAddressReply(bufferOf("")));
  EXPECT_FALSE(netsetup::isAddressReply(bufferOf("MACadd:00")));
}

TEST(MacReply, TextRunsToTheFirstZeroByte) {
  auto reply = bufferOf(std::string("MACadd:00:1B:A9:33:17:01\0junk", 30));
  ASSERT_TRUE(netsetup::isMacReply(reply));
  EXPECT_EQ(netsetup::macText(reply), "00:1B:A9:33:17:01");
  EXPECT_FALSE(netsetup::isMacReply(bufferOf("MACadd")));
}

TEST(MacReply, A260ByteReplyWithoutZeroEndsAtTheBufferEnd) {
  auto reply = bufferOf("MACadd:" + std::string(300, 'F'));
  EXPECT_EQ(netsetup::macText(reply), std::string(253, 'F'));
}

}  // namespace
}  // namespace netsetup_test
