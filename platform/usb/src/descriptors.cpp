// Hardware identifiers, device paths and endpoint choice from descriptors.
#include "descriptors.h"

#include <charconv>
#include <cstdio>

namespace platform::usb {

namespace {

constexpr std::uint8_t kEndpointIn = 0x80;
constexpr std::uint8_t kTransferTypeMask = 0x03;
constexpr std::uint8_t kTransferTypeBulk = 0x02;

std::string hex4(std::uint16_t value) {
  char text[5];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
  return text;
}

bool isBulk(const EndpointInfo& endpoint) {
  return (endpoint.attributes & kTransferTypeMask) == kTransferTypeBulk;
}

// Reads one decimal number of 0-255 from the front of `text`.
std::optional<std::uint8_t> takeByte(std::string_view& text) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || value > 255 || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return static_cast<std::uint8_t>(value);
}

bool takeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

std::vector<std::string> hardwareIdsFor(const DeviceIdentity& identity) {
  std::string base = "USB\\VID_" + hex4(identity.vendorId) + "&PID_" + hex4(identity.productId);
  return {base + "&REV_" + hex4(identity.bcdDevice), base};
}

std::optional<std::uint8_t> firstInterfaceOfClass(const std::vector<InterfaceInfo>& interfaces,
                                                  std::uint8_t cls) {
  for (const auto& info : interfaces) {
    if (info.interfaceClass == cls) return info.number;
  }
  return std::nullopt;
}

std::optional<PipeEndpoints> choosePipeEndpoints(const std::vector<InterfaceInfo>& interfaces,
                                                 std::uint8_t cls) {
  auto number = firstInterfaceOfClass(interfaces, cls);
  if (!number) return std::nullopt;
  std::size_t settings = 0;
  std::optional<PipeEndpoints> chosen;
  for (const auto& info : interfaces) {
    if (info.number != *number) continue;
    ++settings;
    if (chosen) continue;
    std::optional<std::uint8_t> out;
    std::optional<std::uint8_t> in;
    for (const auto& endpoint : info.endpoints) {
      if (!isBulk(endpoint)) continue;
      bool isIn = (endpoint.address & kEndpointIn) != 0;
      if (isIn && !in) in = endpoint.address;
      if (!isIn && !out) out = endpoint.address;
    }
    if (out && in) chosen = PipeEndpoints{info.number, info.altSetting, *out, *in, false};
  }
  if (chosen) chosen->selectSetting = settings > 1;
  return chosen;
}

std::string devicePathFor(const InterfaceLocation& location) {
  std::string path = "usb:" + std::to_string(location.bus) + "-";
  for (std::size_t i = 0; i < location.ports.size(); ++i) {
    if (i > 0) path += '.';
    path += std::to_string(location.ports[i]);
  }
  path += ':' + std::to_string(location.configuration) + '.' +
          std::to_string(location.interfaceNumber);
  return path;
}

std::optional<InterfaceLocation> parseDevicePath(std::string_view path) {
  InterfaceLocation location;
  if (!path.starts_with("usb:")) return std::nullopt;
  path.remove_prefix(4);
  auto bus = takeByte(path);
  if (!bus || !takeChar(path, '-')) return std::nullopt;
  location.bus = *bus;
  do {
    auto port = takeByte(path);
    if (!port) return std::nullopt;
    location.ports.push_back(*port);
  } while (takeChar(path, '.'));
  if (!takeChar(path, ':')) return std::nullopt;
  auto configuration = takeByte(path);
  if (!configuration || !takeChar(path, '.')) return std::nullopt;
  auto number = takeByte(path);
  if (!number || !path.empty()) return std::nullopt;
  location.configuration = *configuration;
  location.interfaceNumber = *number;
  return location;
}

}  // namespace platform::usb
