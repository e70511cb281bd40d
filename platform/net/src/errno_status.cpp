// errno to NetStatus, for connect, send and receive alike.
#include "errno_status.h"

#include <cerrno>

namespace platform::net {

NetStatus statusFromErrno(int error) {
  switch (error) {
    case 0:
      return NetStatus::Ok;
    case ECONNREFUSED:
      return NetStatus::Refused;
    // A socket limit that ran out shows as EAGAIN on receive and send.
    case ETIMEDOUT:
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return NetStatus::TimedOut;
    // A TCP connect to a broadcast address gives EACCES.
    case ENETUNREACH:
    case EHOSTUNREACH:
    case EADDRNOTAVAIL:
    case ENETDOWN:
    case EACCES:
      return NetStatus::Unreachable;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
      return NetStatus::Closed;
    default:
      return NetStatus::Failed;
  }
}

}  // namespace platform::net
