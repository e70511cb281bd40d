// The checks of new network settings.
#include "netsetup/settings_check.h"

#include <bit>
#include <cstdint>

#include "net/ipv4.h"
#include "text/codepage.h"

namespace netsetup {

namespace {

std::uint32_t valueOf(const Octets& octets) {
  return platform::net::Ipv4Address::fromOctets(octets).value;
}

// Ones from the top, then zeros only: the host bits are all ones at the
// bottom, so adding one to them carries through every one of them.
bool contiguous(std::uint32_t mask) {
  std::uint32_t hostBits = ~mask;
  return (hostBits & (hostBits + 1)) == 0;
}

}  // namespace

std::vector<SettingsProblem> checkSettings(const Octets& ip, const Octets& mask,
                                           const Octets& gateway) {
  std::uint32_t address = valueOf(ip);
  std::uint32_t netmask = valueOf(mask);
  std::vector<SettingsProblem> problems;
  bool maskOk = contiguous(netmask);
  if (!maskOk) problems.push_back(SettingsProblem::MaskNotContiguous);
  if ((valueOf(gateway) & netmask) != (address & netmask)) {
    problems.push_back(SettingsProblem::GatewayOutsideSubnet);
  }
  bool hasHostRange = maskOk && std::popcount(netmask) <= 30;
  if (address != 0 && hasHostRange) {
    if ((address & ~netmask) == 0) problems.push_back(SettingsProblem::AddressIsNetwork);
    if ((address & ~netmask) == ~netmask) problems.push_back(SettingsProblem::AddressIsBroadcast);
  }
  if (address == 0) problems.push_back(SettingsProblem::AddressIsZero);
  return problems;
}

std::string problemText(SettingsProblem problem) {
  const char* utf8 = "";
  switch (problem) {
    case SettingsProblem::MaskNotContiguous:
      utf8 = "子网掩码不连续";
      break;
    case SettingsProblem::GatewayOutsideSubnet:
      utf8 = "默认网关不在IP地址的子网内";
      break;
    case SettingsProblem::AddressIsNetwork:
      utf8 = "IP地址是子网的网络地址";
      break;
    case SettingsProblem::AddressIsBroadcast:
      utf8 = "IP地址是子网的广播地址";
      break;
    case SettingsProblem::AddressIsZero:
      utf8 = "IP地址为0.0.0.0";
      break;
  }
  return platform::text::utf8ToAnsi(utf8);
}

}  // namespace netsetup
