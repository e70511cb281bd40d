// Building the order command line.
#include "monitor/ui/order_site.h"

#include "monitor/ui/message_texts.h"

namespace monitor {

namespace {
constexpr std::string_view kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
}

std::string orderCommandLine(const platform::base::Registry& registry, std::string_view address) {
  using platform::base::RegistryHive;
  std::string line;
  auto read = [&](std::string_view program) {
    return registry.readString(RegistryHive::LocalMachine, std::string(kAppPaths) + std::string(program),
                               "Path", kRegistryBuffer);
  };
  if (auto path = read("IEXPLORE.EXE")) {
    // The value ends in a separator that is dropped; an empty value has
    // none to drop.
    if (!path->empty()) path->pop_back();
    line = *path + "\\Iexplore.exe " + std::string(address);
  } else if (auto netscape = read("Netscape.exe")) {
    line = *netscape + "\\Netscape.exe " + std::string(address);
  } else {
    line = "\"C:\\Program Files\\Internet Explorer\\Iexplore.exe\" " + std::string(address);
  }
  return cutAnsi(line, kCommandLineLimit);
}

}  // namespace monitor
