// The print server over libcups: one HTTP connection, opened on demand and
// dropped when a request gets no answer.
#include "print/print_server.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <utility>

namespace platform::print {
namespace {

constexpr int kConnectLimitMs = 5000;
constexpr double kAnswerLimitSeconds = 5.0;

// The answer limit of a connection: give up instead of waiting again.
int giveUp(http_t*, void*) { return 0; }

// One IPP answer, freed on every way out.
class Answer {
 public:
  explicit Answer(ipp_t* ipp) : ipp_(ipp) {}
  ~Answer() { ippDelete(ipp_); }
  Answer(const Answer&) = delete;
  Answer& operator=(const Answer&) = delete;
  ipp_t* get() const { return ipp_; }

 private:
  ipp_t* ipp_;
};

std::string text(ipp_attribute_t* attribute, int index = 0) {
  const char* value = attribute ? ippGetString(attribute, index, nullptr) : nullptr;
  return value ? value : "";
}

class CupsServer final : public PrintServer {
 public:
  CupsServer(std::string host, int port, std::string user)
      : host_(std::move(host)), port_(port), user_(std::move(user)) {}
  ~CupsServer() override { disconnect(); }

  std::optional<std::vector<QueueAttributes>> queues() override {
    ipp_t* request = newRequest(IPP_OP_CUPS_GET_PRINTERS);
    addQueueAttributeNames(request);
    Answer answer(send(request, "/"));
    Outcome outcome = outcomeOf(answer.get());
    if (outcome != Outcome::Done && outcome != Outcome::NotFound) return std::nullopt;
    std::vector<QueueAttributes> all;
    if (!answer.get()) return all;
    for (const Group& group : groups(answer.get(), IPP_TAG_PRINTER)) all.push_back(queueFrom(group));
    return all;
  }

  Outcome queue(const std::string& name, QueueAttributes& out) override {
    ipp_t* request = newRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    addPrinterUri(request, name);
    addQueueAttributeNames(request);
    Answer answer(send(request, "/"));
    Outcome outcome = outcomeOf(answer.get());
    if (outcome != Outcome::Done) return outcome;
    out = QueueAttributes{};
    for (const Group& group : groups(answer.get(), IPP_TAG_PRINTER)) out = queueFrom(group);
    if (out.name.empty()) out.name = name;
    return Outcome::Done;
  }

  Outcome jobs(const std::string& queue, WhichJobs which, std::vector<JobAttributes>& out) override {
    static const char* const kNames[] = {
        "job-id", "job-state", "job-name", "job-originating-user-name", "copies",
        "job-impressions-completed", "job-media-sheets-completed", "time-at-creation",
        "time-at-processing", "time-at-completed", "media", "media-source", "media-type",
        "print-quality", "printer-resolution", "multiple-document-handling"};
    ipp_t* request = newRequest(IPP_OP_GET_JOBS);
    addPrinterUri(request, queue);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr,
                 which == WhichJobs::Completed ? "completed" : "not-completed");
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kNames)), nullptr, kNames);
    Answer answer(send(request, "/"));
    Outcome outcome = outcomeOf(answer.get());
    out.clear();
    if (outcome != Outcome::Done) return outcome;
    for (const Group& group : groups(answer.get(), IPP_TAG_JOB)) out.push_back(jobFrom(group));
    return Outcome::Done;
  }

  Outcome subscribe(const std::string& queue, int leaseSeconds, int& id) override {
    static const char* const kEvents[] = {"printer-state-changed", "printer-deleted",
                                          "job-created", "job-state-changed", "job-completed",
                                          "job-progress"};
    ipp_t* request = newRequest(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS);
    addPrinterUri(request, queue);
    ippAddString(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-pull-method", nullptr, "ippget");
    ippAddStrings(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events",
                  static_cast<int>(std::size(kEvents)), nullptr, kEvents);
    ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration", leaseSeconds);
    Answer answer(send(request, "/"));
    Outcome outcome = outcomeOf(answer.get());
    if (outcome != Outcome::Done) return outcome;
    ipp_attribute_t* number = ippFindAttribute(answer.get(), "notify-subscription-id", IPP_TAG_INTEGER);
    if (!number) {
      error_ = "the server gave no subscription number";
      return Outcome::Refused;
    }
    id = ippGetInteger(number, 0);
    return Outcome::Done;
  }

  Outcome renew(const std::string& queue, int id, int leaseSeconds) override {
    ipp_t* request = newRequest(IPP_OP_RENEW_SUBSCRIPTION);
    addPrinterUri(request, queue);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", id);
    ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration", leaseSeconds);
    Answer answer(send(request, "/"));
    return outcomeOf(answer.get());
  }

  Outcome unsubscribe(const std::string& queue, int id) override {
    ipp_t* request = newRequest(IPP_OP_CANCEL_SUBSCRIPTION);
    addPrinterUri(request, queue);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", id);
    Answer answer(send(request, "/"));
    return outcomeOf(answer.get());
  }

  Outcome pullEvents(const std::string& queue, int id, int& sequence, int& events) override {
    ipp_t* request = newRequest(IPP_OP_GET_NOTIFICATIONS);
    addPrinterUri(request, queue);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-ids", id);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-sequence-numbers", sequence + 1);
    ippAddBoolean(request, IPP_TAG_OPERATION, "notify-wait", 0);
    Answer answer(send(request, "/"));
    events = 0;
    Outcome outcome = outcomeOf(answer.get());
    if (outcome != Outcome::Done) return outcome;
    for (const Group& group : groups(answer.get(), IPP_TAG_EVENT_NOTIFICATION)) {
      ++events;
      sequence = std::max(sequence, integer(group, "notify-sequence-number", sequence));
    }
    return Outcome::Done;
  }

  Outcome releaseJob(int jobId) override { return jobOperation(IPP_OP_RELEASE_JOB, jobId); }
  Outcome cancelJob(int jobId) override { return jobOperation(IPP_OP_CANCEL_JOB, jobId); }

  Outcome resumeQueue(const std::string& queue) override {
    ipp_t* request = newRequest(IPP_OP_RESUME_PRINTER);
    addPrinterUri(request, queue);
    Answer answer(send(request, "/admin/"));
    return outcomeOf(answer.get());
  }

  std::string lastError() const override { return error_; }

 private:
  ipp_t* newRequest(ipp_op_t operation) const {
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, user_.c_str());
    return request;
  }

  void addPrinterUri(ipp_t* request, const std::string& queue) const {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", port_,
                     "/printers/%s", queue.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  }

  static void addQueueAttributeNames(ipp_t* request) {
    static const char* const kNames[] = {"printer-name", "device-uri", "printer-make-and-model",
                                         "printer-state", "printer-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kNames)), nullptr, kNames);
  }

  Outcome jobOperation(ipp_op_t operation, int jobId) {
    ipp_t* request = newRequest(operation);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", port_,
                     "/jobs/%d", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    Answer answer(send(request, "/jobs/"));
    return outcomeOf(answer.get());
  }

  // Sends `request` (always consumed); the answer, or nullptr without one.
  ipp_t* send(ipp_t* request, const char* resource) {
    if (!http_) {
      http_ = httpConnect2(host_.c_str(), port_, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1,
                           kConnectLimitMs, nullptr);
      if (!http_) {
        ippDelete(request);
        error_ = "cannot connect to " + host_ + ":" + std::to_string(port_);
        return nullptr;
      }
      httpSetTimeout(http_, kAnswerLimitSeconds, giveUp, nullptr);
    }
    ipp_t* answer = cupsDoRequest(http_, request, resource);
    if (!answer) {
      error_ = cupsLastErrorString() ? cupsLastErrorString() : "no answer";
      disconnect();
    }
    return answer;
  }

  Outcome outcomeOf(ipp_t* answer) {
    if (!answer) return Outcome::Unreachable;
    ipp_status_t status = ippGetStatusCode(answer);
    if (status <= IPP_STATUS_OK_EVENTS_COMPLETE) return Outcome::Done;
    error_ = ippErrorString(status);
    if (ipp_attribute_t* message = ippFindAttribute(answer, "status-message", IPP_TAG_TEXT))
      error_ += ": " + text(message);
    return status == IPP_STATUS_ERROR_NOT_FOUND ? Outcome::NotFound : Outcome::Refused;
  }

  // The groups tagged `tag` of an answer, each as its attributes in order.
  using Group = std::vector<ipp_attribute_t*>;
  static std::vector<Group> groups(ipp_t* answer, ipp_tag_t tag) {
    std::vector<Group> all;
    Group current;
    for (ipp_attribute_t* a = ippFirstAttribute(answer); a; a = ippNextAttribute(answer)) {
      if (ippGetName(a) && ippGetGroupTag(a) == tag) {
        current.push_back(a);
        continue;
      }
      if (!current.empty()) all.push_back(std::move(current));
      current.clear();
    }
    if (!current.empty()) all.push_back(std::move(current));
    return all;
  }

  static ipp_attribute_t* find(const Group& group, std::string_view name) {
    for (ipp_attribute_t* a : group)
      if (name == ippGetName(a)) return a;
    return nullptr;
  }
  static int integer(const Group& group, std::string_view name, int fallback) {
    ipp_attribute_t* a = find(group, name);
    if (!a) return fallback;
    ipp_tag_t tag = ippGetValueTag(a);
    return tag == IPP_TAG_INTEGER || tag == IPP_TAG_ENUM ? ippGetInteger(a, 0) : fallback;
  }

  static QueueAttributes queueFrom(const Group& group) {
    QueueAttributes queue;
    queue.name = text(find(group, "printer-name"));
    queue.deviceUri = text(find(group, "device-uri"));
    queue.makeAndModel = text(find(group, "printer-make-and-model"));
    queue.state = static_cast<QueueState>(integer(group, "printer-state", 3));
    if (ipp_attribute_t* reasons = find(group, "printer-state-reasons")) {
      for (int i = 0; i < ippGetCount(reasons); ++i) {
        std::string reason = text(reasons, i);
        if (!reason.empty() && reason != "none") queue.stateReasons.push_back(reason);
      }
    }
    return queue;
  }

  static JobAttributes jobFrom(const Group& group) {
    JobAttributes job;
    job.id = integer(group, "job-id", 0);
    job.state = static_cast<JobState>(integer(group, "job-state", 3));
    job.name = text(find(group, "job-name"));
    job.user = text(find(group, "job-originating-user-name"));
    job.copies = integer(group, "copies", 1);
    job.impressionsCompleted = integer(group, "job-impressions-completed", 0);
    job.sheetsCompleted = integer(group, "job-media-sheets-completed", 0);
    job.createdAt = integer(group, "time-at-creation", 0);
    job.processingAt = integer(group, "time-at-processing", 0);
    job.completedAt = integer(group, "time-at-completed", 0);
    job.media = text(find(group, "media"));
    job.mediaSource = text(find(group, "media-source"));
    job.mediaType = text(find(group, "media-type"));
    job.printQuality = integer(group, "print-quality", 0);
    job.documentHandling = text(find(group, "multiple-document-handling"));
    if (ipp_attribute_t* resolution = find(group, "printer-resolution");
        resolution && ippGetValueTag(resolution) == IPP_TAG_RESOLUTION) {
      ipp_res_t units;
      int y = 0;
      int x = ippGetResolution(resolution, 0, &y, &units);
      // Dots per centimetre become dots per inch.
      int scale100 = units == IPP_RES_PER_CM ? 254 : 100;
      job.xResolution = x * scale100 / 100;
      job.yResolution = y * scale100 / 100;
    }
    return job;
  }

  void disconnect() {
    if (http_) httpClose(http_);
    http_ = nullptr;
  }

  std::string host_;
  int port_;
  std::string user_;
  http_t* http_ = nullptr;
  std::string error_;
};

}  // namespace

std::unique_ptr<PrintServer> connectPrintServer(const std::string& server, const std::string& user) {
  std::string host = server.empty() ? cupsServer() : server;
  int port = ippPort();
  // "HOST:PORT"; a socket path (starting with "/") has no port.
  if (auto colon = host.rfind(':'); colon != std::string::npos && host[0] != '/' &&
                                    host.find(']', colon) == std::string::npos) {
    port = std::atoi(host.c_str() + colon + 1);
    host.resize(colon);
  }
  return std::make_unique<CupsServer>(host, port, user.empty() ? requestingUser() : user);
}

std::string requestingUser() { return cupsUser(); }

}  // namespace platform::print
