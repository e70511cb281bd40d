// Profile (INI) files with the observable behaviour of the Windows profile
// functions, on a named file and on the per-user win.ini.
//
// Every call opens, reads and closes the file: nothing is cached, so each
// call sees the latest write of any process. Writes go through a temporary
// file and an atomic rename (or, where that cannot be done, an in-place
// rewrite under a file lock that readers respect), serialised across
// processes by an advisory lock on the file's folder, so a concurrent reader
// never sees a torn file and concurrent writers of different keys all land.
//
// Reading: sections and keys match case-insensitively (ASCII letters);
// blanks around keys and values are trimmed; one matching pair of outer
// quotes (single or double) around a value is stripped; CR, LF and CRLF end
// a line; a line whose first non-blank character is ";" is a comment; a
// section name ends at its first "]" (a missing "]" is tolerated), and
// blanks and tabs inside the brackets are no part of it ("[ DRVMSG ]" is
// section "DRVMSG" for reads and writes); lines
// before the first section and lines without "=" hold no key; of duplicate
// keys the first wins, of duplicate sections only the first is searched.
// A missing or unreadable file, section or key gives the default, which
// loses its trailing blanks. A value longer than the buffer is cut to
// size - 1 characters; a size of 0 gives an empty text.
//
// Writing: a new file becomes "[S]\r\nk=v\r\n" with no byte-order mark; a
// new section is appended at the end; a last line without its line end gets
// CRLF first; an existing key keeps its line and spelling and takes the new
// value; a new key goes right after the last non-comment key line of its
// section; every other byte stays as it was. A file is created when its
// folder exists; the folder is never created. Whether an existing file is
// written follows the file's own permission, not its folder's: a file
// without owner write permission (the read-only attribute) or that this
// user may not write is never written or replaced; a file the user may
// write in a folder the user may not is rewritten in place, still never
// torn for a reader of this module. A rewritten file keeps its permissions
// and owner. A name that the reader could not find again is refused: a line
// end in a section or key, a blank or tab at either end of one, a "]" in a
// section name, an "=" in a key or a key starting with ";" or "[", a lead
// byte of code page 936 with no trail byte after it, and in the UTF-16 form
// on an 8-bit file a character that code page 936 cannot hold. Returns false
// when nothing was written.
//
// Encodings: the 8-bit form passes bytes as they are (the ANSI code page,
// 936). The UTF-16 form reads 8-bit files by converting from that code page,
// and reads and writes UTF-16LE files that start with the mark FF FE; a file
// that is only that mark takes UTF-16 writes. A UTF-8 or UTF-16BE mark is
// not recognised: such a file is read as 8-bit text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::profile {

// 8-bit form.
std::string getString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view defaultValue,
                      std::size_t bufferSize);
// Optional sign and the digits up to the first non-digit, wrapping modulo
// 2^32; 0 for a value that starts with no digit; the default for a missing key.
int getInt(const std::filesystem::path& file, std::string_view section,
           std::string_view key, int defaultValue);
bool writeString(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value);

// UTF-16 form.
std::u16string getStringW(const std::filesystem::path& file, std::u16string_view section,
                          std::u16string_view key, std::u16string_view defaultValue,
                          std::size_t bufferSize);
int getIntW(const std::filesystem::path& file, std::u16string_view section,
            std::u16string_view key, int defaultValue);
bool writeStringW(const std::filesystem::path& file, std::u16string_view section,
                  std::u16string_view key, std::u16string_view value);

// The per-user win.ini, 8-bit form.
std::string getProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t bufferSize);
bool writeProfileString(std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace platform::profile
