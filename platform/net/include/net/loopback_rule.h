// The loopback-only rule: a safety switch for tests and demos.
//
// With QZ3317VT_NET set (tests and the demo set "loopback-only"), the socket
// connector refuses every address outside 127.0.0.0/8 before a socket is
// made, so no packet leaves the machine; the caller sees a refused
// connection, and the attempt is reported on standard error as
//   qz3317vt-net: loopback-only: refused 192.168.1.160:9100, nothing sent
// so that a test can see what the program would have reached. Any value
// other than empty turns the rule on, so a misspelt setting never opens the
// network. Unset or empty: no rule. The variable is read at every attempt.
#pragma once

#include "net/ipv4.h"

namespace platform::net {

// Whether the rule is on for this process now.
bool loopbackOnly();

// Whether a connection to `address` may be attempted under the current
// setting.
bool ruleAllows(Ipv4Address address);

// Writes the report line for a refused attempt to standard error.
void reportRefusedByRule(const Endpoint& peer);

}  // namespace platform::net
