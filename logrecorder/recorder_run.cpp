// The order of one run: read, lock, drain the spool, store.
#include "logrecorder/recorder_run.h"

#include "base/instance_lock.h"
#include "logrecorder/dispatch.h"
#include "logrecorder/log_database.h"
#include "logrecorder/record_spool.h"

namespace logrecorder {

void runRecorder(std::string_view commandLineTail, platform::base::Clock& clock) {
  auto row = dispatch(commandLineTail, standardReaders());
  if (!row) return;
  RecordSpool spool(spoolFolder());
  auto lock = platform::base::InstanceLock::acquireWithin(
      kRecorderLockName, std::chrono::duration_cast<std::chrono::milliseconds>(kRecorderWait),
      clock);
  if (!lock) {
    spool.add(*row);
    return;
  }
  LogDatabase database(clock);
  switch (database.open()) {
    case AppendOutcome::Refused: return;
    case AppendOutcome::Passing: spool.add(*row); return;
    case AppendOutcome::Stored: break;
  }
  // Rows kept earlier go first; while any is left, this one queues behind.
  if (!spool.drain(database) || database.append(*row) == AppendOutcome::Passing) {
    spool.add(*row);
  }
}

}  // namespace logrecorder
