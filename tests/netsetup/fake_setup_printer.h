// A scripted printer for the setup tool's tests, on both of its paths: a USB
// bus with the printer's imaging interface and a connector that reaches its
// TCP port. Each command is answered with the replies scripted for it; what
// was written, framed, attempted and waited for is recorded.
//
// USB: the bytes written through one open write pipe are one command, taken
// when the pipe closes; its replies wait in one queue, and each read takes
// one of them. A read with none waiting times out, as the device would
// after the limit. Network: each connection carries one command (its frame
// less "NET."); its replies are one stream, and a receive with nothing left
// times out, or sees the connection closed when `closeAfterReply`.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/connector.h"
#include "usb/bus.h"

namespace netsetup_test {

inline constexpr const char* kPrinterId = "USB\\VID_7A3C&PID_5B21&REV_0100";
inline constexpr const char* kImagingPath = "usb#vid_7a3c&pid_5b21#6";

using Octets = std::array<std::uint8_t, 4>;

// "IPadd:" and the twelve octets.
inline std::string addressReply(const Octets& ip, const Octets& mask, const Octets& gateway) {
  std::string reply = "IPadd:";
  for (const Octets* address : {&ip, &mask, &gateway}) reply.append(address->begin(), address->end());
  return reply;
}

class FakeSetupPrinter final : public platform::usb::Bus, public platform::net::Connector {
 public:
  using Endpoint = platform::net::Endpoint;

  FakeSetupPrinter() {
    answers["CheckIP;"] = {addressReply({192, 168, 1, 20}, {255, 255, 255, 0}, {192, 168, 1, 1})};
    answers["CheckMAC;"] = {"MACadd:00:1B:A9:33:17:01"};
  }

  // The USB side.
  bool onUsb = true;
  std::vector<platform::usb::DeviceEntry> devices{{{kPrinterId}, std::string(kImagingPath)}};
  bool opensFail = false;
  std::size_t writeChunk = std::numeric_limits<std::size_t>::max();  // bytes per write call
  int failingWriteCalls = 0;                                         // the first calls fail

  // The network side: where the printer listens; nothing: nowhere.
  std::optional<Endpoint> listening = Endpoint{{0xC0A80114}, 9100};  // 192.168.1.20:9100
  int failingSends = 0;  // the first sends fail
  bool closeAfterReply = false;

  // The replies of each command, by its bytes.
  std::map<std::string, std::vector<std::string>> answers;

  // What happened.
  std::vector<std::string> opened;          // every USB path opened
  std::vector<std::string> writeCalls;      // the bytes of each USB write call
  std::vector<std::string> usbCommands;     // what each write pipe carried
  std::vector<std::chrono::milliseconds> readLimits;  // of each USB read
  std::vector<Endpoint> attempts;           // every connection attempt
  std::vector<platform::net::TcpLimits> limits;  // of each connection made
  std::vector<std::string> frames;          // what each connection carried
  int openHandles = 0;
  int openConnections = 0;

  std::optional<std::vector<platform::usb::DeviceEntry>> listDevices(
      platform::usb::InterfaceClass cls) override {
    if (cls != platform::usb::InterfaceClass::Imaging || !onUsb) {
      return std::vector<platform::usb::DeviceEntry>{};
    }
    return devices;
  }

  std::unique_ptr<platform::usb::Handle> open(std::string_view path,
                                              platform::usb::Access) override {
    opened.emplace_back(path);
    if (opensFail || !onUsb) return nullptr;
    return std::make_unique<Pipe>(*this, path.ends_with("\\1"));
  }

  platform::net::ConnectResult connect(const Endpoint& peer,
                                       const platform::net::TcpLimits& tcpLimits) override {
    attempts.push_back(peer);
    if (!listening || peer != *listening) return {platform::net::NetStatus::Refused, nullptr};
    limits.push_back(tcpLimits);
    return {platform::net::NetStatus::Ok, std::make_unique<Socket>(*this)};
  }

  // The commands on both paths, with "NET." taken off the frames.
  std::vector<std::string> networkCommands() const {
    std::vector<std::string> commands;
    for (const auto& frame : frames) commands.push_back(frame.substr(4));
    return commands;
  }

 private:
  std::vector<std::string> repliesTo(const std::string& command) const {
    auto it = answers.find(command);
    return it == answers.end() ? std::vector<std::string>{} : it->second;
  }

  class Pipe final : public platform::usb::Handle {
   public:
    Pipe(FakeSetupPrinter& printer, bool writePipe) : printer_(printer), writePipe_(writePipe) {
      ++printer_.openHandles;
    }
    ~Pipe() override {
      --printer_.openHandles;
      if (!writePipe_ || written_.empty()) return;
      printer_.usbCommands.push_back(written_);
      for (auto& reply : printer_.repliesTo(written_)) printer_.usbQueue_.push_back(reply);
    }
    platform::usb::WriteResult write(std::span<const std::uint8_t> data) override {
      auto n = std::min(data.size(), printer_.writeChunk);
      std::string bytes(reinterpret_cast<const char*>(data.data()), n);
      printer_.writeCalls.push_back(bytes);
      if (printer_.failingWriteCalls > 0) {
        --printer_.failingWriteCalls;
        return {false, 0};
      }
      written_ += bytes;
      return {true, n};
    }
    platform::usb::ReadResult read(std::span<std::uint8_t> buffer,
                                   std::chrono::milliseconds limit) override {
      printer_.readLimits.push_back(limit);
      if (printer_.usbQueue_.empty()) return {platform::usb::ReadStatus::TimedOut, 0};
      std::string reply = printer_.usbQueue_.front();
      printer_.usbQueue_.pop_front();
      auto n = std::min(reply.size(), buffer.size());
      std::copy_n(reply.begin(), n, buffer.begin());
      return {platform::usb::ReadStatus::Completed, n};
    }

   private:
    FakeSetupPrinter& printer_;
    bool writePipe_;
    std::string written_;
  };

  class Socket final : public platform::net::Connection {
   public:
    explicit Socket(FakeSetupPrinter& printer) : printer_(printer) { ++printer_.openConnections; }
    ~Socket() override { --printer_.openConnections; }
    platform::net::TransferResult send(std::span<const std::uint8_t> data) override {
      if (printer_.failingSends > 0) {
        --printer_.failingSends;
        return {platform::net::NetStatus::Closed, 0};
      }
      std::string frame(reinterpret_cast<const char*>(data.data()), data.size());
      printer_.frames.push_back(frame);
      if (frame.starts_with("NET.")) {
        for (auto& reply : printer_.repliesTo(frame.substr(4))) inbox_ += reply;
      }
      return {platform::net::NetStatus::Ok, data.size()};
    }
    platform::net::TransferResult receive(std::span<std::uint8_t> buffer) override {
      if (inbox_.empty()) {
        return {printer_.closeAfterReply && replied_ ? platform::net::NetStatus::Closed
                                                     : platform::net::NetStatus::TimedOut,
                0};
      }
      auto n = std::min(inbox_.size(), buffer.size());
      std::copy_n(inbox_.begin(), n, buffer.begin());
      inbox_.erase(0, n);
      replied_ = true;
      return {platform::net::NetStatus::Ok, n};
    }

   private:
    FakeSetupPrinter& printer_;
    std::string inbox_;
    bool replied_ = false;
  };

  std::deque<std::string> usbQueue_;
};

}  // namespace netsetup_test
