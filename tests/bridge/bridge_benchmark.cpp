// Figures of the built bridge against a private cupsd (not a test: it
// prints what it measured): the delay from a change of the queue's state
// reasons while a job prints to "msgCode" written, as the median of 20
// changes, and the bridge's CPU time while idle for a minute.
// Usage: bridge_benchmark [IDLE_SECONDS]
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "private_cupsd.h"
#include "profile/profile.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace {

using Clock = std::chrono::steady_clock;

// utime + stime of `pid` in clock ticks.
long cpuTicks(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;
  long user = 0, system = 0;
  fields >> user >> system;
  return user + system;
}

}  // namespace

int main(int argc, char** argv) {
  int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
  testing_support::TempRoot root;
  bridge_test::PrivateCupsd cupsd;
  if (!cupsd.start()) return 1;
  constexpr int kChanges = 21;  // the first one only starts the measured 20
  std::string scenario;
  for (int i = 0; i < kChanges; ++i)
    scenario += std::string("1 state ") + (i % 2 == 0 ? "+" : "-") + "cover-open-error\n1 wait " +
                (cupsd.folder() / ("step" + std::to_string(i))).string() + "\n";
  cupsd.addQueue("qz", "usb", "1 wait " + (cupsd.folder() / "begin").string() + "\n" + scenario);
  auto exchange = root.exchangeFile();
  auto code = [&] { return platform::profile::getString(exchange, "DRVMSG", "msgCode", "", 16); };

  int bridge = testing_support::spawnToFiles({QZ_BRIDGE, "--server", cupsd.server()},
                                             root.path() / "bridge.out", root.path() / "bridge.err");
  auto waitFor = [&](auto done) {
    auto limit = Clock::now() + std::chrono::seconds(20);
    while (!done() && Clock::now() < limit) std::this_thread::sleep_for(std::chrono::microseconds(500));
    return done();
  };
  waitFor([&] { return code() == "10001"; });

  // Idle: no job, nothing changes.
  long before = cpuTicks(bridge);
  std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
  auto idleTicks = static_cast<double>(cpuTicks(bridge) - before);

  // Active: one job under way, the backend changes the reasons step by step.
  cupsd.print("qz", "Benchmark", 1);
  waitFor([&] {
    return platform::profile::getString(exchange, "DRVSPA", "Printing", "", 8) == "1";
  });
  cupsd.release(cupsd.folder() / "begin");
  waitFor([&] { return code() == "40021"; });
  std::vector<double> delays;
  for (int i = 0; i < kChanges - 1; ++i) {
    std::string expected = i % 2 == 0 ? "10023" : "40021";
    // A random pause first: a change right after the last detection would
    // always meet the bridge just after a look and wait a whole interval.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::rand() % 400));
    auto start = Clock::now();
    cupsd.release(cupsd.folder() / ("step" + std::to_string(i)));
    if (!waitFor([&] { return code() == expected; })) break;
    delays.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  ::kill(bridge, SIGTERM);
  testing_support::waitExit(bridge);

  std::sort(delays.begin(), delays.end());
  double hz = static_cast<double>(::sysconf(_SC_CLK_TCK));
  std::printf("state change to msgCode, job under way: median %.1f ms, min %.1f, max %.1f over %zu changes\n",
              delays.empty() ? 0 : delays[delays.size() / 2], delays.empty() ? 0 : delays.front(),
              delays.empty() ? 0 : delays.back(), delays.size());
  std::printf("idle CPU over %d s: %.2f s (%.3f %% of one core)\n", idleSeconds, idleTicks / hz,
              100.0 * idleTicks / hz / idleSeconds);
  return 0;
}
