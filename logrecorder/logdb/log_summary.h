// The usage summary of `qz3317vt-logdb summary`: jobs and pages of prints,
// scans and copies from the usage log, per user, computer or day, over an
// inclusive range of days.
//
// Prints are the rows of PRINTDOC and PRINTDOC_NET (pages: 打印页数, as the
// driver counted them; copies are not multiplied in), scans those of
// ScanLog and ScanLog_NET (扫描页数), copies those of CopyLog (复印页数).
// The user of a print is 用户名 and of a scan 计算机账户名; the computer is
// 计算机名; copies carry neither and fall in the group "(none)", as do rows
// whose name is empty. The day is read from the start of the row's time
// text (see dayOf); rows without one fall in "(no date)" and, when a range
// is given, are left out and counted.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "database/database.h"

namespace logdb {

enum class SummaryGroup { All, User, Computer, Day };

// Days as YYYY-MM-DD, both ends included; an end left out is open.
struct DayRange {
  std::optional<std::string> from;
  std::optional<std::string> to;
};

struct UsageCounts {
  std::int64_t printJobs = 0;
  std::int64_t printPages = 0;
  std::int64_t scanJobs = 0;
  std::int64_t scanPages = 0;
  std::int64_t copyJobs = 0;
  std::int64_t copyPages = 0;
  bool operator==(const UsageCounts&) const = default;
};

struct UsageSummary {
  std::map<std::string, UsageCounts> groups;  // by group name (UTF-8), in byte order
  UsageCounts total;
  std::size_t undatedLeftOut = 0;    // rows without a day, left out because of a range
  std::size_t unreadablePages = 0;   // page counts that are no number, taken as 0
};

// The day a time text begins with, as YYYY-MM-DD: a four-digit year, a
// month and a day of one or two digits, separated by "-" or "/", forming a
// real date, and then the end of the text or a blank. Nothing otherwise.
std::optional<std::string> dayOf(std::string_view time);

// Reads the five tables. Throws platform::database::CDaoException when a
// table or column is missing or the engine fails.
UsageSummary summarizeUsage(platform::database::CDaoDatabase& database, SummaryGroup group,
                            const DayRange& range);

// A table for a terminal: a header, one line per group and, unless the
// grouping is All, a total line; columns aligned, wide characters counted
// as two.
void printSummaryTable(const UsageSummary& summary, SummaryGroup group, std::ostream& out);

// CSV (RFC 4180, CRLF): a header and one line per group, no total.
void printSummaryCsv(const UsageSummary& summary, SummaryGroup group, std::ostream& out);

}  // namespace logdb
