// The USB bus of real devices, through libusb-1.0.
//
// Device paths have the form "usb:<bus>-<port>[.<port>...]:<config>.<interface>"
// and name the first interface of the asked class. The pipes of one
// interface that are open at the same time share one device handle and one
// claim of the interface (the kernel lets only one descriptor claim it): the
// first pipe opens the device, detaches the kernel driver when one is bound,
// claims the interface and selects the alternate setting that has a bulk OUT
// and a bulk IN endpoint (see descriptors.h); the last pipe to close releases
// the interface, reattaches the driver if it was detached, and closes the
// device. An interface that another program holds cannot be claimed: the
// open gives nullptr and nothing is detached. The write pipe is that
// setting's first bulk OUT endpoint, the read pipe its first bulk IN one. A
// transfer that meets a stalled endpoint clears the halt and tries once more
// before it counts as failed. Reads wait at most their limit (capped by
// QZ3317VT_LIBUSB_READ_LIMIT_MS when set, for tests) and are cancelled when
// it runs out; writes have no limit. Without a usable USB subsystem
// listDevices() gives nullopt and open() nullptr.
#pragma once

#include <memory>

#include "usb/bus.h"

namespace platform::usb {

std::unique_ptr<Bus> makeLibusbBus();

}  // namespace platform::usb
