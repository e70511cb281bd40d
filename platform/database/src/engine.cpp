// SQLite result codes as CDaoExceptions; statements prepared from UTF-16.
#include "engine.h"

#include <cerrno>

namespace platform::database::engine {

DaoErrorKind errorKind(int resultCode) {
  switch (resultCode & 0xFF) {
    case SQLITE_CANTOPEN: return DaoErrorKind::CannotOpen;
    case SQLITE_NOTADB: return DaoErrorKind::NotADatabase;
    case SQLITE_CORRUPT: return DaoErrorKind::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return DaoErrorKind::Busy;
    case SQLITE_READONLY: return DaoErrorKind::ReadOnly;
    case SQLITE_FULL: return DaoErrorKind::DiskFull;
    case SQLITE_CONSTRAINT: return DaoErrorKind::Constraint;
    case SQLITE_ERROR: return DaoErrorKind::Statement;
    default: return DaoErrorKind::Other;
  }
}

namespace {

// A failed write says why in the system's error number: no room, or a file
// system mounted read-only.
DaoErrorKind kindWithCause(sqlite3* db, int resultCode) {
  auto kind = errorKind(resultCode);
  int primary = resultCode & 0xFF;
  if (db == nullptr || (primary != SQLITE_IOERR && primary != SQLITE_CANTOPEN)) return kind;
  switch (sqlite3_system_errno(db)) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return DaoErrorKind::DiskFull;
    case EROFS: return DaoErrorKind::ReadOnly;
    default: return kind;
  }
}

}  // namespace

[[noreturn]] void throwError(sqlite3* db, int resultCode) {
  std::u16string description;
  if (db != nullptr && sqlite3_errcode(db) != SQLITE_OK) {
    description = static_cast<const char16_t*>(sqlite3_errmsg16(db));
  }
  if (description.empty()) {
    // Without a connection message the code's own text still says something.
    for (const char* c = sqlite3_errstr(resultCode); *c != '\0'; ++c) {
      description += static_cast<char16_t>(static_cast<unsigned char>(*c));
    }
  }
  throw CDaoException(kindWithCause(db, resultCode), std::move(description));
}

Statement prepare(sqlite3* db, std::u16string_view sql, std::u16string_view* tail) {
  sqlite3_stmt* raw = nullptr;
  const void* rest = nullptr;
  int bytes = static_cast<int>(sql.size() * sizeof(char16_t));
  int rc = sqlite3_prepare16_v2(db, sql.data(), bytes, &raw, &rest);
  Statement statement(raw);
  if (rc != SQLITE_OK) throwError(db, rc);
  if (tail != nullptr) {
    auto used = static_cast<std::size_t>(static_cast<const char16_t*>(rest) - sql.data());
    *tail = sql.substr(used);
  }
  return statement;
}

void runToEnd(sqlite3* db, sqlite3_stmt* statement) {
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(statement);
  if (rc != SQLITE_DONE) throwError(db, rc);
}

void execute(sqlite3* db, std::u16string_view sql) {
  while (!sql.empty()) {
    std::u16string_view tail;
    auto statement = prepare(db, sql, &tail);
    if (statement) runToEnd(db, statement.get());
    sql = tail;
  }
}

std::u16string columnText(sqlite3_stmt* statement, int column) {
  const void* text = sqlite3_column_text16(statement, column);
  if (text == nullptr) return {};
  auto bytes = static_cast<std::size_t>(sqlite3_column_bytes16(statement, column));
  return std::u16string(static_cast<const char16_t*>(text), bytes / sizeof(char16_t));
}

std::u16string quoted(std::u16string_view text, char16_t quote) {
  std::u16string result(1, quote);
  for (char16_t c : text) {
    if (c == quote) result += quote;
    result += c;
  }
  result += quote;
  return result;
}

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace platform::database::engine
