// Matching the command-line word against the five log words.
#include "logrecorder/dispatch.h"

#include <array>
#include <utility>

#include "base/diagnostics.h"
#include "logrecorder/record_rows.h"

namespace logrecorder {

namespace {
constexpr std::size_t kWordBufferBytes = 260;
}  // namespace

RecordReaders standardReaders() {
  return RecordReaders{copyLogRow, printLogRow, printLogNetRow, scanLogRow, scanLogNetRow};
}

std::string logWord(std::string_view commandLineTail) {
  return std::string(commandLineTail.substr(0, kWordBufferBytes - 1));
}

std::optional<LogRow> dispatch(std::string_view commandLineTail, const RecordReaders& readers) {
  const auto word = logWord(commandLineTail);
  // Compared in this order; the first match wins.
  const std::array<std::pair<std::string_view, const std::function<LogRow()>*>, 5> words{{
      {"CopyLog", &readers.copyLog},
      {"PrintLog", &readers.printLog},
      {"PrintLog_NET", &readers.printLogNet},
      {"ScanLog", &readers.scanLog},
      {"ScanLog_NET", &readers.scanLogNet},
  }};
  for (const auto& [name, reader] : words) {
    if (word == name) return (*reader)();
  }
  platform::base::reportProblem(
      (word.empty() ? std::string("no log word given") : "log word \"" + word + "\" not recognised") +
      " (exactly one of CopyLog, PrintLog, PrintLog_NET, ScanLog, ScanLog_NET); nothing recorded");
  return std::nullopt;
}

}  // namespace logrecorder
