// Code page 936 case mapping and the conversions between 936, UTF-8 and
// UTF-16.
#include "text/codepage.h"

#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <string>

namespace {

using namespace std::string_view_literals;
using namespace platform::text;

TEST(CodePageCase, MapsAsciiLettersOnly) {
  EXPECT_EQ(upperAnsi("msgCode 1-z"), "MSGCODE 1-Z");
  EXPECT_EQ(lowerAnsi("DRVMSG [A]"), "drvmsg [a]");
  EXPECT_EQ(upperAnsi(""), "");
}

TEST(CodePageCase, TrailBytesAreNeverMapped) {
  EXPECT_EQ(upperAnsi("\x81\x61z"), "\x81\x61Z");  // 0x61 'a' as trail byte
  EXPECT_EQ(lowerAnsi("\x81\x41Z"), "\x81\x41z");  // 0x41 'A' as trail byte
  EXPECT_EQ(upperAnsi("\xd6\xd0\xce\xc4" "abc"), "\xd6\xd0\xce\xc4" "ABC");
}

TEST(CodePageCase, LeadByteAtTheEndPassesAlone) {
  EXPECT_EQ(upperAnsi("a\x81"), "A\x81");
  EXPECT_EQ(lowerAnsi("\xfe"), "\xfe");
}

TEST(CodePageCase, BytesOutsideLeadRangeAreSingle) {
  EXPECT_EQ(upperAnsi("\x80" "a\xff" "b"), "\x80" "A\xff" "B");  // 0x80, 0xFF lead nothing
}

struct ConversionCase {
  const char* what;
  std::string_view ansi;
  std::u16string_view utf16;
  std::string_view utf8;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.what; }

class Conversions : public testing::TestWithParam<ConversionCase> {};

TEST_P(Conversions, RoundTrip) {
  const auto& c = GetParam();
  EXPECT_EQ(ansiToUtf16(c.ansi), c.utf16);
  EXPECT_EQ(utf16ToAnsi(c.utf16), c.ansi);
  EXPECT_EQ(ansiToUtf8(c.ansi), c.utf8);
  EXPECT_EQ(utf8ToAnsi(c.utf8), c.ansi);
  EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16);
  EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, Conversions, testing::Values(
    ConversionCase{"empty", "", u"", ""},
    ConversionCase{"ASCII", "msgCode=1", u"msgCode=1", "msgCode=1"},
    ConversionCase{"Chinese", "\xbc\xcc\xd0\xf8\xb4\xf2\xd3\xa1", u"继续打印",
                   "\xe7\xbb\xa7\xe7\xbb\xad\xe6\x89\x93\xe5\x8d\xb0"},
    ConversionCase{"mixed with button accelerator", "\xc8\xa1\xcf\xfb&l", u"取消&l",
                   "\xe5\x8f\x96\xe6\xb6\x88&l"},
    ConversionCase{"zero character kept", "a\0b"sv, u"a\0b"sv, "a\0b"sv},
    ConversionCase{"0x80 is the euro sign in 936", "\x80", u"\u20ac", "\xe2\x82\xac"},
    ConversionCase{"GBK extension character", "\x81\x40", u"\u4e02", "\xe4\xb8\x82"}),
    testing_support::CaseNameFrom<&ConversionCase::what>{});

struct BadCase {
  const char* what;
  std::string_view input;
  std::string_view expected;  // as UTF-8 for ANSI input, as 936 for UTF-8 input
};

TEST(ConversionReplacement, BadAnsiBecomesQuestionMarks) {
  const BadCase cases[] = {
      {"0xFF is no character", "a\xff" "b", "a?b"},
      {"lead byte at the end", "a\x81", "a?"},
      {"lead byte before a non-trail byte keeps it", "\x81 a", "? a"},
      {"lead byte before CR keeps the CR", "\x81\r\n", "?\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ansiToUtf8(c.input), c.expected) << c.what;
}

TEST(ConversionReplacement, BadUtf8BecomesQuestionMarks) {
  const BadCase cases[] = {
      {"stray continuation byte", "a\x80" "b", "a?b"},
      {"truncated sequence at the end", "a\xe4\xb8", "a??"},
      {"character not in 936", "a\xf0\x9f\x98\x80" "b", "a?b"},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8ToAnsi(c.input), c.expected) << c.what;
  EXPECT_EQ(utf8ToUtf16("x\xff"), u"x?");
}

TEST(ConversionReplacement, BadUtf16BecomesQuestionMarks) {
  EXPECT_EQ(utf16ToUtf8(u"a\xd800" "b"), "a?b");           // lone high surrogate
  EXPECT_EQ(utf16ToUtf8(u"a\xdc00"), "a?");                 // lone low surrogate at the end
  EXPECT_EQ(utf16ToAnsi(u"a\U0001F600b"), "a?b");          // one pair, one "?"
  EXPECT_EQ(utf16ToAnsi(u"\uac00"), "?");                   // Hangul is not in 936
}

TEST(ConversionReplacement, LongTextConvertsWhole) {
  std::string ansi;
  std::u16string wide;
  for (int i = 0; i < 5000; ++i) {
    ansi += "\xd6\xd0x";
    wide += u"中x";
  }
  EXPECT_EQ(ansiToUtf16(ansi), wide);
  EXPECT_EQ(utf16ToAnsi(wide), ansi);
  EXPECT_EQ(utf8ToAnsi(ansiToUtf8(ansi + "\xff")), ansi + "?");
}

}  // namespace
