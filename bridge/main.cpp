// qz3317vt-bridge: plays the printer's driver for the CUPS queues of the
// QZ3317VT, for the user of the desktop session that starts it. See
// bridge/queue_watch.h for what it writes and starts, and the README's
// "Printing on Linux" section for the setup.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/instance_lock.h"
#include "base/program_info.h"
#include "base/standard_streams.h"
#include "base/system_names.h"
#include "bridge/bridge_log.h"
#include "bridge/queue_kind.h"
#include "bridge/queue_watch.h"
#include "bridge/recorded_jobs.h"
#include "print/print_server.h"

namespace {

constexpr const char* kUsage =
    "Usage: qz3317vt-bridge [--queue NAME]... [--server HOST:PORT]\n"
    "Plays the QZ3317VT printer's driver for CUPS: shows the printer's status in\n"
    "the status window (QZ3317VT_PSM) and records every print job of this user in\n"
    "the usage log (QZ3317VT_EXEPrintLog). One bridge runs per user.\n"
    "\n"
    "  --queue NAME         watch this queue (repeatable); without it, every queue\n"
    "                       whose make-and-model or device URI names QZ3317VT\n"
    "  --server HOST:PORT   the CUPS server (default: the user's, as lpstat uses)\n"
    "  --active-poll MS     pause between looks while a job is under way (200)\n"
    "  --idle-poll MS       pause between looks otherwise (2000)\n"
    "  --help, --version\n";

volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

struct Options {
  std::vector<std::string> queues;
  std::string server;
  int activePollMs = 200;
  int idlePollMs = 2000;
};

// Returns 0 to run, else the exit code of a misuse.
int parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string text;
    if (word == "--queue" && value(text)) {
      options.queues.push_back(text);
    } else if (word == "--server" && value(text)) {
      options.server = text;
    } else if (word == "--active-poll" && value(text) && std::atoi(text.c_str()) > 0) {
      options.activePollMs = std::atoi(text.c_str());
    } else if (word == "--idle-poll" && value(text) && std::atoi(text.c_str()) > 0) {
      options.idlePollMs = std::atoi(text.c_str());
    } else {
      std::fprintf(stderr, "qz3317vt-bridge: cannot use \"%s\" here\n%s", word.c_str(), kUsage);
      return 2;
    }
  }
  return 0;
}

// The watched queues: the named ones, else those found on the server.
class Watches {
 public:
  Watches(const Options& options, platform::print::PrintServer& server, bridge::RecordedJobs& recorded,
          const bridge::WatchSettings& settings, bridge::BridgeLog& log)
      : options_(options), server_(server), recorded_(recorded), settings_(settings), log_(log) {}

  // Adds the queues not yet watched.
  void discover() {
    auto queues = server_.queues();
    if (!queues) {
      log_.trouble("server", "the print server does not answer (" + server_.lastError() +
                                 "); looking again");
      return;
    }
    log_.over("server", "the print server answers again");
    for (const auto& queue : *queues) {
      bool wanted = options_.queues.empty() ? bridge::isPrinterQueue(queue)
                                            : std::find(options_.queues.begin(), options_.queues.end(),
                                                        queue.name) != options_.queues.end();
      if (wanted && !watches_.count(queue.name)) add(queue.name, bridge::kindOf(queue.deviceUri));
    }
    for (const auto& name : options_.queues)
      if (!watches_.count(name))
        log_.trouble("missing " + name, "queue " + name + " does not exist (yet); looking again");
    if (watches_.empty() && options_.queues.empty())
      log_.trouble("none", "no CUPS queue names the QZ3317VT; looking again");
  }

  bool complete() const {
    return !watches_.empty() && (options_.queues.empty() || watches_.size() == options_.queues.size());
  }

  // Runs the due watches; the time the next one is due.
  platform::base::SteadyTime tick(platform::base::SteadyTime now, platform::base::SteadyTime latest) {
    platform::base::SteadyTime next = latest;
    for (auto& [name, entry] : watches_) {
      if (entry.due <= now) entry.due = entry.watch->tick(now);
      next = std::min(next, entry.due);
    }
    return next;
  }

  void stop() {
    for (auto& [name, entry] : watches_) entry.watch->stop();
  }

 private:
  void add(const std::string& name, bridge::QueueKind kind) {
    log_.note("watching queue " + name + (kind == bridge::QueueKind::Local ? " (USB)" : " (network)"));
    log_.over("missing " + name, "queue " + name + " is there");
    log_.over("none", "found a queue of the QZ3317VT");
    watches_[name] = Entry{std::make_unique<bridge::QueueWatch>(name, kind, server_, recorded_, settings_, log_), {}};
  }

  struct Entry {
    std::unique_ptr<bridge::QueueWatch> watch;
    platform::base::SteadyTime due;
  };
  const Options& options_;
  platform::print::PrintServer& server_;
  bridge::RecordedJobs& recorded_;
  const bridge::WatchSettings& settings_;
  bridge::BridgeLog& log_;
  std::map<std::string, Entry> watches_;
};

}  // namespace

int main(int argc, char** argv) {
  platform::base::protectStandardStreams();
  if (platform::base::answerInfoRequest(argc, argv, "qz3317vt-bridge", kUsage)) return 0;
  Options options;
  if (int code = parse(argc, argv, options); code != 0) return code;

  auto lock = platform::base::InstanceLock::tryAcquire("qz3317vt-bridge");
  if (!lock) {
    std::fputs("qz3317vt-bridge: another bridge runs for this user; this one ends\n", stderr);
    return 1;
  }
  std::signal(SIGTERM, requestStop);
  std::signal(SIGINT, requestStop);
  std::signal(SIGHUP, requestStop);

  auto& clock = platform::base::systemClock();
  bridge::BridgeLog log;
  bridge::WatchSettings settings;
  settings.server = options.server;
  settings.user = platform::print::requestingUser();
  settings.computerName = platform::base::hostName();
  settings.activePoll = std::chrono::milliseconds(options.activePollMs);
  settings.idlePoll = std::chrono::milliseconds(options.idlePollMs);
  bridge::RecordedJobs recorded(bridge::RecordedJobs::defaultFile(), std::time(nullptr));
  auto server = platform::print::connectPrintServer(options.server);

  // Queues are looked for again now and then until every wanted one is
  // watched, and rarely after that (a queue added later).
  const auto rediscover = settings.idlePoll * 15;
  Watches watches(options, *server, recorded, settings, log);
  platform::base::SteadyTime discoverAt = clock.now();
  while (!stopRequested) {
    auto now = clock.now();
    if (now >= discoverAt) {
      watches.discover();
      discoverAt = now + (watches.complete() ? rediscover : settings.idlePoll);
    }
    auto next = watches.tick(now, discoverAt);
    // Short sleeps, so that a stop request ends the bridge at once.
    while (!stopRequested && clock.now() < next)
      clock.sleepFor(std::min(std::chrono::duration_cast<std::chrono::milliseconds>(next - clock.now()) +
                                  std::chrono::milliseconds(1),
                              std::chrono::milliseconds(50)));
  }
  watches.stop();
  return 0;
}
