// The loopback address and port the simulated printer listens on for the
// network setup commands, parsed from the scenario's "tcp" key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace printer {

struct TcpEndpoint {
  std::uint32_t address = 0;  // IPv4, host byte order; always in 127.0.0.0/8
  std::uint16_t port = 0;     // 0: any free port

  bool operator==(const TcpEndpoint&) const = default;
};

// Parses "A.B.C.D:PORT": four decimal parts and a decimal port 0-65535.
// Only loopback addresses (first part 127) are accepted, so the simulated
// printer can never listen on a real network; anything else gives nothing
// and a reason in `error`.
std::optional<TcpEndpoint> parseTcpEndpoint(std::string_view text, std::string& error);

// "A.B.C.D:PORT" for messages.
std::string toString(const TcpEndpoint& endpoint);

}  // namespace printer
