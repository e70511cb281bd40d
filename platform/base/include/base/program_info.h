// "--help" and "--version", answered alike by every program and tool.
//
// Either is taken only when it is the whole command line after the program
// path: the driver's mode keywords and log words never look like that, and
// a longer line keeps the meaning the program gives it (so
// "QZ3317VT_PSM --help INI" still runs the "INI" mode).
#pragma once

#include <string_view>

namespace platform::base {

// The version of this build of the host software.
std::string_view projectVersion();

// When argv is the program path plus exactly "--help" or "--version",
// prints `usage` or "NAME VERSION" on standard output and returns true; the
// caller then ends with exit code 0 and does nothing else. Otherwise
// returns false and prints nothing.
bool answerInfoRequest(int argc, const char* const* argv, std::string_view name,
                       std::string_view usage);

}  // namespace platform::base
