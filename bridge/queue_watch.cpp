// One queue's watch: subscription, status keys, answers, records.
#include "bridge/queue_watch.h"

#include <algorithm>

#include "bridge/job_settings.h"
#include "bridge/print_record.h"
#include "bridge/program_start.h"
#include "bridge/reason_map.h"
#include "profile/profile.h"
#include "text/codepage.h"

namespace bridge {
namespace {

using platform::print::JobAttributes;
using platform::print::JobState;
using platform::print::Outcome;

constexpr int kAnswerCode = 1001;  // what the window writes after an answer

// Started and not ended: the backend holds or stopped it, or it prints.
bool isUnderWay(const JobAttributes& job) {
  return job.processingAt > 0 && !hasEnded(job.state);
}

bool isCancelAnswer(const std::string& result) { return result == "4" || result == "8" || result == "68"; }

}  // namespace

QueueWatch::QueueWatch(std::string queue, QueueKind kind, platform::print::PrintServer& server,
                       RecordedJobs& recorded, const WatchSettings& settings, BridgeLog& log)
    : queue_(std::move(queue)), kind_(kind), server_(server), recorded_(recorded),
      settings_(settings), log_(log) {
  if (kind_ == QueueKind::Local) write("DRVSPA", "zPort", "USB001");
  recordEndedJobs();
}

bool QueueWatch::busy() const {
  return ownJob_.has_value() || question_.has_value() || !pendingRecords_.empty() || recorderPid_ > 0;
}

bool QueueWatch::reachable(Outcome outcome) {
  if (outcome == Outcome::Unreachable) {
    log_.trouble("server", "the print server does not answer (" + server_.lastError() +
                               "); printing goes on, the status follows when it is back");
    stale_ = true;
    return false;
  }
  log_.over("server", "the print server answers again");
  return true;
}

platform::base::SteadyTime QueueWatch::tick(platform::base::SteadyTime now) {
  bool lost = false;
  if (keepSubscription(now, lost)) {
    int events = 0;
    Outcome pulled = server_.pullEvents(queue_, subscription_, sequence_, events);
    if (pulled == Outcome::NotFound) {
      subscription_ = 0;  // expired or forgotten by a restarted server
      stale_ = true;
    } else if (reachable(pulled) && (events > 0 || stale_)) {
      refresh();
    }
  } else if (lost) {
    stale_ = true;
  }
  checkAnswer();
  pumpRecords();
  if (monitorPid_ > 0 && hasExited(monitorPid_)) monitorPid_ = -1;
  return now + (busy() ? settings_.activePoll : settings_.idlePoll);
}

bool QueueWatch::keepSubscription(platform::base::SteadyTime now, bool& lost) {
  if (subscription_ != 0 && now < renewAt_) return true;
  if (subscription_ != 0) {
    Outcome renewed = server_.renew(queue_, subscription_, settings_.leaseSeconds);
    if (!reachable(renewed)) return false;
    if (renewed == Outcome::Done) {
      renewAt_ = now + std::chrono::seconds(settings_.leaseSeconds / 2);
      return true;
    }
    subscription_ = 0;
  }
  int id = 0;
  Outcome made = server_.subscribe(queue_, settings_.leaseSeconds, id);
  if (!reachable(made)) return false;
  if (made != Outcome::Done) {
    log_.trouble("queue " + queue_, "queue " + queue_ + " cannot be watched (" + server_.lastError() +
                                        "); trying again");
    lost = true;
    if (made == Outcome::NotFound && ownJob_) {
      // The queue went away with the job: nothing prints for it any more.
      ownJob_.reset();
      question_.reset();
      write("DRVSPA", "Printing", "0");
      write("DRVMSG", "msgSending", "0");
    }
    return false;
  }
  log_.over("queue " + queue_, "queue " + queue_ + " is watched again");
  subscription_ = id;
  sequence_ = 0;
  renewAt_ = now + std::chrono::seconds(settings_.leaseSeconds / 2);
  stale_ = true;
  return true;
}

bool QueueWatch::isOwn(const JobAttributes& job) {
  if (job.user.empty()) {
    if (hiddenJobs_.insert(job.id).second)
      log_.note("job " + std::to_string(job.id) + " on " + queue_ +
                " hides its owner from this user: its status shows, it is not recorded");
    return false;
  }
  return job.user == settings_.user;
}

void QueueWatch::refresh() {
  Outcome read = server_.queue(queue_, attributes_);
  if (!reachable(read)) return;
  if (read != Outcome::Done) {
    subscription_ = 0;
    return;
  }
  std::vector<JobAttributes> jobs;
  if (!reachable(server_.jobs(queue_, platform::print::WhichJobs::NotCompleted, jobs))) return;
  stale_ = false;
  jobs_ = std::move(jobs);

  std::optional<JobAttributes> own;
  for (const JobAttributes& job : jobs_)
    if (isUnderWay(job) && isOwn(job)) {
      own = job;
      break;
    }

  for (int id : std::set<int>(startedJobs_)) {
    bool stillThere = std::any_of(jobs_.begin(), jobs_.end(), [&](const JobAttributes& job) {
      return job.id == id && !hasEnded(job.state);
    });
    if (!stillThere) startedJobs_.erase(id);
  }

  int code = statusCodeFor(attributes_.state, attributes_.stateReasons);
  bool newJob = own && startedJobs_.insert(own->id).second;
  if (newJob) startJob(*own);
  write("DRVMSG", "msgCode", std::to_string(code));
  if (!own && ownJob_) {
    write("DRVSPA", "Printing", "0");
    write("DRVMSG", "msgSending", "0");
  }
  bool raised = isErrorOrWarning(code) && code != lastCode_;
  lastCode_ = code;
  ownJob_ = own;

  if (own && isErrorOrWarning(code)) {
    question_ = Question{own->id, code};
  } else {
    question_.reset();
  }
  if (newJob || raised) startMonitor();
  // A short job may start and end between two looks: every event looks
  // for ended jobs, not only the end of a job seen under way.
  recordEndedJobs();
}

void QueueWatch::startJob(const JobAttributes& job) {
  for (const auto& [key, value] : jobSettings(job)) write("JobInfo", key.c_str(), value, true);
  write("DRVSPA", "Printing", "1");
  write("DRVMSG", "msgSending", "1");
}

void QueueWatch::recordEndedJobs() {
  std::vector<JobAttributes> ended;
  if (!reachable(server_.jobs(queue_, platform::print::WhichJobs::Completed, ended))) {
    stale_ = true;
    return;
  }
  for (const JobAttributes& job : ended) {
    if (!hasEnded(job.state) || job.completedAt < recorded_.since() || !isOwn(job)) continue;
    if (recorded_.contains(settings_.server, queue_, job.id, job.createdAt)) continue;
    bool pending = std::any_of(pendingRecords_.begin(), pendingRecords_.end(),
                               [&](const JobAttributes& waiting) { return waiting.id == job.id; });
    if (!pending) pendingRecords_.push_back(job);
  }
}

void QueueWatch::pumpRecords() {
  if (recorderPid_ > 0 && !hasExited(recorderPid_)) return;
  recorderPid_ = -1;
  if (pendingRecords_.empty()) return;
  JobAttributes job = pendingRecords_.front();
  pendingRecords_.erase(pendingRecords_.begin());
  // Marked before the run: a bridge that dies now loses one record rather
  // than writing it twice.
  if (!recorded_.add(settings_.server, queue_, job.id, job.createdAt))
    log_.trouble("recorded", "cannot save the recorded jobs to " + RecordedJobs::defaultFile().string());
  for (const auto& [key, value] : printRecord(job, settings_.computerName))
    write("PRINT", key.c_str(), platform::text::utf8ToAnsi(value), true);
  std::string error;
  recorderPid_ = startProgram("QZ3317VT_EXEPrintLog", {printLogWord(kind_)}, error);
  if (recorderPid_ < 0)
    log_.trouble("recorder", "cannot start QZ3317VT_EXEPrintLog: " + error);
  else
    log_.over("recorder", "QZ3317VT_EXEPrintLog starts again");
}

void QueueWatch::checkAnswer() {
  if (!question_ || kind_ != QueueKind::Local) return;
  auto file = exchangeFileOf(kind_);
  if (platform::profile::getInt(file, "DRVMSG", "msgCode", 0) != kAnswerCode) return;
  std::string result = platform::profile::getString(file, "DRVMSG", "msgResult", "0", 16);
  Question question = *question_;
  question_.reset();
  actOnAnswer(question, result);
  // The driver writes the status that follows the answer.
  written_.erase(std::remove_if(written_.begin(), written_.end(),
                                [](const auto& entry) { return entry.first == "DRVMSG/msgCode"; }),
                 written_.end());
  stale_ = true;
  refresh();
}

void QueueWatch::actOnAnswer(const Question& question, const std::string& result) {
  auto job = std::find_if(jobs_.begin(), jobs_.end(),
                          [&](const JobAttributes& j) { return j.id == question.jobId; });
  std::string name = "job " + std::to_string(question.jobId);
  if (job == jobs_.end() || hasEnded(job->state)) {
    log_.note("the answer was for " + name + ", which has ended: nothing done");
    return;
  }
  auto done = [&](Outcome outcome, const std::string& what) {
    if (outcome == Outcome::Done)
      log_.note(what + " (answer " + result + " to " + std::to_string(question.code) + ")");
    else
      log_.note("cannot " + what + ": " + server_.lastError());
  };
  if (isCancelAnswer(result)) {
    done(server_.cancelJob(question.jobId), "cancel " + name);
    return;
  }
  if (job->state == JobState::Held) done(server_.releaseJob(question.jobId), "release " + name);
  if (attributes_.state == platform::print::QueueState::Stopped)
    done(server_.resumeQueue(queue_), "resume queue " + queue_);
}

void QueueWatch::startMonitor() {
  if (kind_ != QueueKind::Local || !hasExited(monitorPid_)) return;
  std::string error;
  monitorPid_ = startProgram("QZ3317VT_PSM", {"STM"}, error);
  if (monitorPid_ < 0)
    log_.trouble("monitor", "cannot start QZ3317VT_PSM: " + error);
  else
    log_.note("started QZ3317VT_PSM STM (pid " + std::to_string(monitorPid_) + ")");
}

void QueueWatch::write(const char* section, const char* key, const std::string& value, bool always) {
  std::string name = std::string(section) + "/" + key;
  auto last = std::find_if(written_.begin(), written_.end(), [&](const auto& entry) { return entry.first == name; });
  if (!always && last != written_.end() && last->second == value) return;
  if (!platform::profile::writeString(exchangeFileOf(kind_), section, key, value)) {
    log_.trouble("exchange", "cannot write " + exchangeFileOf(kind_).string());
    return;
  }
  log_.over("exchange", "the exchange file is written again");
  if (last != written_.end())
    last->second = value;
  else
    written_.emplace_back(name, value);
}

void QueueWatch::stop() {
  if (subscription_ != 0) server_.unsubscribe(queue_, subscription_);
  subscription_ = 0;
}

}  // namespace bridge
