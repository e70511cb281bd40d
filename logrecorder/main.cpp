// QZ3317VT_EXEPrintLog: records one usage record of the driver in the usage
// log database, selected by the one word on its command line.
//
// The run takes the single-instance lock first. A run that finds it held
// waits for it, up to 30 seconds, rather than dropping its record: the
// driver may overwrite the record before a later run. Exit code 0 always.
#include <chrono>
#include <exception>

#include "logrecorder/dispatch.h"
#include "base/command_line.h"
#include "base/instance_lock.h"

int main(int argc, char** argv) {
  constexpr auto kLockWait = std::chrono::seconds(30);
  auto lock = platform::base::InstanceLock::acquireWithin("QZ3317VT_EXEPrintLog.DLL", kLockWait);
  if (!lock) return 0;
  try {
    auto tail = platform::base::commandLineTail(platform::base::commandLine(argc, argv));
    logrecorder::dispatch(tail, logrecorder::standardWriters());
  } catch (const std::exception&) {
    // Nothing reaches the caller but the exit code, and that is always 0.
  }
  return 0;
}
