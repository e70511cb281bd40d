// The setup link over the USB imaging interface and TCP port 9100.
#include "netsetup/setup_link.h"

#include <filesystem>

#include "base/folders.h"
#include "net/ipv4.h"
#include "profile/profile.h"
#include "text/codepage.h"

namespace netsetup {

namespace {

constexpr std::string_view kPrinterIdPrefix = "usb\\vid_7a3c&pid_5b21";
// The pipe suffixes take two characters of the 260-byte path buffers.
constexpr std::size_t kMaxDevicePath = 257;
constexpr int kWriteCalls = 3;
constexpr int kSendAttempts = 3;

bool matchesPrinter(const platform::usb::DeviceEntry& device) {
  if (device.hardwareIds.empty()) return false;
  return platform::text::lowerAnsi(device.hardwareIds.front()).starts_with(kPrinterIdPrefix);
}

// The peer of a network command; nothing when the text is no address, to
// which no connection can go.
std::optional<platform::net::Endpoint> printerEndpoint() {
  std::string host = platform::profile::getProfileString(kProfileSection, kLocalIpKey,
                                                         kDefaultPrinterAddress, kLocalIpBuffer);
  if (host.empty()) host = kDefaultPrinterAddress;
  auto address = platform::net::parseInetAddr(host);
  if (!address) return std::nullopt;
  return platform::net::Endpoint{*address, kPrinterPort};
}

}  // namespace

CSetupLink::CSetupLink(platform::usb::Bus& bus, platform::net::Connector& connector)
    : bus_(bus), connector_(connector) {}

std::string CSetupLink::searchImagingPath() {
  auto devices = bus_.listDevices(platform::usb::InterfaceClass::Imaging);
  if (!devices) return {};
  for (const auto& device : *devices) {
    if (!matchesPrinter(device)) continue;
    // Only the first match counts, even when its interface is unusable.
    if (!device.devicePath || device.devicePath->size() > kMaxDevicePath) return {};
    return *device.devicePath;
  }
  return {};
}

bool CSetupLink::FindUsbDevice() {
  std::string path = searchImagingPath();
  if (path.empty()) return false;
  if (bus_.open(path, platform::usb::Access::ReadWrite) == nullptr) return false;
  writePipePath_ = path + "\\1";
  readPipePath_ = path + "\\0";
  ready_ = true;
  return true;
}

bool CSetupLink::ConnectTcp() {
  connection_.reset();
  if (!std::filesystem::is_directory(platform::base::windowsFolder())) {
    ready_ = false;
    return false;
  }
  auto peer = printerEndpoint();
  platform::net::ConnectResult result;
  if (peer) result = connector_.connect(*peer, {kNetworkLimit, kNetworkLimit});
  ready_ = result.status == platform::net::NetStatus::Ok && result.connection != nullptr;
  platform::profile::writeProfileString(kProfileSection, kConnectKey, ready_ ? "1" : "0");
  if (ready_) connection_ = std::move(result.connection);
  return ready_;
}

void CSetupLink::closeConnection() { connection_.reset(); }

bool CSetupLink::SendCommand(std::span<const std::uint8_t> command) {
  if (command.size() > kMaxCommandSize) return false;
  return mode_ == LinkMode::Usb ? sendUsb(command) : sendNetwork(command);
}

bool CSetupLink::sendUsb(std::span<const std::uint8_t> command) {
  auto pipe = bus_.open(writePipePath_, platform::usb::Access::Write);
  if (pipe == nullptr) return false;
  auto unsent = command;
  bool lastCallOk = false;
  // A call that fails or takes only part of the bytes is followed by the
  // next while calls remain.
  for (int call = 0; call < kWriteCalls && !unsent.empty(); ++call) {
    auto result = pipe->write(unsent);
    lastCallOk = result.ok;
    unsent = unsent.subspan(std::min(result.written, unsent.size()));
  }
  return unsent.empty() && lastCallOk;
}

bool CSetupLink::sendNetwork(std::span<const std::uint8_t> command) {
  auto frame = networkFrame(command);
  for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
    // A failed reconnection has cleared the flag: no further attempt.
    if (!ready_ || !ConnectTcp()) return false;
    if (connection_->send(*frame).status == platform::net::NetStatus::Ok) return true;
    connection_.reset();
  }
  return false;
}

bool CSetupLink::ReadReply(ReplyBuffer& reply) {
  if (!ready_) return false;
  return mode_ == LinkMode::Usb ? readUsb(reply) : readNetwork(reply);
}

bool CSetupLink::readUsb(ReplyBuffer& reply) {
  auto pipe = bus_.open(readPipePath_, platform::usb::Access::Read);
  if (pipe == nullptr) return false;
  auto result = pipe->read(reply, kUsbReadLimit);
  return result.status == platform::usb::ReadStatus::Completed && result.received > 0;
}

bool CSetupLink::readNetwork(ReplyBuffer& reply) {
  if (connection_ == nullptr) return false;
  auto result = connection_->receive(reply);
  connection_.reset();
  return result.status == platform::net::NetStatus::Ok && reply[0] != 0;
}

}  // namespace netsetup
