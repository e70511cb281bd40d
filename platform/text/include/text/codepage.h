// Text in the ANSI code page of this platform (936, GBK) and its conversion
// to and from UTF-8 and UTF-16.
//
// Case mapping is multibyte-aware: a lead byte 0x81-0xFE and the trail byte
// after it are passed through unchanged, and only single-byte ASCII letters
// change case. A lead byte at the very end of the text passes through alone.
//
// Conversions use glibc's iconv. Bytes that do not convert are replaced by
// "?" (U+003F), never dropped silently, and never make a conversion fail.
#pragma once

#include <string>
#include <string_view>

namespace platform::text {

std::string upperAnsi(std::string_view text);
std::string lowerAnsi(std::string_view text);

std::u16string ansiToUtf16(std::string_view ansi);
std::string utf16ToAnsi(std::u16string_view utf16);
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);
std::string ansiToUtf8(std::string_view ansi);
std::string utf8ToAnsi(std::string_view utf8);

}  // namespace platform::text
