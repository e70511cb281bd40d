// QZ3317VT_PSM: the status monitor. The driver starts it with a mode
// keyword as the last word of its command line; it does that mode's job and
// ends. The exit status carries no result.
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/core/stm_app.h"
#include "monitor/ui/monitor_dlg.h"
#include "base/command_line.h"
#include "base/standard_streams.h"
#include "usb/bus.h"

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  // The three process-wide objects, built in this order and destroyed in
  // the reverse order.
  monitor::CStmApp app(platform::base::commandLine(argc, argv), monitor::RunStatusWindow);
  monitor::COrvoUsb usb(platform::usb::usbBus());
  monitor::CPPL_W3 printer(usb);
  app.InitInstance(usb, printer);
  return app.ExitInstance(printer);
}
