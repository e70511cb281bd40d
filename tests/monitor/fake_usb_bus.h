// A scripted USB bus for the monitor's tests: a device list, a queue of
// replies for the read pipe, and a record of everything written and opened.
#pragma once

#include <deque>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "usb/bus.h"

namespace testing_support {

struct ScriptedRead {
  std::string bytes;  // copied into the buffer, cut to its size
  platform::usb::ReadStatus status = platform::usb::ReadStatus::Completed;
};

class FakeUsbBus final : public platform::usb::Bus {
 public:
  static constexpr const char* kPrinterId = "USB\\VID_7A3C&PID_5B21&REV_0100";

  std::optional<std::vector<platform::usb::DeviceEntry>> devices =
      std::vector<platform::usb::DeviceEntry>{{{kPrinterId}, std::string("\\\\?\\usb#printer0")}};
  bool opensFail = false;                  // every open fails (device gone)
  std::optional<int> opensLeft;            // opens that succeed before opensFail
  std::size_t writeChunk = std::numeric_limits<std::size_t>::max();  // bytes taken per call
  std::deque<ScriptedRead> reads;          // an empty queue times out

  std::vector<std::string> opened;         // every path opened, in order
  std::vector<std::string> written;        // the bytes of each write call
  int openHandles = 0;
  int readCalls = 0;

  void reply(std::string bytes) { reads.push_back({std::move(bytes)}); }

  std::optional<std::vector<platform::usb::DeviceEntry>> listDevices(
      platform::usb::InterfaceClass) override {
    return devices;
  }

  std::unique_ptr<platform::usb::Handle> open(std::string_view path,
                                              platform::usb::Access) override {
    opened.emplace_back(path);
    if (opensLeft && (*opensLeft)-- <= 0) opensFail = true;
    if (opensFail) return nullptr;
    return std::make_unique<FakeHandle>(*this);
  }

 private:
  class FakeHandle final : public platform::usb::Handle {
   public:
    explicit FakeHandle(FakeUsbBus& bus) : bus_(bus) { ++bus_.openHandles; }
    ~FakeHandle() override { --bus_.openHandles; }
    platform::usb::WriteResult write(std::span<const std::uint8_t> data) override {
      auto n = std::min(data.size(), bus_.writeChunk);
      bus_.written.emplace_back(reinterpret_cast<const char*>(data.data()), n);
      return {n > 0, n};
    }
    platform::usb::ReadResult read(std::span<std::uint8_t> buffer,
                                   std::chrono::milliseconds) override {
      ++bus_.readCalls;
      if (bus_.reads.empty()) return {platform::usb::ReadStatus::TimedOut, 0};
      auto next = bus_.reads.front();
      bus_.reads.pop_front();
      auto n = std::min(next.bytes.size(), buffer.size());
      std::copy_n(next.bytes.begin(), n, buffer.begin());
      return {next.status, n};
    }

   private:
    FakeUsbBus& bus_;
  };
};

}  // namespace testing_support
