// One Transact round trip against the simulated printer: the request out,
// the reply in and parsed, and "STMreaddata" marked twice in the exchange
// file.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "monitor/core/orvo_usb.h"
#include "tests/support/printer_process.h"

namespace {

void BM_TransactRoundTrip(benchmark::State& state) {
  ::setenv("QZ3317VT_USB", "sim", 1);
  testing_support::PrinterProcess printer;
  const auto& root = printer.tempRoot();
  if (!printer.start()) {
    state.SkipWithError("the simulated printer did not start");
    return;
  }
  monitor::COrvoUsb usb(platform::usb::usbBus());
  usb.attachExchangeFile(root.exchangeFile());
  if (usb.OpenLink() != 1) {
    state.SkipWithError("no printer on the simulated bus");
    return;
  }
  for (auto _ : state) {
    if (!usb.Transact("Status?", 1)) state.SkipWithError("transaction failed");
  }
}
BENCHMARK(BM_TransactRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
