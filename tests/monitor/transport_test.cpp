// COrvoUsb against a scripted bus: printer search, pipes, writes, reads and
// whole transactions.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_usb_bus.h"
#include "monitor/core/orvo_usb.h"
#include "profile/profile.h"
#include "tests/support/temp_root.h"

namespace monitor {
namespace {

using platform::usb::DeviceEntry;
using platform::usb::ReadStatus;
using testing_support::FakeUsbBus;

class Transport : public ::testing::Test {
 protected:
  Transport() { usb.attachExchangeFile(root.exchangeFile()); }

  std::string readData() {
    return platform::profile::getString(root.exchangeFile(), "DRVMSG", "STMreaddata", "unset", 8);
  }

  testing_support::TempRoot root;
  FakeUsbBus bus;
  COrvoUsb usb{bus};
};

TEST_F(Transport, SearchTakesTheFirstMatchingPrinter) {
  bus.devices = std::vector<DeviceEntry>{
      {{"USB\\VID_1234&PID_0001"}, std::string("other")},
      {{}, std::string("no-ids")},
      {{"usb\\vid_7a3c&pid_5b21&rev_0100"}, std::string("first")},
      {{"USB\\VID_7A3C&PID_5B21&REV_0200"}, std::string("second")}};
  ASSERT_EQ(usb.OpenLink(), 1);
  ASSERT_TRUE(usb.OpenPipes(PipeSelection::Both));
  EXPECT_EQ(bus.opened, (std::vector<std::string>{"first", "first\\PIPE00", "first\\PIPE01"}));
}

TEST_F(Transport, SearchFailures) {
  struct Case {
    const char* what;
    std::optional<std::vector<DeviceEntry>> devices;
    bool opensFail;
  };
  std::string path260(260, 'p'), path261(261, 'p');
  const Case cases[] = {
      {"no bus", std::nullopt, false},
      {"no device", std::vector<DeviceEntry>{}, false},
      {"only another vendor", std::vector<DeviceEntry>{{{"USB\\VID_7A3C&PID_5B22"}, std::string("x")}}, false},
      {"matched device without interface", std::vector<DeviceEntry>{{{FakeUsbBus::kPrinterId}, std::nullopt},
                                                                     {{FakeUsbBus::kPrinterId}, std::string("y")}}, false},
      {"path of 261 characters", std::vector<DeviceEntry>{{{FakeUsbBus::kPrinterId}, path261}}, false},
      {"test open fails", std::vector<DeviceEntry>{{{FakeUsbBus::kPrinterId}, std::string("z")}}, true},
  };
  for (const auto& c : cases) {
    FakeUsbBus local;
    local.devices = c.devices;
    local.opensFail = c.opensFail;
    COrvoUsb link(local);
    EXPECT_EQ(link.OpenLink(), 0) << c.what;
    EXPECT_FALSE(link.OpenPipes(PipeSelection::Both)) << c.what << ": no pipe path";
  }
  FakeUsbBus local;
  local.devices = std::vector<DeviceEntry>{{{FakeUsbBus::kPrinterId}, path260}};
  COrvoUsb link(local);
  EXPECT_EQ(link.OpenLink(), 1) << "a path of exactly 260 characters is accepted";
  EXPECT_TRUE(link.IsPrinterPresent());
}

// The one line on standard error says which step failed.
TEST_F(Transport, AFailedOpenSaysWhyInOneLine) {
  struct Case {
    const char* what;
    std::optional<std::vector<DeviceEntry>> devices;
    bool opensFail;
    std::string said;
  };
  const Case cases[] = {
      {"no device", std::vector<DeviceEntry>{}, false,
       ": no printer found: no USB printing interface of a QZ3317VT (vendor 7A3C, product 5B21)\n"},
      {"test open fails", std::vector<DeviceEntry>{{{FakeUsbBus::kPrinterId}, std::string("usb:1-2:1.0")}},
       true,
       ": printer found at usb:1-2:1.0 but it cannot be opened (device permissions, or another "
       "program holds its interface)\n"},
  };
  for (const auto& c : cases) {
    FakeUsbBus local;
    local.devices = c.devices;
    local.opensFail = c.opensFail;
    COrvoUsb link(local);
    ::testing::internal::CaptureStderr();
    link.OpenLink();
    auto said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(said.ends_with(c.said)) << c.what << ": " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.what;
  }
}

// A printer that is found but whose pipes cannot be opened (the print
// system holds the interface during a job) is said once, however many
// transactions the run still tries.
TEST_F(Transport, PipesThatDoNotOpenAreOneLine) {
  ASSERT_EQ(usb.OpenLink(), 1);
  bus.opensFail = true;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(usb.Transact("Version?", 3));
  EXPECT_FALSE(usb.Transact("Features?", 3));
  auto said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(said.ends_with(": cannot open the printer's pipes: another program holds its "
                             "interface (a print job?), or it went away\n"))
      << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

TEST_F(Transport, PresenceLeavesTheLinkAlone) {
  EXPECT_TRUE(usb.IsPrinterPresent());
  EXPECT_FALSE(usb.linkUsable());
  EXPECT_TRUE(bus.opened.empty()) << "no test open";
}

TEST_F(Transport, WriteTakesUpToThreeCalls) {
  usb.OpenLink();
  usb.OpenPipes(PipeSelection::Write);
  std::string request = "SER.Features?";  // 13 bytes
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(request.data()), request.size());
  bus.writeChunk = 5;
  EXPECT_TRUE(usb.WritePipe(bytes, 3)) << "5 + 5 + 3 bytes";
  EXPECT_EQ(bus.written, (std::vector<std::string>{"SER.F", "eatur", "es?"}));
  bus.writeChunk = 4;
  EXPECT_FALSE(usb.WritePipe(bytes, 3)) << "one byte left after three calls";
  EXPECT_FALSE(usb.linkUsable());
  bus.writeChunk = 100;
  EXPECT_FALSE(usb.WritePipe(bytes, 3)) << "a complete write on an unusable link still fails";
}

TEST_F(Transport, ReadMeasuresUpToTheFirstZeroAndNeverPastTheBuffer) {
  usb.OpenLink();
  usb.OpenPipes(PipeSelection::Read);
  std::array<std::uint8_t, 16> buffer{};
  bus.reads.push_back({std::string("abc\0def", 7)});
  EXPECT_EQ(usb.ReadPipe(buffer), 3u);
  bus.reads.push_back({std::string(40, 'x')});
  EXPECT_EQ(usb.ReadPipe(buffer), 16u) << "a full buffer without a zero byte";
  bus.reads.push_back({"late", ReadStatus::Failed});
  EXPECT_EQ(usb.ReadPipe(buffer), 0u);
  EXPECT_TRUE(usb.linkUsable()) << "a failed read leaves the flag";
  EXPECT_EQ(usb.ReadPipe(buffer), 0u) << "timeout";
  EXPECT_FALSE(usb.linkUsable());
}

TEST_F(Transport, TransactionMarksTheFileAndSendsEveryPass) {
  usb.OpenLink();
  bus.reply("CODE=00001\r\n");
  bus.reply("CODE=00003\r\n");
  bus.reply("CODE=00004\r\n");
  EXPECT_TRUE(usb.Transact("Status?", 3));
  EXPECT_EQ(bus.written, std::vector<std::string>(3, "Status?"));
  ASSERT_EQ(usb.status().count, 1);
  EXPECT_EQ(usb.status().entries[0].code, 4) << "the last reply counts";
  EXPECT_EQ(readData(), "0");
  EXPECT_EQ(bus.openHandles, 0) << "pipes closed after the transaction";
}

TEST_F(Transport, TransactionFailures) {
  // A reply without status lines.
  usb.OpenLink();
  bus.reply("just text\r\n");
  EXPECT_FALSE(usb.Transact("Version?", 1));
  EXPECT_TRUE(usb.linkUsable());

  // No reply: the first pass times out, the later ones write but do not read.
  EXPECT_FALSE(usb.Transact("Version?", 3));
  EXPECT_FALSE(usb.linkUsable());
  EXPECT_EQ(bus.readCalls, 2);
  EXPECT_EQ(readData(), "0");

  // An unusable link fails at once without touching the file or the bus.
  platform::profile::writeString(root.exchangeFile(), "DRVMSG", "STMreaddata", "x");
  auto opens = bus.opened.size();
  EXPECT_FALSE(usb.Transact("Version?", 3));
  EXPECT_EQ(bus.opened.size(), opens);
  EXPECT_EQ(readData(), "x");
}

TEST_F(Transport, PipesThatDoNotOpenDropTheLinkAndStayClosed) {
  // No pipe opens; or the write pipe opens and the read pipe does not, which
  // must not leave the write pipe open after the transaction.
  for (int pipesThatOpen : {0, 1}) {
    SCOPED_TRACE(pipesThatOpen);
    bus.opensFail = false;
    bus.opensLeft.reset();
    ASSERT_TRUE(usb.OpenLink());
    bus.opened.clear();
    bus.opensLeft = pipesThatOpen;
    EXPECT_FALSE(usb.Transact("Status?", 3));
    EXPECT_EQ(bus.opened, (std::vector<std::string>{"\\\\?\\usb#printer0\\PIPE00",
                                                    "\\\\?\\usb#printer0\\PIPE01"}));
    EXPECT_EQ(bus.openHandles, 0);
    EXPECT_FALSE(usb.linkUsable());
    EXPECT_EQ(readData(), "0");
    EXPECT_TRUE(bus.written.empty());
  }
}

TEST_F(Transport, FailedWriteClearsTheEntriesAndReadsNothing) {
  usb.OpenLink();
  bus.reply("CODE=00300\r\n");
  bus.writeChunk = 0;
  std::string reply = "CODE=00007\r\n";
  usb.ParseReply({reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size()});
  EXPECT_FALSE(usb.Transact("CSICValues?", 3));
  EXPECT_EQ(usb.status().count, 0) << "the count is cleared before the passes";
  EXPECT_EQ(bus.readCalls, 0);
  EXPECT_EQ(bus.written.size(), 9u) << "every pass still makes its three write calls";
}

}  // namespace
}  // namespace monitor
