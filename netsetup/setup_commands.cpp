// Building the setup commands and reading their replies.
#include "netsetup/setup_commands.h"

#include <algorithm>
#include <cstdio>

namespace netsetup {

namespace {

constexpr std::string_view kAddressTag = "IPadd:";
constexpr std::string_view kMacTag = "MACadd:";

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

bool beginsWith(const ReplyBuffer& reply, std::string_view tag) {
  return std::equal(tag.begin(), tag.end(), reply.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

Octets octetsAt(const ReplyBuffer& reply, std::size_t offset) {
  return {reply[offset], reply[offset + 1], reply[offset + 2], reply[offset + 3]};
}

}  // namespace

Bytes checkIpCommand() { return bytesOf("CheckIP;"); }

Bytes checkMacCommand() { return bytesOf("CheckMAC;"); }

Bytes setIpCommand(const Octets& ip, const Octets& mask, const Octets& gateway) {
  Bytes command = bytesOf("SetIP=");
  for (const Octets* address : {&ip, &mask, &gateway}) {
    command.insert(command.end(), address->begin(), address->end());
  }
  command.push_back(';');
  return command;
}

std::optional<Bytes> networkFrame(std::span<const std::uint8_t> command) {
  if (command.size() > kMaxCommandSize) return std::nullopt;
  Bytes frame = bytesOf(kNetworkPrefix);
  frame.insert(frame.end(), command.begin(), command.end());
  return frame;
}

bool isAddressReply(const ReplyBuffer& reply) { return beginsWith(reply, kAddressTag); }

bool isMacReply(const ReplyBuffer& reply) { return beginsWith(reply, kMacTag); }

AddressReply parseAddressReply(const ReplyBuffer& reply) {
  constexpr std::size_t kFirst = kAddressTag.size();
  return {octetsAt(reply, kFirst), octetsAt(reply, kFirst + 4), octetsAt(reply, kFirst + 8)};
}

std::string macText(const ReplyBuffer& reply) {
  auto begin = reply.begin() + static_cast<std::ptrdiff_t>(kMacTag.size());
  auto end = std::find(begin, reply.end(), std::uint8_t{0});
  return std::string(begin, end);
}

std::string dotted(const Octets& octets) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
  return text;
}

}  // namespace netsetup
