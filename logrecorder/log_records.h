// The usage records that the driver leaves in the record files: sections
// "PRINT", "ScanLog" and "CopyLog", read key by key in their fixed order.
//
// Text keys are read with an empty default into a buffer of 260 UTF-16
// units, so a longer value arrives as its first 259 units, or 258 where the
// cut would split a surrogate pair; a surrogate without its partner becomes
// U+FFFD. Integer keys default to 0. A missing file, section or key gives these defaults. No
// value is interpreted: each is passed on as it was read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace logrecorder {

// The buffer of a text key, terminator included.
inline constexpr std::size_t kTextBufferUnits = 260;

struct PrintRecord {
  std::u16string userName;      // "UserName"
  std::u16string computerName;  // "ComputerName"
  std::u16string documentName;  // "strDocmentName"
  std::u16string printTime;     // "strPrintTime"
  int pageNum = 0;              // "PageNum"
  int copies = 0;               // "Copies"
  std::u16string printResult;   // "PrintResult"
};

struct ScanRecord {
  int pages = 0;               // "Pages"
  std::u16string docName;      // "DocName"
  std::u16string scanSource;   // "ScanSource"
  std::u16string scanMode;     // "ScanMode"
  std::u16string resolution;   // "Resolution"
  std::u16string time;         // "Time"
  std::u16string result;       // "Result"
};

struct CopyRecord {
  int copyPages = 0;    // "copypages"
  int printPages = 0;   // "printpages"
  std::u16string time;  // "time"
};

// Section "PRINT" of the exchange file or the network exchange file.
PrintRecord readPrintRecord(const std::filesystem::path& source);
// Section "ScanLog" of the settings file or the network settings file.
ScanRecord readScanRecord(const std::filesystem::path& source);
// Section "CopyLog" of the settings file.
CopyRecord readCopyRecord(const std::filesystem::path& source);

}  // namespace logrecorder
