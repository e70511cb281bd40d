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
    case EINPROGRESS:
      return NetStatus::TimedOut;
    // The broadcast address (what a text that does not parse used to
    // become) gives EACCES on a TCP connect.
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
