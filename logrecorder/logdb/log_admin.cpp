// Making the usage log database and printing its tables.
#include "logrecorder/logdb/log_admin.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "logrecorder/logdb/log_schema.h"
#include "logrecorder/record_paths.h"
#include "logrecorder/record_spool.h"
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
  return csvText(platform::text::utf16ToUtf8(*value));
}

}  // namespace

std::string csvText(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

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

namespace {

constexpr std::u16string_view kTables[] = {u"PRINTDOC", u"PRINTDOC_NET", u"ScanLog",
                                           u"ScanLog_NET", u"CopyLog"};

std::string rowCount(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " row" : " rows");
}

// The row count of `table`, or why there is none.
std::string tableLine(platform::database::CDaoDatabase& database, std::u16string_view table) {
  try {
    platform::database::DatabaseQuery query(database, u"SELECT count(*) FROM \"" +
                                                          std::u16string(table) + u"\"");
    if (!query.next() || !query.row()[0]) return "no count";
    return rowCount(std::stoull(platform::text::utf16ToUtf8(*query.row()[0])));
  } catch (const platform::database::CDaoException& error) {
    return "unreadable: " + platform::text::utf16ToUtf8(error.description());
  }
}

void showSpool(std::ostream& out) {
  logrecorder::RecordSpool spool(logrecorder::spoolFolder());
  auto status = spool.status();
  out << "spool: " << spool.folder().string() << '\n';
  out << "  waiting: " << rowCount(status.waiting);
  std::string separator = " (";
  for (const auto& [table, count] : status.perTable) {
    out << separator << platform::text::utf16ToUtf8(table) << ' ' << count;
    separator = ", ";
  }
  out << (status.perTable.empty() ? "" : ")") << '\n';
  out << "  dropped: " << rowCount(status.dropped) << '\n';
  if (status.inflight) out << "  an interrupted drain is resolved by the next run\n";
}

}  // namespace

bool showStatus(std::ostream& out) {
  auto path = logrecorder::logDatabasePath();
  bool opened = true;
  out << "database: " << path.string() << '\n';
  try {
    platform::database::CDaoDatabase database;
    database.open(path, false, true, logrecorder::kLogDatabaseConnect);
    for (auto table : kTables) {
      out << "  " << platform::text::utf16ToUtf8(table) << ": " << tableLine(database, table)
          << '\n';
    }
  } catch (const platform::database::CDaoException& error) {
    out << "  cannot open: " << platform::text::utf16ToUtf8(error.description()) << '\n';
    opened = false;
  }
  showSpool(out);
  return opened;
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
