// QZ3317VT_EXEPrintLog: records one usage record of the driver in the usage
// log database, selected by the one word on its command line
// (logrecorder/recorder_run.h). Exit code 0 always.
#include <exception>
#include <filesystem>
#include <string_view>

#include "base/clock.h"
#include "base/command_line.h"
#include "base/diagnostics.h"
#include "base/program_info.h"
#include "base/standard_streams.h"
#include "logrecorder/record_paths.h"
#include "logrecorder/recorder_run.h"

namespace {

constexpr std::string_view kUsage =
    "usage: QZ3317VT_EXEPrintLog WORD\n"
    "The usage log recorder. The printer driver starts it with one log word; it\n"
    "appends the record the driver left in the record folder as one row of the\n"
    "usage log database, and exits.\n"
    "  PrintLog      section PRINT of QZ3317VT_SMD.DAT         -> table PRINTDOC\n"
    "  PrintLog_NET  section PRINT of QZ3317VT_SMD_NET.DAT     -> table PRINTDOC_NET\n"
    "  ScanLog       section ScanLog of QZ3317VTSettings.ini    -> table ScanLog\n"
    "  ScanLog_NET   section ScanLog of QZ3317VTSettingsNet.ini -> table ScanLog_NET\n"
    "  CopyLog       section CopyLog of QZ3317VTSettings.ini    -> table CopyLog\n"
    "The word must be the whole command line after the program, byte for byte.\n"
    "Files live under $QZ3317VT_ROOT; qz3317vt-logdb init makes the database.\n"
    "The exit code is always 0; failures are reported on standard error.\n"
    "--help and --version are taken only as the whole command line.\n";

}  // namespace

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  if (platform::base::answerInfoRequest(argc, argv, "QZ3317VT_EXEPrintLog", kUsage)) return 0;
  try {
    // The row is still written, with empty values, as the driver's design
    // has it; the line says why it is empty.
    auto record = logrecorder::recordFolder();
    if (!std::filesystem::is_directory(record)) {
      platform::base::reportProblem("record folder missing: " + record.string() +
                                    " (a record is read as empty values)");
    }
    auto tail = platform::base::commandLineTail(platform::base::commandLine(argc, argv));
    logrecorder::runRecorder(tail, platform::base::systemClock());
  } catch (const std::exception&) {
    // Nothing reaches the caller but the exit code, and that is always 0.
  }
  return 0;
}
