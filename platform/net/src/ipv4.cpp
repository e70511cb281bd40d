// IPv4 address text: the inet_addr parse and dotted-decimal rendering.
#include "net/ipv4.h"

#include <cstdio>
#include <vector>

namespace platform::net {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads one part at `pos` in the base its prefix gives; the part must start
// with a digit. Advances `pos` past the digits taken. Values beyond 32 bits
// give nothing.
std::optional<std::uint64_t> readPart(std::string_view text, std::size_t& pos) {
  if (pos >= text.size() || !isDigit(text[pos])) return std::nullopt;
  unsigned base = 10;
  if (text[pos] == '0') {
    base = 8;
    if (pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
        pos + 2 < text.size() && hexValue(text[pos + 2]) >= 0) {
      base = 16;
      pos += 2;
    }
  }
  std::uint64_t value = 0;
  for (; pos < text.size(); ++pos) {
    int digit = hexValue(text[pos]);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return value;
}

}  // namespace

Ipv4Address Ipv4Address::fromOctets(const std::array<std::uint8_t, 4>& octets) {
  return {static_cast<std::uint32_t>(octets[0]) << 24 | static_cast<std::uint32_t>(octets[1]) << 16 |
          static_cast<std::uint32_t>(octets[2]) << 8 | octets[3]};
}

std::array<std::uint8_t, 4> Ipv4Address::octets() const {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::optional<Ipv4Address> parseInetAddr(std::string_view text) {
  std::vector<std::uint64_t> parts;
  std::size_t pos = 0;
  for (;;) {
    auto part = readPart(text, pos);
    if (!part) return std::nullopt;
    parts.push_back(*part);
    if (pos < text.size() && text[pos] == '.') {
      if (parts.size() == 4 || *part > 0xFF) return std::nullopt;
      ++pos;
      continue;
    }
    break;
  }
  // What follows the address must be nothing or begin with white space.
  if (pos < text.size() && !isSpace(text[pos])) return std::nullopt;
  std::uint64_t last = parts.back();
  std::size_t leading = parts.size() - 1;
  // The last part fills the bytes the leading parts leave.
  std::uint64_t lastLimit = 0xFFFFFFFFu >> (8 * leading);
  if (last > lastLimit) return std::nullopt;
  std::uint32_t value = static_cast<std::uint32_t>(last);
  for (std::size_t i = 0; i < leading; ++i) {
    value |= static_cast<std::uint32_t>(parts[i]) << (24 - 8 * i);
  }
  return Ipv4Address{value};
}

std::string toString(Ipv4Address address) {
  auto o = address.octets();
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", o[0], o[1], o[2], o[3]);
  return text;
}

std::string toString(const Endpoint& endpoint) {
  return toString(endpoint.address) + ":" + std::to_string(endpoint.port);
}

bool isLoopback(Ipv4Address address) { return address.value >> 24 == 127; }

}  // namespace platform::net
