// Making the usage log database and printing its tables.
#include "logrecorder/logdb/log_admin.h"

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "logrecorder/logdb/log_schema.h"
#include "logrecorder/record_paths.h"
#include "text/codepage.h"
#include "database/query.h"

namespace logdb {

namespace {

std::u16string selectAll(std::u16string_view table) {
  std::u16string sql = u"SELECT * FROM \"";
  for (char16_t c : table) {
    if (c == u'"') sql += u'"';
    sql += c;
  }
  return sql + u"\" ORDER BY rowid";
}

std::string csvField(const std::optional<std::u16string>& value) {
  if (!value) return {};
  auto text = platform::text::utf16ToUtf8(*value);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

void initLogDatabase(const std::filesystem::path& file) {
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  platform::database::CDaoDatabase database;
  database.create(file, logrecorder::kLogDatabaseConnect);
  try {
    database.execute(u"BEGIN");
    database.execute(usageLogSchema());
    database.execute(u"COMMIT");
  } catch (const platform::database::CDaoException&) {
    database.close();
    std::filesystem::remove(file, ignored);
    throw;
  }
}

void listTable(platform::database::CDaoDatabase& database, std::u16string_view table, std::ostream& out) {
  platform::database::DatabaseQuery query(database, selectAll(table));
  std::string header;
  for (const auto& name : query.columnNames()) {
    if (!header.empty()) header += " | ";
    header += platform::text::utf16ToUtf8(name);
  }
  out << platform::text::utf16ToUtf8(table) << ":\n" << header << '\n';
  std::size_t rows = 0;
  while (query.next()) {
    std::string line;
    bool first = true;
    for (const auto& value : query.row()) {
      if (!first) line += " | ";
      first = false;
      line += value ? platform::text::utf16ToUtf8(*value) : "NULL";
    }
    out << line << '\n';
    ++rows;
  }
  out << "(" << rows << (rows == 1 ? " row" : " rows") << ")\n";
}

void exportCsv(platform::database::CDaoDatabase& database, std::u16string_view table, std::ostream& out) {
  platform::database::DatabaseQuery query(database, selectAll(table));
  std::vector<std::optional<std::u16string>> names(query.columnNames().begin(),
                                                   query.columnNames().end());
  auto writeLine = [&out](const std::vector<std::optional<std::u16string>>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) out << ',';
      out << csvField(fields[i]);
    }
    out << "\r\n";
  };
  writeLine(names);
  while (query.next()) writeLine(query.row());
}

}  // namespace logdb
