// The jobs the bridge has put into the usage log, kept across its restarts
// so that no job is recorded twice.
//
// The file (".bridge/recorded-jobs" under the root folder) starts with the
// line "since T": the Unix time of the bridge's first start. Jobs that
// ended before it are not the bridge's to record; jobs that ended later
// while no bridge ran are recorded at the next start. Each further line is
// one recorded job, "SERVER QUEUE JOB-ID CREATED" (CREATED tells a job from
// a later one with the same number on a reinstalled server). The newest
// kMaxJobs lines are kept. Every change rewrites the file through a
// temporary file and a rename.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>

namespace bridge {

class RecordedJobs {
 public:
  static constexpr std::size_t kMaxJobs = 4000;

  // Loads `file`; a missing or unreadable one starts afresh with `now`.
  RecordedJobs(std::filesystem::path file, std::int64_t now);

  std::int64_t since() const { return since_; }
  bool contains(const std::string& server, const std::string& queue, int jobId,
                std::int64_t created) const;
  // Adds the job and saves; false when the file could not be written.
  bool add(const std::string& server, const std::string& queue, int jobId, std::int64_t created);

  // The file of the current root folder.
  static std::filesystem::path defaultFile();

 private:
  static std::string line(const std::string& server, const std::string& queue, int jobId,
                          std::int64_t created);
  bool save() const;

  std::filesystem::path file_;
  std::int64_t since_ = 0;
  std::deque<std::string> jobs_;
};

}  // namespace bridge
