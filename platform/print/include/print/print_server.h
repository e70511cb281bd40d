// The print system (a CUPS server) as the bridge sees it: its queues, their
// jobs, the operator's job and queue operations, and one event subscription
// per queue that is pulled, not pushed.
//
// Every call is one or a few IPP requests on the server's connection and
// blocks until the answer or the connection's limit of 5 seconds. A call
// that could not reach the server returns Outcome::Unreachable and drops
// the connection; the next call connects again, so a server that was
// stopped or restarted is picked up without a new object. No call throws.
// Texts are UTF-8 as the server gives them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::print {

enum class Outcome {
  Done,         // the server did what was asked
  Refused,      // the server answered with an error (not allowed, bad request)
  NotFound,     // the queue, job or subscription does not exist (any more)
  Unreachable,  // no answer: the server is down or the connection broke
};

enum class QueueState { Idle = 3, Processing = 4, Stopped = 5 };

struct QueueAttributes {
  std::string name;
  std::string deviceUri;      // empty when the server keeps it to itself
  std::string makeAndModel;
  QueueState state = QueueState::Idle;
  std::vector<std::string> stateReasons;  // "none" left out
};

// The IPP job states.
enum class JobState {
  Pending = 3,
  Held = 4,
  Processing = 5,
  Stopped = 6,
  Canceled = 7,
  Aborted = 8,
  Completed = 9,
};

struct JobAttributes {
  int id = 0;
  JobState state = JobState::Pending;
  std::string name;   // empty when the server hides it from this user
  std::string user;   // job-originating-user-name; empty when hidden
  int copies = 1;
  int impressionsCompleted = 0;
  int sheetsCompleted = 0;
  std::int64_t createdAt = 0;     // Unix seconds; 0 when unknown
  std::int64_t processingAt = 0;  // 0 while the job never started
  std::int64_t completedAt = 0;
  std::string media;        // "media" keyword, e.g. "iso_a4_210x297mm"
  std::string mediaSource;  // "media-source"
  std::string mediaType;    // "media-type"
  int printQuality = 0;     // 3 draft, 4 normal, 5 high; 0 when not given
  int xResolution = 0;      // dots per inch; 0 when not given
  int yResolution = 0;
  std::string documentHandling;  // "multiple-document-handling" (collation)
};

enum class WhichJobs { NotCompleted, Completed };

class PrintServer {
 public:
  virtual ~PrintServer() = default;

  // Every queue of the server; nullopt when it is unreachable or refuses.
  virtual std::optional<std::vector<QueueAttributes>> queues() = 0;
  // One queue; Outcome::NotFound when it does not exist.
  virtual Outcome queue(const std::string& name, QueueAttributes& out) = 0;
  // The queue's jobs of every user, oldest first.
  virtual Outcome jobs(const std::string& queue, WhichJobs which,
                       std::vector<JobAttributes>& out) = 0;

  // A pull subscription for the queue's printer and job events, for
  // `leaseSeconds`; `id` gets the subscription's number.
  virtual Outcome subscribe(const std::string& queue, int leaseSeconds, int& id) = 0;
  virtual Outcome renew(const std::string& queue, int id, int leaseSeconds) = 0;
  virtual Outcome unsubscribe(const std::string& queue, int id) = 0;
  // The events after `sequence`, without waiting; `sequence` moves to the
  // last one fetched and `events` gets how many there were. NotFound when
  // the subscription expired or the server forgot it.
  virtual Outcome pullEvents(const std::string& queue, int id, int& sequence, int& events) = 0;

  virtual Outcome releaseJob(int jobId) = 0;
  virtual Outcome cancelJob(int jobId) = 0;
  virtual Outcome resumeQueue(const std::string& queue) = 0;

  // The server's words for the last failure, for a log line.
  virtual std::string lastError() const = 0;
};

// A server at `host:port`, or the user's default server (the print system's
// own configuration) when `server` is empty. Requests go as `user`, or as
// the account running this process when `user` is empty.
std::unique_ptr<PrintServer> connectPrintServer(const std::string& server,
                                                const std::string& user = "");

// The user name requests go as (the print system's idea of this user).
std::string requestingUser();

}  // namespace platform::print
