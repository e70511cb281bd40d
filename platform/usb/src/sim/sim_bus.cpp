// The client side of the simulated USB bus.
#include "sim/sim_bus.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>

#include "base/folders.h"
#include "read_limit_cap.h"
#include "usb/pipe_path.h"
#include "usb/sim_protocol.h"
#include "base/unique_fd.h"

namespace platform::usb {

namespace {

// Tests of whole programs on the simulated bus may cap every read's wait.
constexpr const char* kReadLimitCapVariable = "QZ3317VT_SIM_READ_LIMIT_MS";

using sim::Message;
using sim::MessageType;
using sim::ReceiveStatus;

// The printer answers List and Open at once from its poll loop; this only
// bounds the wait when it is stopped.
constexpr std::chrono::milliseconds kControlLimit{10000};
constexpr std::chrono::milliseconds kNoLimit{-1};

// A connection to the printer of the current root; invalid when none serves.
base::UniqueFd connectToPrinter() {
  auto path = sim::busSocketPath(base::rootFolder()).string();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return {};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  base::UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return {};
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return {};
  }
  return fd;
}

// Sends `request` and waits for one reply of type `expected`.
std::optional<Message> exchange(int fd, const Message& request, MessageType expected,
                                std::chrono::milliseconds limit) {
  if (!sim::sendMessage(fd, request)) return std::nullopt;
  Message reply;
  if (sim::receiveMessage(fd, limit, reply) != ReceiveStatus::Received) return std::nullopt;
  if (reply.type != expected) return std::nullopt;
  return reply;
}

// What is left of a bare device path once the test open has closed it.
class TestOpenHandle : public Handle {
 public:
  WriteResult write(std::span<const std::uint8_t>) override { return {}; }
  ReadResult read(std::span<std::uint8_t>, std::chrono::milliseconds) override {
    return {ReadStatus::InvalidHandle, 0};
  }
};

class SimPipeHandle : public Handle {
 public:
  SimPipeHandle(base::UniqueFd fd, PipeKind kind) : fd_(std::move(fd)), kind_(kind) {}

  WriteResult write(std::span<const std::uint8_t> data) override {
    if (kind_ != PipeKind::WritePipe || !fd_.valid()) return {};
    std::size_t offered = std::min(data.size(), sim::kMaxWritePayload);
    Message request{MessageType::Write, 0, 0, {}};
    request.payload.assign(reinterpret_cast<const char*>(data.data()), offered);
    auto reply = exchange(fd_.get(), request, MessageType::WriteReply, kNoLimit);
    if (!reply) {
      fd_.reset();
      return {};
    }
    return {true, std::min<std::size_t>(reply->a, offered)};
  }

  ReadResult read(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit) override {
    if (kind_ != PipeKind::ReadPipe || !fd_.valid()) return {ReadStatus::InvalidHandle, 0};
    std::uint32_t serial = ++serial_;
    auto wanted = static_cast<std::uint32_t>(std::min<std::size_t>(buffer.size(), UINT32_MAX));
    if (!sim::sendMessage(fd_.get(), {MessageType::Read, serial, wanted, {}})) {
      fd_.reset();
      return {ReadStatus::InvalidHandle, 0};
    }
    auto deadline = std::chrono::steady_clock::now() + std::max(cappedReadLimit(limit, kReadLimitCapVariable), limit.zero());
    while (true) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline -
                                                              std::chrono::steady_clock::now());
      Message reply;
      switch (sim::receiveMessage(fd_.get(), std::max(left, left.zero()), reply)) {
        case ReceiveStatus::Closed:
          fd_.reset();
          return {ReadStatus::Failed, 0};
        case ReceiveStatus::TimedOut:
          cancel(serial);
          return {ReadStatus::TimedOut, 0};
        case ReceiveStatus::Received:
          break;
      }
      if (reply.type != MessageType::ReadReply || reply.a != serial) continue;
      std::size_t received = std::min(reply.payload.size(), buffer.size());
      std::memcpy(buffer.data(), reply.payload.data(), received);
      return {ReadStatus::Completed, received};
    }
  }

 private:
  // Cancels the pending read and waits for the printer to confirm it; a
  // reply that crossed the cancel on the way is dropped.
  void cancel(std::uint32_t serial) {
    if (!sim::sendMessage(fd_.get(), {MessageType::Cancel, serial, 0, {}})) {
      fd_.reset();
      return;
    }
    while (true) {
      Message reply;
      if (sim::receiveMessage(fd_.get(), kNoLimit, reply) != ReceiveStatus::Received) {
        fd_.reset();
        return;
      }
      if (reply.type == MessageType::CancelReply && reply.a == serial) return;
    }
  }

  base::UniqueFd fd_;
  PipeKind kind_;
  std::uint32_t serial_ = 0;
};

class SimBus : public Bus {
 public:
  std::optional<std::vector<DeviceEntry>> listDevices(InterfaceClass cls) override {
    base::UniqueFd fd = connectToPrinter();
    if (!fd.valid()) return std::vector<DeviceEntry>{};
    Message request{MessageType::List, static_cast<std::uint32_t>(cls), 0, {}};
    auto reply = exchange(fd.get(), request, MessageType::ListReply, kControlLimit);
    if (!reply) return std::nullopt;
    return sim::decodeEntries(reply->payload);
  }

  std::unique_ptr<Handle> open(std::string_view path, Access access) override {
    PipeName name = parsePipeName(path);
    if (!accessFitsPipe(name.kind, access)) return nullptr;
    base::UniqueFd fd = connectToPrinter();
    if (!fd.valid()) return nullptr;
    Message request{MessageType::Open, static_cast<std::uint32_t>(access), 0, std::string(path)};
    auto reply = exchange(fd.get(), request, MessageType::OpenReply, kControlLimit);
    if (!reply || reply->a != 1) return nullptr;
    if (name.kind == PipeKind::Interface) return std::make_unique<TestOpenHandle>();
    return std::make_unique<SimPipeHandle>(std::move(fd), name.kind);
  }
};

}  // namespace

std::unique_ptr<Bus> makeSimBus() { return std::make_unique<SimBus>(); }

}  // namespace platform::usb
