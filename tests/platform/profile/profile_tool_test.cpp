// The qz3317vt-ini command line: output, exit codes and the UTF-16 form.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_root.h"
#include "tests/support/process.h"

namespace {

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::TempFolder;
using testing_support::RunResult;
using testing_support::writeFile;

class Tool : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(QZ_INI_TOOL))
        << "the tool is missing: " << QZ_INI_TOOL;
  }
  RunResult run(std::vector<std::string> args) {
    args.insert(args.begin(), QZ_INI_TOOL);
    return runProgram(args);
  }
  TempFolder folder_;
  std::string file_ = (folder_ / "x.ini").string();
};

TEST_F(Tool, SetThenGetPrintsTheValue) {
  EXPECT_EQ(run({"set", file_, "DRVMSG", "msgCode", "44114"}).exitCode, 0);
  EXPECT_EQ(readFile(file_), "[DRVMSG]\r\nmsgCode=44114\r\n");
  RunResult got = run({"get", file_, "drvmsg", "MSGCODE"});
  EXPECT_EQ(got.exitCode, 0);
  EXPECT_EQ(got.out, "44114\n");
  EXPECT_EQ(run({"get", file_, "DRVMSG", "msgCode", "--raw"}).out, "44114");
}

TEST_F(Tool, GetGivesTheDefaultAndCutsToSize) {
  writeFile(file_, "[S]\r\nk=abcdef\r\n");
  EXPECT_EQ(run({"get", file_, "S", "missing", "NONE  "}).out, "NONE\n");
  EXPECT_EQ(run({"get", file_, "S", "missing"}).out, "\n");
  EXPECT_EQ(run({"get", "--size", "4", file_, "S", "k"}).out, "abc\n");
  EXPECT_EQ(run({"get", file_, "S", "k", "--size", "0", "--raw"}).out, "");
}

TEST_F(Tool, GetIntPrintsTheNumber) {
  writeFile(file_, "[S]\r\nk=4294967297\r\n");
  EXPECT_EQ(run({"get-int", file_, "S", "k", "5"}).out, "1\n");
  EXPECT_EQ(run({"get-int", file_, "S", "j", "-5", "--raw"}).out, "-5");
}

TEST_F(Tool, SetThatWritesNothingExitsOne) {
  auto missing = (folder_ / "no" / "x.ini").string();
  RunResult set = run({"set", missing, "S", "k", "v"});
  EXPECT_EQ(set.exitCode, 1);
  EXPECT_EQ(set.err, "qz3317vt-ini: nothing written to " + missing +
                         " (is its folder there and writable?)\n");
}

TEST_F(Tool, DoubleDashEndsOptions) {
  EXPECT_EQ(run({"set", file_, "S", "k", "--", "--raw"}).exitCode, 0);
  EXPECT_EQ(run({"get", file_, "S", "k", "--raw"}).out, "--raw");
}

TEST_F(Tool, Utf16FormTakesAndGivesUtf8) {
  ASSERT_EQ(run({"set", file_, "中文", "键", "值", "--utf16"}).exitCode, 0);
  EXPECT_EQ(readFile(file_), "[\xd6\xd0\xce\xc4]\r\n\xbc\xfc=\xd6\xb5\r\n");  // code page 936
  EXPECT_EQ(run({"get", "--utf16", file_, "中文", "键"}).out, "值\n");
  EXPECT_EQ(run({"get", file_, "\xd6\xd0\xce\xc4", "\xbc\xfc"}).out, "\xd6\xb5\n");  // bytes
  EXPECT_EQ(run({"get", "--utf16", file_, "中文", "无", "默认"}).out, "默认\n");
  EXPECT_EQ(run({"get-int", "--utf16", file_, "中文", "键", "3"}).out, "0\n");
}

TEST_F(Tool, UsageErrorsExitTwoWithUsageText) {
  const std::vector<std::vector<std::string>> cases = {
      {},                                            // no command
      {"put", file_, "S", "k", "v"},                 // unknown command
      {"get", file_, "S"},                           // too few
      {"get", file_, "S", "k", "d", "extra"},        // too many
      {"get", file_, "S", "k", "--size"},            // size without number
      {"get", file_, "S", "k", "--size", "-1"},      // negative size
      {"get", file_, "S", "k", "--size", "4x"},      // not a number
      {"get", file_, "S", "k", "--bogus"},           // unknown option
      {"get-int", file_, "S", "k"},                  // default missing
      {"get-int", file_, "S", "k", "seven"},         // default not a number
      {"get-int", file_, "S", "k", "9999999999"},    // default out of range
      {"set", file_, "S", "k"},                      // value missing
      {"set", file_, "S", "k", "v", "--raw"},        // set prints nothing
  };
  for (const auto& args : cases) {
    RunResult r = run(args);
    std::string line;
    for (const auto& a : args) line += a + " ";
    EXPECT_EQ(r.exitCode, 2) << line;
    EXPECT_NE(r.err.find("usage: qz3317vt-ini"), std::string::npos) << line;
    EXPECT_EQ(r.out, "") << line;
  }
  EXPECT_FALSE(std::filesystem::exists(file_)) << "a usage error wrote the file";
}

}  // namespace
