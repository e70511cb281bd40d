// Declared column types and the conversion of text values into them.
#include "database/field.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "database/database.h"

namespace platform::database {

namespace {

std::string upperAscii(std::string_view text) {
  std::string upper(text);
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

FieldType integerType(std::string_view upper) {
  FieldType type{FieldKind::Integer, std::numeric_limits<std::int32_t>::min(),
                 std::numeric_limits<std::int32_t>::max(), 0};
  if (contains(upper, "TINYINT")) {
    type.minimum = 0;
    type.maximum = 255;
  } else if (contains(upper, "SMALLINT")) {
    type.minimum = std::numeric_limits<std::int16_t>::min();
    type.maximum = std::numeric_limits<std::int16_t>::max();
  } else if (contains(upper, "BIGINT")) {
    type.minimum = std::numeric_limits<std::int64_t>::min();
    type.maximum = std::numeric_limits<std::int64_t>::max();
  }
  return type;
}

// The n of "(n)" in a declared type; 0 when there is none.
std::size_t declaredLength(std::string_view upper) {
  auto open = upper.find('(');
  if (open == std::string_view::npos) return 0;
  auto digits = upper.substr(open + 1);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  std::size_t length = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
  if (error != std::errc{}) return 0;
  return length;
}

[[noreturn]] void reject(std::u16string_view field, std::u16string_view text,
                         std::u16string_view why) {
  std::u16string description = u"Field '";
  description += field;
  description += u"' cannot take the value '";
  description += text;
  description += u"': ";
  description += why;
  description += u".";
  throw CDaoException(DaoErrorKind::Conversion, std::move(description));
}

// The text as ASCII; nullopt when it holds anything else.
std::optional<std::string> asciiOnly(std::u16string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (char16_t unit : text) {
    if (unit > 0x7F) return std::nullopt;
    ascii += static_cast<char>(unit);
  }
  return ascii;
}

FieldValue toInteger(const FieldType& type, std::u16string_view field, std::u16string_view text) {
  auto ascii = asciiOnly(text);
  if (!ascii) reject(field, text, u"not an integer");
  std::string_view digits = *ascii;
  // from_chars takes a "-" but not a "+".
  bool plus = !digits.empty() && digits.front() == '+';
  if (plus) digits.remove_prefix(1);
  if (digits.empty() || (plus && digits.front() == '-')) reject(field, text, u"not an integer");
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) reject(field, text, u"the number is out of range");
  if (error != std::errc{} || end != digits.data() + digits.size()) {
    reject(field, text, u"not an integer");
  }
  if (value < type.minimum || value > type.maximum) {
    reject(field, text, u"the number is out of range");
  }
  return value;
}

FieldValue toReal(std::u16string_view field, std::u16string_view text) {
  auto ascii = asciiOnly(text);
  if (!ascii || ascii->empty()) reject(field, text, u"not a number");
  std::string_view digits = *ascii;
  if (digits.front() == '+') digits.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::general);
  if (error != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(value)) {
    reject(field, text, u"not a number");
  }
  return value;
}

// Reads an unsigned decimal of 1 to `maxDigits` digits at `pos`.
std::optional<int> readNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits) {
  std::size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return value;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && leap) return 29;
  return kDays[static_cast<std::size_t>(month - 1)];
}

struct Clock {
  int hour = 0, minute = 0, second = 0;
};

std::optional<Clock> readClock(std::string_view text, std::size_t& pos) {
  Clock clock;
  auto hour = readNumber(text, pos, 2);
  if (!hour || !expect(text, pos, ':')) return std::nullopt;
  auto minute = readNumber(text, pos, 2);
  if (!minute) return std::nullopt;
  clock.hour = *hour;
  clock.minute = *minute;
  if (expect(text, pos, ':')) {
    auto second = readNumber(text, pos, 2);
    if (!second) return std::nullopt;
    clock.second = *second;
  }
  if (clock.hour > 23 || clock.minute > 59 || clock.second > 59) return std::nullopt;
  return clock;
}

std::u16string twoDigits(int value) {
  return {static_cast<char16_t>(u'0' + value / 10), static_cast<char16_t>(u'0' + value % 10)};
}

std::u16string clockText(const Clock& clock) {
  return twoDigits(clock.hour) + u":" + twoDigits(clock.minute) + u":" + twoDigits(clock.second);
}

std::optional<std::u16string> parseDate(std::string_view text) {
  std::size_t pos = 0;
  bool clockOnly = (text.size() > 2 && text[2] == ':') || (text.size() > 1 && text[1] == ':');
  if (clockOnly) {
    auto clock = readClock(text, pos);
    if (!clock || pos != text.size()) return std::nullopt;
    return clockText(*clock);
  }
  auto year = readNumber(text, pos, 4);
  if (!year || pos != 4 || pos >= text.size()) return std::nullopt;
  char separator = text[pos];
  if (separator != '-' && separator != '/') return std::nullopt;
  ++pos;
  auto month = readNumber(text, pos, 2);
  if (!month || !expect(text, pos, separator)) return std::nullopt;
  auto day = readNumber(text, pos, 2);
  if (!day || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month)) {
    return std::nullopt;
  }
  std::u16string date = twoDigits(*year / 100) + twoDigits(*year % 100) + u"-" +
                        twoDigits(*month) + u"-" + twoDigits(*day);
  if (pos == text.size()) return date;
  if (!expect(text, pos, ' ') && !expect(text, pos, 'T')) return std::nullopt;
  auto clock = readClock(text, pos);
  if (!clock || pos != text.size()) return std::nullopt;
  return date + u" " + clockText(*clock);
}

FieldValue toDate(std::u16string_view field, std::u16string_view text) {
  auto ascii = asciiOnly(text);
  auto date = ascii ? parseDate(*ascii) : std::nullopt;
  if (!date) reject(field, text, u"not a date or time");
  return *date;
}

// Characters as code points: a surrogate pair counts once.
std::size_t characterCount(std::u16string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char16_t unit) {
    return unit < 0xDC00 || unit > 0xDFFF;
  }));
}

std::u16string decimalText(std::size_t n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n != 0);
  return digits;
}

FieldValue toText(const FieldType& type, std::u16string_view field, std::u16string_view text) {
  if (type.maxLength != 0 && characterCount(text) > type.maxLength) {
    reject(field, text,
           u"the text is longer than the field's " + decimalText(type.maxLength) + u" characters");
  }
  return std::u16string(text);
}

}  // namespace

FieldType fieldTypeFromDeclaration(std::string_view declared) {
  auto upper = upperAscii(declared);
  if (contains(upper, "INT")) return integerType(upper);
  if (contains(upper, "CHAR") || contains(upper, "CLOB") || contains(upper, "TEXT")) {
    return FieldType{FieldKind::Text, 0, 0, declaredLength(upper)};
  }
  if (contains(upper, "DATE") || contains(upper, "TIME")) return FieldType{FieldKind::Date};
  for (std::string_view real : {"REAL", "FLOA", "DOUB", "NUM", "DEC"}) {
    if (contains(upper, real)) return FieldType{FieldKind::Real};
  }
  return FieldType{};
}

FieldValue convertFieldText(const FieldType& type, std::u16string_view field,
                            std::u16string_view text) {
  switch (type.kind) {
    case FieldKind::Integer: return toInteger(type, field, text);
    case FieldKind::Real: return toReal(field, text);
    case FieldKind::Date: return toDate(field, text);
    case FieldKind::Text: return toText(type, field, text);
    case FieldKind::Untyped: return std::u16string(text);
  }
  return std::u16string(text);
}

}  // namespace platform::database
