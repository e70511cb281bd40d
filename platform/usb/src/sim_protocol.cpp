// Packets of the simulated USB bus.
#include "usb/sim_protocol.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace platform::usb::sim {

namespace {

constexpr std::size_t kHeader = 9;

void putU32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// Reads a 32-bit number from the front of `in`.
std::optional<std::uint32_t> takeU32(std::string_view& in) {
  if (in.size() < 4) return std::nullopt;
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(in[static_cast<std::size_t>(i)]);
  }
  in.remove_prefix(4);
  return value;
}

void putText(std::string& out, std::string_view text) {
  putU32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

std::optional<std::string> takeText(std::string_view& in) {
  auto size = takeU32(in);
  if (!size || in.size() < *size) return std::nullopt;
  std::string text(in.substr(0, *size));
  in.remove_prefix(*size);
  return text;
}

bool knownType(char c) {
  switch (static_cast<MessageType>(c)) {
    case MessageType::List:
    case MessageType::ListReply:
    case MessageType::Open:
    case MessageType::OpenReply:
    case MessageType::Write:
    case MessageType::WriteReply:
    case MessageType::Read:
    case MessageType::ReadReply:
    case MessageType::Cancel:
    case MessageType::CancelReply:
      return true;
  }
  return false;
}

}  // namespace

std::filesystem::path busFolder(const std::filesystem::path& root) { return root / ".usb-sim"; }
std::filesystem::path busSocketPath(const std::filesystem::path& root) {
  return busFolder(root) / "bus.sock";
}
std::filesystem::path requestLogPath(const std::filesystem::path& root) {
  return busFolder(root) / "requests.log";
}

std::string encodeMessage(const Message& message) {
  std::string packet;
  packet.reserve(kHeader + message.payload.size());
  packet += static_cast<char>(message.type);
  putU32(packet, message.a);
  putU32(packet, message.b);
  packet += message.payload;
  return packet;
}

std::optional<Message> decodeMessage(std::string_view packet) {
  if (packet.size() < kHeader || !knownType(packet.front())) return std::nullopt;
  Message message;
  message.type = static_cast<MessageType>(packet.front());
  packet.remove_prefix(1);
  message.a = takeU32(packet).value();
  message.b = takeU32(packet).value();
  message.payload = std::string(packet);
  return message;
}

std::string encodeEntries(const std::vector<DeviceEntry>& entries) {
  std::string out;
  putU32(out, static_cast<std::uint32_t>(entries.size()));
  for (const auto& entry : entries) {
    putU32(out, static_cast<std::uint32_t>(entry.hardwareIds.size()));
    for (const auto& id : entry.hardwareIds) putText(out, id);
    out += entry.devicePath ? '\1' : '\0';
    putText(out, entry.devicePath.value_or(""));
  }
  return out;
}

std::optional<std::vector<DeviceEntry>> decodeEntries(std::string_view in) {
  auto count = takeU32(in);
  if (!count) return std::nullopt;
  std::vector<DeviceEntry> entries;
  for (std::uint32_t i = 0; i < *count; ++i) {
    DeviceEntry entry;
    auto ids = takeU32(in);
    if (!ids) return std::nullopt;
    for (std::uint32_t k = 0; k < *ids; ++k) {
      auto id = takeText(in);
      if (!id) return std::nullopt;
      entry.hardwareIds.push_back(std::move(*id));
    }
    if (in.empty()) return std::nullopt;
    bool hasPath = in.front() != '\0';
    in.remove_prefix(1);
    auto path = takeText(in);
    if (!path) return std::nullopt;
    if (hasPath) entry.devicePath = std::move(*path);
    entries.push_back(std::move(entry));
  }
  if (!in.empty()) return std::nullopt;
  return entries;
}

bool sendMessage(int fd, const Message& message) {
  std::string packet = encodeMessage(message);
  while (true) {
    ssize_t sent = ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    if (sent >= 0) return static_cast<std::size_t>(sent) == packet.size();
    if (errno != EINTR) return false;
  }
}

ReceiveStatus receiveMessage(int fd, std::chrono::milliseconds limit, Message& message) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (true) {
    int timeout = -1;
    if (limit.count() >= 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline -
                                                               std::chrono::steady_clock::now());
      timeout = static_cast<int>(std::max<long long>(left.count(), 0));
    }
    pollfd entry{fd, POLLIN, 0};
    int ready = ::poll(&entry, 1, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return ReceiveStatus::Closed;
    if (ready == 0) return ReceiveStatus::TimedOut;
    // Ask for the packet's size first, so that the buffer fits it exactly.
    ssize_t size = ::recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC);
    if (size < 0 && errno == EINTR) continue;
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxPacket) return ReceiveStatus::Closed;
    std::string packet(static_cast<std::size_t>(size), '\0');
    ssize_t got = ::recv(fd, packet.data(), packet.size(), 0);
    if (got != size) return ReceiveStatus::Closed;
    auto decoded = decodeMessage(packet);
    if (!decoded) return ReceiveStatus::Closed;
    message = std::move(*decoded);
    return ReceiveStatus::Received;
  }
}

}  // namespace platform::usb::sim
