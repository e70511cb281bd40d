// Reply parsing: "CODE=" lines into status entries.
#include "monitor/core/status_entry.h"

#include <string_view>

namespace monitor {

namespace {

constexpr std::string_view kCodeTag = "CODE=";

// Some code families report a sub-code in their last two digits that the
// monitor does not tell apart; they all stand for the family's first code.
void foldSubCode(char (&code)[5]) {
  static constexpr std::string_view kFamilies[] = {"112", "113", "114", "410",
                                                   "412", "413", "414", "419"};
  std::string_view head(code, 3);
  for (auto family : kFamilies) {
    if (head == family) {
      code[3] = '0';
      code[4] = '1';
      return;
    }
  }
}

// A standard decimal conversion: blanks, a sign, digits up to a non-digit.
std::int32_t decimalValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

// Splits the fields before "CODE=" into the entry's two texts.
void takeTexts(std::string_view fields, StatusEntry& entry) {
  if (!fields.empty() && fields.back() == ';') fields.remove_suffix(1);
  auto last = fields.rfind(';');
  std::string_view second = last == std::string_view::npos ? fields : fields.substr(last + 1);
  std::string_view first;
  if (last != std::string_view::npos) {
    auto before = fields.substr(0, last);
    auto prev = before.rfind(';');
    first = prev == std::string_view::npos ? before : before.substr(prev + 1);
  }
  entry.firstText = std::string(first.substr(0, kFirstTextLimit));
  entry.secondText = std::string(second.substr(0, kSecondTextLimit));
}

}  // namespace

int parseReplyInto(std::span<const std::uint8_t> data, StatusList& list) {
  list = StatusList{};
  if (data.empty()) return 0;
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  std::size_t lineStart = 0;
  for (std::size_t j = 0; j < text.size(); ++j) {
    if (text[j] != '\n') continue;
    bool statusLine = j >= 11 && text[j - 1] == '\r' && text.substr(j - 11, 5) == kCodeTag;
    if (statusLine) {
      if (static_cast<std::size_t>(list.count) == kMaxStatusEntries) break;
      char code[5];
      text.copy(code, 5, j - 6);
      foldSubCode(code);
      auto& entry = list.entries[static_cast<std::size_t>(list.count++)];
      entry.code = decimalValue(std::string_view(code, 5));
      // The fields start at the line's start, which may lie inside the
      // eleven bytes when a line is shorter than a full status line.
      std::size_t fieldsEnd = j - 11;
      takeTexts(lineStart <= fieldsEnd ? text.substr(lineStart, fieldsEnd - lineStart) : "", entry);
    }
    lineStart = j + 1;
  }
  return 1;
}

bool isReplyErrorCode(std::int32_t code) {
  return code == 3030 || (code >= 3039 && code <= 3064) || (code >= 3071 && code <= 3074) ||
         code == 3171 || code == 3172 || code == 4000;
}

}  // namespace monitor
