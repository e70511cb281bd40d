// Declared column types and the conversion of text values into them.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <variant>

#include "text/codepage.h"
#include "database/database.h"
#include "database/field.h"

namespace platform::database {
namespace {

using platform::text::utf16ToUtf8;
using platform::text::utf8ToUtf16;

void expectType(std::string_view declared, FieldKind kind, std::int64_t min = 0,
                std::int64_t max = 0, std::size_t length = 0) {
  auto type = fieldTypeFromDeclaration(declared);
  EXPECT_EQ(type.kind, kind) << declared;
  if (kind == FieldKind::Integer) {
    EXPECT_EQ(type.minimum, min) << declared;
    EXPECT_EQ(type.maximum, max) << declared;
  }
  EXPECT_EQ(type.maxLength, length) << declared;
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

TEST(FieldTypeTest, DeclaredTypesFollowTheAffinityRules) {
  expectType("INTEGER", FieldKind::Integer, kInt32Min, kInt32Max);
  expectType("int", FieldKind::Integer, kInt32Min, kInt32Max);
  expectType("TINYINT", FieldKind::Integer, 0, 255);
  expectType("smallint", FieldKind::Integer, -32768, 32767);
  expectType("BIGINT", FieldKind::Integer, std::numeric_limits<std::int64_t>::min(),
             std::numeric_limits<std::int64_t>::max());
  expectType("VARCHAR(259)", FieldKind::Text, 0, 0, 259);
  expectType("text(32)", FieldKind::Text, 0, 0, 32);
  expectType("NVARCHAR( 8 )", FieldKind::Text, 0, 0, 8);
  expectType("TEXT", FieldKind::Text);              // no length: unlimited
  expectType("CHARINT", FieldKind::Integer, kInt32Min, kInt32Max);  // "INT" wins, as in SQLite
  expectType("DATETIME", FieldKind::Date);
  expectType("timestamp", FieldKind::Date);
  expectType("REAL", FieldKind::Real);
  expectType("DOUBLE PRECISION", FieldKind::Real);
  expectType("NUMERIC(10,2)", FieldKind::Real);
  expectType("BLOB", FieldKind::Untyped);
  expectType("", FieldKind::Untyped);
}

// The converted value as text for comparison, or nullopt when rejected.
std::optional<std::string> convert(std::string_view declared, std::string_view text) {
  try {
    auto value = convertFieldText(fieldTypeFromDeclaration(declared), u"F", utf8ToUtf16(text));
    if (auto* integer = std::get_if<std::int64_t>(&value)) return "int:" + std::to_string(*integer);
    if (auto* real = std::get_if<double>(&value)) return "real:" + std::to_string(*real);
    return "text:" + utf16ToUtf8(std::get<std::u16string>(value));
  } catch (const CDaoException& error) {
    EXPECT_EQ(error.kind(), DaoErrorKind::Conversion);
    EXPECT_NE(error.description().find(u"'F'"), std::u16string::npos) << "names the field";
    return std::nullopt;
  }
}

TEST(FieldConversionTest, Integers) {
  EXPECT_EQ(convert("INTEGER", "12"), "int:12");
  EXPECT_EQ(convert("INTEGER", "-3"), "int:-3");
  EXPECT_EQ(convert("INTEGER", "+7"), "int:7");
  EXPECT_EQ(convert("INTEGER", "007"), "int:7");
  EXPECT_EQ(convert("INTEGER", "2147483647"), "int:2147483647");
  EXPECT_EQ(convert("INTEGER", "2147483648"), std::nullopt);   // past 32 bits
  EXPECT_EQ(convert("BIGINT", "2147483648"), "int:2147483648");
  EXPECT_EQ(convert("BIGINT", "99999999999999999999"), std::nullopt);
  EXPECT_EQ(convert("TINYINT", "256"), std::nullopt);
  EXPECT_EQ(convert("TINYINT", "-1"), std::nullopt);
  EXPECT_EQ(convert("INTEGER", ""), std::nullopt);
  EXPECT_EQ(convert("INTEGER", "600 dpi"), std::nullopt);
  EXPECT_EQ(convert("INTEGER", " 5"), std::nullopt);
  EXPECT_EQ(convert("INTEGER", "+-5"), std::nullopt);
  EXPECT_EQ(convert("INTEGER", "-"), std::nullopt);
  EXPECT_EQ(convert("INTEGER", "1.5"), std::nullopt);
  EXPECT_EQ(convert("INTEGER", "１２"), std::nullopt);  // full-width digits
}

TEST(FieldConversionTest, Texts) {
  EXPECT_EQ(convert("VARCHAR(3)", "abc"), "text:abc");
  EXPECT_EQ(convert("VARCHAR(3)", "abcd"), std::nullopt);
  EXPECT_EQ(convert("VARCHAR(3)", "中文字"), "text:中文字");    // characters, not bytes
  EXPECT_EQ(convert("VARCHAR(2)", "𠀋𠀋"), "text:𠀋𠀋");          // a surrogate pair counts once
  EXPECT_EQ(convert("VARCHAR(3)", ""), "text:");
  EXPECT_EQ(convert("TEXT", std::string(10000, 'a')), "text:" + std::string(10000, 'a'));
  EXPECT_EQ(convert("BLOB", "600 dpi"), "text:600 dpi");
}

TEST(FieldConversionTest, DatesAndTimes) {
  EXPECT_EQ(convert("DATETIME", "2024-05-01 10:20:30"), "text:2024-05-01 10:20:30");
  EXPECT_EQ(convert("DATETIME", "2024/5/1 7:08"), "text:2024-05-01 07:08:00");
  EXPECT_EQ(convert("DATETIME", "2024-05-01T23:59:59"), "text:2024-05-01 23:59:59");
  EXPECT_EQ(convert("DATE", "2024-02-29"), "text:2024-02-29");  // a leap day
  EXPECT_EQ(convert("DATE", "2023-02-29"), std::nullopt);
  EXPECT_EQ(convert("DATE", "1900-02-29"), std::nullopt);
  EXPECT_EQ(convert("DATE", "2000-02-29"), "text:2000-02-29");
  EXPECT_EQ(convert("TIME", "9:05:01"), "text:09:05:01");
  EXPECT_EQ(convert("DATETIME", "2024-13-01"), std::nullopt);
  EXPECT_EQ(convert("DATETIME", "2024-05-01 24:00"), std::nullopt);
  EXPECT_EQ(convert("DATETIME", "2024-05-01 10:20:30 "), std::nullopt);
  EXPECT_EQ(convert("DATETIME", "2024-05/01"), std::nullopt);
  EXPECT_EQ(convert("DATETIME", "yesterday"), std::nullopt);
  EXPECT_EQ(convert("DATETIME", ""), std::nullopt);
}

TEST(FieldConversionTest, RealNumbers) {
  EXPECT_EQ(convert("REAL", "1.5"), "real:1.500000");
  EXPECT_EQ(convert("REAL", "-2e3"), "real:-2000.000000");
  EXPECT_EQ(convert("REAL", "+4"), "real:4.000000");
  EXPECT_EQ(convert("REAL", "1e999"), std::nullopt);
  EXPECT_EQ(convert("REAL", "nan"), std::nullopt);
  EXPECT_EQ(convert("REAL", "1,5"), std::nullopt);
}

}  // namespace
}  // namespace platform::database
