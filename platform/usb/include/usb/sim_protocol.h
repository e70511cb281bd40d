// The wire protocol of the simulated USB bus, shared by the bus client
// (platform/usb/src/sim/sim_bus.cpp) and the simulated printer (tools/printer/).
//
// The printer listens on one Unix SOCK_SEQPACKET socket, "bus.sock" in the
// folder ".usb-sim" under the root. Each client connection does one of two
// things, chosen by its first message:
//   List   -> one ListReply with the present devices of a class; then the
//             client closes.
//   Open   -> one OpenReply. When it says yes the connection is the open
//             handle: for a pipe it then carries Write/WriteReply and
//             Read/ReadReply exchanges until the client closes it; a bare
//             device path (test open) is closed by the client at once.
// A Read is answered by one ReadReply with the same serial whenever the
// printer has data; a Cancel by one CancelReply with that serial, after
// which the printer sends nothing more for the read. The printer closes a
// handle's connection when its device is unplugged.
//
// Every message is one packet: a type byte, two 32-bit little-endian
// numbers `a` and `b`, and the payload bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "usb/bus.h"

namespace platform::usb::sim {

// The folder of the simulated bus under a root, its socket and the log of
// the requests the printer answered.
std::filesystem::path busFolder(const std::filesystem::path& root);
std::filesystem::path busSocketPath(const std::filesystem::path& root);
std::filesystem::path requestLogPath(const std::filesystem::path& root);

enum class MessageType : std::uint8_t {
  List = 'L',         // a: interface class
  ListReply = 'l',    // payload: encodeEntries()
  Open = 'O',         // a: Access; payload: the path
  OpenReply = 'o',    // a: 1 opened, 0 refused
  Write = 'W',        // payload: the bytes offered
  WriteReply = 'w',   // a: bytes the device took
  Read = 'R',         // a: serial; b: most bytes wanted
  ReadReply = 'r',    // a: serial; payload: the bytes read
  Cancel = 'C',       // a: serial of the read to cancel
  CancelReply = 'c',  // a: serial
};

struct Message {
  MessageType type = MessageType::List;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  std::string payload;
};

// The largest payload a Write carries; a longer write is a short write.
inline constexpr std::size_t kMaxWritePayload = 64 * 1024;
// The largest packet either side sends or accepts.
inline constexpr std::size_t kMaxPacket = 256 * 1024;

std::string encodeMessage(const Message& message);
// nullopt for a packet too short or of an unknown type.
std::optional<Message> decodeMessage(std::string_view packet);

std::string encodeEntries(const std::vector<DeviceEntry>& entries);
std::optional<std::vector<DeviceEntry>> decodeEntries(std::string_view payload);

// Sends one message; false when the peer is gone. Never raises SIGPIPE.
bool sendMessage(int fd, const Message& message);

enum class ReceiveStatus { Received, TimedOut, Closed };

// Waits at most `limit` for one message (a negative limit waits without
// end). Closed covers the peer's end and any error, a malformed packet
// included.
ReceiveStatus receiveMessage(int fd, std::chrono::milliseconds limit, Message& message);

}  // namespace platform::usb::sim
