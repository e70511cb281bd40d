// The bridge's log: one line on standard error per trouble, not one per
// try. A trouble is reported once under its key until it is cleared, which
// writes one line that it is over.
#pragma once

#include <map>
#include <string>

namespace bridge {

class BridgeLog {
 public:
  // Writes `message` unless `key` is already reported.
  void trouble(const std::string& key, const std::string& message);
  // Ends the trouble under `key` with `message`, if it was reported.
  void over(const std::string& key, const std::string& message);
  // A line of its own (a start, an answer acted on).
  void note(const std::string& message);

 private:
  std::map<std::string, bool> open_;
};

}  // namespace bridge
