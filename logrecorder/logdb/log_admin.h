// What `qz3317vt-logdb` does, as functions the tests call too: make the
// usage log database, print a table's rows as a listing or as CSV, and show
// the state of the database and of the recorder's spool.
// All of it goes through the platform database module with the recorder's
// password; failures are thrown as platform::database::CDaoException.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "database/database.h"

namespace logdb {

// Creates the database file (and its folders) with the five tables, in
// one transaction. Throws DaoErrorKind::Exists, touching nothing, when a
// file is already there; a failure after creation removes the new file.
void initLogDatabase(const std::filesystem::path& file);

// Prints the columns of `table`, then one line per row, fields separated
// by " | ", NULL as "NULL"; then the number of rows. UTF-8.
void listTable(platform::database::CDaoDatabase& database, std::u16string_view table, std::ostream& out);

// Prints what `qz3317vt-logdb status` shows: the database's path and each
// of the five tables' row count (or why it has none), then the spool's path,
// the rows waiting in it by table, the count of rows it dropped, and whether
// an interrupted drain is waiting to be resolved. False when the database
// cannot be opened; the spool is shown all the same. UTF-8.
bool showStatus(std::ostream& out);

// Prints `table` as CSV (RFC 4180): a header line of column names, one
// line per row, CRLF line ends, fields quoted when they hold a comma, a
// quote or a line break, NULL as an empty field. UTF-8.
void exportCsv(platform::database::CDaoDatabase& database, std::u16string_view table, std::ostream& out);

// One CSV field (RFC 4180): the text as it is, or in double quotes with
// inner quotes doubled when it holds a comma, a quote or a line break.
std::string csvText(std::string_view text);

}  // namespace logdb
