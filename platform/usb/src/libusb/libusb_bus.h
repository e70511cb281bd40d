// The USB bus of real devices, through libusb-1.0.
//
// Device paths have the form "usb:<bus>-<port>[.<port>...]:<config>.<interface>"
// and name the first interface of the asked class. A pipe handle claims that
// interface for as long as it is open (see claim.h) and maps the
// write pipe to its first bulk OUT endpoint and the read pipe to its first
// bulk IN endpoint. Without a usable USB subsystem listDevices() gives
// nullopt and open() nullptr.
#pragma once

#include <memory>

#include "usb/bus.h"

namespace platform::usb {

std::unique_ptr<Bus> makeLibusbBus();

}  // namespace platform::usb
