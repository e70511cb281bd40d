// The Windows form of the command line.
#include "base/command_line.h"

namespace platform::base {

std::string commandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string_view word = argv[i];
    if (i > 0) line += ' ';
    bool quote = i == 0 && word.find(' ') != std::string_view::npos;
    if (quote) line += '"';
    line += word;
    if (quote) line += '"';
  }
  return line;
}

std::string commandLineTail(std::string_view line) {
  std::size_t pos = 0;
  if (!line.empty() && line[0] == '"') {
    auto close = line.find('"', 1);
    pos = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
  }
  // Blanks and control characters between the path and the tail.
  while (pos < line.size() && static_cast<unsigned char>(line[pos]) <= ' ') ++pos;
  return std::string(line.substr(pos));
}

}  // namespace platform::base
