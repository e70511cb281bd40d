// Finding the end of a setup command on the TCP port.
#include "tools/printer/net_command.h"

namespace printer {

namespace {

constexpr std::string_view kSetIp = "SetIP=";
constexpr std::size_t kSetIpLength = 19;

std::optional<std::size_t> bodyLength(std::string_view body) {
  // A set command cannot be told from others until its name is complete.
  if (body.size() < kSetIp.size() && kSetIp.starts_with(body)) return std::nullopt;
  if (body.starts_with(kSetIp)) {
    if (body.size() < kSetIpLength) return std::nullopt;
    return kSetIpLength;
  }
  auto end = body.find(';');
  if (end == std::string_view::npos) return std::nullopt;
  return end + 1;
}

}  // namespace

std::optional<std::size_t> netCommandLength(std::string_view received) {
  received = received.substr(0, kMaxNetCommand);
  std::size_t prefix = 0;
  if (received.starts_with(kNetPrefix)) prefix = kNetPrefix.size();
  else if (received.size() < kNetPrefix.size() && kNetPrefix.starts_with(received)) return std::nullopt;
  auto length = bodyLength(received.substr(prefix));
  if (length && prefix + *length <= kMaxNetCommand) return prefix + *length;
  if (received.size() == kMaxNetCommand) return kMaxNetCommand;
  return std::nullopt;
}

}  // namespace printer
