// Reading rows of a query as text.
#include "database/query.h"

#include "engine.h"

namespace platform::database {

void DatabaseQuery::Finalizer::operator()(sqlite3_stmt* statement) const noexcept {
  sqlite3_finalize(statement);
}

DatabaseQuery::DatabaseQuery(CDaoDatabase& database, std::u16string_view sql)
    : database_(database) {
  auto statement = engine::prepare(database.handle(), sql);
  if (!statement) {
    throw CDaoException(DaoErrorKind::Statement, u"The query holds no statement.");
  }
  statement_.reset(statement.release());
  int count = sqlite3_column_count(statement_.get());
  for (int i = 0; i < count; ++i) {
    const void* name = sqlite3_column_name16(statement_.get(), i);
    columns_.emplace_back(name ? static_cast<const char16_t*>(name) : u"");
  }
}

DatabaseQuery::~DatabaseQuery() = default;

bool DatabaseQuery::next() {
  sqlite3* db = database_.handle();
  if (sqlite3_db_handle(statement_.get()) != db) {
    throw CDaoException(DaoErrorKind::State, u"The database of this query was closed.");
  }
  int rc = sqlite3_step(statement_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  engine::throwError(db, rc);
}

std::vector<std::optional<std::u16string>> DatabaseQuery::row() const {
  std::vector<std::optional<std::u16string>> values;
  for (int i = 0; i < static_cast<int>(columns_.size()); ++i) {
    if (sqlite3_column_type(statement_.get(), i) == SQLITE_NULL) {
      values.emplace_back(std::nullopt);
    } else {
      values.emplace_back(engine::columnText(statement_.get(), i));
    }
  }
  return values;
}

}  // namespace platform::database
