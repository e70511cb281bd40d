// The simulated printer's TCP port: a loopback listener and its
// connections, served from the owner's poll loop.
//
// Each connection carries one setup command. The server reads until the
// command is complete (net_command.h), hands it to the owner, and sends the
// reply the owner gives, if any, when it is due. Bytes after the command
// are read and dropped. The connection stays open until the client closes
// it, so a command without a reply leaves the client waiting for its
// receive limit, as on the device.
#pragma once

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/unique_fd.h"
#include "tools/printer/tcp_endpoint.h"

namespace printer {

class TcpServer {
 public:
  using Clock = std::chrono::steady_clock;

  // One complete command as it was received, prefix and all.
  struct Command {
    std::uint64_t connection = 0;
    std::string bytes;
  };

  // `portFile` receives the bound port while the server listens.
  explicit TcpServer(std::filesystem::path portFile);
  // Closes everything and removes the port file.
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Called at start and when the scenario names another endpoint. Binds a
  // new listener on `endpoint` (loopback only; port 0 picks a free port)
  // and writes the bound port, in decimal on one line, to the port file.
  // Only then are the previous listener and its connections closed. On
  // failure nothing changes and `error` says why.
  bool listen(const TcpEndpoint& endpoint, std::string& error);
  // Closes the listener and every connection and removes the port file.
  void close();
  // The endpoint listened on, as configured; nothing when not listening.
  const std::optional<TcpEndpoint>& endpoint() const { return endpoint_; }

  // Appends the descriptors to poll to `fds`. Call `handleEvents` with
  // exactly the entries appended, after poll has filled them in.
  void addPollFds(std::vector<pollfd>& fds);
  // Accepts, reads and closes as the events say; returns the commands that
  // became complete. Entries of connections closed since `addPollFds` are
  // skipped.
  std::vector<Command> handleEvents(std::span<const pollfd> fds);

  // Sends `bytes` on the connection once `due` has come, and then closes it
  // when `closeAfter`; nothing when the connection is gone.
  void reply(std::uint64_t connection, std::string bytes, Clock::time_point due,
             bool closeAfter = false);
  // Closes the connection at once, without a reply.
  void drop(std::uint64_t connection);
  // Sends every reply that is due, as far as the sockets take it.
  void sendDue();
  // The earliest time a held reply becomes due, of those that the last
  // `addPollFds` did not poll for writing; nothing when none waits.
  std::optional<Clock::time_point> nextDue() const;

 private:
  struct Connection {
    platform::base::UniqueFd fd;
    std::string received;
    bool taken = false;  // the command was handed over; later bytes are dropped
    std::string outbox;
    Clock::time_point due{};
    bool closeWhenSent = false;
  };

  void accept();
  // Reads what waits; false when the connection is to be closed.
  bool receive(std::uint64_t id, Connection& connection, std::vector<Command>& commands);
  // Sends what is due; false when the connection is to be closed (also once
  // a reply to close after is out).
  bool flush(Connection& connection);
  bool writePortFile(std::uint16_t port, std::string& error) const;

  std::filesystem::path portFile_;
  platform::base::UniqueFd listener_;
  std::optional<TcpEndpoint> endpoint_;
  std::map<std::uint64_t, Connection> connections_;
  std::vector<std::uint64_t> polled_;  // connection ids in the order of addPollFds
  Clock::time_point polledAt_{};
  std::uint64_t nextId_ = 1;
};

}  // namespace printer
