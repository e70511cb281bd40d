// Reading keys with the 8-bit form: the line rules, defaults, buffer sizes,
// integers and files that are no INI files at all.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "profile/profile.h"
#include "tests/support/temp_root.h"

namespace {

using platform::profile::getInt;
using platform::profile::getString;
using testing_support::TempFolder;
using testing_support::writeFile;

constexpr std::size_t kLarge = 65536;

struct ReadCase {
  const char* what;
  std::string_view content;
  std::string_view section;
  std::string_view key;
  std::string_view expected;  // "DEF" when the default must come back
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class ReadRules : public testing::TestWithParam<ReadCase> {
 protected:
  TempFolder folder_;
};

TEST_P(ReadRules, GivesValueOrDefault) {
  const ReadCase& c = GetParam();
  auto file = folder_ / "x.ini";
  writeFile(file, c.content);
  EXPECT_EQ(getString(file, c.section, c.key, "DEF", kLarge), c.expected);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(Lines, ReadRules, testing::Values(
    ReadCase{"plain", "[S]\r\nk=v\r\n", "S", "k", "v"},
    ReadCase{"section matches case-insensitively", "[drvMsg]\r\nk=v\r\n", "DRVMSG", "k", "v"},
    ReadCase{"key matches case-insensitively", "[S]\r\nMsgCode=1\r\n", "S", "msgcode", "1"},
    ReadCase{"blanks around key and value trimmed", "[S]\r\n \t k \t= \t v w \t\r\n", "S", "k", "v w"},
    ReadCase{"blanks before a header", "  \t[S]\r\nk=v\r\n", "S", "k", "v"},
    ReadCase{"inner blanks of a key kept", "[S]\r\na  b=v\r\n", "S", "a  b", "v"},
    ReadCase{"double quotes stripped, inner blanks kept", "[S]\r\nk= \" a b \" \r\n", "S", "k", " a b "},
    ReadCase{"single quotes stripped", "[S]\r\nk=' a '\r\n", "S", "k", " a "},
    ReadCase{"unmatched quotes kept", "[S]\r\nk=\"a'\r\n", "S", "k", "\"a'"},
    ReadCase{"only one pair of quotes stripped", "[S]\r\nk=\"\"a\"\"\r\n", "S", "k", "\"a\""},
    ReadCase{"quotes inside kept", "[S]\r\nk=a\"b\"\r\n", "S", "k", "a\"b\""},
    ReadCase{"a lone quote kept", "[S]\r\nk=\"\r\n", "S", "k", "\""},
    ReadCase{"an empty pair of quotes", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
    ReadCase{"LF ends lines", "[S]\nk=v\nj=w\n", "S", "j", "w"},
    ReadCase{"CR ends lines", "[S]\rk=v\rj=w\r", "S", "j", "w"},
    ReadCase{"mixed line ends", "[S]\r\nk=v\rj=w\nm=x", "S", "m", "x"},
    ReadCase{"CR LF is one line end, LF CR two", "[S]\n\rk=v\n\r", "S", "k", "v"},
    ReadCase{"comment line", "[S]\r\n;k=v\r\n", "S", "k", "DEF"},
    ReadCase{"comment after blanks", "[S]\r\n \t;k=v\r\n", "S", "k", "DEF"},
    ReadCase{"; inside a value is literal", "[S]\r\nk=v ;w\r\n", "S", "k", "v ;w"},
    ReadCase{"# starts a key", "[S]\r\n#k=v\r\n", "S", "#k", "v"},
    ReadCase{"# starts a value", "[S]\r\nk=#v\r\n", "S", "k", "#v"},
    ReadCase{"text after ] ignored", "[S] tail=1\r\nk=v\r\n", "S", "k", "v"},
    ReadCase{"missing ] tolerated", "[S\r\nk=v\r\n", "S", "k", "v"},
    ReadCase{"blanks and tabs inside the brackets ignored", "[ \tDRVMSG\t ]\r\nk=v\r\n", "DRVMSG", "k", "v"},
    ReadCase{"inner blanks of a section name kept", "[ A  B ]\r\nk=v\r\n", "A  B", "k", "v"},
    ReadCase{"name ends at the first ]", "[S]x]\r\nk=v\r\n", "S", "k", "v"},
    ReadCase{"[ in a key line starts no section", "[S]\r\nk=[T]\r\n[T]\r\nk=w\r\n", "S", "k", "[T]"},
    ReadCase{"key before any section is unreachable", "k=v\r\n[S]\r\n", "S", "k", "DEF"},
    ReadCase{"key before any section, empty name", "k=v\r\n[S]\r\n", "", "k", "DEF"},
    ReadCase{"line without = is no key", "[S]\r\nk\r\n", "S", "k", "DEF"},
    ReadCase{"first duplicate key wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
    ReadCase{"only the first duplicate section", "[S]\r\na=1\r\n[s]\r\nk=2\r\n", "S", "k", "DEF"},
    ReadCase{"other section not reached", "[A]\r\nk=1\r\n[B]\r\nj=2\r\n", "B", "k", "DEF"},
    ReadCase{"empty value is no default", "[S]\r\nk=\r\n", "S", "k", ""},
    ReadCase{"= inside a value", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
    ReadCase{"empty key name", "[S]\r\n=v\r\n", "S", "", "v"},
    ReadCase{"empty file", "", "S", "k", "DEF"},
    ReadCase{"last line without its end", "[S]\r\nk=v", "S", "k", "v"},
    ReadCase{"zero byte ends the value", "[S]\r\nk=ab\0cd\r\n"sv, "S", "k", "ab"},
    ReadCase{"garbage and binary lines around",
             "\x01\x02\xff\xfe garbage\r\n[S]\r\n\x7f\x80=\x81\r\n\x00\x00\r\nk=v\r\n\x1a"sv,
             "S", "k", "v"},
    ReadCase{"936: ] as trail byte stays in the name", "[\x81]]\r\nk=v\r\n", "\x81]", "k", "v"},
    ReadCase{"936: trail byte matched exactly", "[S]\r\n\x81\x41=v\r\n", "S", "\x81\x41", "v"},
    ReadCase{"936: trail byte never case-folded", "[S]\r\n\x81\x41=v\r\n", "S", "\x81\x61", "DEF"},
    ReadCase{"936: letters after a character fold", "[S]\r\n\xd6\xd0" "Ab=v\r\n", "S", "\xd6\xd0""aB", "v"}));

// One call of the 8-bit read with an absent key, to see the default.
std::string defaultFor(std::string_view defaultValue, std::size_t size) {
  TempFolder folder;
  return getString(folder / "missing.ini", "S", "k", defaultValue, size);
}

TEST(ReadDefault, LosesTrailingBlanksOnly) {
  EXPECT_EQ(defaultFor("dflt \t ", kLarge), "dflt");
  EXPECT_EQ(defaultFor("  d f", kLarge), "  d f");  // leading and inner blanks stay
  EXPECT_EQ(defaultFor("   ", kLarge), "");
}

TEST(ReadDefault, IsCutToTheBuffer) {
  EXPECT_EQ(defaultFor("abcdef", 3), "ab");
  EXPECT_EQ(defaultFor("abcdef", 0), "");
}

class ReadFixture : public testing::Test {
 protected:
  void put(std::string_view content) { writeFile(file_, content); }
  std::string get(std::string_view key, std::size_t size = kLarge) {
    return getString(file_, "S", key, "DEF", size);
  }
  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "x.ini";
};

TEST_F(ReadFixture, LongValueIsCutToSizeLessOne) {
  put("[S]\r\nk=abcdef\r\n");
  EXPECT_EQ(get("k", 7), "abcdef");  // fits with room for the terminator
  EXPECT_EQ(get("k", 6), "abcde");
  EXPECT_EQ(get("k", 2), "a");
  EXPECT_EQ(get("k", 1), "");
  EXPECT_EQ(get("k", 0), "");
}

TEST_F(ReadFixture, MissingSectionOrKeyGivesDefault) {
  put("[S]\r\nk=v\r\n");
  EXPECT_EQ(getString(file_, "T", "k", "DEF", kLarge), "DEF");
  EXPECT_EQ(get("j"), "DEF");
}

TEST_F(ReadFixture, MissingFileGivesDefault) {
  EXPECT_EQ(get("k"), "DEF");
  EXPECT_EQ(getInt(file_, "S", "k", 7), 7);
}

TEST_F(ReadFixture, EveryCallSeesTheLatestContent) {
  put("[S]\r\nk=1\r\n");
  EXPECT_EQ(get("k"), "1");
  put("[S]\r\nk=2\r\n");
  EXPECT_EQ(get("k"), "2");
}

TEST_F(ReadFixture, MegabyteLineIsReadAndSkipped) {
  std::string big(1 << 20, 'x');
  put("[S]\r\n" + big + "\r\nbig=" + big + "\r\nk=v\r\n");
  EXPECT_EQ(get("k"), "v");
  EXPECT_EQ(get("big", big.size() + 1), big);
  EXPECT_EQ(get("big", 5), "xxxx");
}

TEST_F(ReadFixture, DirectoryGivesDefault) {
  std::filesystem::create_directory(file_);
  EXPECT_EQ(get("k"), "DEF");
  EXPECT_EQ(getInt(file_, "S", "k", 9), 9);
}

// Root reads any file whatever its mode, so unreadability comes from the
// path itself: a symbolic link to itself fails to open for everyone.
TEST_F(ReadFixture, UnopenablePathGivesDefault) {
  ASSERT_EQ(::symlink(file_.c_str(), file_.c_str()), 0);
  EXPECT_EQ(get("k"), "DEF");
}

TEST_F(ReadFixture, FifoGivesDefaultWithoutBlocking) {
  ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
  EXPECT_EQ(get("k"), "DEF");
}

struct IntCase {
  const char* what;
  std::string_view line;  // the key line of section S; "" for no key
  int expected;           // with a default of 77
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.what; }

class IntRules : public testing::TestWithParam<IntCase> {
 protected:
  TempFolder folder_;
};

TEST_P(IntRules, ParsesLikeWindows) {
  auto file = folder_ / "x.ini";
  writeFile(file, "[S]\r\n" + std::string(GetParam().line) + "\r\n");
  EXPECT_EQ(getInt(file, "S", "k", 77), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, IntRules, testing::Values(
    IntCase{"zero", "k=0", 0},
    IntCase{"plain", "k=44114", 44114},
    IntCase{"negative", "k=-1", -1},
    IntCase{"plus sign", "k=+1", 1},
    IntCase{"2^32 wraps to 0", "k=4294967296", 0},
    IntCase{"2^32+1 wraps to 1", "k=4294967297", 1},
    IntCase{"minus (2^32+1) wraps to -1", "k=-4294967297", -1},
    IntCase{"2^31 wraps to INT_MIN", "k=2147483648", INT_MIN},
    IntCase{"4294967295 is -1", "k=4294967295", -1},
    IntCase{"digits up to the first non-digit", "k=42A94967297", 42},
    IntCase{"no digit first gives 0", "k=B42", 0},
    IntCase{"no hexadecimal", "k=0x10", 0},
    IntCase{"double sign gives 0", "k=--1", 0},
    IntCase{"sign alone gives 0", "k=+", 0},
    IntCase{"blank after the sign stops", "k=- 5", 0},
    IntCase{"blanks around trimmed", "k=  7  ", 7},
    IntCase{"inner blank stops", "k=12 34", 12},
    IntCase{"quotes stripped first", "k=\"5\"", 5},
    IntCase{"empty value gives the default", "k=", 77},
    IntCase{"missing key gives the default", "j=5", 77},
    IntCase{"commented key gives the default", ";k=5", 77}),
    testing_support::CaseNameFrom<&IntCase::what>{});

}  // namespace
