// The connector of the process, and status names.
#include "net/connector.h"

#include "socket_connector.h"

namespace platform::net {

namespace {

Connector* replacement_ = nullptr;

}  // namespace

std::string_view describe(NetStatus status) {
  switch (status) {
    case NetStatus::Ok:
      return "ok";
    case NetStatus::Refused:
      return "refused";
    case NetStatus::TimedOut:
      return "timed out";
    case NetStatus::Unreachable:
      return "unreachable";
    case NetStatus::Closed:
      return "closed by the peer";
    case NetStatus::Failed:
      return "failed";
  }
  return "failed";
}

Connector& connector() {
  static SocketConnector sockets;
  return replacement_ != nullptr ? *replacement_ : sockets;
}

void setConnector(Connector* replacement) { replacement_ = replacement; }

}  // namespace platform::net
