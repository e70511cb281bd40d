// The built monitor against the simulated printer: the refresh modes, the
// command batch, a silent or vanishing printer, and a parallel port.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <chrono>

#include "tests/support/printer_fixture.h"

namespace {

using testing_support::sent;

constexpr const char* kUsbPort = "[DRVSPA]\r\nzPort=USB001\r\n";

class MonitorLink : public testing_support::SimulatedPrinter {};

TEST_F(MonitorLink, RefreshWritesEveryKeyInOrder) {
  startPrinter(
      "value.SleepMode = Off\nvalue.CassettePaper = Letter\nvalue.FeedOffset = -1.5\n"
      "value.OPLVersion = 1234\nvalue.CommMode = Full\nstatus = 44114\n");
  writeExchange(kUsbPort);
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
  EXPECT_EQ(requests(), sent("Version?") + sent("Features?") + sent("SER.Features?") +
                            sent("CSICValues?") + sent("OPCValues?") + sent("USBInfo?") +
                            sent("Status?"));
}

TEST_F(MonitorLink, DeviceRefreshAsksNoStatus) {
  startPrinter();
  writeExchange(kUsbPort);
  runMonitor("DRV");
  EXPECT_EQ(requests(), sent("Version?") + sent("Features?") + sent("SER.Features?") +
                            sent("CSICValues?") + sent("OPCValues?") + sent("USBInfo?"));
}

TEST_F(MonitorLink, FailedQueryEndsTheSequence) {
  startPrinter("reply.SER.Features? = busy\\r\\n\n");
  writeExchange(kUsbPort);
  runMonitor("DRV");
  EXPECT_EQ(requests(), sent("Version?") + sent("Features?") + sent("SER.Features?"));
  auto file = exchange();
  EXPECT_NE(file.find("AvailableMemory=96MB"), std::string::npos) << "the features are kept";
  EXPECT_EQ(file.find("TotalPages"), std::string::npos);
}

TEST_F(MonitorLink, UnknownCodeIsDrainedWithAnExtraRead) {
  startPrinter(
      "reply.CSICValues? = TonerRemain=55;CODE=00300\\r\\nX=1;CODE=00999\\r\\n\n"
      "chunks.CSICValues? = 1\n");
  writeExchange(kUsbPort);
  runMonitor("DRV");
  auto file = exchange();
  EXPECT_NE(file.find("TonerRemain=55"), std::string::npos);
  EXPECT_NE(file.find("OPCRemain=90"), std::string::npos) << "the link stayed usable";
  EXPECT_NE(file.find("STMreaddata=0"), std::string::npos);
}

TEST_F(MonitorLink, ParallelPortSendsNothing) {
  startPrinter();
  writeExchange("[DRVSPA]\r\nzPort=LPT1\r\n");
  runMonitor("INI");
  EXPECT_EQ(requests(), "");
  EXPECT_EQ(exchange(), "[DRVSPA]\r\nzPort=LPT1\r\n");
}

TEST_F(MonitorLink, SilentPrinterCostsOneReadLimit) {
  useRealReadLimit();
  startPrinter("fault.Version? = noreply\n");
  writeExchange(kUsbPort);
  auto start = std::chrono::steady_clock::now();
  runMonitor("INI");
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(10000)) << "the first read waits out its limit";
  // The later passes still write, then nothing more is sent.
  EXPECT_EQ(requests(), sent("Version?"));
  EXPECT_NE(exchange().find("STMreaddata=0"), std::string::npos);
  EXPECT_EQ(exchange().find("[DRVGET]"), std::string::npos);
}

// A reply longer than the 512-byte read: as on a bulk stream, the rest of it
// is what the next read gets, and every pass sends the request again, so
// the replies drift behind the requests.
TEST_F(MonitorLink, TailOfALongReplyIsTheNextPassesReply) {
  startPrinter("fault.Features? = long-reply\n");
  writeExchange(kUsbPort);
  runMonitor("DRV");
  // "Features?": pass 1 reads the first reply's head, pass 2 its tail (free
  // text, no entry), pass 3 the second reply's head, whose seven items are
  // stored. "SER.Features?": its passes read the second reply's tail, the
  // third reply's head and then that reply's tail; the last pass leaves no
  // entry, so the query fails and the sequence ends there.
  EXPECT_EQ(requests(), sent("Version?") + sent("Features?") + sent("SER.Features?"));
  auto file = exchange();
  EXPECT_NE(file.find("SleepMode=15\r\nCassettePaper=Auto"), std::string::npos) << file;
  EXPECT_NE(file.find("AvailableMemory=96MB"), std::string::npos) << file;
  EXPECT_EQ(file.find("TotalPages"), std::string::npos) << file;
  EXPECT_NE(file.find("STMreaddata=0"), std::string::npos) << file;
}

// Every way out of a transaction or an extra read leaves "STMreaddata" at
// "0". Each case names a key the run still stores and one it no longer
// reaches.
struct FaultCase {
  const char* scenario;
  const char* stored;
  const char* missing;
};

class MonitorLinkFaults : public testing_support::SimulatedPrinter,
                          public ::testing::WithParamInterface<FaultCase> {};

TEST_P(MonitorLinkFaults, ReadDataFlagEndsClear) {
  const auto& c = GetParam();
  startPrinter(c.scenario);
  writeExchange(kUsbPort);
  auto result = runMonitor("INI");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  auto file = exchange();
  EXPECT_NE(file.find("STMreaddata=0"), std::string::npos) << c.scenario;
  EXPECT_EQ(file.find("STMreaddata=1"), std::string::npos) << c.scenario;
  EXPECT_NE(file.find(c.stored), std::string::npos) << c.scenario;
  if (*c.missing) {
    EXPECT_EQ(file.find(c.missing), std::string::npos) << c.scenario;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, MonitorLinkFaults,
    ::testing::Values(
        FaultCase{"fault.Features? = unplug-during-read\n", "FWVersion=", "InstalledMemory="},
        // A reply beyond 512 bytes: its tail is the next read's (see below).
        FaultCase{"fault.Features? = long-reply\n", "AvailableMemory=", "TotalPages="},
        // A zero byte after the first line ends the reply there.
        FaultCase{"fault.Features? = zero-byte\n", "SleepMode=", "CassettePaper="},
        // 35 lines are 1050 bytes: the passes read 512, 512 and the last 26,
        // which hold only the end of the last line, AvailableMemory.
        FaultCase{"lines.Features? = 35\n", "AvailableMemory=", "InstalledMemory="},
        // An error code is no item: one further chunk is drained, the rest stored.
        FaultCase{"error.Features? = 3050\nchunks.Features? = 1\n", "TotalPages=", "InstalledMemory="},
        // Four bytes a call: "Features?" fits in three calls, "SER.Features?" not.
        FaultCase{"short-write = 4\n", "InstalledMemory=", "TotalPages="},
        // An unknown code with no chunk to drain: the extra read waits out its
        // limit and drops the link, and the next query's stale entries wait again.
        FaultCase{"reply.Features? = X=1;CODE=00999\\r\\n\n",
                  "FWVersion=", "TotalPages="}),
    testing_support::CaseNameFrom<&FaultCase::scenario>{});

TEST_F(MonitorLink, CommandBatchReportsTheLastResult) {
  startPrinter();
  writeExchange(std::string(kUsbPort) +
                "[DRVCMD]\r\nMaxCount=2\r\nCmd1=SleepMode=30\r\nCmd2=Bogus=1\r\n");
  auto result = runMonitor("CMD");
  // The refusal carries a reply error code, which drops the link: the two
  // further attempts fail at once without reaching the printer.
  EXPECT_EQ(requests(), "SleepMode=30;\nBogus=1;\n");
  EXPECT_NE(exchange().find("[DRVCMD]\r\nMaxCount=2\r\nCmd1=SleepMode=30\r\nCmd2=Bogus=1\r\n"
                            "Run=0\r\nResult=0\r\n"),
            std::string::npos);
  EXPECT_NE(result.err.find("ERROR!"), std::string::npos) << "the failure box";
  EXPECT_NE(result.err.find("Flash Writing Error"), std::string::npos);
}

}  // namespace
