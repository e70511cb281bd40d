// The network module: the inet_addr parse (against the C library's own),
// the loopback-only rule, and the socket connector on loopback with its
// status mapping.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "base/unique_fd.h"
#include "net/connector.h"
#include "net/ipv4.h"
#include "net/loopback_rule.h"
#include "tests/support/case_names.h"

namespace {

using platform::net::Ipv4Address;
using platform::net::NetStatus;

// --- inet_addr -------------------------------------------------------------

struct ParseCase {
  std::string what;
  std::string text;
  std::optional<std::uint32_t> value;
};

std::vector<ParseCase> parseCases() {
  constexpr std::uint32_t k160 = 0xC0A801A0;  // 192.168.1.160
  return {
      {"dotted decimal", "192.168.1.160", k160},
      {"octal parts", "0300.0250.01.0240", k160},
      {"hexadecimal parts", "0xC0.0xa8.0X1.0xA0", k160},
      {"three parts", "192.168.416", k160},
      {"two parts", "192.11010464", k160},
      {"one number", "3232235936", k160},
      {"zero", "0", 0},
      {"all ones", "255.255.255.255", 0xFFFFFFFF},
      {"blank then words", "127.0.0.1 trailing words", 0x7F000001},
      {"tab then words", "127.0.0.1\tx", 0x7F000001},
      {"part above 255", "192.168.1.300", std::nullopt},
      {"trailing dot", "192.168.1.", std::nullopt},
      {"five parts", "1.2.3.4.5", std::nullopt},
      {"empty", "", std::nullopt},
      {"leading blank", " 1.2.3.4", std::nullopt},
      {"stray letter", "1.2.3.4x", std::nullopt},
      {"eight in octal", "08.1.1.1", std::nullopt},
      {"hex prefix without digits", "0x.1.1.1", std::nullopt},
      {"first part 256", "256.1.1.1", std::nullopt},
      {"last of three parts too big", "1.2.65536", std::nullopt},
      {"one number beyond 32 bits", "4294967296", std::nullopt},
      {"sign", "+1.2.3.4", std::nullopt},
      {"host name", "printer", std::nullopt},
      {"empty part", "1..2.3", std::nullopt},
  };
}

class InetAddr : public ::testing::TestWithParam<ParseCase> {};

TEST_P(InetAddr, ParsesAsTheCLibraryDoes) {
  const auto& c = GetParam();
  auto parsed = platform::net::parseInetAddr(c.text);
  EXPECT_EQ(parsed ? std::optional(parsed->value) : std::nullopt, c.value);
  // The C library's parse agrees, its failure value aside.
  in_addr_t libc = ::inet_addr(c.text.c_str());
  EXPECT_EQ(libc == INADDR_NONE ? std::nullopt : std::optional(ntohl(libc)),
            c.value == 0xFFFFFFFF ? std::nullopt : c.value);
}

INSTANTIATE_TEST_SUITE_P(Texts, InetAddr, ::testing::ValuesIn(parseCases()),
                         testing_support::CaseNameFrom<&ParseCase::what>{});

TEST(Ipv4, RendersDottedDecimalAndKnowsLoopback) {
  EXPECT_EQ(platform::net::toString(Ipv4Address{0xC0A801A0}), "192.168.1.160");
  EXPECT_EQ(platform::net::toString(platform::net::Endpoint{{0x7F000001}, 9100}), "127.0.0.1:9100");
  EXPECT_EQ(Ipv4Address::fromOctets({10, 1, 2, 3}).value, 0x0A010203u);
  EXPECT_TRUE(platform::net::isLoopback(Ipv4Address{0x7F000001}));
  EXPECT_TRUE(platform::net::isLoopback(Ipv4Address{0x7FFFFFFE}));
  EXPECT_FALSE(platform::net::isLoopback(Ipv4Address{0x80000001}));
  EXPECT_FALSE(platform::net::isLoopback(Ipv4Address{0xC0A801A0}));
}

// --- The loopback-only rule ------------------------------------------------

class LoopbackRule : public ::testing::Test {
 protected:
  LoopbackRule() {
    const char* setting = std::getenv("QZ3317VT_NET");
    if (setting != nullptr) saved_ = setting;
  }
  ~LoopbackRule() override {
    if (saved_) ::setenv("QZ3317VT_NET", saved_->c_str(), 1);
    else ::unsetenv("QZ3317VT_NET");
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(LoopbackRule, IsOnForEveryTest) {
  EXPECT_STREQ(std::getenv("QZ3317VT_NET"), "loopback-only");
  EXPECT_TRUE(platform::net::loopbackOnly());
}

TEST_F(LoopbackRule, AllowsOnly127Slash8WhileOn) {
  for (const char* setting : {"loopback-only", "loopback_only", "1"}) {
    ::setenv("QZ3317VT_NET", setting, 1);
    EXPECT_TRUE(platform::net::ruleAllows(Ipv4Address{0x7F000001})) << setting;
    EXPECT_TRUE(platform::net::ruleAllows(Ipv4Address{0x7F0A0B0C})) << setting;
    EXPECT_FALSE(platform::net::ruleAllows(Ipv4Address{0xC0A801A0})) << setting;
    EXPECT_FALSE(platform::net::ruleAllows(Ipv4Address{0})) << setting;
    EXPECT_FALSE(platform::net::ruleAllows(Ipv4Address{0xFFFFFFFF})) << setting;
  }
  ::setenv("QZ3317VT_NET", "", 1);
  EXPECT_TRUE(platform::net::ruleAllows(Ipv4Address{0xC0A801A0}));
  ::unsetenv("QZ3317VT_NET");
  EXPECT_TRUE(platform::net::ruleAllows(Ipv4Address{0xC0A801A0}));
}

// --- The socket connector on loopback --------------------------------------

// A loopback listener on a free port of 127.0.0.1.
class Listener {
 public:
  Listener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    EXPECT_EQ(::bind(fd_.get(), reinterpret_cast<sockaddr*>(&address), size), 0);
    EXPECT_EQ(::listen(fd_.get(), 4), 0);
    ::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  platform::net::Endpoint endpoint() const { return {{0x7F000001}, port_}; }
  platform::base::UniqueFd accept() { return platform::base::UniqueFd(::accept(fd_.get(), nullptr, nullptr)); }
  void close() { fd_.reset(); }

 private:
  platform::base::UniqueFd fd_;
  std::uint16_t port_ = 0;
};

constexpr platform::net::TcpLimits kShortLimits{std::chrono::milliseconds(50),
                                                std::chrono::milliseconds(50)};

std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(SocketConnector, APortWithoutListenerIsRefused) {
  Listener listener;
  auto peer = listener.endpoint();
  listener.close();
  auto result = platform::net::connector().connect(peer, kShortLimits);
  EXPECT_EQ(result.status, NetStatus::Refused);
  EXPECT_EQ(result.connection, nullptr);
}

TEST(SocketConnector, SendsReceivesAndMapsTheEnds) {
  Listener listener;
  auto result = platform::net::connector().connect(listener.endpoint(), kShortLimits);
  ASSERT_EQ(result.status, NetStatus::Ok);
  auto peer = listener.accept();
  auto& connection = *result.connection;

  EXPECT_EQ(connection.send(bytesOf("NET.CheckIP;")).status, NetStatus::Ok);
  char got[32] = {};
  EXPECT_EQ(::recv(peer.get(), got, sizeof got, 0), 12);
  EXPECT_STREQ(got, "NET.CheckIP;");

  std::array<std::uint8_t, 260> buffer{};
  // Nothing within the receive limit.
  EXPECT_EQ(connection.receive(buffer).status, NetStatus::TimedOut);
  ASSERT_EQ(::send(peer.get(), "IPadd:", 6, 0), 6);
  auto received = connection.receive(buffer);
  EXPECT_EQ(received.status, NetStatus::Ok);
  EXPECT_EQ(received.bytes, 6u);
  // The peer closes: an orderly end, then a send into a reset connection.
  peer.reset();
  EXPECT_EQ(connection.receive(buffer).status, NetStatus::Closed);
  NetStatus sent = NetStatus::Ok;
  for (int i = 0; i < 10 && sent == NetStatus::Ok; ++i) sent = connection.send(bytesOf("x")).status;
  EXPECT_EQ(sent, NetStatus::Closed);
}

TEST(SocketConnector, ReplacementTakesOverAndNullptrRestores) {
  struct Refusing final : platform::net::Connector {
    int calls = 0;
    platform::net::ConnectResult connect(const platform::net::Endpoint&,
                                         const platform::net::TcpLimits&) override {
      ++calls;
      return {NetStatus::Unreachable, nullptr};
    }
  } refusing;
  Listener listener;
  platform::net::setConnector(&refusing);
  EXPECT_EQ(platform::net::connector().connect(listener.endpoint(), kShortLimits).status,
            NetStatus::Unreachable);
  platform::net::setConnector(nullptr);
  EXPECT_EQ(platform::net::connector().connect(listener.endpoint(), kShortLimits).status,
            NetStatus::Ok);
  EXPECT_EQ(refusing.calls, 1);
}

}  // namespace
