// INI text in memory: finding a key's value and setting a key, with the line
// rules of the Windows profile functions. Two forms: 8-bit text in code page
// 936 (a lead byte 0x81-0xFE and the byte after it form one character, which
// never ends a section name and is compared exactly) and UTF-16.
//
// Lines end at CR, LF or CRLF. Each line is taken with its blanks (space,
// tab) trimmed. A line starting with ";" is a comment; one starting with "["
// heads a section whose name runs to the first "]" or the line's end, less
// the blanks at either end of it; any
// other line with "=" holds a key (trimmed text before the first "=") and
// its value (trimmed text after it). Names match with ASCII letters
// compared case-insensitively. Lines before the first section belong to no
// section; of duplicate sections only the first one is used, and of
// duplicate keys in it the first one.
//
// Nothing here allocates while searching: a lookup is one pass over the text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::profile::ini {

// The value of `key` in section `section`, with one matching pair of outer
// quotes (single or double) removed; nullopt when there is no such key.
// The view points into `text`.
std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key);
std::optional<std::u16string_view> findValue(std::u16string_view text,
                                             std::u16string_view section,
                                             std::u16string_view key);

// Whether the reader finds `name` again after the writer has put it in a
// section header or at the start of a key line. Refused in both: a line end
// (CR or LF) anywhere, and a blank or tab at either end, which the reader
// trims off a key and which Windows ignores inside a header's brackets. In
// the 8-bit form also a lead byte not followed by a trail byte (0x40-0x7E,
// 0x80-0xFE): the reader would take the byte after the name (the header's
// "]", the key's "=") as its trail byte. A section name holds no "]" of its
// own (a trail byte "]" is part of a character); a key holds no "=" and does
// not start with ";" (a comment) or "[" (a header).
bool isSectionName(std::string_view name);
bool isSectionName(std::u16string_view name);
bool isKeyName(std::string_view name);
bool isKeyName(std::u16string_view name);

// `text` with `key` of `section` set to `value`, every other character kept:
// - an existing key keeps its line up to and including its "=", and the rest
//   of that line (before its line end) becomes `value`;
// - a new key becomes the line "key=value" CRLF right after the last key line
//   of the section, or after its header when it has no key;
// - a new section becomes "[section]" CRLF "key=value" CRLF at the end.
// A last line without its line end gets CRLF before anything is put after it.
// nullopt, and nothing to write, when `section` or `key` is not a name the
// reader could find again (isSectionName, isKeyName).
std::optional<std::string> withValue(std::string_view text, std::string_view section,
                                     std::string_view key, std::string_view value);
std::optional<std::u16string> withValue(std::u16string_view text, std::u16string_view section,
                                        std::u16string_view key, std::u16string_view value);

}  // namespace platform::profile::ini
