// One request and its reply through the simulated bus, against a running
// qz3317vt-printer: the cost of a monitor transaction without the device.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <vector>

#include "sim/sim_bus.h"
#include "tests/support/printer_process.h"

namespace {

using namespace platform::usb;

void roundTrip(benchmark::State& state, bool reopenPipes) {
  testing_support::PrinterProcess printer;
  if (!printer.start()) {
    state.SkipWithError("the printer did not start");
    return;
  }
  auto bus = makeSimBus();
  auto devices = bus->listDevices(InterfaceClass::Printing);
  if (!devices || devices->empty()) {
    state.SkipWithError("no simulated device");
    return;
  }
  std::string path = *devices->front().devicePath;
  std::string_view request = "Status?";
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(request.data()),
                                      request.size());
  std::vector<std::uint8_t> buffer(512);
  auto writer = bus->open(path + "\\PIPE00", Access::Write);
  auto reader = bus->open(path + "\\PIPE01", Access::Read);
  for (auto _ : state) {
    if (reopenPipes) {
      writer = bus->open(path + "\\PIPE00", Access::Write);
      reader = bus->open(path + "\\PIPE01", Access::Read);
    }
    writer->write(bytes);
    auto result = reader->read(buffer, std::chrono::milliseconds(10000));
    if (result.status != ReadStatus::Completed) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(result);
  }
}

// Pipes held open: the bare write + read round trip.
void BM_WriteReadRoundTrip(benchmark::State& state) { roundTrip(state, false); }
// Pipes opened for each exchange, as the monitor's transaction does.
void BM_TransactionWithOpen(benchmark::State& state) { roundTrip(state, true); }

BENCHMARK(BM_WriteReadRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransactionWithOpen)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
