// The text rules of the simulated printer's TCP port: where a setup command
// ends in the received bytes, and which listening addresses are taken.
#include <gtest/gtest.h>

#include <string>

#include "tools/printer/net_command.h"
#include "tools/printer/tcp_endpoint.h"

namespace {

using printer::netCommandLength;

// The command length found in `received`; -1 while incomplete.
long long lengthOf(const std::string& received) {
  auto length = netCommandLength(received);
  return length ? static_cast<long long>(*length) : -1;
}

TEST(NetCommandLength, FindsTheEndOfEachCommand) {
  EXPECT_EQ(lengthOf("NET.CheckIP;"), 12);                // address query
  EXPECT_EQ(lengthOf("NET.CheckMAC;tail"), 13);           // bytes after it are not part of it
  EXPECT_EQ(lengthOf("CheckIP;"), 8);                     // no prefix: still one command
  EXPECT_EQ(lengthOf("NET.Warp;"), 9);                    // unknown command ends at ";"
  EXPECT_EQ(lengthOf(""), -1);                            // nothing yet
  EXPECT_EQ(lengthOf("NE"), -1);                          // part of the prefix
  EXPECT_EQ(lengthOf("NET.CheckIP"), -1);                 // no ";" yet
  EXPECT_EQ(lengthOf("NET.Set"), -1);                     // could still become a set command
}

TEST(NetCommandLength, SetCommandIsCountedNotScannedForSemicolons) {
  // 59 is ";": an octet, not the end of the command.
  std::string set("NET.SetIP=\x0a\x00\x00\x3b\xff\xff\x00\x00\x0a\x00\x00\x01;", 23);
  EXPECT_EQ(lengthOf(set), 23);
  EXPECT_EQ(lengthOf(set.substr(0, 22)), -1);                         // last byte missing
  EXPECT_EQ(lengthOf(set.substr(4)), 19);                             // without the prefix
  EXPECT_EQ(lengthOf(std::string("NET.SetIP=abcdefghijklmX", 24)), 23);  // malformed end: 23 bytes
}

TEST(NetCommandLength, InputWithoutAnEndIsCutAtTheFrameSize) {
  std::string endless = "NET." + std::string(400, 'x');
  EXPECT_EQ(lengthOf(endless.substr(0, 259)), -1);
  EXPECT_EQ(lengthOf(endless), 260);
  // A ";" beyond the frame does not make the command longer than the frame.
  EXPECT_EQ(lengthOf("NET." + std::string(300, 'x') + ";"), 260);
}

// Whether the scenario value is taken as a listening address.
bool accepted(const char* text) {
  std::string error;
  bool ok = printer::parseTcpEndpoint(text, error).has_value();
  EXPECT_EQ(ok, error.empty()) << text << ": " << error;
  return ok;
}

TEST(TcpEndpoint, OnlyLoopbackAddressesWithAValidPortAreTaken) {
  EXPECT_TRUE(accepted("127.0.0.1:9100"));
  EXPECT_TRUE(accepted("127.0.0.1:0"));        // any free port
  EXPECT_TRUE(accepted("127.255.1.2:65535"));  // all of 127.0.0.0/8
  EXPECT_FALSE(accepted("10.0.0.1:9100"));     // a real network
  EXPECT_FALSE(accepted("0.0.0.0:9100"));      // every interface
  EXPECT_FALSE(accepted("128.0.0.1:9100"));    // just outside 127/8
  EXPECT_FALSE(accepted("192.168.1.160:9100"));
  EXPECT_FALSE(accepted("localhost:9100"));    // names are not looked up
  EXPECT_FALSE(accepted("127.1:9100"));        // short form
  EXPECT_FALSE(accepted("0177.0.0.1:9100"));   // octal form
  EXPECT_FALSE(accepted("127.0.0.1"));         // no port
  EXPECT_FALSE(accepted("127.0.0.1:"));
  EXPECT_FALSE(accepted("127.0.0.1:65536"));
  EXPECT_FALSE(accepted("127.0.0.1:-1"));
  EXPECT_FALSE(accepted("127.0.0.1:91x"));
}

TEST(TcpEndpoint, KeepsAddressAndPort) {
  std::string error;
  auto endpoint = printer::parseTcpEndpoint("127.1.2.3:9100", error);
  ASSERT_TRUE(endpoint.has_value()) << error;
  EXPECT_EQ(endpoint->address, 0x7f010203u);
  EXPECT_EQ(endpoint->port, 9100);
  EXPECT_EQ(printer::toString(*endpoint), "127.1.2.3:9100");
}

}  // namespace
