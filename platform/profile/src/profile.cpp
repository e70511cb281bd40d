// The profile functions: picks the file's encoding, converts names and values
// between the caller's form and the file's, and applies the Windows rules for
// defaults, buffer sizes and integers.
#include "profile/profile.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "text/codepage.h"
#include "base/folders.h"
#include "ini_file.h"
#include "ini_text.h"

namespace platform::profile {

namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";

bool isUtf16(std::string_view bytes) { return bytes.starts_with(kUtf16Mark); }

// The UTF-16LE text after the mark. An odd last byte is no character.
std::u16string decodeUtf16(std::string_view bytes) {
  bytes.remove_prefix(kUtf16Mark.size());
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto low = static_cast<unsigned char>(bytes[2 * i]);
    auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<char16_t>(low | (high << 8));
  }
  return text;
}

// The mark, the text as UTF-16LE, and the odd last byte of the old file if
// it had one, so that no byte of it is lost.
std::string encodeUtf16(std::u16string_view text, std::string_view old) {
  std::string bytes(kUtf16Mark);
  bytes.reserve(kUtf16Mark.size() + text.size() * 2 + 1);
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  if ((old.size() - kUtf16Mark.size()) % 2 != 0) bytes += old.back();
  return bytes;
}

// The text a caller's buffer of `bufferSize` characters receives: up to the
// first zero character and at most bufferSize - 1 characters.
template <class Char>
std::basic_string<Char> fitted(std::basic_string_view<Char> text, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  text = text.substr(0, text.find(Char(0)));
  return std::basic_string<Char>(text.substr(0, bufferSize - 1));
}

template <class Char>
std::basic_string_view<Char> withoutTrailingBlanks(std::basic_string_view<Char> text) {
  while (!text.empty() && (text.back() == Char(' ') || text.back() == Char('\t'))) {
    text.remove_suffix(1);
  }
  return text;
}

// Optional sign and the digits up to the first non-digit, wrapping modulo
// 2^32 as the Windows function does; 0 when no digit comes first.
template <class Char>
int parseInt(std::basic_string_view<Char> text) {
  bool negative = false;
  if (!text.empty() && (text.front() == Char('-') || text.front() == Char('+'))) {
    negative = text.front() == Char('-');
    text.remove_prefix(1);
  }
  std::uint32_t value = 0;
  for (Char c : text) {
    if (c < Char('0') || c > Char('9')) break;
    value = value * 10u + static_cast<std::uint32_t>(c - Char('0'));
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

// The value of the key as 8-bit text, whatever the file's encoding.
std::optional<std::string> findAnsi(const std::filesystem::path& file, std::string_view section,
                                    std::string_view key) {
  auto bytes = ini::readFile(file);
  if (!bytes) return std::nullopt;
  if (isUtf16(*bytes)) {
    auto text = decodeUtf16(*bytes);
    auto value = ini::findValue(text, text::ansiToUtf16(section), text::ansiToUtf16(key));
    if (!value) return std::nullopt;
    return text::utf16ToAnsi(*value);
  }
  auto value = ini::findValue(*bytes, section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

// The value of the key as UTF-16, whatever the file's encoding.
std::optional<std::u16string> findUtf16(const std::filesystem::path& file,
                                        std::u16string_view section, std::u16string_view key) {
  auto bytes = ini::readFile(file);
  if (!bytes) return std::nullopt;
  auto text = isUtf16(*bytes) ? decodeUtf16(*bytes) : text::ansiToUtf16(*bytes);
  auto value = ini::findValue(text, section, key);
  if (!value) return std::nullopt;
  return std::u16string(*value);
}

// An empty value gives the default, as an empty read does in Windows.
template <class Char>
int intOrDefault(const std::optional<std::basic_string<Char>>& value, int defaultValue) {
  if (!value || value->empty()) return defaultValue;
  return parseInt(std::basic_string_view<Char>(*value));
}

}  // namespace

std::string getString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view defaultValue,
                      std::size_t bufferSize) {
  auto value = findAnsi(file, section, key);
  if (!value) return fitted(withoutTrailingBlanks(defaultValue), bufferSize);
  return fitted(std::string_view(*value), bufferSize);
}

int getInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
           int defaultValue) {
  return intOrDefault(findAnsi(file, section, key), defaultValue);
}

bool writeString(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value) {
  return ini::rewriteFile(file, [&](const std::optional<std::string>& current)
                                    -> std::optional<std::string> {
    if (current && isUtf16(*current)) {
      // The 8-bit names are checked as such first: a name ending in a lead
      // byte would convert to one ending in "?" that no 8-bit caller means.
      if (!ini::isSectionName(section) || !ini::isKeyName(key)) return std::nullopt;
      auto text = ini::withValue(decodeUtf16(*current), text::ansiToUtf16(section),
                                 text::ansiToUtf16(key), text::ansiToUtf16(value));
      if (!text) return std::nullopt;
      return encodeUtf16(*text, *current);
    }
    return ini::withValue(current.value_or(std::string()), section, key, value);
  });
}

std::u16string getStringW(const std::filesystem::path& file, std::u16string_view section,
                          std::u16string_view key, std::u16string_view defaultValue,
                          std::size_t bufferSize) {
  auto value = findUtf16(file, section, key);
  if (!value) return fitted(withoutTrailingBlanks(defaultValue), bufferSize);
  return fitted(std::u16string_view(*value), bufferSize);
}

int getIntW(const std::filesystem::path& file, std::u16string_view section,
            std::u16string_view key, int defaultValue) {
  return intOrDefault(findUtf16(file, section, key), defaultValue);
}

bool writeStringW(const std::filesystem::path& file, std::u16string_view section,
                  std::u16string_view key, std::u16string_view value) {
  return ini::rewriteFile(file, [&](const std::optional<std::string>& current)
                                    -> std::optional<std::string> {
    if (current && isUtf16(*current)) {
      auto text = ini::withValue(decodeUtf16(*current), section, key, value);
      if (!text) return std::nullopt;
      return encodeUtf16(*text, *current);
    }
    // An 8-bit file is read back by converting it from code page 936, so a
    // name it cannot hold (converted to "?") would never be found again.
    auto ansiSection = text::utf16ToAnsi(section);
    auto ansiKey = text::utf16ToAnsi(key);
    if (text::ansiToUtf16(ansiSection) != section || text::ansiToUtf16(ansiKey) != key) {
      return std::nullopt;
    }
    return ini::withValue(current.value_or(std::string()), ansiSection, ansiKey,
                          text::utf16ToAnsi(value));
  });
}

std::string getProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t bufferSize) {
  return getString(base::winIniPath(), section, key, defaultValue, bufferSize);
}

bool writeProfileString(std::string_view section, std::string_view key,
                        std::string_view value) {
  return writeString(base::winIniPath(), section, key, value);
}

}  // namespace platform::profile
