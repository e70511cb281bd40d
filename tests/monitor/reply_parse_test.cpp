// The reply parse and the reply judgements, case by case.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"

#include <string>
#include <vector>

#include "monitor/core/orvo_usb.h"
#include "monitor/core/status_entry.h"
#include "fake_usb_bus.h"

namespace monitor {
namespace {

std::vector<std::int32_t> codesOf(const std::string& reply) {
  StatusList list;
  parseReplyInto({reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size()}, list);
  std::vector<std::int32_t> codes;
  for (const auto& entry : list.valid()) codes.push_back(entry.code);
  return codes;
}

std::string lines(int count, const std::string& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

struct ParseCase {
  const char* what;
  std::string reply;
  std::vector<std::int32_t> codes;
};

class ParseReplyCodes : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseReplyCodes, FindsTheStatusLines) {
  EXPECT_EQ(codesOf(GetParam().reply), GetParam().codes) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseReplyCodes,
    ::testing::Values(
        ParseCase{"leading zeros", "CODE=00200\r\n", {200}},
        ParseCase{"sub-code folded", "CODE=11237\r\n", {11201}},
        ParseCase{"other family kept", "CODE=11137\r\n", {11137}},
        ParseCase{"every folded family",
                  "CODE=11299\r\nCODE=11388\r\nCODE=11477\r\nCODE=41066\r\nCODE=41255\r\n"
                  "CODE=41344\r\nCODE=41433\r\nCODE=41922\r\nCODE=41122\r\n",
                  {11201, 11301, 11401, 41001, 41201, 41301, 41401, 41901, 41122}},
        ParseCase{"text before the tag is not looked at", "XYZCODE=00005\r\n", {5}},
        ParseCase{"three digits is no status line", "CODE=200\r\n", {}},
        ParseCase{"LF alone is no line end", "CODE=00200\n", {}},
        ParseCase{"line feed at position 10 is too early", "ODE=00200\r\n", {}},
        ParseCase{"minimal line at position 11", "CODE=00001\r\n", {1}},
        ParseCase{"free text only", "Hello\r\nprinter\r\n", {}},
        ParseCase{"sign and blanks", "CODE= -012\r\n", {-12}},
        ParseCase{"no digits gives 0", "CODE=abcde\r\n", {0}},
        ParseCase{"two lines in order", "A=1;CODE=00300\r\nB=2;CODE=00301\r\n", {300, 301}},
        ParseCase{"35 lines keep the first 30", lines(35, "CODE=00007\r\n"),
                  std::vector<std::int32_t>(30, 7)},
        ParseCase{"zero byte does not end the scan",
                  std::string("CODE=00001\r\n\0CODE=00002\r\n", 25), {1, 2}}),
    testing_support::CaseNameFrom<&ParseCase::what>{});

TEST(ParseReply, EmptyReplyClearsAndReturnsZero) {
  StatusList list;
  list.count = 3;
  EXPECT_EQ(parseReplyInto({}, list), 0);
  EXPECT_EQ(list.count, 0);
  std::string free = "nothing here";
  EXPECT_EQ(parseReplyInto({reinterpret_cast<const std::uint8_t*>(free.data()), free.size()}, list), 1);
}

TEST(ParseReply, FieldsBeforeTheTagBecomeTheTexts) {
  std::string reply =
      "FWVersion=V1.08;OPLVersion=2.01A;CODE=00100\r\n"
      "SleepMode=15;CODE=00200\r\n"
      "CODE=00001\r\n"
      "HostName=a-host-name-that-is-far-too-long-to-keep;CODE=00602\r\n";
  StatusList list;
  parseReplyInto({reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size()}, list);
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(list.entries[0].firstText, "FWVersion=V1.08");
  EXPECT_EQ(list.entries[0].secondText, "OPLVersion=2.01A");
  EXPECT_EQ(list.entries[1].firstText, "");
  EXPECT_EQ(list.entries[1].secondText, "SleepMode=15");
  EXPECT_EQ(list.entries[2].secondText, "");
  EXPECT_EQ(list.entries[3].secondText, "HostName=a-host-name-that-is-fa") << "cut to 31";
}

TEST(ParseReply, ReplyErrorCodes) {
  for (std::int32_t code : {3030, 3039, 3050, 3064, 3071, 3074, 3171, 3172, 4000})
    EXPECT_TRUE(isReplyErrorCode(code)) << code;
  for (std::int32_t code : {3029, 3031, 3038, 3065, 3070, 3075, 3170, 3173, 3999, 4001})
    EXPECT_FALSE(isReplyErrorCode(code)) << code;
}

struct CheckCase {
  const char* what;
  std::uint8_t kind;
  std::string reply;
  bool confirmed;
  bool linkStays;
};

class CheckReplyTable : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckReplyTable, JudgesTheEntries) {
  const auto& c = GetParam();
  testing_support::FakeUsbBus bus;
  COrvoUsb usb(bus);
  ASSERT_EQ(usb.OpenLink(), 1);
  usb.ParseReply({reinterpret_cast<const std::uint8_t*>(c.reply.data()), c.reply.size()});
  EXPECT_EQ(usb.CheckReply(c.kind), c.confirmed) << c.what;
  EXPECT_EQ(usb.linkUsable(), c.linkStays) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckReplyTable,
    ::testing::Values(
        CheckCase{"status: 1001 before 1 fails", 49, "CODE=01001\r\nCODE=00001\r\n", false, true},
        CheckCase{"status: 7 then 19 succeeds", 49, "CODE=00007\r\nCODE=00019\r\n", true, true},
        CheckCase{"status: nothing confirming", 49, "CODE=00007\r\n", false, true},
        CheckCase{"setting: 20 confirms", 23, "CODE=00020\r\n", true, true},
        CheckCase{"setting: 21 confirms", 23, "CODE=00021\r\n", true, true},
        CheckCase{"setting: error code wins", 23, "CODE=00020\r\nCODE=03050\r\n", false, false},
        CheckCase{"no entries drops the link", 23, "free text\r\n", false, false},
        CheckCase{"cancel: 4 confirms", 46, "CODE=00004\r\n", true, true},
        CheckCase{"unlock: 2 does not", 48, "CODE=00002\r\n", false, true},
        CheckCase{"lock: 2 confirms", 47, "CODE=00002\r\n", true, true},
        CheckCase{"unknown kind", 50, "CODE=00001\r\n", false, true}),
    testing_support::CaseNameFrom<&CheckCase::what>{});

}  // namespace
}  // namespace monitor
