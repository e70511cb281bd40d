// Plays the printer's driver for one CUPS queue: keeps the exchange file's
// status keys current, starts the status window and the usage log
// recorder, and carries the window's answers back to the queue.
//
// Each tick pulls the queue's subscription; on an event (or when the
// subscription or the server was lost, or an answer was acted on) the
// queue and its jobs are read again. Keys written, in this order:
//   at a job's start   "JobInfo" (job_settings.h), DRVSPA "Printing" = 1,
//                      DRVMSG "msgSending" = 1, then "msgCode"
//   on every change    DRVMSG "msgCode" (reason_map.h), only when it
//                      differs from what the bridge wrote last, so the
//                      window's "1001" stays until the status changes
//   at the job's end   "msgCode", then "Printing" = 0, "msgSending" = 0
// "Printing" and "msgSending" are 1 while a job of this user has started
// and not ended: the window then shows its continue and cancel buttons,
// and its cancel leaves the job to the bridge ("msgResult" = "4").
// Other users' jobs move the status but never "Printing": their owners
// answer for them.
//
// Answers: while a job of this user shows an error or a warning, "msgCode"
// read back as 1001 is the window's answer for that job. "msgResult" "4",
// "8" or "68" cancels that job; any other value continues it: a held job
// is released, a stopped queue resumed. An answer that comes after its
// job ended does nothing.
//
// Records: each job of this user that ended (completed, canceled, aborted)
// after RecordedJobs::since() and is not yet recorded gets its "PRINT"
// section (print_record.h) and one recorder run with the kind's log word.
// The next record waits until that run has ended, since both share the
// one section.
//
// The local kind writes "zPort" = "USB001" and starts "QZ3317VT_PSM STM"
// when a job starts or an error or warning appears, unless the window it
// started last still runs (the monitor's own lock keeps it at one anyway).
// The network kind writes the same keys into its own exchange file and
// starts no window: the window knows only the USB port.
#pragma once

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "bridge/bridge_log.h"
#include "bridge/queue_kind.h"
#include "bridge/recorded_jobs.h"
#include "print/print_server.h"

namespace bridge {

struct WatchSettings {
  std::string server;  // as given, for the recorded-jobs keys
  std::string user;    // whose jobs are this user's
  std::string computerName;
  std::chrono::milliseconds activePoll{200};
  std::chrono::milliseconds idlePoll{2000};
  int leaseSeconds = 600;
};

class QueueWatch {
 public:
  QueueWatch(std::string queue, QueueKind kind, platform::print::PrintServer& server,
             RecordedJobs& recorded, const WatchSettings& settings, BridgeLog& log);

  // One round; returns when the next one is due.
  platform::base::SteadyTime tick(platform::base::SteadyTime now);
  // Cancels the subscription (at the bridge's end).
  void stop();

  const std::string& queue() const { return queue_; }
  // A job of this user is under way, an answer awaited or a record pending.
  bool busy() const;

 private:
  struct Question {
    int jobId;
    int code;
  };

  bool keepSubscription(platform::base::SteadyTime now, bool& lost);
  void refresh();
  bool isOwn(const platform::print::JobAttributes& job);
  void startJob(const platform::print::JobAttributes& job);
  void recordEndedJobs();
  void checkAnswer();
  void actOnAnswer(const Question& question, const std::string& result);
  void pumpRecords();
  void startMonitor();
  void write(const char* section, const char* key, const std::string& value, bool always = false);
  bool reachable(platform::print::Outcome outcome);

  std::string queue_;
  QueueKind kind_;
  platform::print::PrintServer& server_;
  RecordedJobs& recorded_;
  const WatchSettings& settings_;
  BridgeLog& log_;

  int subscription_ = 0;
  int sequence_ = 0;
  platform::base::SteadyTime renewAt_{};
  bool stale_ = true;  // read the queue again at the next tick

  platform::print::QueueAttributes attributes_;
  std::vector<platform::print::JobAttributes> jobs_;  // not completed
  std::optional<platform::print::JobAttributes> ownJob_;
  std::set<int> startedJobs_;  // this user's jobs seen under way
  std::set<int> hiddenJobs_;   // jobs whose owner the server hides
  std::optional<Question> question_;
  int lastCode_ = 0;
  std::vector<platform::print::JobAttributes> pendingRecords_;
  int recorderPid_ = -1;
  int monitorPid_ = -1;
  std::vector<std::pair<std::string, std::string>> written_;
};

}  // namespace bridge
