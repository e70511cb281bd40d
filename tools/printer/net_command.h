// The setup commands as they arrive on the printer's TCP port: the network
// setup tool puts "NET." before each command ("NET.CheckIP;",
// "NET.CheckMAC;", "NET.SetIP=" with 12 octets and ";") and sends no length
// and no other terminator, so the printer finds the end of a command from
// its bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace printer {

inline constexpr std::string_view kNetPrefix = "NET.";
// The tool frames a command in 260 bytes; longer input is cut there.
inline constexpr std::size_t kMaxNetCommand = 260;

// The length of the command at the start of `received`, or nothing while
// it is incomplete. With or without the prefix, a set command is "SetIP="
// and 13 more bytes (its octets may hold ";"); any other command ends at
// its first ";". Once `received` holds kMaxNetCommand bytes without a
// complete command, those bytes are the command.
std::optional<std::size_t> netCommandLength(std::string_view received);

}  // namespace printer
