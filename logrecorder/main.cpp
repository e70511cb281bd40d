// QZ3317VT_EXEPrintLog: records one usage record of the driver in the usage
// log database, selected by the one word on its command line
// (logrecorder/recorder_run.h). Exit code 0 always.
#include <exception>

#include "base/clock.h"
#include "base/command_line.h"
#include "base/standard_streams.h"
#include "logrecorder/recorder_run.h"

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  try {
    auto tail = platform::base::commandLineTail(platform::base::commandLine(argc, argv));
    logrecorder::runRecorder(tail, platform::base::systemClock());
  } catch (const std::exception&) {
    // Nothing reaches the caller but the exit code, and that is always 0.
  }
  return 0;
}
