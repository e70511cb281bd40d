// A recordset for appending rows to one table of an open CDaoDatabase.
//
// Life of one row: open() with "Select * from TABLE", addNew(), one
// setFieldValue() per column, update(). Opening reads the table's columns
// and declared types from the schema but never its rows, so an append costs
// the same in an empty table and in a large one.
//
// Every failure throws CDaoException with the engine's description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/field.h"

namespace platform::database {

class CDaoRecordset {
 public:
  // Open types; only appending through a dynaset is supported.
  static constexpr int kOpenDynaset = 2;

  // The database must outlive the recordset.
  explicit CDaoRecordset(CDaoDatabase& database) : database_(database) {}
  CDaoRecordset(const CDaoRecordset&) = delete;
  CDaoRecordset& operator=(const CDaoRecordset&) = delete;
  // Discards a pending row; never throws.
  ~CDaoRecordset() = default;

  // Opens the recordset on the database. `sql` is a query whose columns all
  // come straight from one table, such as "Select * from PRINTDOC".
  // `openType` must be kOpenDynaset and `options` 0 (else State). The
  // query is compiled, not run. Throws Statement for a missing table or bad
  // SQL, State when the database is not open or this recordset already is.
  void open(int openType, std::u16string_view sql, int options = 0);

  // Starts a new, empty pending row; a row still pending is discarded.
  // Throws State when the recordset is not open.
  void addNew();

  // Converts `value` to the declared type of the column `field` (matched
  // with ASCII letters in any case) and keeps it in the pending row;
  // setting a field again replaces its value. Throws UnknownField for a
  // name the recordset lacks, Conversion when the column cannot take the
  // value (database/field.h), State without a pending row.
  void setFieldValue(std::u16string_view field, std::u16string_view value);

  // Stores the pending row in one transaction: the fields set get their
  // values, every other column its default. Waits for a file locked by
  // another connection up to the database's lock wait (then Busy). Throws
  // Damaged when the file is shorter than its own header says, or when a
  // page fails its check while the row goes in. On failure the transaction
  // is rolled back, the file stays as it was, and the row stays pending.
  // Throws State without a pending row.
  void update();

  // As update(), and once the row is in the table but before the
  // transaction commits, calls `beforeCommit` with the row's rowid. A caller
  // that must know after a crash whether the row went in notes the rowid
  // there; an exception it throws rolls the row back and passes on.
  void update(const std::function<void(std::int64_t rowid)>& beforeCommit);

  // Closes the recordset, discarding a pending row. A no-op when not open.
  void close();

  bool isOpen() const noexcept { return !table_.empty(); }

 private:
  struct Field {
    std::u16string name;
    FieldType type;
    std::optional<FieldValue> value;
  };

  Field& findField(std::u16string_view name);
  void checkFileLength();
  std::int64_t insertPendingRow();

  CDaoDatabase& database_;
  std::u16string table_;
  std::vector<Field> fields_;
  bool pending_ = false;
};

}  // namespace platform::database
