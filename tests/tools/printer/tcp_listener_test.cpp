// The simulated printer's TCP port against a real qz3317vt-printer process,
// reached with plain sockets on 127.0.0.1 the way the network setup tool
// does: one connection per "NET."-framed command, one receive, close.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "usb/bus.h"
#include "sim/sim_bus.h"
#include "base/unique_fd.h"
#include "tests/support/printer_process.h"
#include "tools/printer/request_log.h"

namespace {

using platform::base::UniqueFd;

constexpr const char* kListen = "tcp = 127.0.0.1:0\n";
// Long enough for any machine; a test that waits this long has failed.
constexpr int kGenerousMs = 10000;
// For receives that are meant to find nothing.
constexpr int kShortMs = 200;

const std::string kSetIp("NET.SetIP=\x0a\x00\x00\x3b\xff\xff\x00\x00\x0a\x00\x00\x01;", 23);
const std::string kDefaultAddresses("IPadd:\x7f\x00\x00\x02\xff\x00\x00\x00\x7f\x00\x00\x01", 18);
const std::string kSetAddresses("IPadd:\x0a\x00\x00\x3b\xff\xff\x00\x00\x0a\x00\x00\x01", 18);

// What one receive brought: the bytes, or why there were none.
struct Received {
  enum class Kind { Bytes, TimedOut, Closed, Failed } kind;
  std::string bytes;
};

UniqueFd connectTo(std::uint16_t port) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (!fd.valid() ||
      ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return UniqueFd();
  }
  return fd;
}

bool sendAll(int fd, const std::string& bytes) {
  return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// One receive of up to 260 bytes, bounded by a receive time-out.
Received receiveOnce(int fd, int limitMs) {
  timeval limit{limitMs / 1000, (limitMs % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  std::string buffer(260, '\0');
  ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
  if (got > 0) return {Received::Kind::Bytes, buffer.substr(0, static_cast<std::size_t>(got))};
  if (got == 0) return {Received::Kind::Closed, {}};
  if (errno == EAGAIN || errno == EWOULDBLOCK) return {Received::Kind::TimedOut, {}};
  return {Received::Kind::Failed, {}};
}

class TcpListenerTest : public ::testing::Test {
 protected:
  // Starts the printer listening on a free loopback port and reads that port.
  void startListening(const std::string& scenario = "") {
    ASSERT_TRUE(printer_.start(kListen + scenario));
    auto port = printer_.tcpPort();
    ASSERT_TRUE(port.has_value()) << "no port file";
    port_ = *port;
  }

  // One command on a connection of its own: send, one receive, close.
  Received exchange(const std::string& command, int limitMs = kGenerousMs) {
    UniqueFd fd = connectTo(port_);
    if (!fd.valid()) return {Received::Kind::Failed, "cannot connect"};
    if (!sendAll(fd.get(), command)) return {Received::Kind::Failed, "cannot send"};
    return receiveOnce(fd.get(), limitMs);
  }

  // The reply bytes of an answered command; "<no reply>" otherwise.
  std::string reply(const std::string& command) {
    Received received = exchange(command);
    return received.kind == Received::Kind::Bytes ? received.bytes : "<no reply>";
  }

  testing_support::PrinterProcess printer_;
  std::uint16_t port_ = 0;
};

// One answered command under a scenario.
struct AnsweredCase {
  const char* name;
  const char* scenario;
  const char* command;
  std::string reply;
};

class TcpAnswerTest : public TcpListenerTest, public ::testing::WithParamInterface<AnsweredCase> {};

TEST_P(TcpAnswerTest, AnswersLikeTheImagingInterface) {
  startListening(GetParam().scenario);
  EXPECT_EQ(reply(GetParam().command), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TcpAnswerTest,
    ::testing::Values(
        AnsweredCase{"CheckIP", "", "NET.CheckIP;", kDefaultAddresses},
        AnsweredCase{"CheckMAC", "value.MAC = 00:11:22:33:44:55\n", "NET.CheckMAC;",
                     "MACadd:00:11:22:33:44:55"},
        // The mask's zero octets travel as bytes of the reply.
        AnsweredCase{"ZeroOctets", "value.IP = 127.0.0.9\nvalue.Mask = 255.255.255.0\n",
                     "NET.CheckIP;",
                     std::string("IPadd:\x7f\x00\x00\x09\xff\xff\xff\x00\x7f\x00\x00\x01", 18)},
        // Word behaviours of the imaging commands hold on this path too.
        AnsweredCase{"RawReplyForWord", "reply.CheckMAC = MACadd:zz\n", "NET.CheckMAC;",
                     "MACadd:zz"},
        AnsweredCase{"DelayedReply", "delay.CheckIP = 50\n", "NET.CheckIP;", kDefaultAddresses},
        // The network is another path: an unplugged bus does not stop it.
        AnsweredCase{"UnpluggedBus", "unplugged = 1\n", "NET.CheckMAC;",
                     "MACadd:00:1B:A9:33:17:01"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(TcpListenerTest, CommandArrivingInPiecesIsAnsweredOnce) {
  startListening();
  UniqueFd fd = connectTo(port_);
  ASSERT_TRUE(fd.valid());
  for (const char* piece : {"NE", "T.Chec", "kMAC", ";"}) ASSERT_TRUE(sendAll(fd.get(), piece));
  Received received = receiveOnce(fd.get(), kGenerousMs);
  EXPECT_EQ(received.bytes, "MACadd:00:1B:A9:33:17:01");
  EXPECT_EQ(printer_.requestLog(), std::vector<std::string>{"NET.CheckMAC;"});
}

TEST_F(TcpListenerTest, SetIpChangesTheAddressesSeenOnBothPaths) {
  startListening();
  EXPECT_EQ(exchange(kSetIp, kShortMs).kind, Received::Kind::TimedOut);  // it has no reply
  EXPECT_EQ(reply("NET.CheckIP;"), kSetAddresses);
  // The imaging interface on the bus answers from the same device.
  auto bus = platform::usb::makeSimBus();
  auto devices = bus->listDevices(platform::usb::InterfaceClass::Imaging);
  ASSERT_TRUE(devices && !devices->empty() && devices->front().devicePath);
  std::string path = *devices->front().devicePath;
  auto writer = bus->open(path + "\\1", platform::usb::Access::Write);
  auto reader = bus->open(path + "\\0", platform::usb::Access::Read);
  ASSERT_TRUE(writer && reader);
  std::string query = "CheckIP;";
  writer->write({reinterpret_cast<const std::uint8_t*>(query.data()), query.size()});
  std::vector<std::uint8_t> buffer(260);
  auto result = reader->read(buffer, std::chrono::milliseconds(kGenerousMs));
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(result.received)),
            kSetAddresses);
}

// A command that gets no answer: the connection stays open and nothing
// arrives within the short limit.
struct SilentCase {
  const char* name;
  const char* scenario;
  std::string command;
};

class TcpSilentTest : public TcpListenerTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(TcpSilentTest, GetsNoAnswerButIsLogged) {
  startListening(GetParam().scenario);
  Received received = exchange(GetParam().command, kShortMs);
  EXPECT_EQ(received.kind, Received::Kind::TimedOut) << received.bytes;
  // Without its faults the printer answers the next connection; that
  // answer also means the silent command was handled and logged before it.
  printer_.rewriteScenario(kListen);
  EXPECT_EQ(reply("NET.CheckMAC;"), "MACadd:00:1B:A9:33:17:01");
  EXPECT_EQ(printer_.requestLog(),
            (std::vector<std::string>{printer::escapeBytes(GetParam().command.substr(0, 260)),
                                      "NET.CheckMAC;"}));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TcpSilentTest,
    ::testing::Values(
        SilentCase{"WithoutPrefix", "", "CheckIP;"},
        SilentCase{"UnknownCommand", "", "NET.Warp;"},
        SilentCase{"SetCommandWithoutEnd", "", std::string("NET.SetIP=\x0a\x00\x00\x01" "abcdefghX", 23)},
        SilentCase{"LongerThanTheFrame", "", "NET." + std::string(400, 'x')},
        SilentCase{"NoReplyFault", "fault.tcp = noreply\n", "NET.CheckIP;"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(TcpListenerTest, RequestLogHoldsEachCommandAsReceived) {
  startListening();
  reply("NET.CheckIP;");
  exchange("CheckMAC;", kShortMs);
  exchange(kSetIp, kShortMs);
  exchange("NET." + std::string(300, 'y'), kShortMs);
  // Commands are handled in the order they came, so this answer means all
  // of them are in the log.
  reply("NET.CheckMAC;");
  EXPECT_EQ(printer_.requestLog(),
            (std::vector<std::string>{"NET.CheckIP;", "CheckMAC;",
                                      "NET.SetIP=\\n\\0\\0;\\xff\\xff\\0\\0\\n\\0\\0\\x01;",
                                      "NET." + std::string(256, 'y'), "NET.CheckMAC;"}));
}

TEST_F(TcpListenerTest, ScenarioChangesApplyAndANonLoopbackAddressIsNotTaken) {
  startListening();
  printer_.rewriteScenario(std::string(kListen) + "value.MAC = AA\n");
  EXPECT_EQ(reply("NET.CheckMAC;"), "MACadd:AA");
  printer_.rewriteScenario("tcp = 192.168.1.160:9100\nvalue.MAC = BB\n");
  EXPECT_EQ(reply("NET.CheckMAC;"), "MACadd:AA");
  EXPECT_EQ(printer_.tcpPort(), port_);
}

TEST_F(TcpListenerTest, ListenerGoesWhenTheScenarioDropsIt) {
  startListening();
  printer_.rewriteScenario("");
  // Any bus message makes the printer read the changed scenario.
  platform::usb::makeSimBus()->listDevices(platform::usb::InterfaceClass::Imaging);
  EXPECT_FALSE(printer_.tcpPort().has_value());
  EXPECT_FALSE(connectTo(port_).valid());
}

TEST_F(TcpListenerTest, NoListenerWithoutTheKey) {
  ASSERT_TRUE(printer_.start());
  EXPECT_FALSE(std::filesystem::exists(printer_.root() / ".usb-sim" / "tcp.port"));
}

TEST_F(TcpListenerTest, SigtermClosesTheListenerAndRemovesThePortFile) {
  startListening();
  int status = printer_.stop();
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(printer_.tcpPort().has_value());
  EXPECT_FALSE(connectTo(port_).valid());
}

class TcpRefusedTest : public ::testing::TestWithParam<const char*> {};

// The address is only read as text: the printer ends before it would bind.
TEST_P(TcpRefusedTest, PrinterRefusesToStart) {
  testing_support::PrinterProcess printer;
  std::string diagnostics;
  int status = printer.startRefused(GetParam(), diagnostics);
  EXPECT_GT(status, 0) << "exit code";
  EXPECT_NE(diagnostics.find(GetParam()), std::string::npos) << diagnostics;
  EXPECT_FALSE(printer.tcpPort().has_value());
}

INSTANTIATE_TEST_SUITE_P(Addresses, TcpRefusedTest,
                         ::testing::Values("tcp = 10.0.0.1:9100", "tcp = 0.0.0.0:9100",
                                           "tcp = 192.168.1.160:0", "tcp = localhost:9100",
                                           "tcp = 127.0.0.1:70000", "tcp = 127.0.0.1"),
    testing_support::CaseNameFromValue{});

}  // namespace
