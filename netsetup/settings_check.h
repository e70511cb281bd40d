// What a network engineer checks before new settings go to the printer: a
// mask whose one bits are not contiguous, a gateway outside the address's
// subnet, an address that is its subnet's network or broadcast address, or
// the address 0.0.0.0. The printer itself takes any octets.
#pragma once

#include <string>
#include <vector>

#include "netsetup/setup_commands.h"

namespace netsetup {

enum class SettingsProblem {
  MaskNotContiguous,
  GatewayOutsideSubnet,
  AddressIsNetwork,
  AddressIsBroadcast,
  AddressIsZero,
};

// The problems of the three addresses, in the order of the enumeration.
// Network and broadcast addresses are looked for only with a contiguous
// mask of at most 30 bits: /31 and /32 subnets have neither. 0.0.0.0 is
// reported as such, not also as a network address.
std::vector<SettingsProblem> checkSettings(const Octets& ip, const Octets& mask,
                                           const Octets& gateway);

// One line naming the problem, in code page 936.
std::string problemText(SettingsProblem problem);

}  // namespace netsetup
