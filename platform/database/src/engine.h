// The SQLCipher side of the database module, shared by its .cpp files and
// included by nothing outside platform/: statements as owned handles, and
// the one mapping from SQLite result codes to CDaoException.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

#include "database/database.h"

namespace platform::database {

// The open connection of a CDaoDatabase.
struct CDaoDatabase::Connection {
  explicit Connection(sqlite3* opened) : db(opened) {}
  ~Connection() { sqlite3_close_v2(db); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  sqlite3* db;
};

// How the recordset and the query reach the connection of their database.
struct ConnectionAccess {
  // The open connection; throws State when the database is not open.
  static sqlite3* handle(const CDaoDatabase& database);
};

}  // namespace platform::database

namespace platform::database::engine {

struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The kind of failure a SQLite result code stands for.
DaoErrorKind errorKind(int resultCode);

// Throws the connection's last error as a CDaoException of the kind that
// `resultCode` stands for, with the engine's description.
[[noreturn]] void throwError(sqlite3* db, int resultCode);

// Prepares the first statement of `sql`; `tail` (when given) receives the
// rest. Returns null for text that holds no statement. Throws on failure.
Statement prepare(sqlite3* db, std::u16string_view sql, std::u16string_view* tail = nullptr);

// Steps a statement that returns no rows to its end; throws on failure.
void runToEnd(sqlite3* db, sqlite3_stmt* statement);

// Whether two names are equal when ASCII letters are compared without case,
// as the engine compares column and keyword names.
bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// `text` between two `quote` characters, a quote inside it doubled: a
// string literal with "'", an identifier with '"'.
std::u16string quoted(std::u16string_view text, char16_t quote);

// Runs every statement of `sql`, none of which returns rows.
void execute(sqlite3* db, std::u16string_view sql);

// The UTF-16 text of a column of the current row (empty for NULL).
std::u16string columnText(sqlite3_stmt* statement, int column);

}  // namespace platform::database::engine
