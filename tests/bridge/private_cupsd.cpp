// The private cupsd: configuration, start, stop, queues and jobs.
#include "private_cupsd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/process.h"

namespace bridge_test {
namespace {

namespace fs = std::filesystem;

// A port nobody listens on now (bound to 0, then closed).
int freePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

bool accepts(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

void writeText(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::trunc);
  out << text;
}

}  // namespace

PrivateCupsd::PrivateCupsd() : port_(freePort()) {
  const fs::path d = folder();
  for (const char* sub : {"root", "bin/backend", "bin/filter", "bin/daemon", "spool", "cache", "state", "log"})
    fs::create_directories(d / sub);
  // A cupsd run as root refuses a backend that group or others may write,
  // and runs one without any permission for others as root.
  for (const char* scheme : {"usb", "socket"}) {
    fs::copy_file(QZ_TEST_BACKEND, d / "bin/backend" / scheme);
    fs::permissions(d / "bin/backend" / scheme, fs::perms::owner_all, fs::perm_options::replace);
  }
  fs::create_symlink(QZ_CUPS_EXEC, d / "bin/daemon/cups-exec");
  // Every path absolute, the printcap inside the folder.
  writeText(d / "root/cups-files.conf",
            "ServerRoot " + (d / "root").string() + "\nServerBin " + (d / "bin").string() +
                "\nRequestRoot " + (d / "spool").string() + "\nTempDir " + (d / "spool").string() +
                "\nCacheDir " + (d / "cache").string() + "\nStateDir " + (d / "state").string() +
                "\nErrorLog " + (d / "log/error_log").string() + "\nAccessLog " +
                (d / "log/access_log").string() + "\nPageLog " + (d / "log/page_log").string() +
                "\nPrintcap " + (d / "state/printcap").string() + "\nFatalErrors none\n");
  writeText(d / "root/cupsd.conf",
            "Listen 127.0.0.1:" + std::to_string(port_) +
                "\nBrowsing No\nWebInterface No\nLogLevel info\nDefaultAuthType None\n"
                "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
  writeText(d / "document.txt", "QZ3317VT test page\n");
}

PrivateCupsd::~PrivateCupsd() { stop(); }

bool PrivateCupsd::start() {
  if (::access(QZ_CUPSD, X_OK) != 0) {
    ADD_FAILURE() << "no cupsd at " << QZ_CUPSD << " (make deps installs cups-daemon)";
    return false;
  }
  pid_ = testing_support::spawnToFiles(
      {QZ_CUPSD, "-f", "-c", (folder() / "root/cupsd.conf").string(), "-s",
       (folder() / "root/cups-files.conf").string()},
      folder() / "log/cupsd.out", folder() / "log/cupsd.err");
  for (int i = 0; i < 500; ++i) {
    if (accepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ADD_FAILURE() << "cupsd does not listen on " << server() << ": "
                << testing_support::readFile(folder() / "log/error_log");
  return false;
}

void PrivateCupsd::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  testing_support::waitExit(pid_);
  pid_ = -1;
}

std::string PrivateCupsd::server() const { return "127.0.0.1:" + std::to_string(port_); }

fs::path PrivateCupsd::addQueue(const std::string& name, const std::string& scheme,
                                const std::string& scenario) {
  fs::path file = folder() / (name + ".scenario");
  writeText(file, scenario);
  std::string uri = scheme == "usb" ? "usb://Maker/QZ3317VT?file=" + file.string()
                                    : "socket://127.0.0.1:9/QZ3317VT?file=" + file.string();
  auto result = testing_support::runProgram({QZ_LPADMIN, "-h", server(), "-p", name, "-E", "-v", uri});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return file;
}

void PrivateCupsd::deleteQueue(const std::string& name) {
  auto result = testing_support::runProgram({QZ_LPADMIN, "-h", server(), "-x", name});
  EXPECT_EQ(result.exitCode, 0) << result.err;
}

int PrivateCupsd::print(const std::string& queue, const std::string& title, int copies) {
  auto result = testing_support::runProgram({QZ_LP, "-h", server(), "-d", queue, "-o", "raw", "-t", title,
                                             "-n", std::to_string(copies), (folder() / "document.txt").string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // "request id is QUEUE-N (1 file(s))"
  auto dash = result.out.find(queue + "-");
  return dash == std::string::npos ? 0 : std::atoi(result.out.c_str() + dash + queue.size() + 1);
}

void PrivateCupsd::release(const fs::path& path) const { writeText(path, ""); }

}  // namespace bridge_test
