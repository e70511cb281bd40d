// Clan_setterApp, the setup tool's application object: its start-up shows
// the setup dialog modally, and the program ends when the dialog closes.
#pragma once

#include "ui/host.h"

namespace netsetup {

class Clan_setterApp {
 public:
  explicit Clan_setterApp(platform::ui::Host& host = platform::ui::host()) : host_(host) {}

  // Runs the dialog to its end; false, as no message loop is to follow.
  bool InitInstance();

 private:
  platform::ui::Host& host_;
};

}  // namespace netsetup
