// The process command line in its Windows form.
#pragma once

#include <string>
#include <string_view>

namespace platform::base {

// The argv as one command line, as Windows would have handed it over:
// argv[0] in double quotes when it holds a blank or a tab, then every word,
// joined by single blanks. A later word that is empty or holds a blank, a
// tab, a line break or a double quote is put in double quotes, its quotes
// escaped with a backslash and backslashes before a quote doubled, so the
// Windows argument rules would split the line back into the same words.
// An empty last word stays unquoted: it is how a caller hands over a line
// that ends with a blank, which a mode keyword may need.
std::string commandLine(int argc, const char* const* argv);

// The tail of a command line that a Windows program's entry receives: what
// follows the program path (a path in double quotes ends at the closing
// quote, an unquoted one at the first blank) and the blanks and control
// characters after it. Nothing is trimmed from the end.
std::string commandLineTail(std::string_view line);

}  // namespace platform::base
