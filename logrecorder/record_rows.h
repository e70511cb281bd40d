// The five record writers' first half, one per log kind: each reads its
// record from its source file and gives the row it becomes, which the run
// then stores (recorder_run.h). A run reads its record at its very start,
// before it waits for anything, so that it stores the record the driver
// left for it, not one the driver wrote while it waited.
#pragma once

#include "logrecorder/log_row.h"

namespace logrecorder {

LogRow copyLogRow();      // settings file, "CopyLog"      -> CopyLog
LogRow printLogRow();     // exchange file, "PRINT"        -> PRINTDOC
LogRow printLogNetRow();  // network exchange file, "PRINT" -> PRINTDOC_NET
LogRow scanLogRow();      // settings file, "ScanLog"      -> ScanLog
LogRow scanLogNetRow();   // network settings file, "ScanLog" -> ScanLog_NET

}  // namespace logrecorder
