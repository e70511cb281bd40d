// One simulated printer per root: a second start on a served root is
// refused and leaves the first one serving, a crashed printer does not keep
// the next one out, and a printer never removes a socket it did not bind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "base/unique_fd.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "usb/sim_protocol.h"

namespace {

namespace sim = platform::usb::sim;
using testing_support::BackgroundProcess;
using testing_support::readFile;

std::unique_ptr<BackgroundProcess> startPrinter(const std::filesystem::path& root) {
  auto printer = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{QZ_PRINTER, "--root", root.string()});
  EXPECT_EQ(printer->readLine().value_or(""), "ready");
  return printer;
}

ino_t inodeOf(const std::filesystem::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A listening socket of the test's own at `path`.
platform::base::UniqueFd bindSocket(const std::filesystem::path& path) {
  platform::base::UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  EXPECT_EQ(::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(::listen(fd.get(), 1), 0);
  return fd;
}

bool accepts(const std::filesystem::path& path) {
  platform::base::UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

class BusClaimTest : public ::testing::Test {
 protected:
  testing_support::TempRoot root;
  std::filesystem::path socket = sim::busSocketPath(root.path());
  std::filesystem::path log = sim::requestLogPath(root.path());
};

TEST_F(BusClaimTest, ASecondPrinterOnAServedRootIsRefused) {
  auto first = startPrinter(root.path());
  testing_support::writeFile(log, "Version?\n");
  auto served = inodeOf(socket);

  auto second = testing_support::runProgram({QZ_PRINTER, "--root", root.path().string()});
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(second.err, "qz3317vt-printer: " + root.path().string() +
                            " is already served by a running printer (pid " +
                            std::to_string(first->pid()) + "); stop it first or use another root\n");

  EXPECT_EQ(readFile(log), "Version?\n") << "the first printer's log is kept";
  EXPECT_EQ(inodeOf(socket), served) << "the socket is the first printer's";
  EXPECT_TRUE(accepts(socket));
  EXPECT_EQ(first->terminate(), 0);
  EXPECT_FALSE(std::filesystem::exists(socket)) << "the owner removes its socket";
}

TEST_F(BusClaimTest, APrinterThatDiedDoesNotKeepTheNextOneOut) {
  auto first = startPrinter(root.path());
  ::kill(first->pid(), SIGKILL);
  first->wait();
  ASSERT_TRUE(std::filesystem::exists(socket)) << "a killed printer leaves its socket";
  auto next = startPrinter(root.path());
  EXPECT_TRUE(accepts(socket));
  EXPECT_EQ(next->terminate(), 0);
}

TEST_F(BusClaimTest, APrinterNeverRemovesASocketItDidNotBind) {
  auto printer = startPrinter(root.path());
  // Someone replaced the socket under the running printer.
  std::filesystem::remove(socket);
  auto other = bindSocket(socket);
  auto theirs = inodeOf(socket);
  EXPECT_EQ(printer->terminate(), 0);
  EXPECT_EQ(inodeOf(socket), theirs);
  EXPECT_TRUE(accepts(socket));
}

}  // namespace
