// Start-up and exit of the status monitor.
#include "monitor/core/stm_app.h"

#include <array>

#include "base/diagnostics.h"
#include "text/codepage.h"
#include "profile/profile.h"

namespace monitor {

namespace {
constexpr std::string_view kLockName = "QZ3317VT_PSM.EXE";
constexpr std::size_t kPortBuffer = 32;

struct ModeWord {
  std::string_view keyword;
  std::int32_t mode;
};
constexpr std::array<ModeWord, 6> kModeWords{{
    {"INI", kModeRefreshAll}, {"CMD", kModeCommand}, {"ALE", kModeAlert},
    {"STM", kModeStatus}, {"JBG", kModeJobBegin}, {"DRV", kModeRefreshDevice},
}};
}  // namespace

std::string modeKeyword(std::string_view commandLine) {
  auto upper = platform::text::upperAnsi(commandLine);
  auto blank = upper.rfind(' ');
  auto start = blank == std::string::npos ? 0 : blank + 1;
  return upper.substr(start, 3);
}

std::int32_t runModeFromKeyword(std::string_view keyword) {
  for (const auto& word : kModeWords) {
    if (word.keyword == keyword) return word.mode;
  }
  return kModeStatus;
}

namespace {

// A keyword the driver does not use still runs the status window, as the
// driver expects; the line tells a person who typed it why. An empty
// keyword is the driver's own way of asking for "Status?" and is not
// reported.
void reportUnknownKeyword(std::string_view keyword) {
  if (keyword.empty()) return;
  for (const auto& word : kModeWords) {
    if (word.keyword == keyword) return;
  }
  platform::base::reportProblem("mode keyword \"" + std::string(keyword) +
                                "\" not recognised (INI, DRV, CMD, JBG, STM or ALE); "
                                "running the status window as for STM");
}

}  // namespace

std::int16_t portNumberFromSetting(std::string_view portSetting) {
  if (portSetting.find("USB") == std::string_view::npos) return 0;
  // Positions past the end read as the value's terminating zero.
  auto at = [&](std::size_t i) { return i < portSetting.size() ? portSetting[i] - '0' : -'0'; };
  return static_cast<std::int16_t>(at(3) * 100 + at(4) * 10 + at(5));
}

CStmApp::CStmApp(std::string commandLine, StatusWindowRunner statusWindow)
    : commandLine_(std::move(commandLine)), statusWindow_(std::move(statusWindow)) {}

bool CStmApp::InitInstance(COrvoUsb& usb, CPPL_W3& printer) {
  lock_ = platform::base::InstanceLock::tryAcquire(kLockName);
  if (!lock_) return false;
  printer.WriteStmFlag("StmInUse", 1);

  auto keyword = modeKeyword(commandLine_);
  runMode_ = runModeFromKeyword(keyword);
  reportUnknownKeyword(keyword);

  auto port = platform::profile::getString(printer.exchangeFile(), "DRVSPA", "zPort", "NONE",
                                           kPortBuffer);
  portNumber_ = portNumberFromSetting(port);
  // The link is opened here, once per run, for the modes that talk to the
  // printer. A parallel port keeps it closed so that no transaction reaches
  // a USB printer.
  bool parallelPort = port.find("USB") == std::string::npos && port.find("LPT") != std::string::npos;
  if (parallelPort) {
    usb.clearLink();
  } else if (runMode_ != kModeJobBegin) {
    usb.OpenLink();
  }
  printer.WriteStmFlag("Connect", 1);

  runSelectedMode(printer, keyword.empty());
  return false;
}

void CStmApp::runSelectedMode(CPPL_W3& printer, bool emptyKeyword) {
  switch (runMode_) {
    case kModeStatus:
    case kModeAlert:
      statusWindow_(printer, {runMode_ == kModeAlert, portNumber_, emptyKeyword});
      return;
    case kModeCommand: modeResult_ = printer.RunCommandBatch() != 0; return;
    case kModeRefreshAll: modeResult_ = printer.RefreshDeviceInfoAndStatus(); return;
    case kModeRefreshDevice: modeResult_ = printer.RefreshDeviceInfo(); return;
    default: return;
  }
}

int CStmApp::ExitInstance(const CPPL_W3& printer) {
  // A refused start leaves the flags alone: the monitor that holds the
  // lock is still running and the driver reads them to know it.
  if (!lock_) return 0;
  printer.WriteStmFlag("StmInUse", 0);
  printer.WriteStmFlag("PgmCode", 0);
  return 0;
}

}  // namespace monitor
