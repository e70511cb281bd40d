// The database module on real SQLCipher files: the password, appending
// through a recordset, conversion at set time, pending rows, locks.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/query.h"
#include "base/fake_clock.h"
#include "database/recordset.h"
#include "tests/support/temp_root.h"

namespace platform::database {
namespace {


using testing_support::readFile;
using testing_support::writeFile;

constexpr std::u16string_view kConnect = u";pwd=40937271";
using Rows = std::vector<std::vector<std::optional<std::u16string>>>;

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CDaoDatabase db;
    db.create(file_, kConnect);
    db.execute(
        u"CREATE TABLE T (名 VARCHAR(4), n INTEGER, d DATETIME, x TEXT DEFAULT 'dflt', "
        u"c INTEGER CHECK (c < 100));");
  }

  Rows rows() {
    CDaoDatabase db;
    db.open(file_, false, true, kConnect);
    DatabaseQuery query(db, u"SELECT * FROM T ORDER BY rowid");
    Rows result;
    while (query.next()) result.push_back(query.row());
    return result;
  }

  // Throws the kind of a CDaoException from `action`, or nullopt.
  template <typename Action>
  static std::optional<DaoErrorKind> failureOf(Action&& action) {
    try {
      action();
    } catch (const CDaoException& error) {
      EXPECT_FALSE(error.description().empty());
      return error.kind();
    }
    return std::nullopt;
  }

  testing_support::TempRoot root_;
  std::filesystem::path file_ = root_.path() / "test.db";
};

TEST_F(DatabaseTest, AnAppendedRowHoldsItsConvertedValuesAndTheDefaults) {
  CDaoDatabase db;
  db.open(file_, false, false, u";PWD=40937271");  // the name in any letter case
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  rs.addNew();
  rs.setFieldValue(u"名", u"中文");
  rs.setFieldValue(u"N", u"42");  // field names ignore ASCII letter case
  rs.setFieldValue(u"d", u"2024/5/6 7:08");
  rs.update();
  rs.close();
  db.close();
  EXPECT_EQ(rows(), (Rows{{u"中文", u"42", u"2024-05-06 07:08:00", u"dflt", std::nullopt}}));
  EXPECT_NE(readFile(file_).substr(0, 15), "SQLite format 3");
}

TEST_F(DatabaseTest, OpeningFailsForAMissingFileAndAWrongPassword) {
  CDaoDatabase db;
  EXPECT_EQ(failureOf([&] { db.open(root_.path() / "missing.db", false, false, kConnect); }),
            DaoErrorKind::CannotOpen);
  EXPECT_FALSE(std::filesystem::exists(root_.path() / "missing.db"));
  EXPECT_EQ(failureOf([&] { db.open(file_, false, false, u";pwd=40937272"); }),
            DaoErrorKind::NotADatabase);
  EXPECT_EQ(failureOf([&] { db.open(file_, false, false, u""); }), DaoErrorKind::NotADatabase);
  writeFile(root_.path() / "text.db", std::string(2048, 't'));
  EXPECT_EQ(failureOf([&] { db.open(root_.path() / "text.db", false, false, kConnect); }),
            DaoErrorKind::NotADatabase);
  EXPECT_FALSE(db.isOpen());
}

TEST_F(DatabaseTest, CreateNeverTouchesAnExistingFile) {
  auto before = readFile(file_);
  CDaoDatabase db;
  EXPECT_EQ(failureOf([&] { db.create(file_, kConnect); }), DaoErrorKind::Exists);
  EXPECT_EQ(readFile(file_), before);
}

TEST_F(DatabaseTest, SettingAFieldFailsAtOnceForUnknownNamesAndUnfitValues) {
  CDaoDatabase db;
  db.open(file_, false, false, kConnect);
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  EXPECT_EQ(failureOf([&] { rs.setFieldValue(u"n", u"1"); }), DaoErrorKind::State);  // no addNew
  rs.addNew();
  EXPECT_EQ(failureOf([&] { rs.setFieldValue(u"nope", u"1"); }), DaoErrorKind::UnknownField);
  EXPECT_EQ(failureOf([&] { rs.setFieldValue(u"名", u"五个字符啊"); }), DaoErrorKind::Conversion);
  EXPECT_EQ(failureOf([&] { rs.setFieldValue(u"n", u"x"); }), DaoErrorKind::Conversion);
  EXPECT_EQ(failureOf([&] { rs.setFieldValue(u"d", u"2024-02-30"); }), DaoErrorKind::Conversion);
  // The engine's own constraints are checked when the row is stored.
  rs.setFieldValue(u"c", u"100");
  EXPECT_EQ(failureOf([&] { rs.update(); }), DaoErrorKind::Constraint);
  rs.setFieldValue(u"c", u"99");  // the row is still pending after a failed update
  rs.update();
  EXPECT_EQ(failureOf([&] { rs.update(); }), DaoErrorKind::State);  // stored, nothing pending
  rs.close();
  db.close();
  EXPECT_EQ(rows().size(), 1u);
}

TEST_F(DatabaseTest, APendingRowIsDiscardedByCloseDestroyAndAddNew) {
  CDaoDatabase db;
  db.open(file_, false, false, kConnect);
  {
    CDaoRecordset rs(db);
    rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
    rs.addNew();
    rs.setFieldValue(u"n", u"1");
    rs.close();
  }
  {
    CDaoRecordset rs(db);
    rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
    rs.addNew();
    rs.setFieldValue(u"n", u"2");
  }  // destroyed while pending
  {
    CDaoRecordset rs(db);
    rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
    rs.addNew();
    rs.setFieldValue(u"n", u"3");
    rs.addNew();  // starts over: n is unset again
    rs.setFieldValue(u"x", u"only");
    rs.update();
  }
  db.close();
  EXPECT_EQ(rows(), (Rows{{std::nullopt, std::nullopt, std::nullopt, u"only", std::nullopt}}));
}

TEST_F(DatabaseTest, RecordsetsOpenOnlyOnOneExistingTable) {
  CDaoDatabase db;
  db.open(file_, false, false, kConnect);
  db.execute(u"CREATE TABLE U (k INTEGER)");
  CDaoRecordset rs(db);
  EXPECT_EQ(failureOf([&] { rs.open(CDaoRecordset::kOpenDynaset, u"Select * from Missing", 0); }),
            DaoErrorKind::Statement);
  EXPECT_EQ(failureOf([&] { rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T, U", 0); }),
            DaoErrorKind::State);
  EXPECT_EQ(failureOf([&] { rs.open(CDaoRecordset::kOpenDynaset, u"Select n + 1 from T", 0); }),
            DaoErrorKind::State);
  EXPECT_EQ(failureOf([&] { rs.open(1, u"Select * from T", 0); }), DaoErrorKind::State);
  EXPECT_FALSE(rs.isOpen());
  db.close();
  EXPECT_EQ(failureOf([&] { rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0); }),
            DaoErrorKind::State);
}

TEST_F(DatabaseTest, ALockHeldByAnotherWriterIsWaitedForThenReported) {
  CDaoDatabase holder;
  holder.open(file_, false, false, kConnect);
  holder.execute(u"BEGIN IMMEDIATE");

  CDaoDatabase db;
  db.open(file_, false, false, kConnect);
  db.setLockWait(std::chrono::milliseconds(50));
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  rs.addNew();
  rs.setFieldValue(u"n", u"7");
  EXPECT_EQ(failureOf([&] { rs.update(); }), DaoErrorKind::Busy);
  holder.execute(u"COMMIT");
  rs.update();  // the pending row survives the failure and goes in now
  rs.close();
  db.close();
  EXPECT_EQ(rows().size(), 1u);
}

// The wait runs on the database's clock: a fake one lets the whole wait pass
// at once, and it gives up only when the wait is over.
TEST_F(DatabaseTest, TheLockWaitRunsOnTheClock) {
  CDaoDatabase holder;
  holder.open(file_, false, false, kConnect);
  holder.execute(u"BEGIN IMMEDIATE");

  base::FakeClock clock;
  CDaoDatabase db(clock);
  db.open(file_, false, false, kConnect);
  db.setLockWait(std::chrono::seconds(30));
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  rs.addNew();
  EXPECT_EQ(failureOf([&] { rs.update(); }), DaoErrorKind::Busy);
  EXPECT_EQ(clock.slept(), std::chrono::seconds(30));
}

// The rowid handed over before the commit is the new row's; an exception
// there rolls the row back.
TEST_F(DatabaseTest, UpdateTellsTheRowidBeforeItCommits) {
  CDaoDatabase db;
  db.open(file_, false, false, kConnect);
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  rs.addNew();
  rs.setFieldValue(u"n", u"1");
  EXPECT_THROW(rs.update([](std::int64_t) { throw std::runtime_error("no"); }),
               std::runtime_error);
  std::int64_t noted = 0;
  rs.update([&](std::int64_t rowid) { noted = rowid; });
  DatabaseQuery query(db, u"SELECT rowid, n FROM T");
  ASSERT_TRUE(query.next());
  EXPECT_EQ(noted, 1);
  EXPECT_EQ(query.row()[0], u"1");
  EXPECT_FALSE(query.next()) << "the rolled back row is not there";
}

TEST_F(DatabaseTest, ExclusiveAndReadOnlyOpens) {
  {
    CDaoDatabase exclusive;
    exclusive.open(file_, true, false, kConnect);
    CDaoDatabase other;
    other.setLockWait(std::chrono::milliseconds(50));
    EXPECT_EQ(failureOf([&] { other.open(file_, false, true, kConnect); }), DaoErrorKind::Busy);
  }
  CDaoDatabase db;
  db.open(file_, false, true, kConnect);
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  rs.addNew();
  EXPECT_EQ(failureOf([&] { rs.update(); }), DaoErrorKind::ReadOnly);
}

// Damage found on the way in leaves the file as it was.
TEST_F(DatabaseTest, ADamagedFileIsNotWritten) {
  {
    CDaoDatabase db;
    db.open(file_, false, false, kConnect);
    db.execute(u"CREATE TABLE Filler (v TEXT); INSERT INTO Filler VALUES (zeroblob(8000));");
  }
  auto intact = readFile(file_);
  // Cut short: the header promises pages the file does not have.
  std::filesystem::resize_file(file_, intact.size() - 1024);
  auto cut = readFile(file_);
  CDaoDatabase db;
  EXPECT_EQ(failureOf([&] { db.open(file_, false, false, kConnect); }), DaoErrorKind::Damaged);
  EXPECT_EQ(readFile(file_), cut);

  // Cut inside the last page: it opens, but nothing is written.
  writeFile(file_, intact.substr(0, intact.size() - 100));
  cut = readFile(file_);
  {
    db.open(file_, false, false, kConnect);
    CDaoRecordset rs(db);
    rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
    rs.addNew();
    EXPECT_EQ(failureOf([&] { rs.update(); }), DaoErrorKind::Damaged);
    db.close();
  }
  EXPECT_EQ(readFile(file_), cut);

  // T's page overwritten (T is the table made first, on page 2).
  writeFile(file_, intact.substr(0, 1024 + 100) + std::string(50, '\0') + intact.substr(1024 + 150));
  auto damaged = readFile(file_);
  db.open(file_, false, false, kConnect);
  CDaoRecordset rs(db);
  rs.open(CDaoRecordset::kOpenDynaset, u"Select * from T", 0);
  rs.addNew();
  rs.setFieldValue(u"n", u"1");
  EXPECT_TRUE(failureOf([&] { rs.update(); }).has_value());
  rs.close();
  db.close();
  EXPECT_EQ(readFile(file_), damaged);
}

TEST_F(DatabaseTest, AQueryFailsOnceItsDatabaseIsClosed) {
  CDaoDatabase db;
  db.open(file_, false, true, kConnect);
  DatabaseQuery query(db, u"SELECT name FROM sqlite_master");
  EXPECT_EQ(query.columnNames(), std::vector<std::u16string>{u"name"});
  ASSERT_TRUE(query.next());
  EXPECT_EQ(query.row()[0], u"T");
  EXPECT_FALSE(query.next());
  db.close();
  EXPECT_EQ(failureOf([&] { query.next(); }), DaoErrorKind::State);
}

}  // namespace
}  // namespace platform::database
