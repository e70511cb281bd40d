// Starting the system's programs (the status monitor, the usage log
// recorder) without waiting for them, and seeing them end.
//
// A program is looked up in the bridge's own folder first (where
// `cmake --install` puts all of them), then on PATH. The child inherits the
// bridge's environment and standard streams: the status window on the
// headless host then reads the same input as the bridge was given.
#pragma once

#include <string>
#include <vector>

namespace bridge {

// The pid of the started program, or -1 (with errno's text in `error`).
int startProgram(const std::string& program, const std::vector<std::string>& arguments,
                 std::string& error);

// True once the child `pid` has ended (it is then reaped); a pid of -1 has
// always ended.
bool hasExited(int pid);

}  // namespace bridge
