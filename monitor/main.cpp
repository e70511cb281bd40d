// QZ3317VT_PSM: the status monitor. The driver starts it with a mode
// keyword as the last word of its command line; it does that mode's job and
// ends. The exit status carries no result.
#include <filesystem>
#include <string>

#include "base/command_line.h"
#include "base/diagnostics.h"
#include "base/folders.h"
#include "base/program_info.h"
#include "base/standard_streams.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/core/stm_app.h"
#include "monitor/ui/monitor_dlg.h"
#include "usb/bus.h"

namespace {

constexpr std::string_view kUsage =
    "usage: QZ3317VT_PSM KEYWORD\n"
    "The status monitor. The printer driver starts it with a mode keyword as the\n"
    "last word of its command line; only the three characters after the last\n"
    "blank count, upper-cased.\n"
    "  INI  ask the printer for versions, features, counters, consumables and\n"
    "       settings, then its status; write sections DRVGET and DRVSET\n"
    "  DRV  the same without the status\n"
    "  CMD  run the command batch of section DRVCMD and write its Result\n"
    "  JBG  only the start-up and exit flags in win.ini\n"
    "  STM  the status window; ALE the same in alert mode; any other word: STM\n"
    "Files live under $QZ3317VT_ROOT (see qz3317vt-root init). QZ3317VT_USB=sim\n"
    "talks to the simulated printer of the root instead of USB.\n"
    "The exit status is always 0; failures are reported on standard error.\n"
    "--help and --version are taken only as the whole command line.\n";

// The driver's installation makes both folders; without them every read
// gives its default and every write is lost.
void reportMissingFolders(const monitor::CPPL_W3& printer) {
  auto record = printer.exchangeFile().parent_path();
  if (!std::filesystem::is_directory(record)) {
    platform::base::reportProblem("record folder missing: " + record.string() +
                                  " (the exchange file cannot be read or written)");
  }
  auto windows = platform::base::windowsFolder();
  if (!std::filesystem::is_directory(windows)) {
    platform::base::reportProblem("Windows folder missing: " + windows.string() +
                                  " (win.ini cannot be written)");
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  if (platform::base::answerInfoRequest(argc, argv, "QZ3317VT_PSM", kUsage)) return 0;
  // The three process-wide objects, built in this order and destroyed in
  // the reverse order.
  monitor::CStmApp app(platform::base::commandLine(argc, argv), monitor::RunStatusWindow);
  monitor::COrvoUsb usb(platform::usb::usbBus());
  monitor::CPPL_W3 printer(usb);
  reportMissingFolders(printer);
  app.InitInstance(usb, printer);
  return app.ExitInstance(printer);
}
