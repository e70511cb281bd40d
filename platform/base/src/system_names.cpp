// Host, account and program names from the system.
#include "base/system_names.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace platform::base {

std::string hostName() {
  std::vector<char> host(HOST_NAME_MAX + 1, '\0');
  if (::gethostname(host.data(), host.size() - 1) != 0) return {};
  return host.data();
}

std::string accountName() {
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_name != nullptr) {
    return found->pw_name;
  }
  const char* user = std::getenv("USER");
  return user == nullptr ? std::string{} : std::string(user);
}

std::string programPath() {
  std::vector<char> buffer(4096);
  auto length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace platform::base
