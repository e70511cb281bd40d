// IPv4 addresses and endpoints, and the classic inet_addr parse of address
// text.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::net {

// An IPv4 address in host order: the first dotted part is the top byte.
struct Ipv4Address {
  std::uint32_t value = 0;

  static Ipv4Address fromOctets(const std::array<std::uint8_t, 4>& octets);
  std::array<std::uint8_t, 4> octets() const;
  auto operator<=>(const Ipv4Address&) const = default;
};

struct Endpoint {
  Ipv4Address address;
  std::uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

// Parses address text by the rules of POSIX inet_addr (as inet_aton reads
// it): one to four parts separated by "."; each part starts with a digit
// and is hexadecimal after "0x" or "0X", octal after a leading "0", decimal
// otherwise; every part but the last is one byte, the last fills the bytes
// that remain ("10.1" is 10.0.0.1, "0x7f000001" is 127.0.0.1). The text
// may end in white space followed by anything. Nothing when the text does
// not parse: empty, a part out of range, a stray character, more than four
// parts. Unlike inet_addr, 255.255.255.255 stays distinct from a failure.
std::optional<Ipv4Address> parseInetAddr(std::string_view text);

// Dotted decimal, "192.168.1.160".
std::string toString(Ipv4Address address);
// "192.168.1.160:9100".
std::string toString(const Endpoint& endpoint);

// Whether the address lies in 127.0.0.0/8.
bool isLoopback(Ipv4Address address);

}  // namespace platform::net
