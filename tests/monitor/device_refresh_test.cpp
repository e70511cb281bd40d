// The device information refresh: reply codes into "DRVGET", "DRVSET" and
// the device fields, the extra read, and the query sequences.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <cstdio>

#include "base/fake_clock.h"
#include "fake_usb_bus.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/core/request_words.h"
#include "profile/profile.h"
#include "tests/support/temp_root.h"

namespace monitor {
namespace {

using testing_support::FakeUsbBus;

std::string statusLine(int code, const std::string& field) {
  char tag[16];
  std::snprintf(tag, sizeof tag, "CODE=%05d", code);
  return field + ";" + tag + "\r\n";
}

class Refresh : public ::testing::Test {
 protected:
  Refresh() {
    usb.OpenLink();
  }
  std::string get(const char* section, const char* key) {
    return platform::profile::getString(root.exchangeFile(), section, key, "<none>", 64);
  }
  // One item reply with one entry; returns what the refresh stored.
  void refreshOne(int code, const std::string& value) {
    bus.reply(statusLine(code, "Item=" + value));
    bus.reply(statusLine(code, "Item=" + value));
    bus.reply(statusLine(code, "Item=" + value));
    printer.RefreshItem(kFeatures);
  }

  testing_support::TempRoot root;
  FakeUsbBus bus;
  COrvoUsb usb{bus};
  platform::base::FakeClock clock;
  CPPL_W3 printer{usb, clock};
};

struct ItemCase {
  int code;
  const char* value;
  const char* getKey;
  const char* getValue;
  const char* setKey;  // nullptr: nothing in "DRVSET"
  const char* setValue;
};

class ItemMapping : public Refresh, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(ItemMapping, StoresTheValue) {
  const auto& c = GetParam();
  refreshOne(c.code, c.value);
  EXPECT_EQ(get("DRVGET", c.getKey), c.getValue) << c.code << " " << c.value;
  if (c.setKey) {
    EXPECT_EQ(get("DRVSET", c.setKey), c.setValue) << c.code << " " << c.value;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ItemMapping,
    ::testing::Values(
        ItemCase{200, "Off", "SleepMode", "Off", "SleepMode", "0"},
        ItemCase{200, "off", "SleepMode", "off", "SleepMode", "0"},
        ItemCase{200, "15", "SleepMode", "15", "SleepMode", "2"},
        ItemCase{200, "30", "SleepMode", "30", "SleepMode", "3"},
        ItemCase{200, "240", "SleepMode", "240", "SleepMode", "7"},
        ItemCase{200, "5", "SleepMode", "5", "SleepMode", "1"},      // not a step
        ItemCase{200, "300", "SleepMode", "300", "SleepMode", "1"},
        ItemCase{200, "-15", "SleepMode", "-15", "SleepMode", "1"},  // negative
        ItemCase{201, "Letter", "CassettePaper", "Letter", "CassettePaper", "1"},
        ItemCase{201, "auto", "CassettePaper", "auto", "CassettePaper", "0"},
        ItemCase{201, "Other", "CassettePaper", "Other", "CassettePaper", "0"},  // fresh field
        ItemCase{202, "Stop", "TonerOutError", "Stop", "TonerOutError", "1"},
        ItemCase{202, "continue", "TonerOutError", "continue", "TonerOutError", "0"},
        ItemCase{203, "-1.5", "FeedOffset", "-1.5", "FeedOffset", "-15"},
        ItemCase{203, "+2.0", "FeedOffset", "+2.0", "FeedOffset", "20"},
        ItemCase{204, " 0.7", "ScanOffset", "0.7", "ScanOffset", "7"},  // stored trimmed
        ItemCase{205, "64MB", "InstalledMemory", "64MB", nullptr, nullptr},
        ItemCase{206, "32MB", "AvailableMemory", "32MB", nullptr, nullptr},
        ItemCase{300, "80", "TonerRemain", "80", nullptr, nullptr},
        ItemCase{301, "TN-1", "TonerPartNumber", "TN-1", nullptr, nullptr},
        ItemCase{400, "1234", "TotalPages", "1234", nullptr, nullptr},
        ItemCase{401, "3", "JamCounts", "3", nullptr, nullptr},
        ItemCase{402, "2", "GenuineTonerCount", "2", nullptr, nullptr},
        ItemCase{403, "1", "NonGenuineTonerCount", "1", nullptr, nullptr},
        ItemCase{404, "Yes", "GenuineToner", "Yes", nullptr, nullptr},
        ItemCase{500, "90", "OPCRemain", "90", nullptr, nullptr},
        ItemCase{501, "DR-1", "OPCPartNumber", "DR-1", nullptr, nullptr},
        ItemCase{600, "Cassette", "RunPaperSource", "Cassette", nullptr, nullptr},
        ItemCase{601, "Letter", "RunPaperSize", "Letter", nullptr, nullptr},
        ItemCase{602, "host1", "HostName", "host1", nullptr, nullptr},
        ItemCase{700, "ID42", "UsbID", "ID42", nullptr, nullptr},
        ItemCase{701, "High", "CommMode", "1", nullptr, nullptr},
        ItemCase{701, "Full", "CommMode", "0", nullptr, nullptr},
        ItemCase{702, "QZ3317VT", "ModelID", "QZ3317VT", nullptr, nullptr},
        ItemCase{703, "20260101", "ConFWDate", "20260101", nullptr, nullptr},
        ItemCase{704, "E1.0", "EngFWVer", "E1.0", nullptr, nullptr}),
    [](const auto& test) {
      const ItemCase& c = test.param;
      return testing_support::readableName(
          std::to_string(c.code) + " " + c.value + " as " + c.getKey + " " +
              std::to_string(test.index), test.index);
    });

TEST_F(Refresh, DeviceFieldsFollowTheValues) {
  refreshOne(600, "Manual");
  EXPECT_EQ(printer.fields().paperSource, 2);
  refreshOne(601, "Legal");
  EXPECT_EQ(printer.fields().paperSize, 5);
  EXPECT_EQ(printer.fields().paperSource, 2) << "paper size leaves the source";
  refreshOne(300, "42");
  EXPECT_EQ(printer.fields().tonerRemaining, 42);
  refreshOne(500, "17");
  EXPECT_EQ(printer.fields().drumRemaining, 17);
  refreshOne(201, "Letter");
  refreshOne(201, "Unknown");
  EXPECT_EQ(get("DRVSET", "CassettePaper"), "1") << "an unknown text keeps the field";
}

TEST_F(Refresh, ValueAfterEquals) {
  EXPECT_EQ(ValueAfterEquals("TonerRemain=80"), 80);
  EXPECT_EQ(ValueAfterEquals("a=b=-7x"), -7);
  EXPECT_EQ(ValueAfterEquals("no equals"), 0);
  EXPECT_EQ(ValueAfterEquals("Off=Off"), 0);
}

TEST_F(Refresh, VersionTexts) {
  for (int i = 0; i < 3; ++i) bus.reply("FWVersion=V1.08;OPLVersion=1234;CODE=00100\r\n");
  EXPECT_TRUE(printer.ReadVersion());
  EXPECT_EQ(get("DRVGET", "FWVersion"), "V1.08");
  EXPECT_EQ(get("DRVGET", "OPLVersion"), "123");
}

TEST_F(Refresh, UnknownCodeDrainsOneChunk) {
  for (int i = 0; i < 3; ++i) bus.reply(statusLine(300, "TonerRemain=75") + statusLine(999, "X=1"));
  bus.reply("EXTRA CHUNK");
  EXPECT_TRUE(printer.RefreshItem(kCsicValues));
  EXPECT_EQ(get("DRVGET", "TonerRemain"), "75");
  EXPECT_EQ(bus.readCalls, 4) << "three passes and the extra read";
  EXPECT_TRUE(bus.reads.empty());
  EXPECT_EQ(get("DRVMSG", "STMreaddata"), "0");
  EXPECT_EQ(bus.openHandles, 0);
}

TEST_F(Refresh, ExtraReadThatCannotOpenStopsStoring) {
  for (int i = 0; i < 3; ++i) bus.reply(statusLine(999, "X=1") + statusLine(205, "InstalledMemory=8"));
  bus.opensLeft = 2;  // the transaction's two pipes, then the device is gone
  EXPECT_TRUE(printer.RefreshItem(kFeatures)) << "the transaction's own result";
  EXPECT_EQ(get("DRVGET", "InstalledMemory"), "<none>") << "entries after the failed drain";
  EXPECT_EQ(get("DRVMSG", "STMreaddata"), "0");
}

TEST_F(Refresh, FailedTransactionStoresThePreviousEntriesAgain) {
  for (int i = 0; i < 3; ++i) bus.reply(statusLine(400, "TotalPages=10"));
  printer.RefreshItem(kSerFeatures);
  platform::profile::writeString(root.exchangeFile(), "DRVGET", "TotalPages", "changed");
  usb.clearLink();
  EXPECT_FALSE(printer.RefreshItem(kSerFeatures));
  EXPECT_EQ(get("DRVGET", "TotalPages"), "10");
}

TEST_F(Refresh, SequenceStopsAtTheFirstFailure) {
  for (int i = 0; i < 3; ++i) bus.reply("FWVersion=V1;OPLVersion=2.0;CODE=00100\r\n");
  for (int i = 0; i < 3; ++i) bus.reply(statusLine(200, "SleepMode=30"));
  // "SER.Features?" gets no reply.
  EXPECT_FALSE(printer.RefreshDeviceInfo());
  EXPECT_EQ(get("DRVSET", "SleepMode"), "3");
  EXPECT_EQ(bus.written.back(), "SER.Features?");
  EXPECT_EQ(bus.written.size(), 9u) << "version, features, then three passes that time out or skip";
}

TEST_F(Refresh, PollStatusWaitsForConfirmation) {
  for (int i = 0; i < 3; ++i) bus.reply("CODE=01001\r\n");
  for (int i = 0; i < 3; ++i) bus.reply("CODE=00001\r\n");
  EXPECT_TRUE(printer.PollStatus(1, false));
  EXPECT_EQ(clock.slept(), std::chrono::milliseconds(1000)) << "one pause between the two polls";

  for (int i = 0; i < 3; ++i) bus.reply("CODE=44114\r\n");
  EXPECT_TRUE(printer.PollStatus(1, true)) << "accept any status";

  for (int i = 0; i < 3; ++i) bus.reply("CODE=03050\r\n");
  EXPECT_FALSE(printer.PollStatus(5, false)) << "an error code drops the link";
}

TEST_F(Refresh, NoLinkWritesNothing) {
  usb.clearLink();
  EXPECT_FALSE(printer.RefreshDeviceInfoAndStatus());
  EXPECT_FALSE(std::filesystem::exists(root.exchangeFile()));
  EXPECT_TRUE(bus.written.empty());
}

TEST_F(Refresh, OperatorRequestsSendTheirWordThreeTimes) {
  struct Case {
    bool (CPPL_W3::*send)();
    const char* word;
  };
  const Case cases[] = {
      {&CPPL_W3::SendCancelJob, "CancelJob?"},
      {&CPPL_W3::SendMismatchPageAdd, "MismatchPageAdd?"},
      {&CPPL_W3::SendMismatchPageDelete, "MismatchPageDelete?"},
      {&CPPL_W3::SendContinuePrint, "ContinuePrint?"},
      {&CPPL_W3::SendRetryCurrentPage, "RetryCurrentPage?"},
  };
  for (const auto& c : cases) {
    bus.written.clear();
    for (int i = 0; i < 3; ++i) bus.reply("Result=OK;CODE=00001\r\n");
    EXPECT_TRUE((printer.*c.send)()) << c.word;
    EXPECT_EQ(bus.written, std::vector<std::string>(3, c.word));
  }
  bus.written.clear();
  for (int i = 0; i < 3; ++i) bus.reply("Error=Refused;CODE=03050\r\n");
  EXPECT_TRUE(printer.SendCancelJob()) << "no reply check follows: an error code still counts";
  EXPECT_TRUE(usb.linkUsable());
}

}  // namespace
}  // namespace monitor
