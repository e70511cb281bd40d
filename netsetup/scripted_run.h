// lan_setter's scripted use, beyond the dialog:
//   lan_setter --find
//   lan_setter --save IP MASK GATEWAY [--force]
// Both run the dialog's workflow on a headless form. --find prints every
// message box as "WARNING: TEXT" when it shows, then the status line and
// the MAC, address, mask and gateway lines, in UTF-8. --save runs find,
// puts the three addresses into fields 1003-1005 (an empty part is a blank
// octet, sent as 0) and saves; settings that the checks find fault with are
// refused unless --force is given. Exit status: 0 when the addresses were
// read (find) or the set command delivered (save), 1 on any other outcome,
// 2 on a usage error.
#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "netsetup/address_field.h"

namespace netsetup {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

enum class RunKind { Dialog, Find, Save };

struct RunRequest {
  RunKind kind = RunKind::Dialog;
  AddressField ip;
  AddressField mask;
  AddressField gateway;
  bool force = false;
};

// The request of the arguments after the program name; nothing, with the
// reason in `error`, on a usage error.
std::optional<RunRequest> parseArguments(std::span<const std::string_view> arguments,
                                         std::string& error);

// An address as the command line gives it: four parts separated by ".",
// each empty (a blank octet) or a decimal 0-255 of at most three digits.
std::optional<AddressField> parseFieldArgument(std::string_view text);

int runFind(std::ostream& out);
int runSave(const RunRequest& request, std::ostream& out, std::ostream& err);

// The usage text.
std::string_view usage();

}  // namespace netsetup
