// Computer and account names from the system, with the retry rule.
#include "logrecorder/system_names.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace logrecorder {

namespace {

constexpr int kRetries = 10;

// An empty text when the name does not fit the caller's buffer.
std::u16string fitting(std::string_view utf8, std::size_t capacity) {
  auto name = platform::utf8ToUtf16(utf8);
  if (name.size() >= capacity) return {};
  return name;
}

}  // namespace

std::u16string nameWithRetries(const NameQuery& query) {
  auto name = query(kNameBufferUnits);
  for (int retry = 0; retry < kRetries && name.empty(); ++retry) name = query(kNameBufferUnits);
  return name;
}

std::u16string systemComputerName(std::size_t capacity) {
  std::vector<char> host(HOST_NAME_MAX + 1, '\0');
  if (::gethostname(host.data(), host.size() - 1) != 0) return {};
  return fitting(host.data(), capacity);
}

std::u16string systemUserName(std::size_t capacity) {
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_name != nullptr) {
    return fitting(found->pw_name, capacity);
  }
  const char* user = std::getenv("USER");
  return user == nullptr ? std::u16string{} : fitting(user, capacity);
}

}  // namespace logrecorder
