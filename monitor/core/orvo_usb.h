// COrvoUsb: the monitor's USB link to the printer and its command protocol.
//
// The link finds the printer among the bus's printing interfaces by vendor
// and product, opens its two pipes for one transaction at a time, and keeps
// the link-usable flag: cleared at construction, set only by OpenLink, and
// cleared for the rest of the process by any transport failure. While it is
// cleared every transaction fails at once without touching the device.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "monitor/core/status_entry.h"
#include "usb/bus.h"

namespace monitor {

inline constexpr std::size_t kReplyBufferSize = 512;
inline constexpr std::size_t kMaxDevicePath = 260;

enum class PipeSelection { Write, Read, Both };

class COrvoUsb {
 public:
  explicit COrvoUsb(platform::usb::Bus& bus);
  ~COrvoUsb() = default;
  COrvoUsb(const COrvoUsb&) = delete;
  COrvoUsb& operator=(const COrvoUsb&) = delete;

  // Where transactions mark "STMreaddata"; set once the paths are known.
  void attachExchangeFile(std::filesystem::path exchangeFile);

  // Transport.
  int OpenLink();
  bool FindPrinterPath(std::size_t maxPathLength);
  bool IsPrinterPresent();
  bool OpenPipes(PipeSelection selection);
  void ClosePipes();
  bool WritePipe(std::span<const std::uint8_t> data, int attempts);
  std::size_t ReadPipe(std::span<std::uint8_t> buffer);

  // Protocol.
  bool Transact(std::string_view request, int repeatCount);
  int ParseReply(std::span<const std::uint8_t> data);
  bool HasErrorCode() const;
  bool CheckReply(std::uint8_t checkKind);

  // Marks the exchange file while the pipes are held ("1") or free ("0").
  void writeReadDataFlag(bool holding) const;

  bool linkUsable() const { return linkUsable_ != 0; }
  void clearLink() { linkUsable_ = 0; }
  const StatusList& status() const { return status_; }
  // The status evaluation replaces the list with a code of its own.
  StatusList& status() { return status_; }

  // How long a read waits for the printer; 10000 ms unless a test changes it.
  void setReadLimit(std::chrono::milliseconds limit) { readLimit_ = limit; }

 private:
  // The printer's device path, or empty when it is not found.
  std::string searchPrinter(std::size_t maxPathLength);
  void reportLinkFailure();

  platform::usb::Bus& bus_;
  std::filesystem::path exchangeFile_;
  std::chrono::milliseconds readLimit_{10000};

  int linkUsable_ = 0;
  std::unique_ptr<platform::usb::Handle> writePipe_;
  std::unique_ptr<platform::usb::Handle> readPipe_;
  std::string writePipePath_;
  std::string readPipePath_;
  StatusList status_;
  std::array<std::uint8_t, kReplyBufferSize> reply_{};
};

}  // namespace monitor
