// qz3317vt-root init: the folders the driver's installation would make,
// made once and reported, under DIR or the programs' own root.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder without the root layout.
class RootTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qz3317vt-root-XXXXXX").string();
    scratch_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(scratch_); }

  testing_support::RunResult init(const std::vector<std::string>& words,
                                  const fs::path& envRoot) const {
    std::vector<std::string> argv{QZ_ROOT_TOOL, "init"};
    argv.insert(argv.end(), words.begin(), words.end());
    return testing_support::runProgram(argv, {{"QZ3317VT_ROOT", envRoot.string()}});
  }

  static std::string report(const fs::path& root, const char* verb) {
    auto line = [&](const char* folder, const char* role) {
      return std::string(verb) + (root / folder).string() + "  (" + role + ")\n";
    };
    return line("Program Files/VARN/QZ3317VT",
                "the record folder: the exchange file and the driver's records") +
           line("ProgramData/VARN/QZ3317VT",
                "the common application-data folder: the usage log database") +
           line("Windows", "the Windows folder: win.ini") +
           line("Windows/System32/spool/drivers/x64/3",
                "the printer-driver directory: the resource texts");
  }

  fs::path scratch_;
};

TEST_F(RootTool, MakesTheLayoutOnceAndSaysSo) {
  auto root = scratch_ / "root";
  auto first = init({}, root);
  EXPECT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.out, report(root, "made   "));
  EXPECT_EQ(first.err, "");
  auto second = init({}, root);
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.out, report(root, "exists "));
}

// The layout is what the programs and the test roots use.
TEST_F(RootTool, MakesWhatATestRootHas) {
  auto root = scratch_ / "root";
  ASSERT_EQ(init({}, root).exitCode, 0);
  testing_support::TempRoot reference;
  for (const auto& entry : fs::recursive_directory_iterator(reference.path())) {
    EXPECT_TRUE(fs::is_directory(root / entry.path().lexically_relative(reference.path())))
        << entry.path();
  }
}

TEST_F(RootTool, DirWinsOverTheEnvironmentAndMayBeRelative) {
  auto envRoot = scratch_ / "env";
  auto run = testing_support::runProgram(
      {"/bin/sh", "-c", "cd \"$0\" && exec \"$1\" init given", scratch_.string(), QZ_ROOT_TOOL},
      {{"QZ3317VT_ROOT", envRoot.string()}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, report(scratch_ / "given", "made   "));
  EXPECT_FALSE(fs::exists(envRoot));
}

TEST_F(RootTool, AFileInTheWayIsReportedAndTheRestStillMade) {
  auto root = scratch_ / "root";
  fs::create_directories(root);
  testing_support::writeFile(root / "Windows", "not a folder");
  auto run = init({}, root);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("qz3317vt-root: cannot make " + (root / "Windows").string()),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(fs::is_directory(root / "Program Files/VARN/QZ3317VT"));
  EXPECT_TRUE(fs::is_directory(root / "ProgramData/VARN/QZ3317VT"));
}

TEST_F(RootTool, OtherWordsAreAUsageError) {
  for (const std::vector<std::string>& argv :
       {std::vector<std::string>{QZ_ROOT_TOOL}, {QZ_ROOT_TOOL, "make"},
        {QZ_ROOT_TOOL, "init", "a", "b"}, {QZ_ROOT_TOOL, "init", ""}}) {
    auto run = testing_support::runProgram(argv, {{"QZ3317VT_ROOT", (scratch_ / "r").string()}});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "usage: qz3317vt-root init [DIR]\n");
  }
  EXPECT_FALSE(fs::exists(scratch_ / "r"));
}

}  // namespace
