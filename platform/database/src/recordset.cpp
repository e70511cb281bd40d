// Appending rows through a recordset: columns and declared types come from
// the compiled query, values are bound to one INSERT in one transaction.
#include "database/recordset.h"

#include <system_error>

#include "engine.h"

namespace platform::database {

namespace {

[[noreturn]] void throwState(std::u16string description) {
  throw CDaoException(DaoErrorKind::State, std::move(description));
}

std::u16string text16(const void* text) {
  return text == nullptr ? std::u16string{} : std::u16string(static_cast<const char16_t*>(text));
}

std::int64_t pragmaNumber(sqlite3* db, std::u16string_view pragma) {
  auto statement = engine::prepare(db, pragma);
  int rc = sqlite3_step(statement.get());
  if (rc != SQLITE_ROW) engine::throwError(db, rc);
  return sqlite3_column_int64(statement.get(), 0);
}

// Binds one value of the pending row to parameter `index`.
int bindValue(sqlite3_stmt* statement, int index, const FieldValue& value) {
  if (auto* integer = std::get_if<std::int64_t>(&value)) {
    return sqlite3_bind_int64(statement, index, *integer);
  }
  if (auto* real = std::get_if<double>(&value)) return sqlite3_bind_double(statement, index, *real);
  const auto& text = std::get<std::u16string>(value);
  return sqlite3_bind_text16(statement, index, text.data(),
                             static_cast<int>(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
}

// Rolls back the transaction it guards unless it was committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) {
    engine::execute(db_, u"BEGIN IMMEDIATE");
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction() {
    if (db_ != nullptr) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void commit() {
    engine::execute(db_, u"COMMIT");
    db_ = nullptr;
  }

 private:
  sqlite3* db_;
};

}  // namespace

void CDaoRecordset::open(int openType, std::u16string_view sql, int options) {
  if (isOpen()) throwState(u"The recordset is already open.");
  if (openType != kOpenDynaset || options != 0) {
    throwState(u"Only a dynaset without options can be opened.");
  }
  sqlite3* db = ConnectionAccess::handle(database_);
  auto statement = engine::prepare(db, sql);
  if (!statement) throwState(u"The query holds no statement.");
  int count = sqlite3_column_count(statement.get());
  std::u16string table;
  std::vector<Field> fields;
  for (int i = 0; i < count; ++i) {
    auto origin = text16(sqlite3_column_table_name16(statement.get(), i));
    const char* schema = sqlite3_column_database_name(statement.get(), i);
    if (origin.empty() || (!table.empty() && origin != table) ||
        std::string_view(schema) != "main") {
      throwState(u"The recordset cannot be updated: its columns do not all come from one table.");
    }
    table = origin;
    const char* declared = sqlite3_column_decltype(statement.get(), i);
    fields.push_back(Field{text16(sqlite3_column_origin_name16(statement.get(), i)),
                           fieldTypeFromDeclaration(declared ? declared : ""), std::nullopt});
  }
  if (table.empty()) throwState(u"The query has no columns.");
  table_ = std::move(table);
  fields_ = std::move(fields);
  pending_ = false;
}

void CDaoRecordset::addNew() {
  if (!isOpen()) throwState(u"The recordset is not open.");
  for (auto& field : fields_) field.value.reset();
  pending_ = true;
}

CDaoRecordset::Field& CDaoRecordset::findField(std::u16string_view name) {
  for (auto& field : fields_) {
    if (engine::equalsIgnoringAsciiCase(field.name, name)) return field;
  }
  throw CDaoException(DaoErrorKind::UnknownField,
                      u"The recordset has no field named '" + std::u16string(name) + u"'.");
}

void CDaoRecordset::setFieldValue(std::u16string_view field, std::u16string_view value) {
  if (!pending_) throwState(u"There is no new record: call addNew first.");
  auto& target = findField(field);
  target.value = convertFieldText(target.type, target.name, value);
}

void CDaoRecordset::update() { update({}); }

void CDaoRecordset::update(const std::function<void(std::int64_t rowid)>& beforeCommit) {
  if (!pending_) throwState(u"There is no new record: call addNew first.");
  sqlite3* db = ConnectionAccess::handle(database_);
  Transaction transaction(db);
  checkFileLength();
  auto rowid = insertPendingRow();
  if (beforeCommit) beforeCommit(rowid);
  transaction.commit();
  pending_ = false;
}

// A file cut short inside its last page still opens (the engine rounds the
// page count up), and an append elsewhere would write to it; finding it
// here, under the write lock, keeps the damaged file as it is. A file
// short by whole pages is refused by the engine at open already.
void CDaoRecordset::checkFileLength() {
  sqlite3* db = ConnectionAccess::handle(database_);
  auto pages = pragmaNumber(db, u"PRAGMA page_count");
  auto pageSize = pragmaNumber(db, u"PRAGMA page_size");
  std::error_code error;
  auto size = std::filesystem::file_size(database_.path(), error);
  if (error) {
    throw CDaoException(DaoErrorKind::CannotOpen, u"The database file cannot be read.");
  }
  if (static_cast<std::uintmax_t>(pages * pageSize) > size) {
    throw CDaoException(DaoErrorKind::Damaged,
                        u"The database file is truncated: it is shorter than its header says.");
  }
}

std::int64_t CDaoRecordset::insertPendingRow() {
  sqlite3* db = ConnectionAccess::handle(database_);
  std::u16string columns, parameters;
  for (const auto& field : fields_) {
    if (!field.value) continue;
    if (!columns.empty()) {
      columns += u", ";
      parameters += u", ";
    }
    columns += engine::quoted(field.name, u'"');
    parameters += u"?";
  }
  std::u16string sql = u"INSERT INTO main." + engine::quoted(table_, u'"');
  sql += columns.empty() ? u" DEFAULT VALUES" : u" (" + columns + u") VALUES (" + parameters + u")";
  auto statement = engine::prepare(db, sql);
  int index = 0;
  for (const auto& field : fields_) {
    if (!field.value) continue;
    int rc = bindValue(statement.get(), ++index, *field.value);
    if (rc != SQLITE_OK) engine::throwError(db, rc);
  }
  engine::runToEnd(db, statement.get());
  return sqlite3_last_insert_rowid(db);
}

void CDaoRecordset::close() {
  table_.clear();
  fields_.clear();
  pending_ = false;
}

}  // namespace platform::database
