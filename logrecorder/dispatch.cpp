// Matching the command-line word against the five log words.
#include "logrecorder/dispatch.h"

#include <array>
#include <utility>

#include "logrecorder/record_writers.h"

namespace logrecorder {

namespace {
constexpr std::size_t kWordBufferBytes = 260;
}  // namespace

RecordWriters standardWriters() {
  return RecordWriters{writeCopyLog, writePrintLog, writePrintLogNet, writeScanLog,
                       writeScanLogNet};
}

std::string logWord(std::string_view commandLineTail) {
  return std::string(commandLineTail.substr(0, kWordBufferBytes - 1));
}

int dispatch(std::string_view commandLineTail, const RecordWriters& writers) {
  const auto word = logWord(commandLineTail);
  // Compared in this order; the first match wins.
  const std::array<std::pair<std::string_view, const std::function<int()>*>, 5> words{{
      {"CopyLog", &writers.copyLog},
      {"PrintLog", &writers.printLog},
      {"PrintLog_NET", &writers.printLogNet},
      {"ScanLog", &writers.scanLog},
      {"ScanLog_NET", &writers.scanLogNet},
  }};
  for (const auto& [name, writer] : words) {
    if (word == name) return (*writer)();
  }
  return 0;
}

}  // namespace logrecorder
