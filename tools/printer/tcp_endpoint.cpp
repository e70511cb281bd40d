// Parsing the listening address of the simulated printer's TCP port.
#include "tools/printer/tcp_endpoint.h"

#include <arpa/inet.h>

#include <charconv>

namespace printer {

std::optional<TcpEndpoint> parseTcpEndpoint(std::string_view text, std::string& error) {
  auto colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    error = "tcp address without a port: " + std::string(text);
    return std::nullopt;
  }
  // inet_pton takes exactly four decimal parts, unlike inet_aton's short
  // and octal forms, so the text means what it reads as.
  std::string host(text.substr(0, colon));
  in_addr parsed{};
  if (::inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
    error = "tcp address is not an IPv4 address: " + std::string(text);
    return std::nullopt;
  }
  auto portText = text.substr(colon + 1);
  unsigned port = 0;
  auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (portText.empty() || ec != std::errc() || end != portText.data() + portText.size() ||
      port > 65535) {
    error = "tcp port is not a number from 0 to 65535: " + std::string(text);
    return std::nullopt;
  }
  TcpEndpoint endpoint{ntohl(parsed.s_addr), static_cast<std::uint16_t>(port)};
  if ((endpoint.address >> 24) != 127) {
    error = "tcp address is not a loopback address (127.0.0.0/8): " + std::string(text);
    return std::nullopt;
  }
  return endpoint;
}

std::string toString(const TcpEndpoint& endpoint) {
  in_addr address{htonl(endpoint.address)};
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return std::string(text) + ":" + std::to_string(endpoint.port);
}

}  // namespace printer
