// One line on standard error for a failure that a program would otherwise
// pass over in silence (a missing folder, no printer, no reply, a word it
// does not know, a database it cannot open).
//
// The line is "PROGRAM: TEXT" in plain text, written with one call so that
// the lines of processes sharing a terminal or the desktop's journal never
// mix. Nothing else changes: results, flags and exit codes stay what the
// program gives them, and a closed standard error never ends the program.
#pragma once

#include <string_view>

namespace platform::base {

void reportProblem(std::string_view text);

}  // namespace platform::base
