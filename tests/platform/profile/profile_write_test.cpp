// Writing keys with the 8-bit form: byte-exact results, file creation, and
// the cases where nothing may be written.
#include <gtest/gtest.h>

#include "tests/support/case_names.h"
#include <sys/stat.h>

#include <sys/wait.h>

#include <optional>
#include <string>

#include "base/folders.h"
#include "profile/profile.h"
#include "tests/support/other_user.h"
#include "tests/support/temp_root.h"

namespace {

using namespace std::string_view_literals;

using platform::profile::getString;
using platform::profile::writeString;
using testing_support::readFile;
using testing_support::TempFolder;
using testing_support::writeFile;

struct WriteCase {
  const char* what;
  std::optional<std::string_view> before;  // nullopt: no file yet
  std::string_view section;
  std::string_view key;
  std::string_view value;
  std::string_view after;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.what; }

class WriteRules : public testing::TestWithParam<WriteCase> {
 protected:
  TempFolder folder_;
};

TEST_P(WriteRules, GivesExactBytes) {
  const WriteCase& c = GetParam();
  auto file = folder_ / "x.ini";
  if (c.before) writeFile(file, *c.before);
  ASSERT_TRUE(writeString(file, c.section, c.key, c.value));
  EXPECT_EQ(readFile(file), c.after);
}

INSTANTIATE_TEST_SUITE_P(Files, WriteRules, testing::Values(
    WriteCase{"new file, no mark", std::nullopt, "S", "k", "v", "[S]\r\nk=v\r\n"},
    WriteCase{"empty file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
    WriteCase{"new section at the end, no blank line",
              "[A]\r\na=1\r\n", "B", "b", "2", "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
    WriteCase{"last line without its end gets CRLF",
              "[A]\r\na=1", "B", "b", "2", "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
    WriteCase{"a lone LF end is kept as it is",
              "[A]\na=1\n", "B", "b", "2", "[A]\na=1\n[B]\r\nb=2\r\n"},
    WriteCase{"existing key keeps spelling and line",
              "[S]\r\n  MsgCode = 1 \r\nz=0\r\n", "s", "msgcode", "2",
              "[S]\r\n  MsgCode =2\r\nz=0\r\n"},
    WriteCase{"existing key keeps its LF end",
              "[S]\nk=1\nz=0\n", "S", "k", "22", "[S]\nk=22\nz=0\n"},
    WriteCase{"existing key on the last line without end",
              "[S]\r\nk=1", "S", "k", "2", "[S]\r\nk=2"},
    WriteCase{"first of duplicate keys is updated",
              "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "3", "[S]\r\nk=3\r\nk=2\r\n"},
    WriteCase{"new key after the last key, before comment and blank lines",
              "[S]\r\na=1\r\n;c\r\n\r\n[T]\r\n", "S", "b", "2",
              "[S]\r\na=1\r\nb=2\r\n;c\r\n\r\n[T]\r\n"},
    WriteCase{"commented key is not the key, new one after last key",
              "[S]\r\na=1\r\n;k=9\r\n", "S", "k", "2", "[S]\r\na=1\r\nk=2\r\n;k=9\r\n"},
    WriteCase{"new key right after the header of a keyless section",
              "[S]\r\n;c\r\n[T]\r\n", "S", "k", "v", "[S]\r\nk=v\r\n;c\r\n[T]\r\n"},
    WriteCase{"header on the last line without end",
              "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
    WriteCase{"last key without end in the last section",
              "[S]\r\na=1", "S", "k", "v", "[S]\r\na=1\r\nk=v\r\n"},
    WriteCase{"only the first duplicate section is used",
              "[S]\r\na=1\r\n[S]\r\nk=1\r\n", "S", "k", "2",
              "[S]\r\na=1\r\nk=2\r\n[S]\r\nk=1\r\n"},
    WriteCase{"key before any section is not updated",
              "k=1\r\n[S]\r\n", "S", "k", "2", "k=1\r\n[S]\r\nk=2\r\n"},
    WriteCase{"value written exactly, blanks and quotes kept",
              "[S]\r\nk=1\r\n", "S", "k", " \"a\" ", "[S]\r\nk= \"a\" \r\n"},
    WriteCase{"empty value", "[S]\r\nk=1\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
    WriteCase{"garbage bytes elsewhere stay",
              "\x01\xff\r\n[S]\r\n\x80\x81junk\r\nk=1\r\n\x1a"sv, "S", "k", "2",
              "\x01\xff\r\n[S]\r\n\x80\x81junk\r\nk=2\r\n\x1a"sv},
    WriteCase{"a header with blanks inside its brackets is the section",
              "[ DRVMSG ]\r\nmsgCode=1\r\n", "DRVMSG", "msgRun", "0",
              "[ DRVMSG ]\r\nmsgCode=1\r\nmsgRun=0\r\n"},
    WriteCase{"936 name with ] trail byte matches its section",
              "[\x81]]\r\nk=1\r\n", "\x81]", "k", "2", "[\x81]]\r\nk=2\r\n"}));

// Names the reader could not find again once written. Before they were
// refused, the lone lead byte E8 was written as "[\xE8]", whose "]" a reader
// takes as E8's trail byte: the key never read back, and every further write
// reported success and appended another copy of the section.
struct NameCase {
  const char* what;
  std::string_view section;
  std::string_view key;
};

constexpr std::string_view kBefore = "[S]\r\nk=1\r\n";

class RefusedNames : public testing::TestWithParam<NameCase> {
 protected:
  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "x.ini";
};

TEST_P(RefusedNames, FailAndLeaveTheFileAsItWas) {
  const NameCase& c = GetParam();
  writeFile(file_, kBefore);
  EXPECT_FALSE(writeString(file_, c.section, c.key, "v"));
  EXPECT_FALSE(writeString(file_, c.section, c.key, "v")) << "a second try fails alike";
  EXPECT_EQ(readFile(file_), kBefore);

  auto fresh = folder_ / "fresh.ini";
  EXPECT_FALSE(writeString(fresh, c.section, c.key, "v"));
  EXPECT_FALSE(std::filesystem::exists(fresh)) << "no file is made for a refused name";
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedNames, testing::Values(
    NameCase{"section of one lone lead byte", "\xE8"sv, "k"},
    NameCase{"section ending in a lead byte", "DRV\x81"sv, "k"},
    NameCase{"section lead byte before a non trail byte", "\x81 S"sv, "k"},
    NameCase{"section holding a close bracket", "A]B", "k"},
    NameCase{"section holding CRLF", "A\r\nB", "k"},
    NameCase{"section holding LF", "A\nB", "k"},
    NameCase{"section holding CR", "A\rB", "k"},
    NameCase{"section with a leading blank", " S", "k"},
    NameCase{"section with a trailing tab", "S\t", "k"},
    NameCase{"key ending in a lead byte", "S", "k\xE8"sv},
    NameCase{"key holding an equals sign", "S", "a=b"},
    NameCase{"key starting a comment", "S", ";k"},
    NameCase{"key starting a section header", "S", "[k"},
    NameCase{"key holding LF", "S", "k\nj"},
    NameCase{"key with a leading blank", "S", " k"},
    NameCase{"key with a trailing blank", "S", "k "}),
    testing_support::CaseNameFrom<&NameCase::what>{});

// Names near the refused ones that the reader does find again, each written
// twice: the second write changes no byte.
class AcceptedNames : public testing::TestWithParam<NameCase> {
 protected:
  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "x.ini";
};

TEST_P(AcceptedNames, ReadBackAndRepeatWithoutChange) {
  const NameCase& c = GetParam();
  writeFile(file_, kBefore);
  ASSERT_TRUE(writeString(file_, c.section, c.key, "v"));
  std::string once = readFile(file_);
  EXPECT_EQ(getString(file_, c.section, c.key, "none", 64), "v");
  ASSERT_TRUE(writeString(file_, c.section, c.key, "v"));
  EXPECT_EQ(readFile(file_), once);
}

INSTANTIATE_TEST_SUITE_P(Names, AcceptedNames, testing::Values(
    NameCase{"section ending in a character whose trail byte is a bracket", "\x81]"sv, "k"},
    NameCase{"section and key of whole 936 characters", "\xd6\xd0\xce\xc4"sv, "\xbc\xfc"sv},
    NameCase{"section with inner blank and brackets", "A [B", "k"},
    NameCase{"key with inner blank semicolon and bracket", "S", "a ;[]b"},
    NameCase{"empty section and key", "", ""}),
    testing_support::CaseNameFrom<&NameCase::what>{});

class WriteFixture : public testing::Test {
 protected:
  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "x.ini";
};

TEST_F(WriteFixture, MissingFolderIsNeverCreated) {
  auto file = folder_ / "missing" / "x.ini";
  EXPECT_FALSE(writeString(file, "S", "k", "v"));
  EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
}

TEST_F(WriteFixture, DirectoryIsNotWritten) {
  std::filesystem::create_directory(file_);
  EXPECT_FALSE(writeString(file_, "S", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(WriteFixture, ReadOnlyFileIsNotWrittenUntilMadeNormal) {
  writeFile(file_, "[S]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  EXPECT_FALSE(writeString(file_, "S", "k", "2"));
  EXPECT_EQ(readFile(file_), "[S]\r\nk=1\r\n");

  ASSERT_TRUE(platform::base::setNormalAttributes(file_));
  EXPECT_TRUE(writeString(file_, "S", "k", "2"));
  EXPECT_EQ(readFile(file_), "[S]\r\nk=2\r\n");
}

TEST_F(WriteFixture, SameValueLeavesTheFileInPlace) {
  writeFile(file_, "[S]\r\nk=1\r\n");
  struct stat before {}, after {};
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  EXPECT_TRUE(writeString(file_, "S", "k", "1"));
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced";
  EXPECT_TRUE(writeString(file_, "s", "K", "1")) << "names match without case";
  EXPECT_EQ(readFile(file_), "[S]\r\nk=1\r\n");
  EXPECT_TRUE(writeString(file_, "S", "k", "2"));
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a new value is a new file";
}

TEST_F(WriteFixture, RewriteKeepsTheFileMode) {
  writeFile(file_, "[S]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
  ASSERT_TRUE(writeString(file_, "S", "k", "2"));
  struct stat st {};
  ASSERT_EQ(::stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(WriteFixture, NewFileTakesTheUmask) {
  mode_t old = ::umask(027);
  bool written = writeString(file_, "S", "k", "v");
  ::umask(old);
  ASSERT_TRUE(written);
  struct stat st {};
  ASSERT_EQ(::stat(file_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(WriteFixture, NoTemporaryFileIsLeftBehind) {
  ASSERT_TRUE(writeString(file_, "S", "k", "1"));
  ASSERT_TRUE(writeString(file_, "S", "j", "2"));
  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  EXPECT_FALSE(writeString(file_, "S", "k", "3"));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1u) << "only x.ini may be in the folder";
}

TEST_F(WriteFixture, SymbolicLinkStaysALink) {
  auto target = folder_ / "target.ini";
  writeFile(target, "[S]\r\nk=1\r\n");
  std::filesystem::create_symlink(target, file_);
  ASSERT_TRUE(writeString(file_, "S", "k", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(file_));
  EXPECT_EQ(readFile(target), "[S]\r\nk=2\r\n");
}

TEST_F(WriteFixture, DanglingLinkIsNotWritten) {
  std::filesystem::create_symlink(folder_ / "nowhere.ini", file_);
  EXPECT_FALSE(writeString(file_, "S", "k", "2"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "nowhere.ini"));
}

TEST_F(WriteFixture, WrittenValuesReadBack) {
  ASSERT_TRUE(writeString(file_, "DRVMSG", "msgCode", "44114"));
  ASSERT_TRUE(writeString(file_, "DRVSPA", "Printing", "1"));
  ASSERT_TRUE(writeString(file_, "drvmsg", "MSGCODE", "1001"));
  EXPECT_EQ(getString(file_, "DRVMSG", "msgCode", "", 64), "1001");
  EXPECT_EQ(getString(file_, "DRVSPA", "Printing", "", 64), "1");
  EXPECT_EQ(readFile(file_), "[DRVMSG]\r\nmsgCode=1001\r\n[DRVSPA]\r\nPrinting=1\r\n");
}

// Whether a write may happen follows the file's own permission, for a user
// other than the owner of the file and its folder.
class OtherUserWrite : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::canActAsOtherUser()) {
      GTEST_SKIP() << "needs root to act as a second user (CI runs tests as root)";
    }
    testing_support::openFoldersUpTo(folder_.path(), folder_.path().parent_path());
    writeFile(file_, "[S]\r\nk=1\r\n[T]\r\nend=1\r\n");
  }
  // Writes k=value as the second user; the write's result.
  bool writeAsOtherUser(const std::string& value) {
    return testing_support::runAsOtherUser(
               [&] { return writeString(file_, "S", "k", value) ? 1 : 0; }) == 1;
  }
  struct stat statOf() {
    struct stat st {};
    EXPECT_EQ(::stat(file_.c_str(), &st), 0);
    return st;
  }
  TempFolder folder_;
  std::filesystem::path file_ = folder_ / "x.ini";
};

TEST_F(OtherUserWrite, AWritableFileInAReadOnlyFolderIsWrittenInPlace) {
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(file_.c_str(), 0666), 0);
  auto before = statOf();
  EXPECT_TRUE(writeAsOtherUser("22"));
  EXPECT_EQ(readFile(file_), "[S]\r\nk=22\r\n[T]\r\nend=1\r\n");
  EXPECT_TRUE(writeAsOtherUser(""));  // shorter: the rest is cut off
  EXPECT_EQ(readFile(file_), "[S]\r\nk=\r\n[T]\r\nend=1\r\n");
  auto after = statOf();
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, 0u);
  EXPECT_EQ(after.st_mode & 07777, 0666u);
}

TEST_F(OtherUserWrite, AFileTheUserMayNotWriteIsNeverReplacedInAWritableFolder) {
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(file_.c_str(), 0644), 0);  // owner write set, but not for this user
  auto before = statOf();
  EXPECT_FALSE(writeAsOtherUser("2"));
  EXPECT_EQ(readFile(file_), "[S]\r\nk=1\r\n[T]\r\nend=1\r\n");
  auto after = statOf();
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, 0u);
}

TEST_F(OtherUserWrite, AFileOfAnotherOwnerKeepsItsOwner) {
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(file_.c_str(), 0666), 0);
  EXPECT_TRUE(writeAsOtherUser("3"));
  EXPECT_EQ(readFile(file_), "[S]\r\nk=3\r\n[T]\r\nend=1\r\n");
  auto after = statOf();
  EXPECT_EQ(after.st_uid, 0u) << "a replacement would have belonged to the writer";
  EXPECT_EQ(after.st_gid, 0u);
}

// In-place writes of values of changing length, read all the while: every
// read sees the whole file, its first and its last key.
TEST_F(OtherUserWrite, InPlaceWritesAreNeverSeenTorn) {
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(file_.c_str(), 0666), 0);
  pid_t writer = ::fork();
  if (writer == 0) {
    int result = testing_support::runAsOtherUser([&] {
      for (int round = 0; round < 300; ++round) {
        auto value = std::string(static_cast<std::size_t>(round % 7) * 500, 'v');
        if (!writeString(file_, "S", "k", value)) return 1;
      }
      return 0;
    });
    _exit(result);
  }
  int torn = 0;
  int status = 0;
  while (::waitpid(writer, &status, WNOHANG) == 0) {
    if (getString(file_, "T", "end", "", 8) != "1") ++torn;
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer failed";
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(getString(file_, "S", "k", "", 4096), std::string(std::size_t{299 % 7 * 500}, 'v'));
}

class WinIni : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("QZ3317VT_ROOT", folder_.path().c_str(), 1);
    std::filesystem::create_directory(folder_ / "Windows");
  }
  void TearDown() override { ::unsetenv("QZ3317VT_ROOT"); }
  TempFolder folder_;
};

TEST_F(WinIni, WritesAndReadsThePerUserFile) {
  ASSERT_TRUE(platform::profile::writeProfileString("DRVSTM", "StmInUse", "1"));
  EXPECT_EQ(readFile(folder_ / "Windows/win.ini"), "[DRVSTM]\r\nStmInUse=1\r\n");
  EXPECT_EQ(platform::profile::getProfileString("drvstm", "stminuse", "0", 16), "1");
  EXPECT_EQ(platform::profile::getProfileString("DRVSTM", "PgmCode", "0 ", 16), "0");
}

TEST_F(WinIni, MissingWindowsFolderIsNotCreated) {
  std::filesystem::remove(folder_ / "Windows");
  EXPECT_FALSE(platform::profile::writeProfileString("DRVSTM", "StmInUse", "1"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Windows"));
}

}  // namespace
