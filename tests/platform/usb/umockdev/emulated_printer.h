// The QZ3317VT as the Linux kernel shows it to libusb, emulated with
// umockdev: a testbed with the printer's USB device (its ids and
// descriptors, the printing and imaging interfaces and their bulk
// endpoints), and an ioctl handler that carries out the usbdevfs requests
// libusb issues on its device node. The bulk requests are answered by the
// simulated printer's model (tools/printer), from a scenario text, so the
// same scenarios drive the simulated bus and this one.
//
// The kernel's rules that matter to the backend are kept:
//   - one claim per interface across all open descriptors; a claim of an
//     interface held by another descriptor, or still bound to the kernel's
//     printer driver, is refused with EBUSY;
//   - the kernel driver ("usblp") is bound to the printing interface at
//     first; the driver query reports "usbfs" for a claimed interface,
//     detach unbinds it, attach binds it again (and answers 1);
//   - a closed descriptor loses its claims, but nothing is reattached;
//   - a bulk transfer is only taken on an endpoint of the current alternate
//     setting of an interface that the descriptor claimed (else ENOENT);
//     every interface starts in setting 0;
//   - a read that nothing answers stays pending until libusb discards it
//     (a timeout); a stalled endpoint fails every transfer until its halt
//     is cleared; an unplugged device fails the pending read and every
//     later request with ENODEV.
// Replies are ready as soon as the request is written (a scenario's delay
// is not modelled); a reply longer than a read is the next read's, as on a
// bulk stream.
//
// The testbed must exist before libusb starts (a device added later is
// never listed), so make this before the bus. Programs run from the test
// inherit the preload and reach the same handler.
#pragma once

#include <umockdev.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/printer/printer_model.h"
#include "tools/printer/scenario.h"

namespace testing_support {

// The device's interfaces and settings.
enum class PrinterLayout {
  // Printing interface 0 with one two-way setting (OUT 0x01, IN 0x81).
  TwoWay,
  // Printing interface 0 whose setting 0 is one-way (OUT 0x01 only) and
  // setting 1 two-way (OUT 0x01, IN 0x82), as many printers have.
  OneWaySettingZero,
};

// What the emulated kernel did, counted since the device was made.
struct KernelCounts {
  int detaches = 0;        // the kernel driver unbound
  int attaches = 0;        // the kernel driver bound again
  int claims = 0;          // claims granted
  int refusedClaims = 0;   // claims refused with EBUSY
  int releases = 0;
  int settingSelections = 0;
  int clearedHalts = 0;
  int stalls = 0;          // transfers failed with a stall
  int discards = 0;        // pending reads discarded (timeouts)
  int rejectedTransfers = 0;  // transfers on an endpoint not open to the descriptor
};

class EmulatedPrinter {
 public:
  static constexpr std::uint8_t kPrintingInterface = 0;
  static constexpr std::uint8_t kImagingInterface = 1;

  // Fails the test (see ok()) when the scenario does not parse or the
  // testbed cannot be made.
  explicit EmulatedPrinter(const std::string& scenario = "",
                           PrinterLayout layout = PrinterLayout::TwoWay);
  ~EmulatedPrinter();
  EmulatedPrinter(const EmulatedPrinter&) = delete;
  EmulatedPrinter& operator=(const EmulatedPrinter&) = delete;

  bool ok() const { return ok_; }

  // The next `times` transfers on `endpoint` stall.
  void stall(std::uint8_t endpoint, int times = 1);

  KernelCounts counts();
  // Descriptors of the device node that are still open.
  int openDescriptors();
  bool driverBound(std::uint8_t interfaceNumber);
  bool claimed(std::uint8_t interfaceNumber);
  std::uint8_t currentSetting(std::uint8_t interfaceNumber);
  // Bulk transfers seen, by endpoint address.
  int transfersOn(std::uint8_t endpoint);
  // Every request word answered on the printing interface, one per line.
  std::string requests();

 private:
  struct Urb;
  struct Client;
  struct Interface;

  static gboolean onIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client,
                          gpointer self);
  void handle(UMockdevIoctlClient* client);
  Client& clientFor(UMockdevIoctlClient* client);
  // Drops what descriptors that were closed still held, as the kernel does.
  void forgetClosedClients();

  int getDriver(UMockdevIoctlData* arg);
  int driverIoctl(Client& client, UMockdevIoctlData* arg);
  int claim(Client& client, std::uint8_t number);
  int release(Client& client, std::uint8_t number);
  int setInterface(Client& client, UMockdevIoctlData* arg);
  int clearHalt(UMockdevIoctlData* arg);
  int submit(Client& client, UMockdevIoctlData* arg);
  int reap(Client& client, UMockdevIoctlData* arg);
  int discard(Client& client, UMockdevIoctlData* arg);

  // The interface whose current setting has `endpoint`, when `client` claimed it.
  Interface* interfaceForTransfer(const Client& client, std::uint8_t endpoint);
  void answer(Interface& interface, const std::string& request);
  // Completes pending reads from the queued replies.
  void serveReads(Interface& interface);
  void unplug();
  void complete(Client& client, std::unique_ptr<Urb> urb, int status, std::size_t length);

  bool ok_ = false;
  UMockdevTestbed* testbed_ = nullptr;
  UMockdevIoctlBase* handler_ = nullptr;

  std::mutex mutex_;
  printer::Scenario scenario_;
  std::unique_ptr<printer::PrinterModel> model_;
  std::map<UMockdevIoctlClient*, std::unique_ptr<Client>> clients_;
  std::map<std::uint8_t, std::unique_ptr<Interface>> interfaces_;
  std::map<std::uint8_t, int> stalls_;  // transfers still to stall, by endpoint
  std::set<std::uint8_t> halted_;
  std::map<std::uint8_t, int> transfers_;
  bool unplugAtNextRead_ = false;
  bool unplugged_ = false;
  KernelCounts counts_;
  std::string requests_;
};

}  // namespace testing_support
