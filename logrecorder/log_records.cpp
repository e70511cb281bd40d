// Reading the record sections through the UTF-16 profile functions.
#include "logrecorder/log_records.h"

#include "profile/profile.h"

namespace logrecorder {

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The value as the 260-unit buffer holds it, but never cut inside a
// surrogate pair: a pair that would straddle the cut is left out whole.
// One unit more is read than the buffer holds to see whether it does.
std::u16string fittedText(std::u16string value) {
  constexpr std::size_t kLongest = kTextBufferUnits - 1;
  if (value.size() > kLongest) {
    bool splitsPair = isHighSurrogate(value[kLongest - 1]) && isLowSurrogate(value[kLongest]);
    value.resize(splitsPair ? kLongest - 1 : kLongest);
  }
  return value;
}

// A surrogate without its partner is no character, and no reader of the
// database could decode the bytes it would become: it is stored as U+FFFD.
std::u16string withoutLoneSurrogates(std::u16string value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (isHighSurrogate(value[i]) && i + 1 < value.size() && isLowSurrogate(value[i + 1])) {
      ++i;
    } else if (isHighSurrogate(value[i]) || isLowSurrogate(value[i])) {
      value[i] = u'\uFFFD';
    }
  }
  return value;
}

std::u16string text(const std::filesystem::path& source, std::u16string_view section,
                    std::u16string_view key) {
  auto value = platform::profile::getStringW(source, section, key, u"", kTextBufferUnits + 1);
  return withoutLoneSurrogates(fittedText(std::move(value)));
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
