// Modal message boxes: the one contract for every box the programs show.
//
// A box blocks its caller until it is closed; it has one OK button (a host
// also asks Yes/No questions, ui/host.h). The box
// goes to the process's dialog host (ui/host.h), or to a host a test set.
// The headless host writes it where a person reads it: as a "message" line
// of its output while one of its windows is open, and otherwise to standard
// error in the form
//   [message box, error|warning|plain] CAPTION
//   TEXT
// and returns at once.
#pragma once

#include <string>

namespace platform::ui {

// None: a box without an icon, and without the sound an icon brings.
enum class MessageIcon { Error, Warning, None };

// Caption and text are UTF-8.
struct MessageBoxRequest {
  std::string caption;
  std::string text;
  MessageIcon icon;
};

class MessageBoxHost {
 public:
  virtual ~MessageBoxHost() = default;
  // Shows one box with an OK button and returns when it is closed.
  virtual void show(const MessageBoxRequest& request) = 0;
};

// Shows a box through the current host.
void showMessageBox(const MessageBoxRequest& request);

// Replaces the box host for the rest of the process; nullptr returns to the
// dialog host. The caller keeps ownership and keeps the host alive while it
// is set.
void setMessageBoxHost(MessageBoxHost* host);

}  // namespace platform::ui
