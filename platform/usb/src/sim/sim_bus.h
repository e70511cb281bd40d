// The simulated USB bus: the devices served by a qz3317vt-printer process
// for the current root (platform::base::rootFolder(), read again at every call).
//
// Without a printer process the bus has no devices: listDevices() gives an
// empty list and open() nullptr. A pipe handle is one connection to the
// printer, closed by its destructor. Writes may be short, as the printer
// decides. A read that times out is cancelled, and the cancellation is
// confirmed by the printer before read() returns, so no late reply reaches
// any later read. When the device is unplugged, a pending read completes
// with Failed, later reads give InvalidHandle and writes fail.
#pragma once

#include <memory>

#include "usb/bus.h"

namespace platform::usb {

std::unique_ptr<Bus> makeSimBus();

}  // namespace platform::usb
