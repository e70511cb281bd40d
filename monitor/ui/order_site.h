// The command line that opens the consumables web site in a browser, from
// the browsers' install paths in the registry. Texts are in code page 936.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/registry.h"

namespace monitor {

inline constexpr std::size_t kCommandLineLimit = 259;
inline constexpr std::size_t kRegistryBuffer = 260;

// The first browser found: the "Path" of App Paths IEXPLORE.EXE without its
// last character and "\Iexplore.exe ", or the "Path" of Netscape.exe and
// "\Netscape.exe ", or the fixed Internet Explorer path in double quotes and
// a blank; then the address. Cut to 259 bytes on a character boundary.
std::string orderCommandLine(const platform::base::Registry& registry, std::string_view address);

}  // namespace monitor
