// The setup commands of the printer's imaging interface and TCP port, and
// the parses of their replies.
//
// Commands (raw bytes, no length field, no terminator beyond these bytes):
//   address query  "CheckIP;"                                   8 bytes
//   MAC query      "CheckMAC;"                                  9 bytes
//   set command    "SetIP=" IP(4) mask(4) gateway(4) ";"       19 bytes
// An octet is one raw byte, the first dotted part first; an octet may be
// any byte, ";" and 0 included. On USB a command goes out as it is; on TCP
// "NET." comes first, and the frame is built in 260 bytes, so a command
// holds at most 256.
//
// Replies are read into a zeroed 260-byte buffer. Address reply: "IPadd:",
// then IP, mask and gateway, four octets each, at bytes 6-17; what follows
// is ignored, and a zero octet is an octet like any other. MAC reply:
// "MACadd:", then the MAC address as text up to the first zero byte, or to
// the end of the buffer when it holds none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace netsetup {

inline constexpr std::size_t kReplyBufferSize = 260;
inline constexpr std::size_t kMaxCommandSize = 256;
inline constexpr std::string_view kNetworkPrefix = "NET.";

using ReplyBuffer = std::array<std::uint8_t, kReplyBufferSize>;
using Octets = std::array<std::uint8_t, 4>;
using Bytes = std::vector<std::uint8_t>;

Bytes checkIpCommand();
Bytes checkMacCommand();
Bytes setIpCommand(const Octets& ip, const Octets& mask, const Octets& gateway);

// "NET." followed by the command; nothing when the command is longer than
// kMaxCommandSize.
std::optional<Bytes> networkFrame(std::span<const std::uint8_t> command);

struct AddressReply {
  Octets ip{};
  Octets mask{};
  Octets gateway{};
};

// Whether the reply begins with "IPadd:" / "MACadd:" (case-sensitive).
bool isAddressReply(const ReplyBuffer& reply);
bool isMacReply(const ReplyBuffer& reply);

// The three addresses at bytes 6-17, whatever the first six bytes hold.
AddressReply parseAddressReply(const ReplyBuffer& reply);

// The text from byte 7 up to the first zero byte or the end of the buffer.
std::string macText(const ReplyBuffer& reply);

// "%d.%d.%d.%d".
std::string dotted(const Octets& octets);

}  // namespace netsetup
