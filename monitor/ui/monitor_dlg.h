// CMonitorDlg: the status window of the "STM" and "ALE" run modes.
//
// The window itself (its timer, evaluation, tray icon and buttons) is not
// built on this platform yet: DoModal reports that no window ran. What the
// start-up asks of the window before it runs is here already.
#pragma once

#include <cstdint>

#include "monitor/core/ppl_w3.h"
#include "monitor/core/stm_app.h"

namespace monitor {

class CMonitorDlg {
 public:
  CMonitorDlg(CPPL_W3& printer, bool alertMode, std::int16_t portNumber);

  // Asks the driver for a "Status?" exchange: "msgCmd" = 49 in "DRVMSG".
  void WriteStatusCommand();

  // Runs the window until it closes; -1 when no window could run.
  int DoModal();

 private:
  CPPL_W3& printer_;
  bool alertMode_;
  std::int16_t portNumber_;
};

// The status window step of start-up: construct, prepare, run, destroy.
void RunStatusWindow(CPPL_W3& printer, const StatusWindowRequest& request);

}  // namespace monitor
