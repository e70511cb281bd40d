// Composing the status texts.
#include "monitor/ui/message_texts.h"

#include <cstdio>

namespace monitor {

std::string cutAnsi(std::string_view text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    auto byte = static_cast<unsigned char>(text[end]);
    std::size_t width = (byte >= 0x81 && byte <= 0xFE && end + 1 < text.size()) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return std::string(text.substr(0, end));
}

std::string fillCodeTemplate(std::string_view pattern, std::string_view codeText) {
  auto at = pattern.find("%s");
  if (at == std::string_view::npos) return std::string(pattern);
  std::string out(pattern.substr(0, at));
  out += codeText;
  out += pattern.substr(at + 2);
  return out;
}

MessageTexts composeMessageTexts(const StatusRow& row, const MessageReader& read) {
  std::string name(statusName(row.messageIndex));
  char code[16];
  std::snprintf(code, sizeof code, "%04d", static_cast<int>(row.code));

  MessageTexts texts;
  texts.title = read(name) + "\r\n" + fillCodeTemplate(read(name + "c2"), code);
  texts.title = cutAnsi(texts.title, kTitleLimit);
  for (int i = 1; i <= 9; ++i) {
    auto line = read(name + "i" + std::to_string(i));
    if (line.empty()) break;
    if ((i == 2 || i == 3) && row.messageIndex == kRowConsumablesNearEnd) texts.information += "    ";
    texts.information += line + "\r\n";
  }
  texts.information = cutAnsi(texts.information, kInformationLimit);
  return texts;
}

}  // namespace monitor
