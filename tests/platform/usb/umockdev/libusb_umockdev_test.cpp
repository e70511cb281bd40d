// The libusb backend against the kernel's side of a USB printer, emulated
// with umockdev (emulated_printer.h): listing, the shared claim and the
// kernel driver, a claim held by another program, the alternate setting,
// stalls, timeouts, an unplug, the half-open transaction, and whole runs of
// the built monitor on the same emulated printer.
#include <libusb.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "emulated_printer.h"
#include "libusb/libusb_bus.h"
#include "monitor/core/orvo_usb.h"
#include "tests/support/case_names.h"
#include "tests/support/printer_fixture.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "usb/bus.h"

namespace {

using namespace platform::usb;
using testing_support::EmulatedPrinter;
using testing_support::PrinterLayout;
using testing_support::sent;

constexpr std::chrono::milliseconds kGenerous{5000};
// Reads meant to time out. The node is a plain file, so libusb polls it
// without pause while it waits: waits stay short here.
constexpr std::chrono::milliseconds kShort{200};
constexpr const char* kMonitorReadLimitMs = "300";
constexpr const char* kPrinterPath = "usb:1-3:1.0";
constexpr const char* kUsbPort = "[DRVSPA]\r\nzPort=USB001\r\n";

std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct ReadOutcome {
  ReadStatus status;
  std::string bytes;
};

ReadOutcome readFrom(Handle& handle, std::chrono::milliseconds limit, std::size_t size = 512) {
  std::vector<std::uint8_t> buffer(size);
  ReadResult result = handle.read(buffer, limit);
  return {result.status, std::string(buffer.begin(), buffer.begin() + static_cast<long>(result.received))};
}

// umockdev learns of a closed descriptor a moment after the close.
template <typename Condition>
bool eventually(Condition condition) {
  auto deadline = std::chrono::steady_clock::now() + kGenerous;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class LibusbOnUmockdev : public ::testing::Test {
 protected:
  // A new printer, and a new bus that sees it.
  void start(const std::string& scenario = "", PrinterLayout layout = PrinterLayout::TwoWay) {
    bus_.reset();
    printer_.reset();
    printer_ = std::make_unique<EmulatedPrinter>(scenario, layout);
    ASSERT_TRUE(printer_->ok());
    bus_ = makeLibusbBus();
  }
  void TearDown() override {
    bus_.reset();
    printer_.reset();
  }

  std::unique_ptr<Handle> openPipe(std::string_view suffix, Access access) {
    return bus_->open(std::string(kPrinterPath) + std::string(suffix), access);
  }
  ReadOutcome transact(std::string_view request, std::chrono::milliseconds limit = kGenerous) {
    auto writer = openPipe("\\PIPE00", Access::Write);
    auto reader = openPipe("\\PIPE01", Access::Read);
    if (!writer || !reader) return {ReadStatus::InvalidHandle, "pipes did not open"};
    WriteResult written = writer->write(bytesOf(request));
    if (!written.ok || written.written != request.size()) return {ReadStatus::Failed, "write failed"};
    return readFrom(*reader, limit);
  }
  // Nothing open, nothing claimed, the printer's driver back in place.
  void expectPrinterFree() {
    EXPECT_TRUE(eventually([&] { return printer_->openDescriptors() == 0; }));
    EXPECT_FALSE(printer_->claimed(EmulatedPrinter::kPrintingInterface));
    EXPECT_TRUE(printer_->driverBound(EmulatedPrinter::kPrintingInterface));
    auto counts = printer_->counts();
    EXPECT_EQ(counts.detaches, counts.attaches);
  }

  testing_support::RunResult runMonitor(const std::string& keyword) {
    return testing_support::runProgram(
        {QZ_MONITOR, keyword},
        {{"QZ3317VT_USB", "libusb"}, {"QZ3317VT_LIBUSB_READ_LIMIT_MS", kMonitorReadLimitMs}});
  }
  std::string exchange() const { return testing_support::readFile(root_.exchangeFile()); }

  testing_support::TempRoot root_;
  std::unique_ptr<EmulatedPrinter> printer_;
  std::unique_ptr<Bus> bus_;
};

TEST_F(LibusbOnUmockdev, ListsThePrinterWithItsHardwareIds) {
  start();
  auto printing = bus_->listDevices(InterfaceClass::Printing);
  ASSERT_TRUE(printing);
  ASSERT_EQ(printing->size(), 1u);
  EXPECT_EQ(printing->front().hardwareIds,
            (std::vector<std::string>{"USB\\VID_7A3C&PID_5B21&REV_0100", "USB\\VID_7A3C&PID_5B21"}));
  EXPECT_EQ(printing->front().devicePath, kPrinterPath);
  auto imaging = bus_->listDevices(InterfaceClass::Imaging);
  ASSERT_TRUE(imaging && imaging->size() == 1u);
  EXPECT_EQ(imaging->front().devicePath, "usb:1-3:1.1");
  // The test open claims nothing and leaves nothing open.
  EXPECT_NE(bus_->open(kPrinterPath, Access::ReadWrite), nullptr);
  EXPECT_EQ(printer_->counts().claims, 0);
  expectPrinterFree();
}

TEST_F(LibusbOnUmockdev, PipesOfOneInterfaceShareOneClaim) {
  start();
  auto writer = openPipe("\\PIPE00", Access::Write);
  auto reader = openPipe("\\PIPE01", Access::Read);
  ASSERT_TRUE(writer && reader);
  EXPECT_EQ(printer_->openDescriptors(), 1);
  EXPECT_TRUE(printer_->claimed(EmulatedPrinter::kPrintingInterface));
  EXPECT_FALSE(printer_->driverBound(EmulatedPrinter::kPrintingInterface));
  ASSERT_TRUE(writer->write(bytesOf("Status?")).ok);
  EXPECT_EQ(readFrom(*reader, kGenerous).bytes, "Status=Ready;CODE=00001\r\n");

  // The first close keeps the interface for the pipe still open.
  writer.reset();
  EXPECT_TRUE(printer_->claimed(EmulatedPrinter::kPrintingInterface));
  EXPECT_FALSE(printer_->driverBound(EmulatedPrinter::kPrintingInterface));
  reader.reset();
  expectPrinterFree();
  auto counts = printer_->counts();
  EXPECT_EQ(counts.claims, 1);
  EXPECT_EQ(counts.refusedClaims, 0);
  EXPECT_EQ(counts.releases, 1);
  EXPECT_EQ(counts.detaches, 1);
  EXPECT_EQ(counts.attaches, 1);
  EXPECT_EQ(counts.settingSelections, 0) << "a single setting is not selected";
}

// Another program, such as the print system's USB backend during a job,
// holding the printing interface through its own libusb session.
class OtherProgram {
 public:
  OtherProgram() {
    if (libusb_init(&context_) != 0) return;
    handle_ = libusb_open_device_with_vid_pid(context_, 0x7A3C, 0x5B21);
    if (handle_ == nullptr) return;
    libusb_detach_kernel_driver(handle_, 0);
    holding_ = libusb_claim_interface(handle_, 0) == 0;
  }
  ~OtherProgram() {
    if (handle_ != nullptr) {
      if (holding_) libusb_release_interface(handle_, 0);
      libusb_attach_kernel_driver(handle_, 0);
      libusb_close(handle_);
    }
    if (context_ != nullptr) libusb_exit(context_);
  }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  bool holding() const { return holding_; }
  std::string ask(std::string_view request) {
    int done = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(request.data()));
    if (libusb_bulk_transfer(handle_, 0x01, bytes, static_cast<int>(request.size()), &done, 1000) != 0) {
      return "write failed";
    }
    unsigned char reply[512];
    if (libusb_bulk_transfer(handle_, 0x81, reply, sizeof reply, &done, 1000) != 0) return "read failed";
    return std::string(reinterpret_cast<char*>(reply), static_cast<std::size_t>(done));
  }

 private:
  libusb_context* context_ = nullptr;
  libusb_device_handle* handle_ = nullptr;
  bool holding_ = false;
};

TEST_F(LibusbOnUmockdev, InterfaceHeldByAnotherProgramIsRefusedCleanly) {
  start();
  auto other = std::make_unique<OtherProgram>();
  ASSERT_TRUE(other->holding());
  EXPECT_EQ(openPipe("\\PIPE00", Access::Write), nullptr);
  EXPECT_EQ(openPipe("\\PIPE01", Access::Read), nullptr);
  auto counts = printer_->counts();
  EXPECT_EQ(counts.refusedClaims, 2);
  EXPECT_EQ(counts.detaches, 1) << "only the other program's";
  EXPECT_EQ(counts.attaches, 0) << "nothing reattached under the other program";

  // The monitor finds the printer, and its first transaction drops the link.
  testing_support::writeFile(root_.exchangeFile(), kUsbPort);
  auto result = runMonitor("INI");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(exchange(), std::string(kUsbPort) + "[DRVMSG]\r\nSTMreaddata=0\r\n");
  EXPECT_EQ(printer_->requests(), "");
  counts = printer_->counts();
  EXPECT_EQ(counts.refusedClaims, 4);
  EXPECT_EQ(counts.detaches, 1);
  EXPECT_EQ(counts.attaches, 0);
  EXPECT_EQ(other->ask("Status?"), "Status=Ready;CODE=00001\r\n") << "its claim is untouched";

  // Once it lets go, the printer is the monitor's.
  other.reset();
  EXPECT_TRUE(printer_->driverBound(EmulatedPrinter::kPrintingInterface));
  EXPECT_EQ(transact("Status?").bytes, "Status=Ready;CODE=00001\r\n");
  expectPrinterFree();
}

TEST_F(LibusbOnUmockdev, WholeRefreshOfTheBuiltMonitor) {
  // The scenario and the file of the same run on the simulated bus.
  start(
      "value.SleepMode = Off\nvalue.CassettePaper = Letter\nvalue.FeedOffset = -1.5\n"
      "value.OPLVersion = 1234\nvalue.CommMode = Full\nstatus = 44114\n");
  testing_support::writeFile(root_.exchangeFile(), kUsbPort);
  auto result = runMonitor("INI");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(exchange(),
            "[DRVSPA]\r\nzPort=USB001\r\n"
            "[DRVMSG]\r\nSTMreaddata=0\r\n"
            "[DRVGET]\r\nFWVersion=V1.08\r\nOPLVersion=123\r\nSleepMode=Off\r\n"
            "CassettePaper=Letter\r\nTonerOutError=Stop\r\nFeedOffset=-1.5\r\nScanOffset=+0.0\r\n"
            "InstalledMemory=128MB\r\nAvailableMemory=96MB\r\nTotalPages=1234\r\nJamCounts=2\r\n"
            "GenuineTonerCount=3\r\nNonGenuineTonerCount=0\r\nGenuineToner=Yes\r\n"
            "TonerRemain=80\r\nTonerPartNumber=QZT-3317\r\nOPCRemain=90\r\n"
            "OPCPartNumber=QZD-3317\r\nRunPaperSource=Cassette\r\nRunPaperSize=A4\r\n"
            "HostName=QZ3317VT\r\nUsbID=7A3C5B21\r\nCommMode=0\r\nModelID=QZ3317VT\r\n"
            "ConFWDate=2021-06-18\r\nEngFWVer=E1.02\r\n"
            "[DRVSET]\r\nSleepMode=0\r\nCassettePaper=1\r\nTonerOutError=1\r\nFeedOffset=-15\r\n"
            "ScanOffset=0\r\n");
  EXPECT_EQ(printer_->requests(), sent("Version?") + sent("Features?") + sent("SER.Features?") +
                                      sent("CSICValues?") + sent("OPCValues?") +
                                      sent("USBInfo?") + sent("Status?"));
  // Seven transactions: each one claim for both pipes, the driver detached
  // and reattached around it.
  auto counts = printer_->counts();
  EXPECT_EQ(counts.claims, 7);
  EXPECT_EQ(counts.refusedClaims, 0);
  EXPECT_EQ(counts.detaches, 7);
  EXPECT_EQ(counts.attaches, 7);
  EXPECT_EQ(counts.rejectedTransfers, 0);
  expectPrinterFree();
}

TEST_F(LibusbOnUmockdev, TwoWaySettingIsChosenWhenSettingZeroIsOneWay) {
  start("", PrinterLayout::OneWaySettingZero);
  EXPECT_EQ(transact("Status?").bytes, "Status=Ready;CODE=00001\r\n");
  EXPECT_EQ(printer_->currentSetting(EmulatedPrinter::kPrintingInterface), 1);
  EXPECT_EQ(printer_->transfersOn(0x82), 1) << "the read pipe is setting 1's bulk IN";
  auto counts = printer_->counts();
  EXPECT_EQ(counts.settingSelections, 1);
  EXPECT_EQ(counts.rejectedTransfers, 0);
  expectPrinterFree();
}

struct StallCase {
  const char* what;
  std::uint8_t endpoint;
  int stalls;
  bool answered;       // the transaction still gets its reply
  int transfersOnEndpoint;
};

class StalledEndpoint : public LibusbOnUmockdev,
                        public ::testing::WithParamInterface<StallCase> {};

TEST_P(StalledEndpoint, IsClearedAndTriedOnceMore) {
  const StallCase& c = GetParam();
  start();
  printer_->stall(c.endpoint, c.stalls);
  ReadOutcome outcome = transact("Status?");
  if (c.answered) {
    EXPECT_EQ(outcome.status, ReadStatus::Completed);
    EXPECT_EQ(outcome.bytes, "Status=Ready;CODE=00001\r\n");
  } else {
    EXPECT_NE(outcome.status, ReadStatus::Completed);
  }
  EXPECT_EQ(printer_->counts().clearedHalts, 1);
  EXPECT_EQ(printer_->transfersOn(c.endpoint), c.transfersOnEndpoint);
  expectPrinterFree();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StalledEndpoint,
    ::testing::Values(StallCase{"read_stalls_once", 0x81, 1, true, 2},
                      StallCase{"write_stalls_once", 0x01, 1, true, 2},
                      StallCase{"read_stalls_again_after_the_clear", 0x81, 2, false, 2},
                      StallCase{"write_stalls_again_after_the_clear", 0x01, 2, false, 2}),
    testing_support::CaseNameFrom<&StallCase::what>{});

TEST_F(LibusbOnUmockdev, SilentPrinterTimesOutAndLeavesNoReadBehind) {
  start("fault.Status? = noreply\n");
  auto started = std::chrono::steady_clock::now();
  ReadOutcome silent = transact("Status?", kShort);
  EXPECT_EQ(silent.status, ReadStatus::TimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - started, kShort);
  EXPECT_EQ(printer_->counts().discards, 1) << "the pending read was cancelled";
  EXPECT_EQ(transact("Version?").bytes, "FWVersion=V1.08;OPLVersion=2.01A;CODE=00100\r\n");
  expectPrinterFree();

  // The monitor: the first read times out, the link drops, nothing is stored.
  start("fault.Version? = noreply\n");
  testing_support::writeFile(root_.exchangeFile(), kUsbPort);
  auto result = runMonitor("INI");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(printer_->requests(), sent("Version?"));
  EXPECT_EQ(exchange(), std::string(kUsbPort) + "[DRVMSG]\r\nSTMreaddata=0\r\n");
  EXPECT_EQ(printer_->counts().discards, 1);
  expectPrinterFree();
}

TEST_F(LibusbOnUmockdev, UnplugDuringARead) {
  start("fault.Status? = unplug-during-read\n");
  auto writer = openPipe("\\PIPE00", Access::Write);
  auto reader = openPipe("\\PIPE01", Access::Read);
  ASSERT_TRUE(writer && reader);
  ASSERT_TRUE(writer->write(bytesOf("Status?")).ok);
  EXPECT_EQ(readFrom(*reader, kGenerous).status, ReadStatus::InvalidHandle);
  EXPECT_FALSE(writer->write(bytesOf("Status?")).ok);
  writer.reset();
  reader.reset();
  EXPECT_TRUE(eventually([&] { return printer_->openDescriptors() == 0; }));

  // The monitor keeps what it stored before the printer went.
  start("fault.Features? = unplug-during-read\n");
  testing_support::writeFile(root_.exchangeFile(), kUsbPort);
  auto result = runMonitor("INI");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  auto file = exchange();
  EXPECT_NE(file.find("FWVersion=V1.08"), std::string::npos) << file;
  EXPECT_EQ(file.find("SleepMode"), std::string::npos) << file;
  EXPECT_NE(file.find("STMreaddata=0"), std::string::npos) << file;
  EXPECT_EQ(printer_->requests(), sent("Version?") + "Features?\n");
  EXPECT_TRUE(eventually([&] { return printer_->openDescriptors() == 0; }));
}

// The libusb bus, except that the read pipe does not open.
class ReadPipeRefused : public Bus {
 public:
  explicit ReadPipeRefused(Bus& bus) : bus_(bus) {}
  std::optional<std::vector<DeviceEntry>> listDevices(InterfaceClass cls) override {
    return bus_.listDevices(cls);
  }
  std::unique_ptr<Handle> open(std::string_view path, Access access) override {
    if (path.ends_with("\\PIPE01")) return nullptr;
    return bus_.open(path, access);
  }

 private:
  Bus& bus_;
};

TEST_F(LibusbOnUmockdev, HalfOpenTransactionLeavesNothingOpen) {
  start();
  ReadPipeRefused bus(*bus_);
  monitor::COrvoUsb usb(bus);
  usb.attachExchangeFile(root_.exchangeFile());
  ASSERT_TRUE(usb.OpenLink());
  EXPECT_FALSE(usb.Transact("Status?", 3));
  EXPECT_FALSE(usb.linkUsable());
  // The write pipe had claimed the interface; it is closed again at once.
  EXPECT_EQ(printer_->counts().claims, 1);
  expectPrinterFree();
  EXPECT_EQ(printer_->requests(), "");
}

}  // namespace
