// Summing the usage log by user, computer or day.
#include "logrecorder/logdb/log_summary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "database/query.h"
#include "logrecorder/logdb/log_admin.h"
#include "text/codepage.h"

namespace logdb {

namespace {

enum class Kind { Print, Scan, Copy };

// Where one table keeps what the summary reads; an empty column name stands
// for a column the table does not have.
struct SourceTable {
  std::u16string_view table;
  Kind kind;
  std::u16string_view user;
  std::u16string_view computer;
  std::u16string_view time;
  std::u16string_view pages;
};

constexpr std::array<SourceTable, 5> kSources{{
    {u"PRINTDOC", Kind::Print, u"用户名", u"计算机名", u"打印时间", u"打印页数"},
    {u"PRINTDOC_NET", Kind::Print, u"用户名", u"计算机名", u"打印时间", u"打印页数"},
    {u"ScanLog", Kind::Scan, u"计算机账户名", u"计算机名", u"扫描时间", u"扫描页数"},
    {u"ScanLog_NET", Kind::Scan, u"计算机账户名", u"计算机名", u"扫描时间", u"扫描页数"},
    {u"CopyLog", Kind::Copy, u"", u"", u"复印时间", u"复印页数"},
}};

constexpr std::string_view kNoName = "(none)";
constexpr std::string_view kNoDate = "(no date)";

std::u16string column(std::u16string_view name) {
  if (name.empty()) return u"NULL";
  return u"\"" + std::u16string(name) + u"\"";
}

std::u16string selectOf(const SourceTable& source) {
  return u"SELECT " + column(source.user) + u", " + column(source.computer) + u", " +
         column(source.time) + u", " + column(source.pages) + u" FROM \"" +
         std::u16string(source.table) + u"\"";
}

std::string utf8(const std::optional<std::u16string>& value) {
  return value ? platform::text::utf16ToUtf8(*value) : std::string();
}

std::optional<std::int64_t> number(std::string_view text) {
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> digits(std::string_view text, std::size_t minLength, std::size_t maxLength) {
  if (text.size() < minLength || text.size() > maxLength) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return static_cast<int>(*number(text));
}

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

std::string groupName(SummaryGroup group, const std::string& user, const std::string& computer,
                      const std::optional<std::string>& day) {
  switch (group) {
    case SummaryGroup::All: return "all";
    case SummaryGroup::User: return user.empty() ? std::string(kNoName) : user;
    case SummaryGroup::Computer: return computer.empty() ? std::string(kNoName) : computer;
    case SummaryGroup::Day: return day ? *day : std::string(kNoDate);
  }
  return {};
}

void add(UsageCounts& counts, Kind kind, std::int64_t pages) {
  switch (kind) {
    case Kind::Print: ++counts.printJobs; counts.printPages += pages; return;
    case Kind::Scan: ++counts.scanJobs; counts.scanPages += pages; return;
    case Kind::Copy: ++counts.copyJobs; counts.copyPages += pages; return;
  }
}

bool inRange(const std::string& day, const DayRange& range) {
  return (!range.from || day >= *range.from) && (!range.to || day <= *range.to);
}

void readTable(platform::database::CDaoDatabase& database, const SourceTable& source,
               SummaryGroup group, const DayRange& range, UsageSummary& summary) {
  platform::database::DatabaseQuery query(database, selectOf(source));
  bool ranged = range.from || range.to;
  while (query.next()) {
    auto row = query.row();
    auto day = dayOf(utf8(row[2]));
    if (ranged && !day) {
      ++summary.undatedLeftOut;
      continue;
    }
    if (ranged && !inRange(*day, range)) continue;
    auto pages = number(utf8(row[3]));
    if (!pages) ++summary.unreadablePages;
    auto name = groupName(group, utf8(row[0]), utf8(row[1]), day);
    add(summary.groups[name], source.kind, pages.value_or(0));
    add(summary.total, source.kind, pages.value_or(0));
  }
}

constexpr std::array<std::string_view, 6> kCountHeaders{
    "print jobs", "print pages", "scan jobs", "scan pages", "copy jobs", "copy pages"};

std::string_view groupHeader(SummaryGroup group) {
  switch (group) {
    case SummaryGroup::All: return "records";
    case SummaryGroup::User: return "user";
    case SummaryGroup::Computer: return "computer";
    case SummaryGroup::Day: return "day";
  }
  return {};
}

std::array<std::int64_t, 6> values(const UsageCounts& c) {
  return {c.printJobs, c.printPages, c.scanJobs, c.scanPages, c.copyJobs, c.copyPages};
}

// Terminal columns of a UTF-8 text: East Asian wide characters take two.
std::size_t displayWidth(std::string_view text) {
  auto wide = platform::text::utf8ToUtf16(text);
  std::size_t width = 0;
  for (char16_t c : wide) {
    if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair
    bool isWide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                  (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                  (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                  (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0xD800 && c <= 0xDBFF);
    width += isWide ? 2 : 1;
  }
  return width;
}

}  // namespace

std::optional<std::string> dayOf(std::string_view time) {
  auto blank = time.find(' ');
  auto date = time.substr(0, blank);
  if (date.size() < 8) return std::nullopt;
  char separator = date[4];
  if (separator != '-' && separator != '/') return std::nullopt;
  auto second = date.find(separator, 5);
  if (second == std::string_view::npos) return std::nullopt;
  auto year = digits(date.substr(0, 4), 4, 4);
  auto month = digits(date.substr(5, second - 5), 1, 2);
  auto day = digits(date.substr(second + 1), 1, 2);
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 ||
      *day > daysInMonth(*year, *month)) {
    return std::nullopt;
  }
  // The parts are in range here, so each fills its width exactly.
  auto padded = [](int value, std::size_t width) {
    auto text = std::to_string(value);
    return std::string(width - std::min(width, text.size()), '0') + text;
  };
  return padded(*year, 4) + "-" + padded(*month, 2) + "-" + padded(*day, 2);
}

UsageSummary summarizeUsage(platform::database::CDaoDatabase& database, SummaryGroup group,
                            const DayRange& range) {
  UsageSummary summary;
  if (group == SummaryGroup::All) summary.groups["all"];
  for (const auto& source : kSources) readTable(database, source, group, range, summary);
  return summary;
}

void printSummaryTable(const UsageSummary& summary, SummaryGroup group, std::ostream& out) {
  std::vector<std::pair<std::string, const UsageCounts*>> lines;
  for (const auto& [name, counts] : summary.groups) lines.emplace_back(name, &counts);
  if (group != SummaryGroup::All) lines.emplace_back("total", &summary.total);

  std::size_t nameWidth = displayWidth(groupHeader(group));
  for (const auto& line : lines) nameWidth = std::max(nameWidth, displayWidth(line.first));
  auto pad = [&out](std::string_view text, std::size_t width, bool right) {
    std::string fill(width > displayWidth(text) ? width - displayWidth(text) : 0, ' ');
    if (right) out << fill << text;
    else out << text << fill;
  };

  pad(groupHeader(group), nameWidth, false);
  for (auto header : kCountHeaders) {
    out << "  ";
    pad(header, header.size(), true);
  }
  out << '\n';
  for (const auto& [name, counts] : lines) {
    pad(name, nameWidth, false);
    auto numbers = values(*counts);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      out << "  ";
      pad(std::to_string(numbers[i]), kCountHeaders[i].size(), true);
    }
    out << '\n';
  }
}

void printSummaryCsv(const UsageSummary& summary, SummaryGroup group, std::ostream& out) {
  out << groupHeader(group);
  for (auto header : kCountHeaders) out << ',' << header;
  out << "\r\n";
  for (const auto& [name, counts] : summary.groups) {
    out << csvText(name);
    for (auto value : values(counts)) out << ',' << value;
    out << "\r\n";
  }
}

}  // namespace logdb
