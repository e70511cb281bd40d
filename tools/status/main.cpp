// qz3317vt-status: the printer's status, levels, counters, firmware and
// settings for a person, or as JSON for scripts.
//
//   qz3317vt-status [--json]
//
// It runs the device refresh of the status monitor's "INI" mode through
// the monitor's own start-up (CStmApp with the keyword INI), so it takes the
// same single-instance lock, writes the same win.ini flags and the same
// exchange-file keys as a monitor the driver starts, and then shows what the
// refresh left in the exchange file.
// Exit code: 0 after a complete refresh, 1 otherwise (no printer, no answer,
// a parallel port, another monitor running), 2 usage error.
#include <iostream>
#include <string>
#include <string_view>

#include "base/command_line.h"
#include "base/program_info.h"
#include "monitor/core/device_mapping.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/core/stm_app.h"
#include "profile/profile.h"
#include "text/codepage.h"
#include "tools/status/device_report.h"
#include "usb/bus.h"

namespace {

constexpr std::string_view kUsageText = "usage: qz3317vt-status [--json]\n";

constexpr std::string_view kHelpText =
    "Asks the printer for its status, toner and drum levels, counters, firmware\n"
    "and settings, the way the status monitor's INI mode does (same lock, same\n"
    "flags, same keys written to the exchange file), and shows them; --json\n"
    "prints one JSON object instead. Files live under $QZ3317VT_ROOT;\n"
    "QZ3317VT_USB=sim asks the simulated printer of the root.\n"
    "Exit code: 0 after a complete refresh, 1 otherwise, 2 usage error.\n"
    "--help and --version are taken only as the whole command line.\n";

constexpr std::string_view kDrvgetKeys[] = {
    "FWVersion",     "OPLVersion",      "SleepMode",         "CassettePaper",
    "TonerOutError", "FeedOffset",      "ScanOffset",        "InstalledMemory",
    "AvailableMemory", "TotalPages",    "JamCounts",         "GenuineTonerCount",
    "NonGenuineTonerCount", "GenuineToner", "TonerRemain",   "TonerPartNumber",
    "OPCRemain",     "OPCPartNumber",   "RunPaperSource",    "RunPaperSize",
    "HostName",      "UsbID",           "CommMode",          "ModelID",
    "ConFWDate",     "EngFWVer"};
constexpr std::string_view kDrvsetKeys[] = {"SleepMode", "CassettePaper", "TonerOutError",
                                            "FeedOffset", "ScanOffset"};
constexpr std::size_t kValueBuffer = 256;

template <std::size_t N>
status_tool::KeyValues readSection(const std::filesystem::path& file, std::string_view section,
                                   const std::string_view (&keys)[N]) {
  status_tool::KeyValues values;
  for (auto key : keys) {
    auto value = platform::profile::getString(file, section, key, "", kValueBuffer);
    values.emplace_back(std::string(key), platform::text::ansiToUtf8(value));
  }
  return values;
}

status_tool::DeviceReport collect(const monitor::CStmApp& app, monitor::COrvoUsb& usb,
                                  const monitor::CPPL_W3& printer) {
  status_tool::DeviceReport report;
  report.portSetting = platform::profile::getString(printer.exchangeFile(), "DRVSPA", "zPort",
                                                    "NONE", 32);
  if (!app.started()) {
    report.outcome = status_tool::Outcome::Busy;
  } else if (app.modeResult()) {
    report.outcome = status_tool::Outcome::Refreshed;
  } else if (report.portSetting.find("USB") == std::string::npos &&
             report.portSetting.find("LPT") != std::string::npos) {
    report.outcome = status_tool::Outcome::ParallelPort;
  } else {
    report.outcome = usb.IsPrinterPresent() ? status_tool::Outcome::NoAnswer
                                            : status_tool::Outcome::NoPrinter;
  }
  if (report.outcome != status_tool::Outcome::Refreshed) return report;

  // The last transaction of the refresh was "Status?".
  const auto& entry = usb.status().entries[0];
  report.status = status_tool::PrinterStatus{
      entry.code, platform::text::ansiToUtf8(monitor::valueText(entry.secondText))};
  report.tonerRemaining = printer.fields().tonerRemaining;
  report.drumRemaining = printer.fields().drumRemaining;
  report.drvget = readSection(printer.exchangeFile(), "DRVGET", kDrvgetKeys);
  report.drvset = readSection(printer.exchangeFile(), "DRVSET", kDrvsetKeys);
  return report;
}

}  // namespace

int main(int argc, char** argv) {
  if (platform::base::answerInfoRequest(argc, argv, "qz3317vt-status",
                                        std::string(kUsageText) + std::string(kHelpText))) {
    return 0;
  }
  bool json = argc == 2 && std::string_view(argv[1]) == "--json";
  if (argc > 2 || (argc == 2 && !json)) {
    std::cerr << kUsageText;
    return 2;
  }
  // The monitor's three process-wide objects, in its order; the command
  // line is the one the driver gives for a refresh.
  const char* line[] = {argv[0], "INI"};
  monitor::CStmApp app(platform::base::commandLine(2, line), [](auto&, const auto&) {});
  monitor::COrvoUsb usb(platform::usb::usbBus());
  monitor::CPPL_W3 printer(usb);
  app.InitInstance(usb, printer);
  app.ExitInstance(printer);

  auto report = collect(app, usb, printer);
  std::cout << (json ? status_tool::formatAsJson(report) : status_tool::formatForPerson(report));
  return report.outcome == status_tool::Outcome::Refreshed ? 0 : 1;
}
