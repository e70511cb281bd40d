// Message boxes that no one can answer on a screen, written to standard
// error in one form for every host:
//   [message box, error|warning|plain|question] CAPTION
//   TEXT
// and for a question the line "(answered no)".
#pragma once

#include "ui/message_box.h"

namespace platform::ui {

// "error", "warning" or "plain" (a box without an icon).
const char* iconWord(MessageIcon icon);
void reportBox(const MessageBoxRequest& request);
// Reports a Yes/No box as answered No.
void reportQuestion(const MessageBoxRequest& request);

}  // namespace platform::ui
