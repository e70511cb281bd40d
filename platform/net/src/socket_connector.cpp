// TCP connections over IPv4 sockets.
#include "socket_connector.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

#include "base/unique_fd.h"
#include "errno_status.h"
#include "net/loopback_rule.h"

namespace platform::net {

namespace {

timeval toTimeval(std::chrono::milliseconds limit) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(limit.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>(limit.count() % 1000 * 1000);
  return tv;
}

class SocketConnection final : public Connection {
 public:
  explicit SocketConnection(base::UniqueFd fd) : fd_(std::move(fd)) {}

  TransferResult send(std::span<const std::uint8_t> data) override {
    std::size_t sent = 0;
    while (sent < data.size()) {
      // MSG_NOSIGNAL: a closed peer is a result, not a SIGPIPE.
      ssize_t n = ::send(fd_.get(), data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return {statusFromErrno(errno), sent};
      sent += static_cast<std::size_t>(n);
    }
    return {NetStatus::Ok, sent};
  }

  TransferResult receive(std::span<std::uint8_t> buffer) override {
    for (;;) {
      ssize_t n = ::recv(fd_.get(), buffer.data(), buffer.size(), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return {statusFromErrno(errno), 0};
      if (n == 0) return {NetStatus::Closed, 0};
      return {NetStatus::Ok, static_cast<std::size_t>(n)};
    }
  }

 private:
  base::UniqueFd fd_;
};

}  // namespace

ConnectResult SocketConnector::connect(const Endpoint& peer, const TcpLimits& limits) {
  if (!ruleAllows(peer.address)) {
    reportRefusedByRule(peer);
    return {NetStatus::Refused, nullptr};
  }
  base::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
  if (!fd.valid()) return {statusFromErrno(errno), nullptr};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(peer.port);
  address.sin_addr.s_addr = htonl(peer.address.value);
  int rc;
  do {
    rc = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) return {statusFromErrno(errno), nullptr};
  timeval sendLimit = toTimeval(limits.send);
  timeval receiveLimit = toTimeval(limits.receive);
  if (::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit) < 0 ||
      ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &receiveLimit, sizeof receiveLimit) < 0) {
    return {statusFromErrno(errno), nullptr};
  }
  return {NetStatus::Ok, std::make_unique<SocketConnection>(std::move(fd))};
}

}  // namespace platform::net
