// The one mapping from the system's errno values to NetStatus.
#pragma once

#include "net/connector.h"

namespace platform::net {

NetStatus statusFromErrno(int error);

}  // namespace platform::net
