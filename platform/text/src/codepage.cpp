// Code page 936 text: multibyte-aware case mapping and conversions to and
// from UTF-8 and UTF-16 through glibc's iconv.
#include "text/codepage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace platform::text {

namespace {

constexpr const char* kAnsi = "CP936";
constexpr const char* kUtf8 = "UTF-8";
// char16_t holds code units in host byte order.
constexpr const char* kUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

enum class Encoding { ansi, utf8, utf16 };

// The length of the well-formed UTF-8 sequence at `in`, or 1 for a byte
// that starts none.
std::size_t utf8SequenceLength(const unsigned char* in, std::size_t left) {
  std::size_t length = in[0] >= 0xF0 && in[0] <= 0xF4   ? 4
                       : in[0] >= 0xE0 && in[0] <= 0xEF ? 3
                       : in[0] >= 0xC2 && in[0] <= 0xDF ? 2
                                                        : 1;
  if (length > left) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((in[i] & 0xC0) != 0x80) return 1;
  }
  return length;
}

const char* iconvName(Encoding encoding) {
  switch (encoding) {
    case Encoding::ansi: return kAnsi;
    case Encoding::utf8: return kUtf8;
    case Encoding::utf16: return kUtf16;
  }
  return kUtf8;
}

// How many input bytes one character takes that failed to convert, so that
// one "?" stands for one character.
std::size_t badCharLength(Encoding from, const unsigned char* in, std::size_t left) {
  switch (from) {
    case Encoding::ansi:
      return isLeadByte(in[0]) && left >= 2 && isTrailByte(in[1]) ? 2 : 1;
    case Encoding::utf8:
      return utf8SequenceLength(in, left);
    case Encoding::utf16: {
      if (left < 4) return left < 2 ? left : 2;
      char16_t first = 0;
      char16_t second = 0;
      std::memcpy(&first, in, 2);
      std::memcpy(&second, in + 2, 2);
      bool pair = first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF;
      return pair ? 4 : 2;
    }
  }
  return 1;
}

// One iconv descriptor per direction and thread, opened on first use and
// closed when the thread ends.
class Converter {
 public:
  Converter(Encoding from, Encoding to)
      : from_(from), handle_(::iconv_open(iconvName(to), iconvName(from))) {
    std::u16string_view question = u"?";
    if (to == Encoding::utf16) {
      replacement_.assign(reinterpret_cast<const char*>(question.data()), 2);
    } else {
      replacement_ = "?";
    }
  }
  ~Converter() {
    if (handle_ != invalidHandle()) ::iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of input; a character that does not convert becomes "?".
  std::string run(std::string_view input) {
    std::string output;
    if (input.empty()) return output;
    if (handle_ == invalidHandle()) return replacement_;
    ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::string chunk(4096, '\0');
    while (inLeft > 0) {
      char* out = chunk.data();
      std::size_t outLeft = chunk.size();
      std::size_t result = ::iconv(handle_, &in, &inLeft, &out, &outLeft);
      int error = errno;
      output.append(chunk.data(), chunk.size() - outLeft);
      if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
      // EILSEQ or EINVAL: replace the character that failed and go on.
      std::size_t skip = badCharLength(from_, reinterpret_cast<const unsigned char*>(in), inLeft);
      in += skip;
      inLeft -= skip;
      output += replacement_;
      ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return output;
  }

 private:
  static iconv_t invalidHandle() { return reinterpret_cast<iconv_t>(-1); }

  Encoding from_;
  iconv_t handle_;
  std::string replacement_;
};

std::string convert(Encoding from, Encoding to, std::string_view input) {
  thread_local Converter ansiToUtf16Converter(Encoding::ansi, Encoding::utf16);
  thread_local Converter utf16ToAnsiConverter(Encoding::utf16, Encoding::ansi);
  thread_local Converter utf8ToUtf16Converter(Encoding::utf8, Encoding::utf16);
  thread_local Converter utf16ToUtf8Converter(Encoding::utf16, Encoding::utf8);
  thread_local Converter ansiToUtf8Converter(Encoding::ansi, Encoding::utf8);
  thread_local Converter utf8ToAnsiConverter(Encoding::utf8, Encoding::ansi);
  if (from == Encoding::ansi && to == Encoding::utf16) return ansiToUtf16Converter.run(input);
  if (from == Encoding::utf16 && to == Encoding::ansi) return utf16ToAnsiConverter.run(input);
  if (from == Encoding::utf8 && to == Encoding::utf16) return utf8ToUtf16Converter.run(input);
  if (from == Encoding::utf16 && to == Encoding::utf8) return utf16ToUtf8Converter.run(input);
  if (from == Encoding::ansi && to == Encoding::utf8) return ansiToUtf8Converter.run(input);
  return utf8ToAnsiConverter.run(input);
}

std::string_view asBytes(std::u16string_view text) {
  return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)};
}

std::u16string toU16(const std::string& bytes) {
  std::u16string text(bytes.size() / sizeof(char16_t), u'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
  return text;
}

template <class Map>
std::string mapAnsiCase(std::string_view text, Map map) {
  std::string result(text);
  for (std::size_t i = 0; i < result.size(); ++i) {
    auto c = static_cast<unsigned char>(result[i]);
    if (isLeadByte(c)) {
      ++i;  // the trail byte is never case-mapped
      continue;
    }
    result[i] = map(result[i]);
  }
  return result;
}

}  // namespace

std::string upperAnsi(std::string_view text) {
  return mapAnsiCase(text, [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
}

std::string lowerAnsi(std::string_view text) {
  return mapAnsiCase(text, [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
}

std::u16string ansiToUtf16(std::string_view ansi) {
  return toU16(convert(Encoding::ansi, Encoding::utf16, ansi));
}

std::string utf16ToAnsi(std::u16string_view utf16) {
  return convert(Encoding::utf16, Encoding::ansi, asBytes(utf16));
}

std::u16string utf8ToUtf16(std::string_view utf8) {
  return toU16(convert(Encoding::utf8, Encoding::utf16, utf8));
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  return convert(Encoding::utf16, Encoding::utf8, asBytes(utf16));
}

std::string ansiToUtf8(std::string_view ansi) {
  return convert(Encoding::ansi, Encoding::utf8, ansi);
}

std::string utf8ToAnsi(std::string_view utf8) {
  return convert(Encoding::utf8, Encoding::ansi, utf8);
}

}  // namespace platform::text
