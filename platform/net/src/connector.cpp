// The connector of the process.
#include "net/connector.h"

#include "socket_connector.h"

namespace platform::net {

namespace {

Connector* replacement_ = nullptr;

}  // namespace

Connector& connector() {
  static SocketConnector sockets;
  return replacement_ != nullptr ? *replacement_ : sockets;
}

void setConnector(Connector* replacement) { replacement_ = replacement; }

}  // namespace platform::net
