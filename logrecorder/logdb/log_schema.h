// The schema of the usage log database that `qz3317vt-logdb init` makes:
// the five tables with the recorder's column names. Counts are integers;
// texts carry a length, 259 characters for names and documents (the
// longest value a record holds), 64 for times, modes and results, 32 for
// the resolution.
#pragma once

#include <string_view>

namespace logdb {

// CREATE TABLE statements for PRINTDOC, PRINTDOC_NET, ScanLog, ScanLog_NET
// and CopyLog.
std::u16string_view usageLogSchema();

}  // namespace logdb
