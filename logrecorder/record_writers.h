// The five record writers, one per log kind: each reads its record from
// its source file and appends it as one row to its table of the usage log
// database. Each returns 1 when the row was stored and 0 otherwise; the
// dispatch passes that back and nothing uses it.
#pragma once

namespace logrecorder {

int writeCopyLog();      // settings file, "CopyLog"      -> CopyLog
int writePrintLog();     // exchange file, "PRINT"        -> PRINTDOC
int writePrintLogNet();  // network exchange file, "PRINT" -> PRINTDOC_NET
int writeScanLog();      // settings file, "ScanLog"      -> ScanLog
int writeScanLogNet();   // network settings file, "ScanLog" -> ScanLog_NET

}  // namespace logrecorder
