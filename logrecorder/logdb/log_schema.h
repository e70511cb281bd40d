// The schema of the usage log database that `qz3317vt-logdb init` makes:
// the five tables with the recorder's column names. Counts are integers;
// every text column takes 259 characters, the longest value a record can
// carry, so no value the driver leaves can make a row fail.
#pragma once

#include <string_view>

namespace logdb {

// CREATE TABLE statements for PRINTDOC, PRINTDOC_NET, ScanLog, ScanLog_NET
// and CopyLog.
std::u16string_view usageLogSchema();

}  // namespace logdb
