// The invariants of the INI text reader and writer, checked by the fuzz
// targets of both forms on every input. An input is five fields separated by
// a zero byte (section, key, value, and the section and key of a probe) and
// then the INI text, which may hold any byte.
//
// For a write of `key` in `section`:
// - it is refused exactly when a name is one the reader could not find again;
// and when it succeeds with a value holding no line end:
// - the key reads back as that value (blanks trimmed, one pair of outer
//   quotes removed);
// - it changes no byte outside the key's line but the lines it adds, each
//   ended by CRLF (none when the key existed, one to three otherwise);
// - the same write again changes nothing;
// - any other key (the probe) reads the same before and after.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ini_text.h"

namespace ini_fuzz {

namespace ini = platform::profile::ini;

inline void require(bool condition) {
  if (!condition) std::abort();
}

// The first five fields and the rest of the input; fewer fields leave the
// later ones empty.
struct Fields {
  std::string_view section, key, value, probeSection, probeKey, text;
};

inline Fields splitFields(std::string_view input) {
  std::string_view* order[5];
  Fields fields;
  order[0] = &fields.section;
  order[1] = &fields.key;
  order[2] = &fields.value;
  order[3] = &fields.probeSection;
  order[4] = &fields.probeKey;
  for (auto* field : order) {
    auto cut = input.find('\0');
    *field = input.substr(0, cut);
    input.remove_prefix(cut == std::string_view::npos ? input.size() : cut + 1);
  }
  fields.text = input;
  return fields;
}

template <class Char>
bool isLineEnd(Char c) {
  return c == Char('\r') || c == Char('\n');
}

template <class Char>
bool hasLineEnd(std::basic_string_view<Char> text) {
  return std::any_of(text.begin(), text.end(), isLineEnd<Char>);
}

// What a reader gives for a written value: blanks and tabs trimmed at both
// ends, then one matching pair of outer quotes removed.
template <class Char>
std::basic_string_view<Char> readForm(std::basic_string_view<Char> value) {
  auto blank = [](Char c) { return c == Char(' ') || c == Char('\t'); };
  while (!value.empty() && blank(value.front())) value.remove_prefix(1);
  while (!value.empty() && blank(value.back())) value.remove_suffix(1);
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == Char('"') || value.front() == Char('\''))) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// Folding every ASCII letter, trail bytes included: names that differ here
// can never match, however the reader compares double-byte characters.
template <class Char>
std::basic_string<Char> foldedLoosely(std::basic_string_view<Char> name) {
  std::basic_string<Char> folded(name);
  for (auto& c : folded) {
    if (c >= Char('A') && c <= Char('Z')) c = static_cast<Char>(c - Char('A') + Char('a'));
  }
  return folded;
}

template <class Char>
bool surelyDifferent(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  return foldedLoosely(a) != foldedLoosely(b);
}

template <class Char>
std::optional<std::basic_string<Char>> owned(std::optional<std::basic_string_view<Char>> view) {
  if (!view) return std::nullopt;
  return std::basic_string<Char>(*view);
}

// The write changed bytes of at most one old line and added whole CRLF
// lines: past the common head and tail, the old text keeps no line end, and
// the new one holds `added` CRLFs and no other line end.
template <class Char>
void requireConfinedChange(std::basic_string_view<Char> before, std::basic_string_view<Char> after,
                           bool keyExisted) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t room = std::min(before.size(), after.size()) - head;
  std::size_t tail = 0;
  while (tail < room && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
  auto removed = before.substr(head, before.size() - head - tail);
  auto inserted = after.substr(head, after.size() - head - tail);
  require(!hasLineEnd(removed));
  auto crs = std::count(inserted.begin(), inserted.end(), Char('\r'));
  auto lfs = std::count(inserted.begin(), inserted.end(), Char('\n'));
  require(crs == lfs);
  if (keyExisted) {
    require(lfs == 0);
  } else {
    require(lfs >= 1 && lfs <= 3);
  }
}

template <class Char>
void checkInvariants(std::basic_string_view<Char> text, std::basic_string_view<Char> section,
                     std::basic_string_view<Char> key, std::basic_string_view<Char> value,
                     std::basic_string_view<Char> probeSection,
                     std::basic_string_view<Char> probeKey) {
  auto probeBefore = owned(ini::findValue(text, probeSection, probeKey));
  bool keyExisted = ini::findValue(text, section, key).has_value();

  auto written = ini::withValue(text, section, key, value);
  require(written.has_value() == (ini::isSectionName(section) && ini::isKeyName(key)));
  if (!written) return;
  std::basic_string_view<Char> after(*written);

  // A value with a line end is written as it is and makes lines of its own,
  // as in Windows; the rules below are about the names.
  if (hasLineEnd(value)) return;
  if (surelyDifferent(probeSection, section) || surelyDifferent(probeKey, key)) {
    require(owned(ini::findValue(after, probeSection, probeKey)) == probeBefore);
  }
  auto readBack = ini::findValue(after, section, key);
  require(readBack.has_value() && *readBack == readForm(value));
  requireConfinedChange(text, after, keyExisted);
  auto again = ini::withValue(after, section, key, value);
  require(again.has_value() && *again == *written);
}

}  // namespace ini_fuzz
