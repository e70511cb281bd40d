// The process command line in its Windows form.
#pragma once

#include <string>
#include <string_view>

namespace platform::base {

// The argv as one command line: argv[0] in double quotes when it holds a
// blank, then every word, joined by single blanks. Later words are not quoted.
std::string commandLine(int argc, const char* const* argv);

// The tail of a command line that a Windows program's entry receives: what
// follows the program path (a path in double quotes ends at the closing
// quote, an unquoted one at the first blank) and the blanks and control
// characters after it. Nothing is trimmed from the end.
std::string commandLineTail(std::string_view line);

}  // namespace platform::base
