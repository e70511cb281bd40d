// The status window's start-up side.
#include "monitor/ui/monitor_dlg.h"

#include <string>

#include "monitor/core/request_words.h"
#include "profile/profile.h"

namespace monitor {

CMonitorDlg::CMonitorDlg(CPPL_W3& printer, bool alertMode, std::int16_t portNumber)
    : printer_(printer), alertMode_(alertMode), portNumber_(portNumber) {}

void CMonitorDlg::WriteStatusCommand() {
  platform::profile::writeString(printer_.exchangeFile(), "DRVMSG", "msgCmd",
                                 std::to_string(static_cast<int>(kStatus)));
}

int CMonitorDlg::DoModal() {
  (void)alertMode_;
  (void)portNumber_;
  return -1;
}

void RunStatusWindow(CPPL_W3& printer, const StatusWindowRequest& request) {
  CMonitorDlg window(printer, request.alertMode, request.portNumber);
  if (request.requestStatusFirst) window.WriteStatusCommand();
  window.DoModal();
}

}  // namespace monitor
