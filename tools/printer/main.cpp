// qz3317vt-printer: the simulated QZ3317VT on the simulated USB bus of a
// root. Usage: qz3317vt-printer --root DIR [--scenario FILE]. Prints
// "ready" once it serves; ends on SIGTERM or SIGINT, removing its socket.
#include <signal.h>
#include <sys/signalfd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "base/program_info.h"
#include "base/unique_fd.h"
#include "tools/printer/sim_server.h"

namespace {

constexpr std::string_view kUsage =
    "usage: qz3317vt-printer --root DIR [--scenario FILE]\n"
    "The simulated QZ3317VT: serves the simulated USB bus of the root DIR (the\n"
    "programs use it with QZ3317VT_USB=sim and QZ3317VT_ROOT=DIR), and with a\n"
    "\"tcp\" key in the scenario its setup commands on a loopback TCP port.\n"
    "Prints \"ready\" once it serves; ends on SIGTERM or SIGINT. The scenario FILE\n"
    "(key = value lines) is read again whenever it is replaced. Each request word\n"
    "goes to DIR/.usb-sim/requests.log. A root has one printer at a time: a\n"
    "second start on a served root is refused.\n"
    "Exit code: 0 after a stop signal, 1 when it cannot serve, 2 usage error.\n"
    "--help and --version are taken only as the whole command line.\n";

struct Options {
  std::filesystem::path root;
  std::optional<std::filesystem::path> scenario;
};

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string_view flag = argv[i];
    if (flag == "--root") options.root = argv[i + 1];
    else if (flag == "--scenario") options.scenario = std::filesystem::path(argv[i + 1]);
    else return std::nullopt;
  }
  if (argc % 2 == 0 || options.root.empty()) return std::nullopt;
  return options;
}

// The stop signals arrive through a descriptor that the poll loop watches.
platform::base::UniqueFd stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  return platform::base::UniqueFd(::signalfd(-1, &signals, SFD_CLOEXEC));
}

}  // namespace

int main(int argc, char** argv) {
  if (platform::base::answerInfoRequest(argc, argv, "qz3317vt-printer", kUsage)) return 0;
  auto options = parseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: qz3317vt-printer --root DIR [--scenario FILE]\n";
    return 2;
  }
  auto stop = stopSignals();
  if (!stop.valid()) {
    std::cerr << "qz3317vt-printer: cannot watch signals\n";
    return 1;
  }
  printer::SimServer server(options->root, options->scenario);
  std::string error;
  if (!server.start(error)) {
    std::cerr << "qz3317vt-printer: " << error << "\n";
    return 1;
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  server.run(stop.get());
  return 0;
}
