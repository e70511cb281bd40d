// The Windows form of the command line.
#include "base/command_line.h"

namespace platform::base {

namespace {

bool needsQuotes(std::string_view word, bool last) {
  if (word.empty()) return !last;
  return word.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

// A word quoted so that the Windows argument rules give it back unchanged:
// backslashes are doubled only where a quote follows them.
void appendQuoted(std::string& line, std::string_view word) {
  line += '"';
  std::size_t backslashes = 0;
  for (char c : word) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, '\\');
  line += '"';
}

}  // namespace

std::string commandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string_view word = argv[i];
    if (i > 0) line += ' ';
    if (i == 0) {
      // The program path takes no escapes: it runs to its closing quote.
      bool quote = word.empty() || word.find_first_of(" \t") != std::string_view::npos;
      if (quote) line += '"';
      line += word;
      if (quote) line += '"';
    } else if (needsQuotes(word, i == argc - 1)) {
      appendQuoted(line, word);
    } else {
      line += word;
    }
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
