// The simulated USB bus against a real qz3317vt-printer process: listing,
// scripted exchanges, faults, the request log and descriptor hygiene.
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <memory>
#include <string>
#include <vector>

#include "usb/bus.h"
#include "sim/sim_bus.h"
#include "tests/support/printer_process.h"

namespace {

using namespace platform::usb;
using namespace std::chrono_literals;

constexpr auto kPrinting = InterfaceClass::Printing;
constexpr auto kImaging = InterfaceClass::Imaging;
// Long enough for any machine; a test that waits this long has failed.
constexpr std::chrono::milliseconds kGenerous{10000};
// For reads that are meant to time out.
constexpr std::chrono::milliseconds kShort{200};

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

int openDescriptors() {
  int count = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  while (::readdir(dir) != nullptr) ++count;
  ::closedir(dir);
  return count;
}

class SimBusTest : public ::testing::Test {
 protected:
  // The first listed device path of the class; empty when none is listed.
  std::string firstPath(InterfaceClass cls = kPrinting) {
    auto devices = bus_->listDevices(cls);
    if (!devices || devices->empty() || !devices->front().devicePath) return {};
    return *devices->front().devicePath;
  }

  std::unique_ptr<Handle> openPipe(std::string_view suffix, Access access,
                                   InterfaceClass cls = kPrinting) {
    return bus_->open(firstPath(cls) + std::string(suffix), access);
  }

  // One write of the whole request and one read of its reply.
  ReadOutcome transact(std::string_view request, std::chrono::milliseconds limit = kGenerous,
                       std::size_t size = 512) {
    auto writer = openPipe("\\PIPE00", Access::Write);
    auto reader = openPipe("\\PIPE01", Access::Read);
    if (!writer || !reader) return {ReadStatus::InvalidHandle, "no pipes"};
    WriteResult written = writer->write(bytesOf(request));
    EXPECT_TRUE(written.ok);
    EXPECT_EQ(written.written, request.size());
    return readFrom(*reader, limit, size);
  }

  testing_support::PrinterProcess printer_;
  std::unique_ptr<Bus> bus_ = makeSimBus();
};

TEST_F(SimBusTest, NoPrinterProcessMeansNoDevices) {
  auto devices = bus_->listDevices(kPrinting);
  ASSERT_TRUE(devices.has_value());
  EXPECT_TRUE(devices->empty());
  EXPECT_EQ(bus_->open("sim:1:7\\PIPE00", Access::Write), nullptr);
}

TEST_F(SimBusTest, DefaultDeviceHasBothInterfacesWithWindowsHardwareIds) {
  ASSERT_TRUE(printer_.start());
  for (auto cls : {kPrinting, kImaging}) {
    auto devices = bus_->listDevices(cls);
    ASSERT_TRUE(devices && devices->size() == 1);
    EXPECT_EQ(devices->front().hardwareIds,
              (std::vector<std::string>{"USB\\VID_7A3C&PID_5B21&REV_0100", "USB\\VID_7A3C&PID_5B21"}));
    ASSERT_TRUE(devices->front().devicePath.has_value());
  }
  EXPECT_NE(firstPath(kPrinting), firstPath(kImaging));
  // The bare path is test-opened; the imaging suffixes do not belong to the
  // printing interface; each pipe takes only its own direction.
  EXPECT_NE(bus_->open(firstPath(), Access::ReadWrite), nullptr);
  EXPECT_EQ(openPipe("\\1", Access::Write), nullptr);
  EXPECT_EQ(openPipe("\\PIPE00", Access::Read), nullptr);
  EXPECT_EQ(openPipe("\\PIPE01", Access::Write), nullptr);
  EXPECT_NE(openPipe("\\1", Access::Write, kImaging), nullptr);
  EXPECT_EQ(bus_->open("sim:9:7\\PIPE00", Access::Write), nullptr);
}

TEST_F(SimBusTest, ListsDevicesInNumberOrderWithOtherVendorsAndLongPaths) {
  ASSERT_TRUE(printer_.start(
      "device.1.hwid = USB\\VID_1234&PID_0001&REV_0001, USB\\VID_1234&PID_0001\n"
      "device.2.path-length = 260\n"
      "device.3.path-length = 261\n"
      "device.4.classes = 6\n"
      "device.5.hwid =\n"));
  auto devices = bus_->listDevices(kPrinting);
  ASSERT_TRUE(devices && devices->size() == 4);
  EXPECT_EQ(devices->at(0).hardwareIds.front(), "USB\\VID_1234&PID_0001&REV_0001");
  EXPECT_EQ(devices->at(1).hardwareIds.front(), "USB\\VID_7A3C&PID_5B21&REV_0100");
  EXPECT_EQ(devices->at(1).devicePath->size(), 260u);
  EXPECT_EQ(devices->at(2).devicePath->size(), 261u);
  EXPECT_TRUE(devices->at(3).hardwareIds.empty());  // device 4 has no printing interface
  EXPECT_NE(bus_->open(*devices->at(1).devicePath + "\\PIPE00", Access::Write), nullptr);
  EXPECT_EQ(bus_->listDevices(kImaging)->size(), 5u);
}

// One request, its reply, under a scenario.
struct ExchangeCase {
  const char* name;
  const char* scenario;
  const char* request;
  const char* reply;
};

class SimReplyTest : public SimBusTest, public ::testing::WithParamInterface<ExchangeCase> {};

TEST_P(SimReplyTest, AnswersRequest) {
  ASSERT_TRUE(printer_.start(GetParam().scenario));
  ReadOutcome outcome = transact(GetParam().request);
  EXPECT_EQ(outcome.status, ReadStatus::Completed);
  EXPECT_EQ(outcome.bytes, GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Words, SimReplyTest,
    ::testing::Values(
        ExchangeCase{"Version", "", "Version?", "FWVersion=V1.08;OPLVersion=2.01A;CODE=00100\r\n"},
        ExchangeCase{"Features", "value.SleepMode = Off\n", "Features?",
                     "SleepMode=Off;CODE=00200\r\nCassettePaper=Auto;CODE=00201\r\n"
                     "TonerOutError=Stop;CODE=00202\r\nFeedOffset=+0.0;CODE=00203\r\n"
                     "ScanOffset=+0.0;CODE=00204\r\nInstalledMemory=128MB;CODE=00205\r\n"
                     "AvailableMemory=96MB;CODE=00206\r\n"},
        ExchangeCase{"Toner", "", "CSICValues?",
                     "TonerRemain=80;CODE=00300\r\nTonerPartNumber=QZT-3317;CODE=00301\r\n"},
        ExchangeCase{"StatusReady", "", "Status?", "Status=Ready;CODE=00001\r\n"},
        ExchangeCase{"StatusJam", "status = 44114\nstatus-name = Jam\n", "Status?",
                     "Status=Jam;CODE=44114\r\n"},
        ExchangeCase{"OperatorRequest", "", "ContinuePrint?", "Result=OK;CODE=00001\r\n"},
        ExchangeCase{"SettingAccepted", "", "FeedOffset=-1.5;", "FeedOffset=-1.5;CODE=00020\r\n"},
        ExchangeCase{"SettingBadValue", "", "SleepMode=soon;", "Error=BadValue;CODE=03040\r\n"},
        ExchangeCase{"UnknownItem", "", "Warp=9;", "Error=UnknownItem;CODE=03040\r\n"},
        // The batch's stand-in for a missing command.
        ExchangeCase{"MissingBatchCommand", "", "0;", "Error=UnknownItem;CODE=03040\r\n"},
        ExchangeCase{"ErrorCodeForWord", "error.Status? = 3050\n", "Status?",
                     "Error=Refused;CODE=03050\r\n"},
        ExchangeCase{"RawReply", "reply.Status? = free text\\r\\nXYZCODE=00005\\r\\n\n", "Status?",
                     "free text\r\nXYZCODE=00005\r\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SimBusTest, ZeroByteTravelsInsideTheReply) {
  ASSERT_TRUE(printer_.start("fault.Status? = zero-byte\n"));
  ReadOutcome outcome = transact("Status?");
  EXPECT_EQ(outcome.bytes, std::string("Status=Ready;CODE=00001\r\n\0", 26));
}

TEST_F(SimBusTest, ManyLinesAndLongReplies) {
  ASSERT_TRUE(printer_.start("lines.Status? = 35\nfault.Version? = long-reply\n"));
  ReadOutcome lines = transact("Status?", kGenerous, 4096);
  std::string line = "Status=Ready;CODE=00001\r\n";
  std::string expected;
  for (int i = 0; i < 35; ++i) expected += line;
  EXPECT_EQ(lines.bytes, expected);
  auto reader = openPipe("\\PIPE01", Access::Read);
  auto writer = openPipe("\\PIPE00", Access::Write);
  writer->write(bytesOf("Version?"));
  ReadOutcome head = readFrom(*reader, kGenerous, 512);
  EXPECT_EQ(head.bytes.size(), 512u);
  EXPECT_EQ(head.bytes.find('\0'), std::string::npos);
  // As on a bulk stream, the rest of the reply is the next read's, even on a
  // new handle; then nothing is left.
  reader.reset();
  reader = openPipe("\\PIPE01", Access::Read);
  ReadOutcome tail = readFrom(*reader, kGenerous, 512);
  ASSERT_EQ(tail.status, ReadStatus::Completed);
  std::string whole = head.bytes + tail.bytes;
  EXPECT_GT(whole.size(), 600u);
  EXPECT_TRUE(whole.starts_with("FWVersion=V1.08;OPLVersion=2.01A;CODE=00100\r\nFILLER")) << whole;
  EXPECT_TRUE(whole.ends_with("-\r\n")) << whole;
  EXPECT_EQ(readFrom(*reader, kShort).status, ReadStatus::TimedOut);
}

TEST_F(SimBusTest, TailOfALongReplyIsSplitAcrossSmallReads) {
  ASSERT_TRUE(printer_.start("reply.Status? = 0123456789\n"));
  auto reader = openPipe("\\PIPE01", Access::Read);
  auto writer = openPipe("\\PIPE00", Access::Write);
  writer->write(bytesOf("Status?"));
  std::vector<std::string> pieces;
  for (int i = 0; i < 3; ++i) pieces.push_back(readFrom(*reader, kGenerous, 4).bytes);
  EXPECT_EQ(pieces, (std::vector<std::string>{"0123", "4567", "89"}));
  // A new request's reply comes after the tail, never merged into it.
  writer->write(bytesOf("Status?"));
  EXPECT_EQ(readFrom(*reader, kGenerous, 512).bytes, "0123456789");
}

TEST_F(SimBusTest, AcceptedSettingChangesTheModel) {
  ASSERT_TRUE(printer_.start());
  EXPECT_EQ(transact("SleepMode=30;").bytes, "SleepMode=30;CODE=00020\r\n");
  EXPECT_EQ(transact("CassettePaper=Tabloid;").bytes, "Error=BadValue;CODE=03040\r\n");
  std::string features = transact("Features?").bytes;
  EXPECT_TRUE(features.starts_with("SleepMode=30;CODE=00200\r\nCassettePaper=Auto;")) << features;
}

TEST_F(SimBusTest, ShortWritesTakeOnlyPartOfTheRequest) {
  ASSERT_TRUE(printer_.start("short-write = 4\n"));
  auto writer = openPipe("\\PIPE00", Access::Write);
  auto reader = openPipe("\\PIPE01", Access::Read);
  std::string_view request = "Version?";
  WriteResult first = writer->write(bytesOf(request));
  EXPECT_TRUE(first.ok);
  EXPECT_EQ(first.written, 4u);
  WriteResult second = writer->write(bytesOf(request.substr(first.written)));
  EXPECT_EQ(second.written, 4u);
  EXPECT_EQ(readFrom(*reader, kGenerous).bytes, "FWVersion=V1.08;OPLVersion=2.01A;CODE=00100\r\n");
  EXPECT_EQ(printer_.requestLog(), std::vector<std::string>{"Version?"});
}

TEST_F(SimBusTest, ReadWithoutReplyTimesOutAndIsCancelled) {
  ASSERT_TRUE(printer_.start("fault.Status? = noreply\n"));
  ReadOutcome outcome = transact("Status?", kShort);
  EXPECT_EQ(outcome.status, ReadStatus::TimedOut);
  EXPECT_TRUE(outcome.bytes.empty());
}

TEST_F(SimBusTest, LateReplyNeverReachesALaterRead) {
  // The delay is far beyond the read limit, so the read always times out.
  ASSERT_TRUE(printer_.start("delay.Status? = 60000\n"));
  EXPECT_EQ(transact("Status?", kShort).status, ReadStatus::TimedOut);
  ReadOutcome next = transact("Version?");
  EXPECT_EQ(next.status, ReadStatus::Completed);
  EXPECT_EQ(next.bytes, "FWVersion=V1.08;OPLVersion=2.01A;CODE=00100\r\n");
}

TEST_F(SimBusTest, SlowReplyWithinTheLimitCompletes) {
  ASSERT_TRUE(printer_.start("delay.Status? = 50\n"));
  EXPECT_EQ(transact("Status?").bytes, "Status=Ready;CODE=00001\r\n");
}

TEST_F(SimBusTest, UnplugDuringReadFailsThePendingReadAndRemovesTheDevice) {
  ASSERT_TRUE(printer_.start("fault.Status? = unplug-during-read\n"));
  auto writer = openPipe("\\PIPE00", Access::Write);
  auto reader = openPipe("\\PIPE01", Access::Read);
  std::string path = firstPath();
  ASSERT_TRUE(writer->write(bytesOf("Status?")).ok);
  EXPECT_EQ(readFrom(*reader, kGenerous).status, ReadStatus::Failed);
  EXPECT_FALSE(writer->write(bytesOf("Status?")).ok);
  EXPECT_EQ(readFrom(*reader, kShort).status, ReadStatus::InvalidHandle);
  EXPECT_TRUE(bus_->listDevices(kPrinting)->empty());
  EXPECT_EQ(bus_->open(path + "\\PIPE00", Access::Write), nullptr);
}

TEST_F(SimBusTest, ScenarioChangesApplyWhileRunning) {
  ASSERT_TRUE(printer_.start());
  std::string path = firstPath();
  EXPECT_EQ(transact("Status?").bytes, "Status=Ready;CODE=00001\r\n");
  printer_.rewriteScenario("status = 44114\n");
  EXPECT_EQ(transact("Status?").bytes, "Status=Status44114;CODE=44114\r\n");
  printer_.rewriteScenario("unplugged = 1\n");
  EXPECT_TRUE(bus_->listDevices(kPrinting)->empty());
  EXPECT_EQ(bus_->open(path + "\\PIPE00", Access::Write), nullptr);
  printer_.rewriteScenario("");
  EXPECT_EQ(firstPath(), path);
}

TEST_F(SimBusTest, TheScenarioSaysHowManyChunksFollowAReply) {
  ASSERT_TRUE(printer_.start(
      "reply.CSICValues? = TonerRemain=7;CODE=00300\\r\\nX=1;CODE=00999\\r\\nY=2;CODE=03040\\r\\n\n"
      "chunks.CSICValues? = 2\nextra-chunk = MORE\\r\\n\n"));
  EXPECT_TRUE(transact("CSICValues?").bytes.starts_with("TonerRemain=7;CODE=00300"));
  for (int i = 0; i < 2; ++i) {
    auto reader = openPipe("\\PIPE01", Access::Read);
    EXPECT_EQ(readFrom(*reader, kGenerous).bytes, "MORE\r\n");
  }
  auto reader = openPipe("\\PIPE01", Access::Read);
  EXPECT_EQ(readFrom(*reader, kShort).status, ReadStatus::TimedOut);
}

TEST_F(SimBusTest, WithoutChunksInTheScenarioNoReplyHoldsAChunk) {
  ASSERT_TRUE(printer_.start("error.Features? = 3040\n"));
  for (auto request : {"Version?", "Features?"}) {
    transact(request);
    auto reader = openPipe("\\PIPE01", Access::Read);
    EXPECT_EQ(readFrom(*reader, kShort).status, ReadStatus::TimedOut) << request;
  }
}

TEST_F(SimBusTest, RequestLogEscapesBytesInOrder) {
  ASSERT_TRUE(printer_.start());
  transact("Status?");
  transact(std::string_view("A\\b\r\n\0\xff;", 8), kShort);
  transact("HostName=PRN 2;");
  EXPECT_EQ(printer_.requestLog(),
            (std::vector<std::string>{"Status?", "A\\\\b\\r\\n\\0\\xff;", "HostName=PRN 2;"}));
}

TEST_F(SimBusTest, ImagingInterfaceAnswersAddressQueriesAndSetsAddresses) {
  ASSERT_TRUE(printer_.start("value.MAC = 00:11:22:33:44:55\n"));
  auto exchange = [&](std::string_view command, bool expectReply) {
    openPipe("\\1", Access::Write, kImaging)->write(bytesOf(command));
    if (!expectReply) return std::string();
    return readFrom(*openPipe("\\0", Access::Read, kImaging), kGenerous, 260).bytes;
  };
  EXPECT_EQ(exchange("CheckMAC;", true), "MACadd:00:11:22:33:44:55");
  EXPECT_EQ(exchange("CheckIP;", true), std::string("IPadd:\x7f\x00\x00\x02\xff\x00\x00\x00\x7f\x00\x00\x01", 18));
  exchange(std::string_view("SetIP=\x0a\x00\x00\x3b\xff\xff\x00\x00\x0a\x00\x00\x01;", 19), false);
  EXPECT_EQ(exchange("CheckIP;", true), std::string("IPadd:\x0a\x00\x00\x3b\xff\xff\x00\x00\x0a\x00\x00\x01", 18));
  EXPECT_EQ(printer_.requestLog().at(2), "SetIP=\\n\\0\\0;\\xff\\xff\\0\\0\\n\\0\\0\\x01;");
}

TEST_F(SimBusTest, HandlesCloseEveryDescriptor) {
  ASSERT_TRUE(printer_.start("fault.Status? = noreply\n"));
  int before = openDescriptors();
  transact("Version?");
  transact("Status?", kShort);
  bus_->open(firstPath(), Access::ReadWrite);
  bus_->open("sim:7:7\\PIPE00", Access::Write);
  bus_->listDevices(kImaging);
  EXPECT_EQ(openDescriptors(), before);
}

TEST_F(SimBusTest, PrinterEndsCleanlyOnSigtermAndRemovesItsSocket) {
  ASSERT_TRUE(printer_.start());
  int status = printer_.stop();
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(std::filesystem::exists(printer_.root() / ".usb-sim" / "bus.sock"));
  EXPECT_TRUE(bus_->listDevices(kPrinting)->empty());
}

}  // namespace
