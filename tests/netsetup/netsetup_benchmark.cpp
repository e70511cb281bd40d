// A whole find of lan_setter's workflow against a running qz3317vt-printer,
// on the simulated USB bus and over TCP port 9100 of a loopback address,
// each beside the bare exchanges it is made of, so the tool's own cost is
// the difference.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "base/unique_fd.h"
#include "net/connector.h"
#include "net/ipv4.h"
#include "netsetup/setup_form.h"
#include "netsetup/setup_workflow.h"
#include "tests/support/printer_process.h"
#include "usb/bus.h"

namespace {

// A loopback address whose port 9100 is free, for the printer's listener.
std::string freeLoopbackAddress() {
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> part(1, 254);
  for (;;) {
    std::string address = "127." + std::to_string(part(random)) + "." +
                          std::to_string(part(random)) + "." + std::to_string(part(random));
    platform::base::UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(9100);
    ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    if (::bind(probe.get(), reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) return address;
  }
}

// The simulated printer for one benchmark: on the bus, or on TCP only.
std::unique_ptr<testing_support::PrinterProcess> startPrinter(bool overTcp, std::string& address) {
  ::setenv("QZ3317VT_USB", "sim", 1);
  ::setenv("QZ3317VT_NET", "loopback-only", 1);
  auto printer = std::make_unique<testing_support::PrinterProcess>();
  std::string scenario;
  if (overTcp) {
    address = freeLoopbackAddress();
    scenario = "unplugged = 1\ntcp = " + address + ":9100\nvalue.IP = " + address + "\n";
    testing_support::writeFile(printer->tempRoot().winIni(),
                               "[DRVSTM_QZ3317VT]\r\nPrintPortInUse=" + address + "\r\n");
  }
  if (!printer->start(scenario)) return nullptr;
  return printer;
}

void findDevice(benchmark::State& state, bool overTcp) {
  std::string address;
  auto printer = startPrinter(overTcp, address);
  if (!printer) {
    state.SkipWithError("the printer did not start");
    return;
  }
  for (auto _ : state) {
    netsetup::SetupForm form;
    netsetup::SetupWorkflow workflow(form);
    if (workflow.findDevice() != netsetup::FindOutcome::Read) state.SkipWithError("find failed");
  }
}

// The bare exchanges of one find on the bus: the list, and for each of
// the two queries a write pipe and a read pipe, opened for one call each.
void bareUsbExchanges(benchmark::State& state) {
  std::string unused;
  auto printer = startPrinter(false, unused);
  if (!printer) {
    state.SkipWithError("the printer did not start");
    return;
  }
  auto& bus = platform::usb::usbBus();
  std::vector<std::uint8_t> buffer(260);
  for (auto _ : state) {
    auto devices = bus.listDevices(platform::usb::InterfaceClass::Imaging);
    std::string path = *devices->front().devicePath;
    for (std::string_view query : {"CheckIP;", "CheckMAC;"}) {
      bus.open(path + "\\1", platform::usb::Access::Write)
          ->write({reinterpret_cast<const std::uint8_t*>(query.data()), query.size()});
      auto read = bus.open(path + "\\0", platform::usb::Access::Read)
                      ->read(buffer, std::chrono::milliseconds(500));
      if (read.status != platform::usb::ReadStatus::Completed) state.SkipWithError("no reply");
    }
  }
}

// The bare exchanges of one find over TCP: a probe connection and one
// connection per query, each with its frame and its reply.
void bareTcpExchanges(benchmark::State& state) {
  std::string address;
  auto printer = startPrinter(true, address);
  if (!printer) {
    state.SkipWithError("the printer did not start");
    return;
  }
  platform::net::Endpoint peer{*platform::net::parseInetAddr(address), 9100};
  platform::net::TcpLimits limits{std::chrono::milliseconds(5000), std::chrono::milliseconds(5000)};
  std::vector<std::uint8_t> buffer(260);
  for (auto _ : state) {
    platform::net::connector().connect(peer, limits);
    for (std::string_view frame : {"NET.CheckIP;", "NET.CheckMAC;"}) {
      auto connection = platform::net::connector().connect(peer, limits).connection;
      connection->send({reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()});
      if (connection->receive(buffer).status != platform::net::NetStatus::Ok) {
        state.SkipWithError("no reply");
      }
    }
  }
}

void BM_FindOverUsb(benchmark::State& state) { findDevice(state, false); }
void BM_BareUsbExchangesOfAFind(benchmark::State& state) { bareUsbExchanges(state); }
void BM_FindOverTcp(benchmark::State& state) { findDevice(state, true); }
void BM_BareTcpExchangesOfAFind(benchmark::State& state) { bareTcpExchanges(state); }

BENCHMARK(BM_FindOverUsb)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareUsbExchangesOfAFind)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindOverTcp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareTcpExchangesOfAFind)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
