// The pure rules of the status window: the status table and code classes,
// the message texts with their limits and the "c2" template, the redraw
// skip rule, the picture geometry and the order command line.
#include <gtest/gtest.h>

#include <map>

#include "base/fake_registry.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/ui/message_texts.h"
#include "monitor/ui/order_site.h"
#include "monitor/ui/status_evaluation.h"
#include "../fake_usb_bus.h"
#include "tests/support/case_names.h"
#include "tests/support/temp_root.h"

namespace monitor {
namespace {

TEST(StatusTable, RowsAreFoundByCodeAndUnknownCodesGiveRowZero) {
  testing_support::TempRoot root;
  testing_support::FakeUsbBus bus;
  COrvoUsb usb(bus);
  CPPL_W3 printer(usb);
  EXPECT_EQ(printer.FindStatusRow(44114), 30);
  EXPECT_EQ(printer.FindStatusRow(60185), 44) << "rows 44 and 45 are out of numeric order";
  EXPECT_EQ(printer.FindStatusRow(60182), 45);
  EXPECT_EQ(printer.FindStatusRow(50001), 64);
  EXPECT_EQ(printer.FindStatusRow(10000), 0);
  EXPECT_EQ(printer.FindStatusRow(12345), 0);
  for (std::size_t row = 0; row < kStatusRows; ++row)
    EXPECT_EQ(kStatusTable[row].messageIndex, static_cast<int>(row));
  EXPECT_EQ(statusName(21), "V_NO_CARTRIGE");
}

TEST(CodeClasses, ErrorsThenWarningsThenInformation) {
  EXPECT_EQ(classOfCode(44114), CodeClass::Error);
  EXPECT_EQ(classOfCode(50001), CodeClass::Error);
  EXPECT_EQ(classOfCode(62123), CodeClass::Warning);
  EXPECT_EQ(classOfCode(88888), CodeClass::Warning);
  EXPECT_EQ(classOfCode(40000), CodeClass::Information);
  EXPECT_EQ(classOfCode(10023), CodeClass::Information);
  EXPECT_EQ(classOfCode(10000), CodeClass::None) << "row 0 is in no class";
  EXPECT_EQ(classOfCode(1001), CodeClass::None);
  EXPECT_EQ(classOfCode(5003), CodeClass::None);
}

TEST(CodeClasses, OnlyTheLastEntryCounts) {
  StatusList list;
  list.count = 2;
  list.entries[0].code = 44114;
  list.entries[1].code = 12345;
  EXPECT_FALSE(chooseStatusEntry(list).found);
  list.entries[1].code = 62123;
  auto chosen = chooseStatusEntry(list);
  EXPECT_TRUE(chosen.found);
  EXPECT_EQ(chosen.entry, 1);
  EXPECT_FALSE(chosen.topmost) << "a warning is not kept on top";
  list.count = 0;
  EXPECT_FALSE(chooseStatusEntry(list).found);
}

// The "c2" template comes from a shipped file: only its first "%s" is
// filled, everything else is copied.
struct TemplateCase {
  const char* name;
  const char* pattern;
  const char* expected;
};
class CodeTemplate : public ::testing::TestWithParam<TemplateCase> {};
TEST_P(CodeTemplate, FillsOnlyTheFirstPercentS) {
  EXPECT_EQ(fillCodeTemplate(GetParam().pattern, "44114"), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Hostile, CodeTemplate,
    ::testing::Values(TemplateCase{"Plain", "Code: %s", "Code: 44114"},
                      TemplateCase{"NoConversion", "no code", "no code"},
                      TemplateCase{"WriteConversion", "%n%s", "%n44114"},
                      TemplateCase{"TwoStrings", "%s%s", "44114%s"},
                      TemplateCase{"Integer", "%d then %s", "%d then 44114"},
                      TemplateCase{"LonePercent", "100% %", "100% %"},
                      TemplateCase{"TrailingPercent", "%s %", "44114 %"},
                      TemplateCase{"Empty", "", ""}),
    testing_support::CaseNameFrom<&TemplateCase::name>{});

TEST(AnsiCut, NeverSplitsADoubleByteCharacter) {
  EXPECT_EQ(cutAnsi("abc", 5), "abc");
  EXPECT_EQ(cutAnsi("abcdef", 3), "abc");
  EXPECT_EQ(cutAnsi("a\xBF\xA8", 2), "a") << "the lead byte would be cut from its trail byte";
  EXPECT_EQ(cutAnsi("a\xBF\xA8", 3), "a\xBF\xA8");
  EXPECT_EQ(cutAnsi("\xBF\xA8\xD6\xBD", 3), "\xBF\xA8");
  EXPECT_EQ(cutAnsi("x\xBF", 5), "x\xBF") << "a lead byte at the end stands alone";
}

std::map<std::string, std::string> readyTexts() {
  return {{"V_READY", "Ready"}, {"V_READYc2", "Code: %s"}, {"V_READYi1", "OK"}};
}

MessageTexts compose(int row, const std::map<std::string, std::string>& values) {
  return composeMessageTexts(kStatusTable[static_cast<std::size_t>(row)], [&](const std::string& key) {
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
  });
}

TEST(MessageTexts, TitleWithTheCodeLineAndInformationLines) {
  auto texts = compose(kRowReady, readyTexts());
  EXPECT_EQ(texts.title, "Ready\r\nCode: 10001");
  EXPECT_EQ(texts.information, "OK\r\n");
}

TEST(MessageTexts, TheFirstMissingLineEndsTheInformation) {
  auto texts = compose(30, {{"V_JAM_TRAY1i1", "one"}, {"V_JAM_TRAY1i2", "two"}, {"V_JAM_TRAY1i4", "four"}});
  EXPECT_EQ(texts.information, "one\r\ntwo\r\n");
  EXPECT_EQ(texts.title, "\r\n");
}

TEST(MessageTexts, LimitsCutWithoutSplittingCharacters) {
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\xBF\xA8";  // 400 bytes
  auto texts = compose(30, {{"V_JAM_TRAY1", "x" + wide},
                            {"V_JAM_TRAY1i1", wide}, {"V_JAM_TRAY1i2", wide}});
  EXPECT_EQ(texts.title.size(), 255u) << "x and 127 characters";
  EXPECT_EQ(texts.information.size(), 510u) << "511 would split the 256th character";
}

TEST(RedrawRule, SkipCounterAcrossUnchangedTicks) {
  EXPECT_EQ(nextRedrawStep(false, true, 7).redraw, true);
  EXPECT_EQ(nextRedrawStep(false, true, 7).counter, 0) << "a change starts again";
  EXPECT_EQ(nextRedrawStep(true, false, 5).redraw, false);
  EXPECT_EQ(nextRedrawStep(true, false, 5).counter, 0) << "no job: no redraw, counter cleared";
  EXPECT_EQ(nextRedrawStep(true, true, 1).redraw, true) << "below 2 every printing tick redraws";
  EXPECT_EQ(nextRedrawStep(true, true, 1).counter, 1);
  EXPECT_EQ(nextRedrawStep(true, true, 2).redraw, false);
  EXPECT_EQ(nextRedrawStep(true, true, 10).counter, 11);
  EXPECT_EQ(nextRedrawStep(true, true, 11).redraw, true);
  EXPECT_EQ(nextRedrawStep(true, true, 11).counter, 0);
}

struct GeometryCase {
  const char* name;
  platform::ui::Rect item;
  platform::ui::Rect expected;
};
class PictureGeometry : public ::testing::TestWithParam<GeometryCase> {};
TEST_P(PictureGeometry, CentredAtNaturalSizeOrSqueezed) {
  EXPECT_EQ(pictureRect(GetParam().item, 70, 75), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Rects, PictureGeometry,
    ::testing::Values(GeometryCase{"Exact", {0, 0, 70, 75}, {0, 0, 70, 75}},
                      GeometryCase{"LargerCentred", {10, 20, 105, 122}, {27, 43, 70, 75}},
                      GeometryCase{"OddHalvesRoundDown", {0, 0, 73, 78}, {1, 1, 70, 75}},
                      GeometryCase{"Smaller", {5, 5, 40, 30}, {5, 5, 40, 30}},
                      GeometryCase{"NarrowerOnly", {0, 0, 50, 100}, {0, 12, 50, 75}},
                      GeometryCase{"LowerOnly", {0, 0, 90, 60}, {10, 0, 70, 60}}),
    testing_support::CaseNameFrom<&GeometryCase::name>{});

TEST(PictureChoice, ByKind) {
  EXPECT_EQ(pictureForKind(StatusKind::Error), 329);
  EXPECT_EQ(pictureForKind(StatusKind::Warning), 330);
  EXPECT_EQ(pictureForKind(StatusKind::Normal), 328);
}

constexpr const char* kIe = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
constexpr const char* kNetscape = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe";
using platform::base::RegistryHive;

TEST(orderCommandLine, FromEachRegistryCase) {
  platform::base::FakeRegistry none;
  EXPECT_EQ(orderCommandLine(none, "http://a/b"),
            "\"C:\\Program Files\\Internet Explorer\\Iexplore.exe\" http://a/b");

  platform::base::FakeRegistry ie;
  ie.set(RegistryHive::LocalMachine, kIe, "Path", "C:\\Program Files\\Internet Explorer;");
  ie.set(RegistryHive::LocalMachine, kNetscape, "Path", "C:\\NS");
  EXPECT_EQ(orderCommandLine(ie, "http://a/b"),
            "C:\\Program Files\\Internet Explorer\\Iexplore.exe http://a/b");

  platform::base::FakeRegistry netscape;
  netscape.set(RegistryHive::LocalMachine, kNetscape, "Path", "C:\\NS");
  EXPECT_EQ(orderCommandLine(netscape, "http://a/b"), "C:\\NS\\Netscape.exe http://a/b");

  platform::base::FakeRegistry empty;
  empty.set(RegistryHive::LocalMachine, kIe, "Path", "");
  EXPECT_EQ(orderCommandLine(empty, "x"), "\\Iexplore.exe x") << "nothing to drop, nothing read before it";

  platform::base::FakeRegistry tooLong;
  tooLong.set(RegistryHive::LocalMachine, kIe, "Path", std::string(260, 'p'));
  EXPECT_EQ(orderCommandLine(tooLong, "x").front(), '"') << "a value past 260 bytes fails to read";
}

TEST(orderCommandLine, CutAt259Bytes) {
  platform::base::FakeRegistry none;
  auto line = orderCommandLine(none, std::string(400, 'a'));
  EXPECT_EQ(line.size(), 259u);
}

}  // namespace
}  // namespace monitor
