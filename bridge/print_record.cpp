// The print record's values.
#include "bridge/print_record.h"

#include <ctime>

namespace bridge {
namespace {

using platform::print::JobState;

std::string localTime(std::int64_t unixSeconds) {
  std::time_t when = static_cast<std::time_t>(unixSeconds);
  std::tm parts{};
  localtime_r(&when, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

std::string resultText(JobState state) {
  switch (state) {
    case JobState::Completed: return "打印成功";
    case JobState::Canceled: return "打印取消";
    default: return "打印失败";
  }
}

}  // namespace

bool hasEnded(JobState state) {
  return state == JobState::Completed || state == JobState::Canceled || state == JobState::Aborted;
}

KeyValues printRecord(const platform::print::JobAttributes& job, const std::string& computerName) {
  int pages = job.impressionsCompleted > 0 ? job.impressionsCompleted : job.sheetsCompleted;
  return {
      {"UserName", job.user},
      {"ComputerName", computerName},
      {"strDocmentName", job.name},
      {"strPrintTime", localTime(job.createdAt)},
      {"PageNum", std::to_string(pages)},
      {"Copies", std::to_string(job.copies)},
      {"PrintResult", resultText(job.state)},
  };
}

}  // namespace bridge
