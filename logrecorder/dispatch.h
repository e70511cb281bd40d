// The dispatch from the command-line word to one record writer.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace logrecorder {

// The writer of each log word.
struct RecordWriters {
  std::function<int()> copyLog;      // "CopyLog"
  std::function<int()> printLog;     // "PrintLog"
  std::function<int()> printLogNet;  // "PrintLog_NET"
  std::function<int()> scanLog;      // "ScanLog"
  std::function<int()> scanLogNet;   // "ScanLog_NET"
};

// The writers of record_writers.h.
RecordWriters standardWriters();

// The word as its 260-byte buffer holds it: the first 259 bytes of the
// command-line tail.
std::string logWord(std::string_view commandLineTail);

// Runs the writer whose word equals the word byte for byte (whole text,
// letter case and all) and returns its result; 0 when no word matches.
int dispatch(std::string_view commandLineTail, const RecordWriters& writers);

}  // namespace logrecorder
