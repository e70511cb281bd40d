// Fuzz target: the code page 936 casing and conversions on any bytes. None
// may crash; casing keeps the length and settles after one pass; text that
// converts without a replacement "?" (valid GBK) comes back unchanged
// through UTF-16 and through UTF-8; the same bytes read as UTF-16LE units
// without a lone surrogate come back unchanged through UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/codepage.h"

namespace {

namespace text = platform::text;

void require(bool condition) {
  if (!condition) std::abort();
}

bool hasLoneSurrogate(std::u16string_view units) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t unit = units[i];
    bool high = unit >= 0xD800 && unit <= 0xDBFF;
    bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (low) return true;
    if (high) {
      if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return true;
      ++i;
    }
  }
  return false;
}

void checkCasing(std::string_view bytes) {
  std::string upper = text::upperAnsi(bytes);
  std::string lower = text::lowerAnsi(bytes);
  require(upper.size() == bytes.size() && lower.size() == bytes.size());
  require(text::upperAnsi(upper) == upper);
  require(text::lowerAnsi(upper) == lower);
}

void checkAnsi(std::string_view bytes) {
  std::u16string utf16 = text::ansiToUtf16(bytes);
  std::string utf8 = text::ansiToUtf8(bytes);
  bool valid = bytes.find('?') == std::string_view::npos &&
               utf16.find(u'?') == std::u16string::npos;
  if (!valid) return;
  require(text::utf16ToAnsi(utf16) == bytes);
  require(text::utf8ToAnsi(utf8) == bytes);
  require(text::utf16ToUtf8(utf16) == utf8);
}

void checkUtf16(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    auto low = static_cast<unsigned char>(bytes[2 * i]);
    auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(low | (high << 8));
  }
  [[maybe_unused]] std::string ansi = text::utf16ToAnsi(units);
  std::string utf8 = text::utf16ToUtf8(units);
  if (!hasLoneSurrogate(units)) require(text::utf8ToUtf16(utf8) == units);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  checkCasing(bytes);
  checkAnsi(bytes);
  checkUtf16(bytes);
  // The same bytes as UTF-8, valid or not.
  [[maybe_unused]] std::u16string fromUtf8 = text::utf8ToUtf16(bytes);
  [[maybe_unused]] std::string ansiFromUtf8 = text::utf8ToAnsi(bytes);
  return 0;
}
