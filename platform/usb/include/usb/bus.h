// The USB bus: devices by interface class, and byte pipes to their
// interfaces.
//
// Two backends, chosen once per process from QZ3317VT_USB:
//   unset or "libusb"  real devices through libusb-1.0;
//   "sim"              the simulated bus of the current root, served by the
//                      qz3317vt-printer tool.
// Tests may install a bus of their own with setUsbBus().
//
// Device paths are opaque texts made by the backend. A pipe is named by a
// device path followed by a pipe suffix: "\PIPE00" (write) and "\PIPE01"
// (read) on the printing interface, "\1" (write) and "\0" (read) on the
// imaging interface. The bare device path names the whole interface and is
// only ever test-opened.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::usb {

enum class InterfaceClass : std::uint8_t { Imaging = 6, Printing = 7 };

// One present device that exposes an interface of the asked class.
struct DeviceEntry {
  // The hardware identifiers, most specific first, in the Windows form
  // "USB\VID_7A3C&PID_5B21&REV_0100". Empty when they cannot be read.
  std::vector<std::string> hardwareIds;
  // The device path of the device's first interface of the class; nullopt
  // when the interface or its detail cannot be obtained.
  std::optional<std::string> devicePath;
};

enum class Access { ReadWrite, Write, Read };

struct WriteResult {
  bool ok = false;            // false: the call failed
  std::size_t written = 0;    // bytes the device took; may be short
};

enum class ReadStatus {
  Completed,      // the read finished; `received` bytes are in the buffer
  TimedOut,       // nothing within the limit; the pending read was cancelled
  InvalidHandle,  // the handle is not usable for reading (device gone)
  Failed,         // the read finished with an error
};

struct ReadResult {
  ReadStatus status = ReadStatus::Failed;
  std::size_t received = 0;
};

// An open pipe or a test-opened interface. Closing is the destructor, which
// releases everything the handle holds, a pending read included.
class Handle {
 public:
  virtual ~Handle() = default;
  // One synchronous write call; blocks while the device does not take the
  // data. May take fewer bytes than offered.
  virtual WriteResult write(std::span<const std::uint8_t> data) = 0;
  // Starts one read of up to buffer.size() bytes and waits for it at most
  // `limit`. On TimedOut the read has been cancelled before the return, so
  // nothing is written into the buffer afterwards.
  virtual ReadResult read(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit) = 0;
};

class Bus {
 public:
  virtual ~Bus() = default;
  // The present devices that expose `cls`, in a stable order; nullopt when
  // the list cannot be obtained (no bus).
  virtual std::optional<std::vector<DeviceEntry>> listDevices(InterfaceClass cls) = 0;
  // Opens a device path, or a device path with a pipe suffix; nullptr when it
  // cannot be opened (no such device or pipe, wrong access, device gone).
  virtual std::unique_ptr<Handle> open(std::string_view path, Access access) = 0;
};

// The bus of this process.
Bus& usbBus();

// Replaces the bus for the rest of the process; nullptr restores the one
// chosen from the environment. The caller keeps the bus alive while it is set.
void setUsbBus(Bus* bus);

}  // namespace platform::usb
