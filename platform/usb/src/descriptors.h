// What the libusb backend derives from USB descriptors, as plain functions
// over plain values so that they can be checked without a device: the
// hardware identifier texts, the device path of an interface, and the
// choice of the bulk endpoints behind the two pipes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::usb {

// The identity fields of a device descriptor.
struct DeviceIdentity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t bcdDevice = 0;
};

// The hardware identifiers in the Windows form, most specific first:
// "USB\VID_7A3C&PID_5B21&REV_0100", then "USB\VID_7A3C&PID_5B21". Hex digits
// are upper case; REV is the device release number (bcdDevice).
std::vector<std::string> hardwareIdsFor(const DeviceIdentity& identity);

// One endpoint descriptor: its address (bit 7 set for IN) and attributes
// (transfer type in bits 0-1, 2 = bulk).
struct EndpointInfo {
  std::uint8_t address = 0;
  std::uint8_t attributes = 0;
};

// One alternate setting of an interface of the active configuration.
struct InterfaceInfo {
  std::uint8_t number = 0;
  std::uint8_t altSetting = 0;
  std::uint8_t interfaceClass = 0;
  std::vector<EndpointInfo> endpoints;
};

// The interface, alternate setting and endpoints behind the pipes of one
// interface class.
struct PipeEndpoints {
  std::uint8_t interfaceNumber = 0;
  std::uint8_t altSetting = 0;
  std::uint8_t outEndpoint = 0;  // the write pipe
  std::uint8_t inEndpoint = 0;   // the read pipe
  // Whether the setting must be selected after the claim: only when the
  // interface has more than one, since then the current one is unknown (the
  // kernel's printer driver or another program may have left any of them).
  bool selectSetting = false;
};

// The first interface of class `cls`, in the first of its alternate settings
// (in descriptor order) that has both a bulk OUT and a bulk IN endpoint, and
// that setting's first bulk OUT and first bulk IN endpoints. Printers often
// offer a one-way setting 0 and a two-way setting 1. nullopt when no
// interface has the class or no setting of the first one has both.
std::optional<PipeEndpoints> choosePipeEndpoints(const std::vector<InterfaceInfo>& interfaces,
                                                 std::uint8_t cls);

// The first interface number of class `cls`; nullopt when there is none.
std::optional<std::uint8_t> firstInterfaceOfClass(const std::vector<InterfaceInfo>& interfaces,
                                                  std::uint8_t cls);

// Where an interface sits: the bus, the port chain from the root hub, and
// the configuration and interface numbers.
struct InterfaceLocation {
  std::uint8_t bus = 0;
  std::vector<std::uint8_t> ports;
  std::uint8_t configuration = 0;
  std::uint8_t interfaceNumber = 0;

  bool operator==(const InterfaceLocation&) const = default;
};

// The device path of an interface, in the form "usb:3-1.4:1.0" (bus 3,
// ports 1 then 4, configuration 1, interface 0).
std::string devicePathFor(const InterfaceLocation& location);

// The location named by a device path; nullopt for any other text.
std::optional<InterfaceLocation> parseDevicePath(std::string_view path);

}  // namespace platform::usb
