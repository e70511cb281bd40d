// One run of the recorder, from its command-line tail to the stored row.
//
// The run reads its record first, before it waits for anything, so that it
// stores the record the driver left for it even when other runs keep it
// waiting. Then it takes the single-instance lock, waiting up to 30 seconds
// for a run that holds it, stores the rows an earlier run had to keep in the
// spool (oldest first), and last its own row. A row that cannot be stored
// for a passing cause (log_database.h) goes to the spool, behind any that
// are still kept there, as does the row of a run whose lock wait ran out.
// Nothing else is kept: a word that matches no log kind, a missing
// database, a wrong password or a row the table refuses store nothing, as
// before.
#pragma once

#include <string_view>

#include "base/clock.h"

namespace logrecorder {

// The name of the single-instance lock.
inline constexpr std::string_view kRecorderLockName = "QZ3317VT_EXEPrintLog.DLL";

// Runs the recorder for `commandLineTail`; every wait runs on `clock`.
void runRecorder(std::string_view commandLineTail, platform::base::Clock& clock);

}  // namespace logrecorder
