// The loopback-only rule, read from QZ3317VT_NET at every attempt.
#include "net/loopback_rule.h"

#include <cstdio>
#include <cstdlib>

namespace platform::net {

bool loopbackOnly() {
  const char* setting = std::getenv("QZ3317VT_NET");
  return setting != nullptr && *setting != '\0';
}

bool ruleAllows(Ipv4Address address) { return !loopbackOnly() || isLoopback(address); }

void reportRefusedByRule(const Endpoint& peer) {
  std::fprintf(stderr, "qz3317vt-net: loopback-only: refused %s, nothing sent\n",
               toString(peer).c_str());
  std::fflush(stderr);
}

}  // namespace platform::net
