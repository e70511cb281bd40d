// The dispatch from the command-line word to one record writer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "logrecorder/log_row.h"

namespace logrecorder {

// The row reader of each log word.
struct RecordReaders {
  std::function<LogRow()> copyLog;      // "CopyLog"
  std::function<LogRow()> printLog;     // "PrintLog"
  std::function<LogRow()> printLogNet;  // "PrintLog_NET"
  std::function<LogRow()> scanLog;      // "ScanLog"
  std::function<LogRow()> scanLogNet;   // "ScanLog_NET"
};

// The readers of record_rows.h.
RecordReaders standardReaders();

// The word as its 260-byte buffer holds it: the first 259 bytes of the
// command-line tail.
std::string logWord(std::string_view commandLineTail);

// Runs the reader whose word equals the word byte for byte (whole text,
// letter case and all) and returns its row; nullopt when no word matches,
// after one line on standard error that names the word.
std::optional<LogRow> dispatch(std::string_view commandLineTail, const RecordReaders& readers);

}  // namespace logrecorder
