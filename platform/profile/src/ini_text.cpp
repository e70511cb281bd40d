// One-pass line scanner over INI text, shared by the 8-bit and UTF-16 forms.
#include "ini_text.h"

#include <cstddef>

namespace platform::profile::ini {

namespace {

template <class Char>
using View = std::basic_string_view<Char>;

constexpr std::size_t npos = std::string_view::npos;

template <class Char>
bool isBlank(Char c) {
  return c == Char(' ') || c == Char('\t');
}

template <class Char>
bool isLineEnd(Char c) {
  return c == Char('\r') || c == Char('\n');
}

template <class Char>
Char foldAscii(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

bool isLeadByte(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

bool isTrailByte(char c) {
  auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// The characters of a name, each once: in code page 936 a lead byte and its
// trail byte come as one character (the lead byte), and a lead byte without
// a trail byte makes the whole name fail. `accept` sees each character and
// its index; false from it fails the name.
template <class Accept>
bool eachCharacter(std::string_view name, Accept accept) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (isLeadByte(name[i])) {
      if (i + 1 == name.size() || !isTrailByte(name[i + 1])) return false;
      if (!accept(name[i], i)) return false;
      ++i;
      continue;
    }
    if (!accept(name[i], i)) return false;
  }
  return true;
}

template <class Accept>
bool eachCharacter(std::u16string_view name, Accept accept) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!accept(name[i], i)) return false;
  }
  return true;
}

template <class Char>
bool hasBlankEnd(View<Char> name) {
  return !name.empty() && (isBlank(name.front()) || isBlank(name.back()));
}

// A double-byte character reaches `accept` as its lead byte, which is never
// one of the ASCII characters tested here.
template <class Char>
bool sectionNameFits(View<Char> name) {
  if (hasBlankEnd(name)) return false;
  return eachCharacter(name, [](Char c, std::size_t) { return !isLineEnd(c) && c != Char(']'); });
}

template <class Char>
bool keyNameFits(View<Char> name) {
  if (hasBlankEnd(name)) return false;
  return eachCharacter(name, [](Char c, std::size_t at) {
    if (at == 0 && (c == Char(';') || c == Char('['))) return false;
    return !isLineEnd(c) && c != Char('=');
  });
}

// Code page 936: a double-byte character is compared exactly, so that a
// trail byte that happens to be an ASCII letter is never folded.
bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (isLeadByte(a[i]) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

// Where a section name ends: its first "]", or the end of the line. In code
// page 936 a "]" that is the trail byte of a character does not count.
std::size_t sectionNameEnd(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (isLeadByte(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == ']') return i;
  }
  return line.size();
}

std::size_t sectionNameEnd(std::u16string_view line) {
  auto close = line.find(u']');
  return close == npos ? line.size() : close;
}

template <class Char>
View<Char> trimmed(View<Char> text) {
  std::size_t begin = 0;
  while (begin < text.size() && isBlank(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

enum class LineKind { other, comment, section, key };

// One line of the text: where it is and what it holds.
template <class Char>
struct Line {
  std::size_t end = 0;   // end of its content, before the line end
  std::size_t next = 0;  // start of the next line
  LineKind kind = LineKind::other;
  View<Char> name;        // section name or key
  View<Char> value;       // trimmed value of a key line
  std::size_t equals = 0; // position of a key line's "="
};

template <class Char>
Line<Char> readLine(View<Char> text, std::size_t begin) {
  Line<Char> line;
  std::size_t end = begin;
  while (end < text.size() && !isLineEnd(text[end])) ++end;
  line.end = end;
  line.next = end;
  if (end < text.size()) {
    line.next = end + 1;
    if (text[end] == Char('\r') && line.next < text.size() && text[line.next] == Char('\n')) {
      ++line.next;
    }
  }
  View<Char> content = trimmed(text.substr(begin, end - begin));
  if (content.empty()) return line;
  if (content.front() == Char(';')) {
    line.kind = LineKind::comment;
    return line;
  }
  if (content.front() == Char('[')) {
    View<Char> rest = content.substr(1);
    line.kind = LineKind::section;
    // Blanks inside the brackets are no part of the name: "[ DRVMSG ]" is
    // section "DRVMSG", for reads and writes alike.
    line.name = trimmed(rest.substr(0, sectionNameEnd(rest)));
    return line;
  }
  std::size_t equals = content.find(Char('='));
  if (equals == npos) return line;
  line.kind = LineKind::key;
  line.name = trimmed(content.substr(0, equals));
  line.value = trimmed(content.substr(equals + 1));
  line.equals = static_cast<std::size_t>(content.data() - text.data()) + equals;
  return line;
}

template <class Char>
View<Char> unquoted(View<Char> value) {
  if (value.size() < 2 || value.front() != value.back()) return value;
  if (value.front() != Char('"') && value.front() != Char('\'')) return value;
  return value.substr(1, value.size() - 2);
}

template <class Char>
std::optional<View<Char>> find(View<Char> text, View<Char> section, View<Char> key) {
  bool inSection = false;
  for (std::size_t at = 0; at < text.size();) {
    Line<Char> line = readLine(text, at);
    at = line.next;
    if (line.kind == LineKind::section) {
      if (inSection) return std::nullopt;  // only the first such section counts
      inSection = sameName(line.name, section);
    } else if (inSection && line.kind == LineKind::key && sameName(line.name, key)) {
      return unquoted(line.value);
    }
  }
  return std::nullopt;
}

template <class Char>
std::basic_string<Char> crlf() {
  return {Char('\r'), Char('\n')};
}

template <class Char>
std::basic_string<Char> keyLine(View<Char> key, View<Char> value) {
  std::basic_string<Char> line(key);
  line += Char('=');
  line += value;
  line += crlf<Char>();
  return line;
}

template <class Char>
std::optional<std::basic_string<Char>> set(View<Char> text, View<Char> section, View<Char> key,
                                           View<Char> value) {
  if (!sectionNameFits(section) || !keyNameFits(key)) return std::nullopt;
  bool inSection = false;
  std::size_t insertAt = npos;
  bool insertNeedsLineEnd = false;
  for (std::size_t at = 0; at < text.size();) {
    Line<Char> line = readLine(text, at);
    at = line.next;
    if (line.kind == LineKind::section) {
      if (inSection) break;  // only the first such section counts
      inSection = sameName(line.name, section);
      if (inSection) {
        insertAt = line.next;
        insertNeedsLineEnd = line.next == line.end;
      }
      continue;
    }
    if (!inSection || line.kind != LineKind::key) continue;
    if (sameName(line.name, key)) {
      std::basic_string<Char> result(text.substr(0, line.equals + 1));
      result += value;
      result += text.substr(line.end);
      return result;
    }
    insertAt = line.next;
    insertNeedsLineEnd = line.next == line.end;
  }

  std::basic_string<Char> result;
  if (insertAt != npos) {
    result = text.substr(0, insertAt);
    if (insertNeedsLineEnd) result += crlf<Char>();
    result += keyLine(key, value);
    result += text.substr(insertAt);
    return result;
  }
  result = text;
  if (!result.empty() && !isLineEnd(result.back())) result += crlf<Char>();
  result += Char('[');
  result += section;
  result += Char(']');
  result += crlf<Char>();
  result += keyLine(key, value);
  return result;
}

}  // namespace

std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
  return find(text, section, key);
}

std::optional<std::u16string_view> findValue(std::u16string_view text,
                                             std::u16string_view section,
                                             std::u16string_view key) {
  return find(text, section, key);
}

bool isSectionName(std::string_view name) { return sectionNameFits(name); }
bool isSectionName(std::u16string_view name) { return sectionNameFits(name); }
bool isKeyName(std::string_view name) { return keyNameFits(name); }
bool isKeyName(std::u16string_view name) { return keyNameFits(name); }

std::optional<std::string> withValue(std::string_view text, std::string_view section,
                                     std::string_view key, std::string_view value) {
  return set(text, section, key, value);
}

std::optional<std::u16string> withValue(std::u16string_view text, std::u16string_view section,
                                        std::u16string_view key, std::u16string_view value) {
  return set(text, section, key, value);
}

}  // namespace platform::profile::ini
