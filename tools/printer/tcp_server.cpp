// Serving the simulated printer's TCP port from the owner's poll loop.
#include "tools/printer/tcp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/printer/net_command.h"

namespace printer {

namespace {

using platform::base::UniqueFd;

// A non-blocking loopback listener, or an invalid descriptor with `error`.
UniqueFd bindListener(const TcpEndpoint& endpoint, std::string& error) {
  // Checked again here so that no caller can make the printer listen on a
  // real network.
  if ((endpoint.address >> 24) != 127) {
    error = "refusing a non-loopback tcp address " + toString(endpoint);
    return UniqueFd();
  }
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  int on = 1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint.port);
  address.sin_addr.s_addr = htonl(endpoint.address);
  if (!fd.valid() || ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.get(), 16) != 0) {
    error = "cannot listen on " + toString(endpoint) + ": " + std::strerror(errno);
    return UniqueFd();
  }
  return fd;
}

std::optional<std::uint16_t> boundPort(int fd) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) return std::nullopt;
  return ntohs(address.sin_port);
}

}  // namespace

TcpServer::TcpServer(std::filesystem::path portFile) : portFile_(std::move(portFile)) {}

TcpServer::~TcpServer() { close(); }

bool TcpServer::listen(const TcpEndpoint& endpoint, std::string& error) {
  UniqueFd fd = bindListener(endpoint, error);
  if (!fd.valid()) return false;
  auto port = boundPort(fd.get());
  if (!port) {
    error = "cannot read the bound port of " + toString(endpoint) + ": " + std::strerror(errno);
    return false;
  }
  if (!writePortFile(*port, error)) return false;
  connections_.clear();
  listener_ = std::move(fd);
  endpoint_ = endpoint;
  return true;
}

void TcpServer::close() {
  connections_.clear();
  if (!listener_.valid()) return;
  listener_.reset();
  endpoint_.reset();
  std::error_code ignored;
  std::filesystem::remove(portFile_, ignored);
}

bool TcpServer::writePortFile(std::uint16_t port, std::string& error) const {
  // Written aside and renamed, so a reader never sees half a number.
  auto next = portFile_;
  next += ".next";
  std::string line = std::to_string(port) + "\n";
  UniqueFd fd(::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  bool written = fd.valid() && ::write(fd.get(), line.data(), line.size()) ==
                                   static_cast<ssize_t>(line.size());
  fd.reset();
  if (!written || ::rename(next.c_str(), portFile_.c_str()) != 0) {
    error = "cannot write " + portFile_.string() + ": " + std::strerror(errno);
    ::unlink(next.c_str());
    return false;
  }
  return true;
}

void TcpServer::addPollFds(std::vector<pollfd>& fds) {
  polled_.clear();
  polledAt_ = Clock::now();
  if (!listener_.valid()) return;
  fds.push_back({listener_.get(), POLLIN, 0});
  for (const auto& [id, connection] : connections_) {
    short events = POLLIN;
    if (!connection.outbox.empty() && connection.due <= polledAt_) events |= POLLOUT;
    fds.push_back({connection.fd.get(), events, 0});
    polled_.push_back(id);
  }
}

std::vector<TcpServer::Command> TcpServer::handleEvents(std::span<const pollfd> fds) {
  std::vector<Command> commands;
  if (fds.empty()) return commands;
  // A listener replaced since addPollFds has nothing waiting; accept then
  // finds nothing, as the socket does not block.
  if (fds[0].revents != 0 && listener_.valid()) accept();
  for (std::size_t i = 1; i < fds.size() && i - 1 < polled_.size(); ++i) {
    auto it = connections_.find(polled_[i - 1]);
    if (fds[i].revents == 0 || it == connections_.end() || it->second.fd.get() != fds[i].fd) {
      continue;
    }
    bool open = true;
    if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      open = receive(it->first, it->second, commands);
    }
    if (open && (fds[i].revents & POLLOUT) != 0) open = flush(it->second);
    if (!open) connections_.erase(it);
  }
  return commands;
}

void TcpServer::accept() {
  while (true) {
    int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    Connection connection;
    connection.fd.reset(fd);
    connections_.emplace(nextId_++, std::move(connection));
  }
}

bool TcpServer::receive(std::uint64_t id, Connection& connection, std::vector<Command>& commands) {
  char block[512];
  while (true) {
    ssize_t got = ::recv(connection.fd.get(), block, sizeof block, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
    if (got == 0) return false;
    if (connection.taken) continue;
    // Never more than one command's worth is kept.
    std::size_t room = kMaxNetCommand - connection.received.size();
    connection.received.append(block, std::min(room, static_cast<std::size_t>(got)));
    auto length = netCommandLength(connection.received);
    if (!length) continue;
    connection.taken = true;
    commands.push_back({id, connection.received.substr(0, *length)});
    connection.received.clear();
  }
}

void TcpServer::reply(std::uint64_t connection, std::string bytes, Clock::time_point due,
                      bool closeAfter) {
  auto it = connections_.find(connection);
  if (it == connections_.end()) return;
  it->second.outbox += bytes;
  it->second.due = due;
  it->second.closeWhenSent = closeAfter;
}

void TcpServer::drop(std::uint64_t connection) { connections_.erase(connection); }

bool TcpServer::flush(Connection& connection) {
  while (!connection.outbox.empty()) {
    ssize_t sent = ::send(connection.fd.get(), connection.outbox.data(), connection.outbox.size(),
                          MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
    connection.outbox.erase(0, static_cast<std::size_t>(sent));
  }
  return !connection.closeWhenSent;
}

void TcpServer::sendDue() {
  auto now = Clock::now();
  for (auto it = connections_.begin(); it != connections_.end();) {
    Connection& connection = it->second;
    bool failed = !connection.outbox.empty() && connection.due <= now && !flush(connection);
    it = failed ? connections_.erase(it) : std::next(it);
  }
}

std::optional<TcpServer::Clock::time_point> TcpServer::nextDue() const {
  std::optional<Clock::time_point> next;
  for (const auto& [id, connection] : connections_) {
    // Replies already due wait for POLLOUT instead.
    if (connection.outbox.empty() || connection.due <= polledAt_) continue;
    if (!next || connection.due < *next) next = connection.due;
  }
  return next;
}

}  // namespace printer
