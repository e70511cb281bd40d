// Reading rows of a query as text.
#include "database/query.h"

#include "engine.h"

namespace platform::database {

struct DatabaseQuery::Cursor {
  engine::Statement statement;
};

DatabaseQuery::DatabaseQuery(CDaoDatabase& database, std::u16string_view sql)
    : database_(database) {
  auto statement = engine::prepare(ConnectionAccess::handle(database), sql);
  if (!statement) {
    throw CDaoException(DaoErrorKind::Statement, u"The query holds no statement.");
  }
  cursor_ = std::make_unique<Cursor>(Cursor{std::move(statement)});
  int count = sqlite3_column_count(cursor_->statement.get());
  for (int i = 0; i < count; ++i) {
    const void* name = sqlite3_column_name16(cursor_->statement.get(), i);
    columns_.emplace_back(name ? static_cast<const char16_t*>(name) : u"");
  }
}

DatabaseQuery::~DatabaseQuery() = default;

bool DatabaseQuery::next() {
  sqlite3* db = ConnectionAccess::handle(database_);
  if (sqlite3_db_handle(cursor_->statement.get()) != db) {
    throw CDaoException(DaoErrorKind::State, u"The database of this query was closed.");
  }
  int rc = sqlite3_step(cursor_->statement.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  engine::throwError(db, rc);
}

std::vector<std::optional<std::u16string>> DatabaseQuery::row() const {
  std::vector<std::optional<std::u16string>> values;
  for (int i = 0; i < static_cast<int>(columns_.size()); ++i) {
    if (sqlite3_column_type(cursor_->statement.get(), i) == SQLITE_NULL) {
      values.emplace_back(std::nullopt);
    } else {
      values.emplace_back(engine::columnText(cursor_->statement.get(), i));
    }
  }
  return values;
}

}  // namespace platform::database
