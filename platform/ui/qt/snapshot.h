// A snapshot run: the window saves its picture to a PNG file and ends,
// without waiting for anyone. Before the picture it may click buttons, so
// that the picture shows the window after a step (the setup dialog after a
// find). The demo and the README's screenshots are made this way.
#pragma once

#include <string>
#include <vector>

namespace platform::ui::qt {

struct Snapshot {
  std::string file;         // empty: no snapshot run
  std::vector<int> clicks;  // button ids, clicked in this order

  bool wanted() const { return !file.empty(); }
};

// From QZ3317VT_UI_SNAPSHOT (the file) and QZ3317VT_UI_SNAPSHOT_CLICKS (ids
// separated by commas or blanks; a word that is no id is reported on
// standard error and skipped).
Snapshot snapshotFromEnvironment();

}  // namespace platform::ui::qt
