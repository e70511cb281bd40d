// A private CUPS server for one test: its own configuration, spool and
// backends in a temporary folder, listening on 127.0.0.1 on a free port,
// never touching the system's print server. Queues are raw queues on the
// test backend (test_backend.sh), installed as the "usb" and "socket"
// schemes, so a queue's device URI decides its kind. Jobs go in with
// "lp -o raw". A missing cupsd or client fails the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_root.h"

namespace bridge_test {

class PrivateCupsd {
 public:
  PrivateCupsd();
  ~PrivateCupsd();
  PrivateCupsd(const PrivateCupsd&) = delete;
  PrivateCupsd& operator=(const PrivateCupsd&) = delete;

  // Starts the server and waits until it accepts connections.
  bool start();
  // SIGTERM and wait (the server takes about 2 s to stop).
  void stop();
  bool running() const { return pid_ > 0; }

  // "127.0.0.1:PORT", for --server and the clients' -h.
  std::string server() const;

  // Adds raw queue `name` whose backend plays `scenario` (the lines of
  // test_backend.sh): scheme "usb" or "socket". Returns the scenario file.
  std::filesystem::path addQueue(const std::string& name, const std::string& scheme,
                                 const std::string& scenario);
  void deleteQueue(const std::string& name);
  // Prints a small raw document; the job number, 0 when lp failed.
  int print(const std::string& queue, const std::string& title, int copies);
  // Makes `path` exist, for a scenario's "wait" line.
  void release(const std::filesystem::path& path) const;

  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  std::string lpCommand(const std::string& tool) const;
  testing_support::TempFolder folder_;
  int port_ = 0;
  int pid_ = -1;
};

}  // namespace bridge_test
