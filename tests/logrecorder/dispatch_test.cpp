// The dispatch from the command-line word, the retries for the names, and
// the surrogate rules of the record texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logrecorder/dispatch.h"
#include "logrecorder/log_records.h"
#include "logrecorder/system_names.h"
#include "tests/support/case_names.h"
#include "tests/support/temp_root.h"

namespace logrecorder {
namespace {

// Which reader a tail runs (by its word), or "" when none does.
std::string writerFor(std::string_view tail) {
  std::string ran;
  auto reader = [&ran](std::u16string table, std::string name) {
    return [&ran, table, name] {
      ran += name;
      return LogRow{table, {}};
    };
  };
  RecordReaders readers{reader(u"CopyLog", "CopyLog"), reader(u"PRINTDOC", "PrintLog"),
                        reader(u"PRINTDOC_NET", "PrintLog_NET"), reader(u"ScanLog", "ScanLog"),
                        reader(u"ScanLog_NET", "ScanLog_NET")};
  auto row = dispatch(tail, readers);
  EXPECT_EQ(!row, ran.empty()) << "the reader's row comes back, else none";
  return ran;
}

TEST(DispatchTest, EachWordRunsExactlyItsWriter) {
  EXPECT_EQ(writerFor("CopyLog"), "CopyLog");
  EXPECT_EQ(writerFor("PrintLog"), "PrintLog");
  EXPECT_EQ(writerFor("PrintLog_NET"), "PrintLog_NET");
  EXPECT_EQ(writerFor("ScanLog"), "ScanLog");
  EXPECT_EQ(writerFor("ScanLog_NET"), "ScanLog_NET");
}

TEST(DispatchTest, AnythingButAWholeWordRunsNothing) {
  EXPECT_EQ(writerFor(""), "");
  EXPECT_EQ(writerFor("scanlog"), "");             // letter case
  EXPECT_EQ(writerFor("ScanLog "), "");            // trailing blank
  EXPECT_EQ(writerFor(" ScanLog"), "");            // leading blank
  EXPECT_EQ(writerFor("ScanLog ScanLog"), "");     // two words
  EXPECT_EQ(writerFor("ScanLog_NE"), "");          // a prefix of a word
  EXPECT_EQ(writerFor(std::string_view("ScanLog\0", 8)), "");  // a NUL after it
}

TEST(DispatchTest, TheWordBufferHolds259Bytes) {
  EXPECT_EQ(logWord(std::string(300, 'a')), std::string(259, 'a'));
  EXPECT_EQ(logWord("PrintLog"), "PrintLog");
}

// A record text as the recorder stores it: cut to 259 units, never inside a
// surrogate pair, and without lone surrogates.
struct CutCase {
  const char* what;
  std::u16string value;
  std::u16string stored;
};

void PrintTo(const CutCase& c, std::ostream* os) { *os << c.what; }

class RecordTextTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(RecordTextTest, IsStoredAsAReaderCanDecodeIt) {
  testing_support::TempRoot root;
  auto file = root.recordFolder() / "QZ3317VTSettings.ini";
  testing_support::writeFile(file, testing_support::utf16File(u"[ScanLog]\r\nDocName=" +
                                                                GetParam().value + u"\r\n"));
  EXPECT_EQ(readScanRecord(file).docName, GetParam().stored);
}

const std::u16string k258(258, u'a');
const std::u16string kPair = u"\U00020000";  // D840 DC00

INSTANTIATE_TEST_SUITE_P(
    Cuts, RecordTextTest,
    ::testing::Values(
        CutCase{"a pair across the cut is left out whole", k258 + kPair + u"b", k258},
        CutCase{"a pair just before the cut is kept", k258.substr(1) + kPair + u"b",
                k258.substr(1) + kPair},
        CutCase{"a pair right after the cut is cut off", k258 + u"b" + kPair, k258 + u"b"},
        CutCase{"a lone high surrogate becomes U+FFFD", u"x\xD800y", u"x\uFFFDy"},
        CutCase{"a lone low surrogate becomes U+FFFD", u"x\xDC00", u"x\uFFFD"},
        CutCase{"a reversed pair is two lone ones", u"\xDC00\xD800", u"\uFFFD\uFFFD"},
        CutCase{"a high surrogate cut from its partner at the end", k258 + u"\xD840",
                k258 + u"\uFFFD"}),
    testing_support::CaseNameFrom<&CutCase::what>{});

// Answers from a script of names, counting the calls.
struct ScriptedNames {
  std::vector<std::u16string> answers;
  int calls = 0;
  std::u16string operator()(std::size_t capacity) {
    EXPECT_EQ(capacity, 260u);
    auto index = static_cast<std::size_t>(calls++);
    return index < answers.size() ? answers[index] : u"";
  }
};

void expectNames(std::vector<std::u16string> answers, std::u16string name, int calls) {
  ScriptedNames script{std::move(answers)};
  EXPECT_EQ(nameWithRetries(std::ref(script)), name);
  EXPECT_EQ(script.calls, calls);
}

TEST(SystemNameTest, EmptyAnswersAreAskedAgainUpToTenTimes) {
  expectNames({u"PC-01"}, u"PC-01", 1);                 // the first answer is kept
  expectNames({u"", u"", u"PC-02", u"other"}, u"PC-02", 3);  // stops at the first name
  expectNames({}, u"", 11);                             // 11 calls in all, then empty
  {
    std::vector<std::u16string> late(10, u"");
    late.push_back(u"late");
    expectNames(late, u"late", 11);
  }
  {
    std::vector<std::u16string> tooLate(11, u"");
    tooLate.push_back(u"too late");
    expectNames(tooLate, u"", 11);
  }
}

TEST(SystemNameTest, ANameThatDoesNotFitTheBufferIsEmpty) {
  EXPECT_FALSE(systemComputerName(260).empty());
  EXPECT_EQ(systemComputerName(1), u"");
  EXPECT_FALSE(systemUserName(260).empty());
  EXPECT_EQ(systemUserName(1), u"");
}

}  // namespace
}  // namespace logrecorder
