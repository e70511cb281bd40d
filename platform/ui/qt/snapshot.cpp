// The snapshot request of a process, from its environment.
#include "snapshot.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform::ui::qt {

namespace {

std::vector<int> clickIds(std::string_view text) {
  std::vector<int> ids;
  while (!text.empty()) {
    auto end = text.find_first_of(", ");
    auto word = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (word.empty()) continue;
    int id = 0;
    auto [rest, error] = std::from_chars(word.data(), word.data() + word.size(), id);
    if (error == std::errc() && rest == word.data() + word.size()) {
      ids.push_back(id);
    } else {
      std::fprintf(stderr, "QZ3317VT_UI_SNAPSHOT_CLICKS: \"%.*s\" is no control id\n",
                   static_cast<int>(word.size()), word.data());
    }
  }
  return ids;
}

}  // namespace

Snapshot snapshotFromEnvironment() {
  const char* file = std::getenv("QZ3317VT_UI_SNAPSHOT");
  const char* clicks = std::getenv("QZ3317VT_UI_SNAPSHOT_CLICKS");
  Snapshot snapshot;
  if (file != nullptr) snapshot.file = file;
  if (clicks != nullptr) snapshot.clicks = clickIds(clicks);
  return snapshot;
}

}  // namespace platform::ui::qt
