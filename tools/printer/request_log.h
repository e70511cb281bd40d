// The log of the requests the simulated printer answered: one line per
// request, bytes outside printable ASCII written as C escapes, so that a
// test can compare exactly what was sent and in which order.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace printer {

// Printable ASCII stays; "\" becomes "\\"; CR, LF, tab and NUL become \r,
// \n, \t and \0; every other byte becomes \xHH (lower-case hex).
std::string escapeBytes(std::string_view bytes);

// Appends one escaped line to the log file; the line is on disk when this
// returns.
void appendRequestLog(const std::filesystem::path& log, std::string_view request);

}  // namespace printer
