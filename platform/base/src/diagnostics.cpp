// Diagnostic lines on standard error.
#include "base/diagnostics.h"

#include <errno.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <string>

namespace platform::base {

namespace {

void writeAll(std::string_view rest) {
  while (!rest.empty()) {
    ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno == EPIPE) {
      // The signal the write raised is taken here, so it never ends the run.
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      timespec now{};
      ::sigtimedwait(&pipe, nullptr, &now);
    }
    if (written <= 0) return;
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

void reportProblem(std::string_view text) {
  std::string line = program_invocation_short_name;
  line += ": ";
  line += text;
  line += '\n';
  // A closed pipe on standard error must not kill a program that still has
  // its exit steps to run: SIGPIPE is held back while the line is written.
  sigset_t pipe;
  sigset_t previous;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipe, &previous);
  writeAll(line);
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace platform::base
