// Modal message boxes.
//
// A box blocks its caller until it is closed. Without a desktop front end the
// default host writes caption and text to standard error and returns at once.
// Tests install a host of their own to see what was shown.
#pragma once

#include <string>

namespace platform::ui {

enum class MessageIcon { Error, Warning };

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

// Replaces the host for the rest of the process; nullptr restores the
// default. The caller keeps ownership and keeps the host alive while it is set.
void setMessageBoxHost(MessageBoxHost* host);

}  // namespace platform::ui
