// The recorded-jobs file.
#include "bridge/recorded_jobs.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "base/folders.h"

namespace bridge {

RecordedJobs::RecordedJobs(std::filesystem::path file, std::int64_t now) : file_(std::move(file)) {
  std::ifstream in(file_);
  std::string first;
  if (in && std::getline(in, first) && first.starts_with("since ")) {
    since_ = std::stoll(first.substr(6));
    for (std::string job; std::getline(in, job);)
      if (!job.empty()) jobs_.push_back(job);
    return;
  }
  since_ = now;
  save();
}

std::filesystem::path RecordedJobs::defaultFile() {
  return platform::base::rootFolder() / ".bridge" / "recorded-jobs";
}

std::string RecordedJobs::line(const std::string& server, const std::string& queue, int jobId,
                               std::int64_t created) {
  return (server.empty() ? "default" : server) + " " + queue + " " + std::to_string(jobId) + " " +
         std::to_string(created);
}

bool RecordedJobs::contains(const std::string& server, const std::string& queue, int jobId,
                            std::int64_t created) const {
  return std::find(jobs_.begin(), jobs_.end(), line(server, queue, jobId, created)) != jobs_.end();
}

bool RecordedJobs::add(const std::string& server, const std::string& queue, int jobId,
                       std::int64_t created) {
  jobs_.push_back(line(server, queue, jobId, created));
  while (jobs_.size() > kMaxJobs) jobs_.pop_front();
  return save();
}

bool RecordedJobs::save() const {
  std::error_code ignored;
  std::filesystem::create_directories(file_.parent_path(), ignored);
  auto temporary = file_;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << "since " << since_ << "\n";
    for (const std::string& job : jobs_) out << job << "\n";
    out.flush();
    if (!out) return false;
  }
  std::error_code renamed;
  std::filesystem::rename(temporary, file_, renamed);
  return !renamed;
}

}  // namespace bridge
