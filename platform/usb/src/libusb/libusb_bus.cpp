// The libusb-1.0 backend of the USB bus.
#include "libusb/libusb_bus.h"

#include <libusb.h>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <tuple>
#include <utility>

#include "claim.h"
#include "descriptors.h"
#include "read_limit_cap.h"
#include "usb/pipe_path.h"

namespace platform::usb {

namespace {

// Tests of whole programs under an emulated kernel may cap every read's wait.
constexpr const char* kReadLimitCapVariable = "QZ3317VT_LIBUSB_READ_LIMIT_MS";

// The libusb session; the bus and every open interface share it.
class Session {
 public:
  Session() {
    if (libusb_init(&context_) != 0) context_ = nullptr;
  }
  ~Session() {
    if (context_ != nullptr) libusb_exit(context_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  libusb_context* get() const { return context_; }

 private:
  libusb_context* context_ = nullptr;
};

struct DeviceListDeleter {
  void operator()(libusb_device** list) const { libusb_free_device_list(list, 1); }
};
using DeviceList = std::unique_ptr<libusb_device*, DeviceListDeleter>;

struct ConfigDeleter {
  void operator()(libusb_config_descriptor* config) const { libusb_free_config_descriptor(config); }
};
using ConfigDescriptor = std::unique_ptr<libusb_config_descriptor, ConfigDeleter>;

struct HandleCloser {
  void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
};
using DeviceHandle = std::unique_ptr<libusb_device_handle, HandleCloser>;

// The active configuration, or the first one when the device reports none.
ConfigDescriptor configOf(libusb_device* device) {
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(device, &config) != 0 &&
      libusb_get_config_descriptor(device, 0, &config) != 0) {
    return nullptr;
  }
  return ConfigDescriptor(config);
}

std::vector<InterfaceInfo> interfacesOf(const libusb_config_descriptor& config) {
  std::vector<InterfaceInfo> interfaces;
  for (int i = 0; i < config.bNumInterfaces; ++i) {
    const libusb_interface& iface = config.interface[i];
    for (int a = 0; a < iface.num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = iface.altsetting[a];
      InterfaceInfo info{alt.bInterfaceNumber, alt.bAlternateSetting, alt.bInterfaceClass, {}};
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        info.endpoints.push_back({alt.endpoint[e].bEndpointAddress, alt.endpoint[e].bmAttributes});
      }
      interfaces.push_back(std::move(info));
    }
  }
  return interfaces;
}

std::vector<std::uint8_t> portsOf(libusb_device* device) {
  std::array<std::uint8_t, 8> ports{};
  int count = libusb_get_port_numbers(device, ports.data(), static_cast<int>(ports.size()));
  if (count <= 0) return {};
  return {ports.begin(), ports.begin() + count};
}

// Stands for the whole interface after a test open; carries no pipe.
class TestOpenHandle : public Handle {
 public:
  WriteResult write(std::span<const std::uint8_t>) override { return {}; }
  ReadResult read(std::span<std::uint8_t>, std::chrono::milliseconds) override {
    return {ReadStatus::InvalidHandle, 0};
  }
};

class LibusbClaimOperations : public ClaimOperations {
 public:
  explicit LibusbClaimOperations(libusb_device_handle* handle) : handle_(handle) {}
  bool kernelDriverActive(std::uint8_t number) override {
    return libusb_kernel_driver_active(handle_, number) == 1;
  }
  bool detachKernelDriver(std::uint8_t number) override {
    return libusb_detach_kernel_driver(handle_, number) == 0;
  }
  bool claimInterface(std::uint8_t number) override {
    return libusb_claim_interface(handle_, number) == 0;
  }
  void releaseInterface(std::uint8_t number) override { libusb_release_interface(handle_, number); }
  void attachKernelDriver(std::uint8_t number) override {
    libusb_attach_kernel_driver(handle_, number);
  }

 private:
  libusb_device_handle* handle_;
};

// The one mapping from a bulk read's libusb result to ours.
ReadStatus readStatusOf(int rc) {
  switch (rc) {
    case LIBUSB_SUCCESS:
      return ReadStatus::Completed;
    case LIBUSB_ERROR_TIMEOUT:
      return ReadStatus::TimedOut;
    case LIBUSB_ERROR_NO_DEVICE:
      return ReadStatus::InvalidHandle;
    default:
      return ReadStatus::Failed;
  }
}

struct TransferResult {
  int rc = LIBUSB_ERROR_OTHER;
  std::size_t transferred = 0;
};

// One bulk transfer; `timeout` 0 means no limit to libusb. libusb returns
// only once the transfer has finished; on timeout it has cancelled it and
// waited for the cancellation.
TransferResult bulkTransfer(libusb_device_handle* device, std::uint8_t endpoint,
                            std::span<std::uint8_t> bytes, unsigned timeout) {
  int transferred = 0;
  auto length = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  int rc = libusb_bulk_transfer(device, endpoint, bytes.data(), length, &transferred, timeout);
  return {rc, static_cast<std::size_t>(std::max(transferred, 0))};
}

// The read's limit in libusb's unit; a limit of 0 ms would mean "none".
unsigned timeoutOf(std::chrono::milliseconds limit) {
  return static_cast<unsigned>(std::clamp<long long>(limit.count(), 1, UINT_MAX));
}

// The interface of one device that the open pipes share: one device handle,
// one claim and the chosen alternate setting for all of them, since the
// kernel lets only one descriptor claim an interface. Destroyed with the
// last pipe: members go in reverse order, so the claim is released (and the
// kernel driver reattached when this claim detached it) before the device
// handle closes.
class OpenInterface {
 public:
  OpenInterface(std::shared_ptr<Session> session, DeviceHandle device, PipeEndpoints endpoints)
      : session_(std::move(session)),
        device_(std::move(device)),
        operations_(device_.get()),
        endpoints_(endpoints) {}

  // Claims the interface and selects the chosen setting; false when either
  // fails, with the claim undone by the destructor.
  bool claim() {
    claim_ = std::make_unique<InterfaceClaim>(operations_, endpoints_.interfaceNumber);
    if (!claim_->claimed()) return false;
    return !endpoints_.selectSetting ||
           libusb_set_interface_alt_setting(device_.get(), endpoints_.interfaceNumber,
                                            endpoints_.altSetting) == 0;
  }

  const PipeEndpoints& endpoints() const { return endpoints_; }

  // A stalled endpoint is cleared and the transfer of what is left tried
  // once more; the bytes of both tries count.
  TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> bytes, unsigned timeout) {
    TransferResult first = bulkTransfer(device_.get(), endpoint, bytes, timeout);
    if (first.rc != LIBUSB_ERROR_PIPE) return first;
    if (libusb_clear_halt(device_.get(), endpoint) != 0) return first;
    TransferResult second =
        bulkTransfer(device_.get(), endpoint, bytes.subspan(first.transferred), timeout);
    second.transferred += first.transferred;
    return second;
  }

 private:
  std::shared_ptr<Session> session_;
  DeviceHandle device_;
  LibusbClaimOperations operations_;
  PipeEndpoints endpoints_;
  std::unique_ptr<InterfaceClaim> claim_;
};

// One open pipe of a shared interface.
class PipeHandle : public Handle {
 public:
  PipeHandle(std::shared_ptr<OpenInterface> interface, PipeKind kind)
      : interface_(std::move(interface)), kind_(kind) {}

  WriteResult write(std::span<const std::uint8_t> data) override {
    if (kind_ != PipeKind::WritePipe) return {};
    // libusb does not write through the pointer of an OUT transfer.
    std::span<std::uint8_t> bytes(const_cast<std::uint8_t*>(data.data()), data.size());
    auto result = interface_->transfer(interface_->endpoints().outEndpoint, bytes, 0);
    return {result.rc == LIBUSB_SUCCESS, result.transferred};
  }

  ReadResult read(std::span<std::uint8_t> buffer, std::chrono::milliseconds limit) override {
    if (kind_ != PipeKind::ReadPipe) return {ReadStatus::InvalidHandle, 0};
    auto timeout = timeoutOf(cappedReadLimit(limit, kReadLimitCapVariable));
    auto result = interface_->transfer(interface_->endpoints().inEndpoint, buffer, timeout);
    ReadStatus status = readStatusOf(result.rc);
    if (status != ReadStatus::Completed) return {status, 0};
    return {status, result.transferred};
  }

 private:
  std::shared_ptr<OpenInterface> interface_;
  PipeKind kind_;
};

class LibusbBus : public Bus {
 public:
  std::optional<std::vector<DeviceEntry>> listDevices(InterfaceClass cls) override;
  std::unique_ptr<Handle> open(std::string_view path, Access access) override;

 private:
  // The session, made at first use; nullptr when libusb cannot start.
  std::shared_ptr<Session> session();
  // The interface behind a pipe: the one its open pipes share, or a newly
  // claimed one; nullptr when it cannot be had.
  std::shared_ptr<OpenInterface> openInterface(const InterfaceLocation& location,
                                               InterfaceClass cls);
  std::shared_ptr<OpenInterface> claimInterface(DeviceHandle device,
                                                const InterfaceLocation& location,
                                                InterfaceClass cls);

  std::shared_ptr<Session> session_;
  // The interfaces that have pipes open, by device path and pipe class.
  std::map<std::string, std::weak_ptr<OpenInterface>> open_;
};

std::shared_ptr<Session> LibusbBus::session() {
  if (!session_) session_ = std::make_shared<Session>();
  if (session_->get() == nullptr) return nullptr;
  return session_;
}

std::optional<std::vector<DeviceEntry>> LibusbBus::listDevices(InterfaceClass cls) {
  auto current = session();
  if (!current) return std::nullopt;
  libusb_device** raw = nullptr;
  if (libusb_get_device_list(current->get(), &raw) < 0) return std::nullopt;
  DeviceList list(raw);

  std::vector<std::pair<InterfaceLocation, DeviceEntry>> found;
  for (libusb_device** it = list.get(); *it != nullptr; ++it) {
    auto config = configOf(*it);
    if (!config) continue;
    auto number = firstInterfaceOfClass(interfacesOf(*config), static_cast<std::uint8_t>(cls));
    if (!number) continue;
    InterfaceLocation location{libusb_get_bus_number(*it), portsOf(*it),
                               config->bConfigurationValue, *number};
    DeviceEntry entry;
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(*it, &descriptor) == 0) {
      entry.hardwareIds =
          hardwareIdsFor({descriptor.idVendor, descriptor.idProduct, descriptor.bcdDevice});
    }
    entry.devicePath = devicePathFor(location);
    found.emplace_back(std::move(location), std::move(entry));
  }
  // The kernel's enumeration order is not stable across plugs; bus and
  // port order is.
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first.bus, a.first.ports) < std::tie(b.first.bus, b.first.ports);
  });
  std::vector<DeviceEntry> entries;
  for (auto& item : found) entries.push_back(std::move(item.second));
  return entries;
}

std::unique_ptr<Handle> LibusbBus::open(std::string_view path, Access access) {
  PipeName name = parsePipeName(path);
  auto location = parseDevicePath(name.devicePath);
  if (!location || !accessFitsPipe(name.kind, access)) return nullptr;
  if (name.kind != PipeKind::Interface) {
    auto interface = openInterface(*location, *name.suffixClass);
    if (!interface) return nullptr;
    return std::make_unique<PipeHandle>(std::move(interface), name.kind);
  }
  // The test open: the device opens and closes again; nothing is claimed.
  auto current = session();
  if (!current) return nullptr;
  libusb_device** raw = nullptr;
  if (libusb_get_device_list(current->get(), &raw) < 0) return nullptr;
  DeviceList list(raw);
  for (libusb_device** it = list.get(); *it != nullptr; ++it) {
    if (libusb_get_bus_number(*it) != location->bus || portsOf(*it) != location->ports) continue;
    libusb_device_handle* opened = nullptr;
    if (libusb_open(*it, &opened) != 0) return nullptr;
    DeviceHandle closed(opened);
    return std::make_unique<TestOpenHandle>();
  }
  return nullptr;
}

std::shared_ptr<OpenInterface> LibusbBus::openInterface(const InterfaceLocation& location,
                                                        InterfaceClass cls) {
  std::erase_if(open_, [](const auto& item) { return item.second.expired(); });
  // A pipe suffix of another class than the interface's is refused by the
  // endpoint choice, so it must not find the interface shared either.
  std::string key = devicePathFor(location) + "/" + std::to_string(static_cast<int>(cls));
  if (auto it = open_.find(key); it != open_.end()) return it->second.lock();

  auto current = session();
  if (!current) return nullptr;
  libusb_device** raw = nullptr;
  if (libusb_get_device_list(current->get(), &raw) < 0) return nullptr;
  DeviceList list(raw);
  for (libusb_device** it = list.get(); *it != nullptr; ++it) {
    if (libusb_get_bus_number(*it) != location.bus || portsOf(*it) != location.ports) continue;
    libusb_device_handle* opened = nullptr;
    if (libusb_open(*it, &opened) != 0) return nullptr;
    auto interface = claimInterface(DeviceHandle(opened), location, cls);
    if (interface) open_[key] = interface;
    return interface;
  }
  return nullptr;
}

std::shared_ptr<OpenInterface> LibusbBus::claimInterface(DeviceHandle device,
                                                         const InterfaceLocation& location,
                                                         InterfaceClass cls) {
  auto config = configOf(libusb_get_device(device.get()));
  if (!config || config->bConfigurationValue != location.configuration) return nullptr;
  std::vector<InterfaceInfo> interfaces;
  for (auto& info : interfacesOf(*config)) {
    if (info.number == location.interfaceNumber) interfaces.push_back(std::move(info));
  }
  auto endpoints = choosePipeEndpoints(interfaces, static_cast<std::uint8_t>(cls));
  if (!endpoints) return nullptr;
  auto interface = std::make_shared<OpenInterface>(session(), std::move(device), *endpoints);
  if (!interface->claim()) return nullptr;
  return interface;
}

}  // namespace

std::unique_ptr<Bus> makeLibusbBus() { return std::make_unique<LibusbBus>(); }

}  // namespace platform::usb
