// One timer tick of the status window on the headless host: a refresh that
// finds nothing changed (no redraw), and one that redraws (a job prints, so
// every tick composes the texts from the resource text file again).
#include <benchmark/benchmark.h>

#include <sstream>

#include "base/fake_clock.h"
#include "monitor/core/orvo_usb.h"
#include "monitor/core/ppl_w3.h"
#include "monitor/ui/monitor_dlg.h"
#include "profile/profile.h"
#include "../fake_usb_bus.h"
#include "tests/support/temp_root.h"
#include "ui/headless_host.h"

namespace {

void tick(benchmark::State& state, int code, int printing) {
  testing_support::TempRoot root;
  testing_support::writeFile(root.resourceFile(),
                             "[FW_MSG]\nV_READY=Ready\nV_READYc2=Code %s\nV_READYi1=OK\n"
                             "V_JAM_TRAY1=Jam\nV_JAM_TRAY1c2=Code %s\nV_JAM_TRAY1i1=Remove the paper\n"
                             "V_JAM_TRAY1i2=Close the cover\n");
  auto exchange = root.exchangeFile();
  platform::profile::writeString(exchange, "DRVSPA", "zPort", "USB001");
  platform::profile::writeString(exchange, "DRVMSG", "msgCode", std::to_string(code));
  platform::profile::writeString(exchange, "DRVSPA", "Printing", std::to_string(printing));
  testing_support::FakeUsbBus bus;
  monitor::COrvoUsb usb(bus);
  monitor::CPPL_W3 printer(usb);
  platform::base::FakeClock clock;
  std::ostringstream out;
  platform::ui::HeadlessHost host({-1, &out, nullptr, &clock});
  monitor::CMonitorDlg window(printer, false, 1, clock, host);
  window.create();
  for (auto _ : state) {
    host.dispatch("tick");
    out.str("");
  }
}

void BM_TickWithoutRedraw(benchmark::State& state) { tick(state, 10001, 0); }
void BM_TickWithRedraw(benchmark::State& state) { tick(state, 44114, 1); }

BENCHMARK(BM_TickWithoutRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickWithRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
