// The emulated kernel side of the printer's device node under umockdev.
#include "emulated_printer.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace testing_support {

namespace {

constexpr const char* kDeviceNode = "/dev/bus/usb/001/005";
constexpr std::uint8_t kBulk = 2;
constexpr std::uint8_t kEndpointIn = 0x80;

struct Setting {
  std::uint8_t alt;
  std::uint8_t protocol;
  std::vector<std::uint8_t> endpoints;
};

struct InterfaceSpec {
  std::uint8_t number;
  std::uint8_t cls;
  std::uint8_t subclass;
  bool driverBound;
  std::vector<Setting> settings;
};

std::vector<InterfaceSpec> interfacesOf(PrinterLayout layout) {
  std::vector<Setting> printing;
  if (layout == PrinterLayout::TwoWay) {
    printing = {{0, 2, {0x01, 0x81}}};
  } else {
    printing = {{0, 1, {0x01}}, {1, 2, {0x01, 0x82}}};
  }
  return {{EmulatedPrinter::kPrintingInterface, 7, 1, true, printing},
          {EmulatedPrinter::kImagingInterface, 6, 1, false, {{0, 1, {0x03, 0x84}}}}};
}

// The device descriptor and the one configuration with all its interfaces,
// settings and bulk endpoints (512-byte packets), as sysfs gives them.
std::vector<std::uint8_t> descriptorsOf(const std::vector<InterfaceSpec>& interfaces) {
  std::vector<std::uint8_t> bytes = {18,   1, 0x00, 0x02, 0, 0, 0, 64, 0x3C, 0x7A,
                                     0x21, 0x5B, 0x00, 0x01, 1, 2, 3, 1};
  std::vector<std::uint8_t> config = {9, 2, 0, 0, static_cast<std::uint8_t>(interfaces.size()),
                                      1, 0, 0xC0, 50};
  for (const auto& interface : interfaces) {
    for (const auto& setting : interface.settings) {
      config.insert(config.end(), {9, 4, interface.number, setting.alt,
                                   static_cast<std::uint8_t>(setting.endpoints.size()),
                                   interface.cls, interface.subclass, setting.protocol, 0});
      for (std::uint8_t endpoint : setting.endpoints) {
        config.insert(config.end(), {7, 5, endpoint, kBulk, 0x00, 0x02, 0});
      }
    }
  }
  config[2] = static_cast<std::uint8_t>(config.size() & 0xFF);
  config[3] = static_cast<std::uint8_t>(config.size() >> 8);
  bytes.insert(bytes.end(), config.begin(), config.end());
  return bytes;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (std::uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

// The device in umockdev's record format. Numeric attributes end in a line
// end, as sysfs has them; libusb reads nothing else.
std::string deviceRecord(const std::vector<InterfaceSpec>& interfaces) {
  return "P: /devices/pci0000:00/usb1/1-3\n"
         "N: bus/usb/001/005\n"
         "E: SUBSYSTEM=usb\n"
         "E: DEVTYPE=usb_device\n"
         "E: DRIVER=usb\n"
         "E: BUSNUM=001\n"
         "E: DEVNUM=005\n"
         "E: DEVNAME=/dev/bus/usb/001/005\n"
         "A: busnum=1\\n\n"
         "A: devnum=5\\n\n"
         "A: bConfigurationValue=1\\n\n"
         "A: speed=480\\n\n"
         "H: descriptors=" +
         hex(descriptorsOf(interfaces)) + "\n";
}

// A block of the client's memory, resolved into ours.
struct Resolved {
  explicit Resolved(UMockdevIoctlData* data) : data_(data) {}
  ~Resolved() {
    if (data_ != nullptr) g_object_unref(data_);
  }
  Resolved(const Resolved&) = delete;
  Resolved& operator=(const Resolved&) = delete;
  template <typename T>
  T* as() const {
    return reinterpret_cast<T*>(data_->data);
  }
  UMockdevIoctlData* data_;
};

Resolved resolve(UMockdevIoctlData* arg, std::size_t size) {
  return Resolved(umockdev_ioctl_data_resolve(arg, 0, size, nullptr));
}

}  // namespace

// One submitted URB, with its buffer resolved, until it is reaped.
struct EmulatedPrinter::Urb {
  Urb(UMockdevIoctlData* urb, UMockdevIoctlData* buffer, Client* owner)
      : urb_(urb), buffer_(buffer), owner_(owner) {}
  ~Urb() {
    if (buffer_ != nullptr) g_object_unref(buffer_);
    g_object_unref(urb_);
  }
  Urb(const Urb&) = delete;
  Urb& operator=(const Urb&) = delete;
  usbdevfs_urb& fields() const { return *reinterpret_cast<usbdevfs_urb*>(urb_->data); }

  UMockdevIoctlData* urb_;
  UMockdevIoctlData* buffer_;
  Client* owner_;
};

// One open descriptor of the device node. umockdev reports no close, so the
// client is kept referenced and asked whether it is still connected.
struct EmulatedPrinter::Client {
  explicit Client(UMockdevIoctlClient* client) : client_(client) { g_object_ref(client_); }
  ~Client() { g_object_unref(client_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  UMockdevIoctlClient* client_;
  std::deque<std::unique_ptr<Urb>> done;  // completed, waiting to be reaped
};

struct EmulatedPrinter::Interface {
  InterfaceSpec spec;
  std::uint8_t current = 0;
  bool driverBound = false;
  Client* holder = nullptr;
  std::deque<std::string> replies;  // what the device has for the IN endpoint
  std::deque<std::unique_ptr<Urb>> reads;  // pending IN transfers, in order

  const Setting* setting(std::uint8_t alt) const {
    for (const auto& s : spec.settings) {
      if (s.alt == alt) return &s;
    }
    return nullptr;
  }
};

EmulatedPrinter::EmulatedPrinter(const std::string& scenario, PrinterLayout layout) {
  std::string error;
  auto parsed = printer::parseScenario(scenario, error);
  if (!parsed) {
    ADD_FAILURE() << "scenario: " << error;
    return;
  }
  scenario_ = std::move(*parsed);
  model_ = std::make_unique<printer::PrinterModel>(scenario_, scenario_.devices.front());
  auto specs = interfacesOf(layout);
  for (const auto& spec : specs) {
    auto interface = std::make_unique<Interface>();
    interface->spec = spec;
    interface->driverBound = spec.driverBound;
    interfaces_.emplace(spec.number, std::move(interface));
  }

  testbed_ = umockdev_testbed_new();
  GError* failure = nullptr;
  if (!umockdev_testbed_add_from_string(testbed_, deviceRecord(specs).c_str(), &failure)) {
    ADD_FAILURE() << "testbed: " << failure->message;
    g_error_free(failure);
    return;
  }
  // The handler needs a node to attach to.
  gchar* root = umockdev_testbed_get_root_dir(testbed_);
  std::filesystem::path node = std::filesystem::path(root) / (kDeviceNode + 1);
  g_free(root);
  if (!std::filesystem::exists(node)) {
    std::filesystem::create_directories(node.parent_path());
    std::ofstream{node};
  }
  handler_ = umockdev_ioctl_base_new();
  g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedPrinter::onIoctl), this);
  if (!umockdev_testbed_attach_ioctl(testbed_, kDeviceNode, handler_, &failure)) {
    ADD_FAILURE() << "ioctl handler: " << failure->message;
    g_error_free(failure);
    return;
  }
  ok_ = true;
}

EmulatedPrinter::~EmulatedPrinter() {
  if (testbed_ != nullptr && handler_ != nullptr) {
    umockdev_testbed_detach_ioctl(testbed_, kDeviceNode, nullptr);
  }
  {
    std::lock_guard lock(mutex_);
    interfaces_.clear();
    clients_.clear();
  }
  if (handler_ != nullptr) g_object_unref(handler_);
  if (testbed_ != nullptr) g_object_unref(testbed_);
}

void EmulatedPrinter::stall(std::uint8_t endpoint, int times) {
  std::lock_guard lock(mutex_);
  stalls_[endpoint] += times;
}

KernelCounts EmulatedPrinter::counts() {
  std::lock_guard lock(mutex_);
  return counts_;
}

int EmulatedPrinter::openDescriptors() {
  std::lock_guard lock(mutex_);
  forgetClosedClients();
  return static_cast<int>(clients_.size());
}

bool EmulatedPrinter::driverBound(std::uint8_t interfaceNumber) {
  std::lock_guard lock(mutex_);
  return interfaces_.at(interfaceNumber)->driverBound;
}

bool EmulatedPrinter::claimed(std::uint8_t interfaceNumber) {
  std::lock_guard lock(mutex_);
  forgetClosedClients();
  return interfaces_.at(interfaceNumber)->holder != nullptr;
}

std::uint8_t EmulatedPrinter::currentSetting(std::uint8_t interfaceNumber) {
  std::lock_guard lock(mutex_);
  return interfaces_.at(interfaceNumber)->current;
}

int EmulatedPrinter::transfersOn(std::uint8_t endpoint) {
  std::lock_guard lock(mutex_);
  return transfers_[endpoint];
}

std::string EmulatedPrinter::requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

gboolean EmulatedPrinter::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
  static_cast<EmulatedPrinter*>(self)->handle(client);
  return TRUE;
}

void EmulatedPrinter::handle(UMockdevIoctlClient* ioctlClient) {
  std::lock_guard lock(mutex_);
  forgetClosedClients();
  Client& client = clientFor(ioctlClient);
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(ioctlClient);
  // A reaped URB must outlive the completion that hands it to the client.
  std::unique_ptr<Urb> reaped;
  int result = -ENOTTY;
  switch (umockdev_ioctl_client_get_request(ioctlClient)) {
    case USBDEVFS_GET_CAPABILITIES: {
      auto caps = resolve(arg, sizeof(std::uint32_t));
      *caps.as<std::uint32_t>() = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                  USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
      result = 0;
      break;
    }
    case USBDEVFS_GETDRIVER: result = getDriver(arg); break;
    case USBDEVFS_IOCTL: result = driverIoctl(client, arg); break;
    case USBDEVFS_CLAIMINTERFACE: {
      auto number = resolve(arg, sizeof(unsigned));
      result = claim(client, static_cast<std::uint8_t>(*number.as<unsigned>()));
      break;
    }
    case USBDEVFS_RELEASEINTERFACE: {
      auto number = resolve(arg, sizeof(unsigned));
      result = release(client, static_cast<std::uint8_t>(*number.as<unsigned>()));
      break;
    }
    case USBDEVFS_SETINTERFACE: result = setInterface(client, arg); break;
    case USBDEVFS_CLEAR_HALT: result = clearHalt(arg); break;
    case USBDEVFS_SUBMITURB: result = submit(client, arg); break;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
      if (client.done.empty()) {
        result = unplugged_ ? -ENODEV : -EAGAIN;
        break;
      }
      reaped = std::move(client.done.front());
      client.done.pop_front();
      {
        auto pointer = resolve(arg, sizeof(void*));
        umockdev_ioctl_data_set_ptr(pointer.data_, 0, reaped->urb_);
      }
      result = 0;
      break;
    case USBDEVFS_DISCARDURB: result = discard(client, arg); break;
    default: break;
  }
  if (unplugged_ && result == -ENOTTY) result = -ENODEV;
  umockdev_ioctl_client_complete(ioctlClient, result < 0 ? -1 : result, result < 0 ? -result : 0);
}

EmulatedPrinter::Client& EmulatedPrinter::clientFor(UMockdevIoctlClient* client) {
  auto it = clients_.find(client);
  if (it == clients_.end()) it = clients_.emplace(client, std::make_unique<Client>(client)).first;
  return *it->second;
}

void EmulatedPrinter::forgetClosedClients() {
  for (auto it = clients_.begin(); it != clients_.end();) {
    if (umockdev_ioctl_client_get_connected(it->first)) {
      ++it;
      continue;
    }
    Client* gone = it->second.get();
    for (auto& [number, interface] : interfaces_) {
      if (interface->holder == gone) interface->holder = nullptr;
      std::erase_if(interface->reads, [gone](const auto& urb) { return urb->owner_ == gone; });
    }
    it = clients_.erase(it);
  }
}

int EmulatedPrinter::getDriver(UMockdevIoctlData* arg) {
  auto query = resolve(arg, sizeof(usbdevfs_getdriver));
  auto it = interfaces_.find(static_cast<std::uint8_t>(query.as<usbdevfs_getdriver>()->interface));
  if (unplugged_) return -ENODEV;
  if (it == interfaces_.end()) return -EINVAL;
  const char* driver = nullptr;
  if (it->second->holder != nullptr) driver = "usbfs";
  else if (it->second->driverBound) driver = "usblp";
  if (driver == nullptr) return -ENODATA;
  std::strcpy(query.as<usbdevfs_getdriver>()->driver, driver);
  return 0;
}

int EmulatedPrinter::driverIoctl(Client& client, UMockdevIoctlData* arg) {
  auto command = resolve(arg, sizeof(usbdevfs_ioctl));
  auto it = interfaces_.find(static_cast<std::uint8_t>(command.as<usbdevfs_ioctl>()->ifno));
  if (unplugged_) return -ENODEV;
  if (it == interfaces_.end()) return -EINVAL;
  Interface& interface = *it->second;
  int code = command.as<usbdevfs_ioctl>()->ioctl_code;
  if (code == static_cast<int>(USBDEVFS_DISCONNECT)) {
    // The kernel unbinds whatever driver has the interface, a claim of
    // usbfs included; libusb asks first and never does that.
    if (interface.holder != nullptr) {
      interface.holder = nullptr;
      return 0;
    }
    if (!interface.driverBound) return -ENODATA;
    interface.driverBound = false;
    ++counts_.detaches;
    return 0;
  }
  if (code == static_cast<int>(USBDEVFS_CONNECT)) {
    if (interface.holder != nullptr) return -EBUSY;
    if (!interface.driverBound) ++counts_.attaches;
    interface.driverBound = true;
    return 1;
  }
  if (code == static_cast<int>(USBDEVFS_DISCONNECT_CLAIM)) {
    if (interface.driverBound) {
      interface.driverBound = false;
      ++counts_.detaches;
    }
    return claim(client, interface.spec.number);
  }
  return -EINVAL;
}

int EmulatedPrinter::claim(Client& client, std::uint8_t number) {
  auto it = interfaces_.find(number);
  if (unplugged_) return -ENODEV;
  if (it == interfaces_.end()) return -ENOENT;
  Interface& interface = *it->second;
  if (interface.holder == &client) return 0;
  if (interface.holder != nullptr || interface.driverBound) {
    ++counts_.refusedClaims;
    return -EBUSY;
  }
  interface.holder = &client;
  ++counts_.claims;
  return 0;
}

int EmulatedPrinter::release(Client& client, std::uint8_t number) {
  auto it = interfaces_.find(number);
  if (unplugged_) return -ENODEV;
  if (it == interfaces_.end() || it->second->holder != &client) return -EINVAL;
  it->second->holder = nullptr;
  ++counts_.releases;
  return 0;
}

int EmulatedPrinter::setInterface(Client& client, UMockdevIoctlData* arg) {
  auto request = resolve(arg, sizeof(usbdevfs_setinterface));
  auto it = interfaces_.find(static_cast<std::uint8_t>(request.as<usbdevfs_setinterface>()->interface));
  if (unplugged_) return -ENODEV;
  if (it == interfaces_.end() || it->second->holder != &client) return -EINVAL;
  auto alt = static_cast<std::uint8_t>(request.as<usbdevfs_setinterface>()->altsetting);
  const Setting* setting = it->second->setting(alt);
  if (setting == nullptr) return -EINVAL;
  it->second->current = alt;
  // A new setting starts with its endpoints' halts cleared.
  for (std::uint8_t endpoint : setting->endpoints) halted_.erase(endpoint);
  ++counts_.settingSelections;
  return 0;
}

int EmulatedPrinter::clearHalt(UMockdevIoctlData* arg) {
  auto endpoint = resolve(arg, sizeof(unsigned));
  if (unplugged_) return -ENODEV;
  halted_.erase(static_cast<std::uint8_t>(*endpoint.as<unsigned>()));
  ++counts_.clearedHalts;
  return 0;
}

EmulatedPrinter::Interface* EmulatedPrinter::interfaceForTransfer(const Client& client,
                                                                  std::uint8_t endpoint) {
  for (auto& [number, interface] : interfaces_) {
    if (interface->holder != &client) continue;
    const Setting* setting = interface->setting(interface->current);
    if (std::find(setting->endpoints.begin(), setting->endpoints.end(), endpoint) !=
        setting->endpoints.end()) {
      return interface.get();
    }
  }
  return nullptr;
}

int EmulatedPrinter::submit(Client& client, UMockdevIoctlData* arg) {
  if (unplugged_) return -ENODEV;
  UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
  auto* fields = reinterpret_cast<usbdevfs_urb*>(urbData->data);
  Interface* interface = fields->type == USBDEVFS_URB_TYPE_BULK
                             ? interfaceForTransfer(client, fields->endpoint)
                             : nullptr;
  if (interface == nullptr) {
    ++counts_.rejectedTransfers;
    g_object_unref(urbData);
    return -ENOENT;
  }
  auto length = static_cast<std::size_t>(std::max(fields->buffer_length, 0));
  UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
      urbData, G_STRUCT_OFFSET(usbdevfs_urb, buffer), length, nullptr);
  auto urb = std::make_unique<Urb>(urbData, buffer, &client);
  std::uint8_t endpoint = fields->endpoint;
  ++transfers_[endpoint];
  if (auto it = stalls_.find(endpoint); it != stalls_.end() && it->second > 0) {
    --it->second;
    halted_.insert(endpoint);
  }
  if (halted_.contains(endpoint)) {
    ++counts_.stalls;
    complete(client, std::move(urb), -EPIPE, 0);
    return 0;
  }
  if ((endpoint & kEndpointIn) == 0) {
    std::string request(reinterpret_cast<const char*>(buffer->data), length);
    complete(client, std::move(urb), 0, length);
    answer(*interface, request);
    return 0;
  }
  interface->reads.push_back(std::move(urb));
  if (unplugAtNextRead_) {
    unplug();
  } else {
    serveReads(*interface);
  }
  return 0;
}

int EmulatedPrinter::discard(Client& client, UMockdevIoctlData* arg) {
  auto address = *reinterpret_cast<gulong*>(arg->data);
  for (auto& [number, interface] : interfaces_) {
    auto it = std::find_if(interface->reads.begin(), interface->reads.end(), [&](const auto& urb) {
      return urb->owner_ == &client && urb->urb_->client_addr == address;
    });
    if (it == interface->reads.end()) continue;
    std::unique_ptr<Urb> urb = std::move(*it);
    interface->reads.erase(it);
    ++counts_.discards;
    // A discarded URB is still reaped, with ENOENT; libusb makes that the
    // timeout it asked for.
    complete(client, std::move(urb), -ENOENT, 0);
    return 0;
  }
  return -EINVAL;
}

void EmulatedPrinter::answer(Interface& interface, const std::string& request) {
  printer::Answer reply;
  if (interface.spec.number == kPrintingInterface) {
    reply = model_->answerPrinting(request, scenario_);
    for (auto word : printer::splitWords(request)) requests_ += std::string(word) + "\n";
  } else {
    reply = model_->answerImaging(request, scenario_);
  }
  if (reply.unplug) {
    unplugAtNextRead_ = true;
    return;
  }
  if (reply.noReply) return;
  if (!reply.reply.empty()) interface.replies.push_back(reply.reply);
  for (std::size_t i = 0; i < reply.extraChunks; ++i) interface.replies.push_back(scenario_.extraChunk);
  serveReads(interface);
}

void EmulatedPrinter::serveReads(Interface& interface) {
  while (!interface.reads.empty() && !interface.replies.empty()) {
    std::unique_ptr<Urb> urb = std::move(interface.reads.front());
    interface.reads.pop_front();
    std::string& next = interface.replies.front();
    auto room = static_cast<std::size_t>(std::max(urb->fields().buffer_length, 0));
    std::size_t length = std::min(room, next.size());
    std::memcpy(urb->buffer_->data, next.data(), length);
    if (length < next.size()) {
      next.erase(0, length);
    } else {
      interface.replies.pop_front();
    }
    Client& owner = *urb->owner_;
    complete(owner, std::move(urb), 0, length);
  }
}

void EmulatedPrinter::unplug() {
  unplugged_ = true;
  for (auto& [number, interface] : interfaces_) {
    while (!interface->reads.empty()) {
      std::unique_ptr<Urb> urb = std::move(interface->reads.front());
      interface->reads.pop_front();
      Client& owner = *urb->owner_;
      complete(owner, std::move(urb), -ENODEV, 0);
    }
    interface->replies.clear();
  }
}

void EmulatedPrinter::complete(Client& client, std::unique_ptr<Urb> urb, int status,
                               std::size_t length) {
  urb->fields().status = status;
  urb->fields().actual_length = static_cast<int>(length);
  client.done.push_back(std::move(urb));
}

}  // namespace testing_support
