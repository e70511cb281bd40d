// Log lines on standard error.
#include "bridge/bridge_log.h"

#include <cstdio>

namespace bridge {

void BridgeLog::note(const std::string& message) {
  std::fprintf(stderr, "qz3317vt-bridge: %s\n", message.c_str());
  std::fflush(stderr);
}

void BridgeLog::trouble(const std::string& key, const std::string& message) {
  if (open_[key]) return;
  open_[key] = true;
  note(message);
}

void BridgeLog::over(const std::string& key, const std::string& message) {
  auto found = open_.find(key);
  if (found == open_.end() || !found->second) return;
  found->second = false;
  note(message);
}

}  // namespace bridge
