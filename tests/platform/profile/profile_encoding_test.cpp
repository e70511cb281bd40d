// The two forms across file encodings: 8-bit files in code page 936, UTF-16LE
// files with the mark FF FE, and marks that are not recognised.
#include <gtest/gtest.h>

#include <string>

#include "profile/profile.h"
#include "tests/support/temp_root.h"

namespace {

using namespace std::string_view_literals;
using platform::profile::getIntW;
using platform::profile::getString;
using platform::profile::getStringW;
using platform::profile::writeString;
using platform::profile::writeStringW;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::utf16File;
using testing_support::writeFile;

constexpr std::size_t kLarge = 65536;

// 中文 键 值 in code page 936.
constexpr std::string_view kZhongWen = "\xd6\xd0\xce\xc4";
constexpr std::string_view kJian = "\xbc\xfc";
constexpr std::string_view kZhi = "\xd6\xb5";

class Encodings : public testing::Test {
 protected:
  std::u16string readW(std::u16string_view section, std::u16string_view key,
                       std::size_t size = kLarge) {
    return getStringW(file_, section, key, u"DEF", size);
  }
  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "x.ini";
};

TEST_F(Encodings, AnsiFileReadsThroughTheUtf16Form) {
  writeFile(file_, "[" + std::string(kZhongWen) + "]\r\n" + std::string(kJian) + "=" +
                        std::string(kZhi) + "\r\n[DrvMsg]\r\nmsgCode=44114\r\n");
  EXPECT_EQ(readW(u"中文", u"键"), u"值");
  EXPECT_EQ(readW(u"DRVMSG", u"MSGCODE"), u"44114");  // ASCII folds
  EXPECT_EQ(getIntW(file_, u"DRVMSG", u"msgCode", -1), 44114);
}

TEST_F(Encodings, Utf16FileReadsThroughBothForms) {
  writeFile(file_, utf16File(u"[中文]\r\n键= \"值 \" \r\nn=-12x\r\n"));
  EXPECT_EQ(readW(u"中文", u"键"), u"值 ");
  EXPECT_EQ(getIntW(file_, u"中文", u"N", 5), -12);
  std::string section(kZhongWen);
  EXPECT_EQ(getString(file_, section, kJian, "DEF", kLarge), std::string(kZhi) + " ");
}

TEST_F(Encodings, Utf16FormFoldsAsciiOnly) {
  writeFile(file_, utf16File(u"[S]\r\nÉ=1\r\nAbc=2\r\n"));
  EXPECT_EQ(readW(u"s", u"é"), u"DEF");
  EXPECT_EQ(readW(u"s", u"aBC"), u"2");
}

TEST_F(Encodings, Utf16ValueIsCutInCodeUnits) {
  writeFile(file_, utf16File(u"[S]\r\nk=中文字\r\n"));
  EXPECT_EQ(readW(u"S", u"k", 3), u"中文");
  EXPECT_EQ(readW(u"S", u"k", 1), u"");
}

TEST_F(Encodings, MarkOnlyFileTakesUtf16Writes) {
  writeFile(file_, "\xFF\xFE");
  ASSERT_TRUE(writeStringW(file_, u"S", u"键", u"值"));
  EXPECT_EQ(readFile(file_), utf16File(u"[S]\r\n键=值\r\n"));
}

TEST_F(Encodings, AnsiWriteToMarkOnlyFileIsUtf16) {
  writeFile(file_, "\xFF\xFE");
  ASSERT_TRUE(writeString(file_, "S", kJian, kZhi));
  EXPECT_EQ(readFile(file_), utf16File(u"[S]\r\n键=值\r\n"));
}

TEST_F(Encodings, WritesKeepAUtf16FileUtf16) {
  writeFile(file_, utf16File(u"; head\r\n[S]\r\nk=1\r\n"));
  ASSERT_TRUE(writeStringW(file_, u"s", u"K", u"二"));
  ASSERT_TRUE(writeString(file_, "S", "j", "2"));
  ASSERT_TRUE(writeStringW(file_, u"T", u"t", u"3"));
  EXPECT_EQ(readFile(file_), utf16File(u"; head\r\n[S]\r\nk=二\r\nj=2\r\n[T]\r\nt=3\r\n"));
}

TEST_F(Encodings, OddLastByteOfAUtf16FileIsKept) {
  writeFile(file_, utf16File(u"[S]\r\nk=1\r\n") + "\x41");
  EXPECT_EQ(readW(u"S", u"k"), u"1");
  ASSERT_TRUE(writeStringW(file_, u"S", u"k", u"2"));
  EXPECT_EQ(readFile(file_), utf16File(u"[S]\r\nk=2\r\n") + "\x41");
}

TEST_F(Encodings, Utf16WriteToAnsiFileConvertsTo936) {
  writeFile(file_, "[S]\r\nk=1\r\n");
  ASSERT_TRUE(writeStringW(file_, u"S", u"键", u"值"));
  ASSERT_TRUE(writeStringW(file_, u"S", u"k", u"\U0001F600"));  // not in 936
  EXPECT_EQ(readFile(file_), "[S]\r\nk=?\r\n" + std::string(kJian) + "=" + std::string(kZhi) +
                                  "\r\n");
}

// An 8-bit file is read through code page 936, so a UTF-16 name it cannot
// hold would be written as "?" and never be found again: refused. A UTF-16
// file holds it.
TEST_F(Encodings, Utf16NameOutside936IsRefusedOnAnAnsiFileOnly) {
  writeFile(file_, "[S]\r\nk=1\r\n");
  EXPECT_FALSE(writeStringW(file_, u"S", u"\U0001F600", u"v"));
  EXPECT_FALSE(writeStringW(file_, u"\u0e01", u"k", u"v"));
  EXPECT_EQ(readFile(file_), "[S]\r\nk=1\r\n");

  writeFile(file_, utf16File(u"[S]\r\nk=1\r\n"));
  ASSERT_TRUE(writeStringW(file_, u"S", u"\U0001F600", u"v"));
  EXPECT_EQ(readW(u"S", u"\U0001F600"), u"v");
}

// The 8-bit form keeps its own name rules on a UTF-16 file, and the UTF-16
// form its rules on either file.
TEST_F(Encodings, RefusedNamesAreRefusedInEveryEncoding) {
  const std::string utf16 = utf16File(u"[S]\r\nk=1\r\n");
  writeFile(file_, utf16);
  EXPECT_FALSE(writeString(file_, "\xE8"sv, "k", "v"));
  EXPECT_FALSE(writeString(file_, "S", "a=b", "v"));
  EXPECT_FALSE(writeStringW(file_, u"A]B", u"k", u"v"));
  EXPECT_FALSE(writeStringW(file_, u"S", u"k\r", u"v"));
  EXPECT_EQ(readFile(file_), utf16);
  writeFile(file_, "[S]\r\n");
  EXPECT_FALSE(writeStringW(file_, u" S", u"k", u"v"));
  EXPECT_EQ(readFile(file_), "[S]\r\n");
}

TEST_F(Encodings, Utf16WriteMakesAnAnsiFile) {
  ASSERT_TRUE(writeStringW(file_, u"中文", u"k", u"值"));
  EXPECT_EQ(readFile(file_), "[" + std::string(kZhongWen) + "]\r\nk=" + std::string(kZhi) +
                                  "\r\n");
}

TEST_F(Encodings, Utf8MarkIsNotRecognised) {
  writeFile(file_, "\xEF\xBB\xBF[S]\r\nk=v\r\n");
  EXPECT_EQ(readW(u"S", u"k"), u"DEF");  // the first line is no header
  EXPECT_EQ(getString(file_, "S", "k", "DEF", kLarge), "DEF");
  ASSERT_TRUE(writeString(file_, "S", "k", "2"));
  EXPECT_EQ(readFile(file_), "\xEF\xBB\xBF[S]\r\nk=v\r\n[S]\r\nk=2\r\n");
}

TEST_F(Encodings, Utf16BigEndianMarkIsNotRecognised) {
  writeFile(file_, "\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0v\0\r\0\n"sv);
  EXPECT_EQ(readW(u"S", u"k"), u"DEF");
  EXPECT_EQ(getString(file_, "S", "k", "DEF", kLarge), "DEF");
}

}  // namespace
