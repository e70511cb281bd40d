// Closed standard descriptors and broken pipes made harmless.
#include "base/standard_streams.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace platform::base {

namespace {

// A caught signal, unlike an ignored one, returns to its default at exec.
void ignoreSignal(int) {}

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

}  // namespace

void protectStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (isOpen(fd)) continue;
    // open() takes the lowest free descriptor, which is this one.
    int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
  struct sigaction action {};
  action.sa_handler = ignoreSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace platform::base
