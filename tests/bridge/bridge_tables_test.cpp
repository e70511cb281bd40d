// The bridge's tables: printer states to status codes, job attributes to
// "JobInfo" numbers, the recorded jobs across restarts.
#include <gtest/gtest.h>

#include <algorithm>

#include "bridge/job_settings.h"
#include "bridge/reason_map.h"
#include "bridge/recorded_jobs.h"
#include "monitor/core/status_table.h"
#include "tests/support/temp_root.h"

namespace {

using platform::print::QueueState;

struct StateCase {
  const char* name;
  QueueState state;
  std::vector<std::string> reasons;
  int code;
};

class ReasonMapping : public ::testing::TestWithParam<StateCase> {};

TEST_P(ReasonMapping, GivesTheStatusCode) {
  EXPECT_EQ(bridge::statusCodeFor(GetParam().state, GetParam().reasons), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReasonMapping,
    ::testing::Values(
        StateCase{"IdleWithoutReasonIsReady", QueueState::Idle, {}, 10001},
        StateCase{"ProcessingIsPrinting", QueueState::Processing, {}, 10023},
        StateCase{"StoppedWithoutKnownReasonIsMachineError", QueueState::Stopped, {"cups-waiting-for-job-completed"}, 60030},
        StateCase{"JamWithSeverityIsTheTrayJam", QueueState::Idle, {"media-jam-error"}, 44114},
        StateCase{"JamWithoutSeverity", QueueState::Processing, {"media-jam"}, 44114},
        StateCase{"DoorOpenIsCoverOpen", QueueState::Stopped, {"door-open-error"}, 40021},
        StateCase{"CoverOpenReport", QueueState::Idle, {"cover-open-report"}, 40021},
        StateCase{"TonerEmptyIsReplaceToner", QueueState::Idle, {"toner-empty-error"}, 40309},
        StateCase{"TonerLowIsTheTonerWarning", QueueState::Processing, {"toner-low-warning"}, 10209},
        StateCase{"MarkerSupplyLowIsTheConsumablesWarning", QueueState::Idle, {"marker-supply-low-warning"}, 10205},
        StateCase{"MediaEmptyIsNoPaper", QueueState::Idle, {"media-empty-error"}, 41901},
        StateCase{"MediaNeededIsNoPaper", QueueState::Processing, {"media-needed"}, 41901},
        StateCase{"OfflineIsTheCommunicationError", QueueState::Stopped, {"offline-report"}, 50001},
        StateCase{"PausedQueueWaits", QueueState::Stopped, {"paused"}, 10003},
        StateCase{"UnknownReasonFollowsTheState", QueueState::Processing, {"com.example-unknown-error"}, 10023},
        StateCase{"ErrorWinsOverAnEarlierWarning", QueueState::Processing, {"toner-low-warning", "media-jam-error"}, 44114},
        StateCase{"EarlierRowWinsAmongErrors", QueueState::Stopped, {"media-empty-error", "cover-open-error"}, 40021},
        StateCase{"WarningWinsOverPaused", QueueState::Stopped, {"paused", "toner-low"}, 10209}),
    [](const ::testing::TestParamInfo<StateCase>& c) { return std::string(c.param.name); });

TEST(ReasonTable, EveryCodeIsAStatusTableRowOfTheKindTheBridgeAssumes) {
  auto rowOf = [](int code) {
    return std::find_if(monitor::kStatusTable.begin(), monitor::kStatusTable.end(),
                        [&](const monitor::StatusRow& row) { return row.code == code; });
  };
  for (const bridge::ReasonRow& row : bridge::reasonTable()) {
    auto found = rowOf(row.code);
    ASSERT_NE(found, monitor::kStatusTable.end()) << row.reason;
    EXPECT_EQ(bridge::isErrorOrWarning(row.code), found->kind != monitor::StatusKind::Normal) << row.reason;
  }
  EXPECT_TRUE(bridge::isErrorOrWarning(bridge::kStoppedCode));
  EXPECT_FALSE(bridge::isErrorOrWarning(bridge::kReadyCode));
  EXPECT_FALSE(bridge::isErrorOrWarning(1001)) << "the window's answer code is no status";
}

TEST(ReasonTable, SeverityIsStrippedOnlyAsASuffix) {
  EXPECT_EQ(bridge::withoutSeverity("media-jam-error"), "media-jam");
  EXPECT_EQ(bridge::withoutSeverity("toner-low-warning"), "toner-low");
  EXPECT_EQ(bridge::withoutSeverity("offline-report"), "offline");
  EXPECT_EQ(bridge::withoutSeverity("-error"), "-error");
  EXPECT_EQ(bridge::withoutSeverity("paused"), "paused");
}

std::string value(const bridge::KeyValues& values, const std::string& key) {
  for (const auto& [name, text] : values)
    if (name == key) return text;
  return "<none>";
}

TEST(JobSettings, AttributesBecomeTheWindowsNumbers) {
  platform::print::JobAttributes job;
  job.copies = 3;
  job.media = "na_letter_8.5x11in";
  job.mediaSource = "manual";
  job.mediaType = "stationery-heavyweight";
  job.xResolution = job.yResolution = 1200;
  auto values = bridge::jobSettings(job);
  EXPECT_EQ(value(values, "Copies"), "3");
  EXPECT_EQ(value(values, "PaperSize"), "5");
  EXPECT_EQ(value(values, "PaperSource"), "2");
  EXPECT_EQ(value(values, "PaperType"), "1");
  EXPECT_EQ(value(values, "xResolution"), "1") << "the window shows (1 + 1) * 600";
  EXPECT_EQ(value(values, "yResolution"), "1200");
  EXPECT_EQ(value(values, "ZoomOptions"), "0");
}

TEST(JobSettings, MissingAttributesGiveTheDefaults) {
  auto values = bridge::jobSettings({});
  EXPECT_EQ(value(values, "Copies"), "1");
  EXPECT_EQ(value(values, "PaperSize"), "0");
  EXPECT_EQ(value(values, "PaperSource"), "0");
  EXPECT_EQ(value(values, "xResolution"), "0");
  EXPECT_EQ(value(values, "yResolution"), "600");
}

TEST(JobSettings, MediaNamesAndSources) {
  EXPECT_EQ(bridge::paperSizeNumber("A4"), 0);
  EXPECT_EQ(bridge::paperSizeNumber("iso_a5_148x210mm"), 2);
  EXPECT_EQ(bridge::paperSizeNumber("Legal"), 7);
  EXPECT_EQ(bridge::paperSizeNumber("iso_dl_110x220mm"), 16);
  EXPECT_EQ(bridge::paperSizeNumber("custom_100x100mm"), 22) << "custom size";
  EXPECT_EQ(bridge::paperSourceNumber("auto"), 0);
  EXPECT_EQ(bridge::paperSourceNumber("tray-1"), 1);
  EXPECT_EQ(bridge::paperSourceNumber("by-pass-tray"), 2);
}

TEST(RecordedJobs, SurviveARestartAndKeepTheirFirstStart) {
  testing_support::TempFolder folder;
  auto file = folder / "state/recorded-jobs";
  {
    bridge::RecordedJobs jobs(file, 1000);
    EXPECT_EQ(jobs.since(), 1000);
    EXPECT_TRUE(jobs.add("127.0.0.1:631", "qz", 7, 1500));
  }
  bridge::RecordedJobs again(file, 2000);
  EXPECT_EQ(again.since(), 1000) << "the first start stays";
  EXPECT_TRUE(again.contains("127.0.0.1:631", "qz", 7, 1500));
  EXPECT_FALSE(again.contains("127.0.0.1:631", "qz", 7, 1600)) << "same number, a later job";
  EXPECT_FALSE(again.contains("127.0.0.1:631", "other", 7, 1500));
}

}  // namespace
