// The connector over the system's sockets, with the loopback-only rule.
#pragma once

#include "net/connector.h"

namespace platform::net {

class SocketConnector final : public Connector {
 public:
  // Refuses a forbidden address before any socket exists, then connects
  // with a blocking connect (the system's limit) and sets the send and
  // receive limits as socket options.
  ConnectResult connect(const Endpoint& peer, const TcpLimits& limits) override;
};

}  // namespace platform::net
