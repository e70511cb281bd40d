// Standard input, output and error that can never end or redirect a run.
//
// A program called by the driver may be started with its standard streams
// closed, or with a pipe whose reader has gone. Neither may change what the
// program does or its exit code.
#pragma once

namespace platform::base {

// Called first in main. Opens /dev/null on each of descriptors 0, 1 and 2
// that is closed, so that no file the program opens later (a profile file,
// a database, a lock) can take a standard descriptor and receive what is
// written to standard output or error. Makes a write to a pipe without a
// reader fail with EPIPE instead of ending the process by SIGPIPE; the
// handler that does so is reset by exec, so programs started from here get
// the default signal behaviour back.
void protectStandardStreams();

}  // namespace platform::base
