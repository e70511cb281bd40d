// Names the system gives for this machine, its user and this program.
// Each call asks the system afresh; an empty text means it gave none.
#pragma once

#include <string>

namespace platform::base {

// The host name (gethostname), in UTF-8.
std::string hostName();

// The account name of the effective user: from the user database, else
// $USER.
std::string accountName();

// The full path of the running program (/proc/self/exe).
std::string programPath();

}  // namespace platform::base
