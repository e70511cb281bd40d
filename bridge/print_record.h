// The "PRINT" record of an ended job, as the usage log recorder reads it
// (UTF-8 here; the writer stores it in the ANSI code page):
//   "UserName"        job-originating-user-name
//   "ComputerName"    this machine's host name
//   "strDocmentName"  job-name
//   "strPrintTime"    the job's creation, local time, "YYYY-MM-DD HH:MM:SS"
//   "PageNum"         impressions completed, else media sheets completed
//   "Copies"          copies
//   "PrintResult"     "打印成功" completed, "打印取消" canceled, "打印失败" aborted
#pragma once

#include <string>

#include "bridge/job_settings.h"
#include "print/print_server.h"

namespace bridge {

bool hasEnded(platform::print::JobState state);

KeyValues printRecord(const platform::print::JobAttributes& job, const std::string& computerName);

}  // namespace bridge
