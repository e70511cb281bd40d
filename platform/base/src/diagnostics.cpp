// Diagnostic lines on standard error.
#include "base/diagnostics.h"

#include <errno.h>
#include <unistd.h>

#include <string>

namespace platform::base {

void reportProblem(std::string_view text) {
  std::string line = program_invocation_short_name;
  line += ": ";
  line += text;
  line += '\n';
  // One write per line; a short write to a pipe or terminal is finished.
  std::string_view rest = line;
  while (!rest.empty()) {
    ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace platform::base
