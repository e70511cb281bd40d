// CStmApp: the status monitor's start-up, run-mode dispatch and exit steps.
//
// The last word of the command line selects one run mode; the mode runs
// inside InitInstance, which then returns false so that no message loop
// runs, and ExitInstance clears the win.ini flags that told the driver a
// monitor was running.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "base/instance_lock.h"

namespace monitor {

// The run modes, as the numbers the driver and the exchange file use.
inline constexpr std::int32_t kModeStatus = 0;  // "STM", and any unknown or empty keyword
inline constexpr std::int32_t kModeCommand = 1;
inline constexpr std::int32_t kModeRefreshAll = 2;
inline constexpr std::int32_t kModeAlert = 3;
inline constexpr std::int32_t kModeJobBegin = 5;
inline constexpr std::int32_t kModeRefreshDevice = 7;

// The three characters after the last blank of the upper-cased command
// line; the first three of the line when it holds no blank.
std::string modeKeyword(std::string_view commandLine);

// The run mode a keyword selects; 0 when it matches no mode word.
std::int32_t runModeFromKeyword(std::string_view keyword);

// The port number of a port setting: for a "USB" port the digits at fixed
// positions 3 to 5, not checked to be digits; 0 otherwise.
std::int16_t portNumberFromSetting(std::string_view portSetting);

// What the status window needs to run; it returns when the window closes.
struct StatusWindowRequest {
  bool alertMode = false;
  std::int16_t portNumber = 0;
  bool requestStatusFirst = false;  // empty keyword: ask for "Status?" first
};
using StatusWindowRunner = std::function<void(CPPL_W3&, const StatusWindowRequest&)>;

class CStmApp {
 public:
  CStmApp(std::string commandLine, StatusWindowRunner statusWindow);

  // Start-up. Always false: the framework goes straight to ExitInstance.
  bool InitInstance(COrvoUsb& usb, CPPL_W3& printer);
  int ExitInstance(const CPPL_W3& printer);

  // Whether start-up took the single-instance lock and ran a mode.
  bool started() const { return lock_.has_value(); }
  // The result of the "INI", "DRV" or "CMD" mode that ran; false when none
  // of them ran.
  bool modeResult() const { return modeResult_; }

 private:
  void runSelectedMode(CPPL_W3& printer, bool emptyKeyword);

  std::string commandLine_;
  StatusWindowRunner statusWindow_;
  std::int32_t runMode_ = 0;
  std::int16_t portNumber_ = 0;
  bool modeResult_ = false;
  std::optional<platform::base::InstanceLock> lock_;
};

}  // namespace monitor
