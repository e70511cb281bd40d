// The process's USB bus: chosen once from QZ3317VT_USB, or set by a test.
#include "usb/bus.h"

#include <cstdlib>
#include <string_view>

#include "libusb/libusb_bus.h"
#include "sim/sim_bus.h"

namespace platform::usb {

namespace {

// Stands in for the bus when QZ3317VT_USB names no known backend: no bus,
// rather than a guess that could reach real hardware.
class AbsentBus : public Bus {
 public:
  std::optional<std::vector<DeviceEntry>> listDevices(InterfaceClass) override {
    return std::nullopt;
  }
  std::unique_ptr<Handle> open(std::string_view, Access) override { return nullptr; }
};

std::unique_ptr<Bus> busFromEnvironment() {
  const char* value = std::getenv("QZ3317VT_USB");
  std::string_view choice = value == nullptr ? "" : value;
  if (choice.empty() || choice == "libusb") return makeLibusbBus();
  if (choice == "sim") return makeSimBus();
  return std::make_unique<AbsentBus>();
}

Bus* installedBus = nullptr;

}  // namespace

Bus& usbBus() {
  if (installedBus != nullptr) return *installedBus;
  static std::unique_ptr<Bus> chosen = busFromEnvironment();
  return *chosen;
}

void setUsbBus(Bus* bus) { installedBus = bus; }

}  // namespace platform::usb
