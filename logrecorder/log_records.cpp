// Reading the record sections through the UTF-16 profile functions.
#include "logrecorder/log_records.h"

#include "profile/profile.h"

namespace logrecorder {

namespace {

std::u16string text(const std::filesystem::path& source, std::u16string_view section,
                    std::u16string_view key) {
  return platform::profile::getStringW(source, section, key, u"", kTextBufferUnits);
}

int integer(const std::filesystem::path& source, std::u16string_view section,
            std::u16string_view key) {
  return platform::profile::getIntW(source, section, key, 0);
}

}  // namespace

// Each reader reads its keys in the order of its section's table; the
// designated initialisers keep that order visible.
PrintRecord readPrintRecord(const std::filesystem::path& source) {
  constexpr std::u16string_view kSection = u"PRINT";
  return PrintRecord{
      .userName = text(source, kSection, u"UserName"),
      .computerName = text(source, kSection, u"ComputerName"),
      .documentName = text(source, kSection, u"strDocmentName"),
      .printTime = text(source, kSection, u"strPrintTime"),
      .pageNum = integer(source, kSection, u"PageNum"),
      .copies = integer(source, kSection, u"Copies"),
      .printResult = text(source, kSection, u"PrintResult"),
  };
}

ScanRecord readScanRecord(const std::filesystem::path& source) {
  constexpr std::u16string_view kSection = u"ScanLog";
  return ScanRecord{
      .pages = integer(source, kSection, u"Pages"),
      .docName = text(source, kSection, u"DocName"),
      .scanSource = text(source, kSection, u"ScanSource"),
      .scanMode = text(source, kSection, u"ScanMode"),
      .resolution = text(source, kSection, u"Resolution"),
      .time = text(source, kSection, u"Time"),
      .result = text(source, kSection, u"Result"),
  };
}

CopyRecord readCopyRecord(const std::filesystem::path& source) {
  constexpr std::u16string_view kSection = u"CopyLog";
  return CopyRecord{
      .copyPages = integer(source, kSection, u"copypages"),
      .printPages = integer(source, kSection, u"printpages"),
      .time = text(source, kSection, u"time"),
  };
}

}  // namespace logrecorder
