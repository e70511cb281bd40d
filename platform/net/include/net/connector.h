// TCP connections over IPv4 and the connector that opens them.
//
// connector() is the process's connector: the socket connector, which
// obeys the loopback-only rule (net/loopback_rule.h), unless a test has
// installed one of its own with setConnector(). Every result carries one
// NetStatus; errno values are mapped to it in one place.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "net/ipv4.h"

namespace platform::net {

enum class NetStatus {
  Ok,
  Refused,      // nobody listens, or the loopback-only rule forbids the address
  TimedOut,     // a send or receive limit, or the system's connect limit, ran out
  Unreachable,  // no route to the address, or an address no connection can go to
  Closed,       // the peer closed or reset the connection
  Failed,       // any other failure (no socket, bad descriptor, ...)
};

struct TransferResult {
  NetStatus status = NetStatus::Failed;
  std::size_t bytes = 0;  // bytes sent or received, also on failure
};

// One open connection; the destructor closes it.
class Connection {
 public:
  virtual ~Connection() = default;
  // Sends every byte of `data`, in as many calls as the system needs, each
  // bounded by the send limit. Ok only when all bytes went out.
  virtual TransferResult send(std::span<const std::uint8_t> data) = 0;
  // One receive of up to buffer.size() bytes, bounded by the receive
  // limit. Ok with at least one byte; Closed when the peer closed the
  // connection; TimedOut when nothing came within the limit.
  virtual TransferResult receive(std::span<std::uint8_t> buffer) = 0;
};

struct TcpLimits {
  std::chrono::milliseconds send;
  std::chrono::milliseconds receive;
};

struct ConnectResult {
  NetStatus status = NetStatus::Failed;
  std::unique_ptr<Connection> connection;  // set exactly when status is Ok
};

class Connector {
 public:
  virtual ~Connector() = default;
  // Opens a TCP connection to `peer`. The attempt itself has no limit of
  // its own: the system's applies. On success the connection's sends and
  // receives are bounded by `limits`.
  virtual ConnectResult connect(const Endpoint& peer, const TcpLimits& limits) = 0;
};

// The connector of this process.
Connector& connector();

// Replaces the connector for the rest of the process; nullptr restores the
// socket connector. The caller keeps the connector alive while it is set.
void setConnector(Connector* replacement);

}  // namespace platform::net
