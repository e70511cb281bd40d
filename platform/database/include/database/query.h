// A forward-only, read-only pass over the rows of a query on an open
// CDaoDatabase, for tools and tests that read the usage log back.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"

namespace platform::database {

class DatabaseQuery {
 public:
  // Compiles `sql` (one statement). Throws CDaoException for bad SQL, a
  // missing table, or a database that is not open. The database must
  // outlive the query.
  DatabaseQuery(CDaoDatabase& database, std::u16string_view sql);
  DatabaseQuery(const DatabaseQuery&) = delete;
  DatabaseQuery& operator=(const DatabaseQuery&) = delete;
  ~DatabaseQuery();

  // The result's column names, in order.
  const std::vector<std::u16string>& columnNames() const noexcept { return columns_; }

  // Moves to the next row; false after the last one. Throws CDaoException
  // when the engine fails (a damaged file, a lock held past the wait) or
  // the database was closed meanwhile (State).
  bool next();

  // The values of the current row as text: numbers in their decimal form,
  // NULL as nullopt. Only valid after next() returned true.
  std::vector<std::optional<std::u16string>> row() const;

 private:
  // The engine's compiled statement.
  struct Cursor;

  CDaoDatabase& database_;
  std::unique_ptr<Cursor> cursor_;
  std::vector<std::u16string> columns_;
};

}  // namespace platform::database
