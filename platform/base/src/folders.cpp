// Maps the Windows folders onto folders under the root.
#include "base/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform::base {

namespace {
std::filesystem::path fromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return {};
  return value;
}

// An absolute $HOME, else the home folder that the user database gives the
// effective user; never the working directory.
std::filesystem::path homeFolder() {
  if (auto home = fromEnv("HOME"); home.is_absolute()) return home;
  long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}
}  // namespace

std::filesystem::path rootFolder() {
  if (auto root = fromEnv("QZ3317VT_ROOT"); !root.empty()) return root;
  // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
  auto data = fromEnv("XDG_DATA_HOME");
  if (!data.is_absolute()) data = homeFolder() / ".local" / "share";
  return data / "qz3317vt";
}

std::filesystem::path programFilesFolder() { return rootFolder() / "Program Files"; }
std::filesystem::path commonAppDataFolder() { return rootFolder() / "ProgramData"; }
std::filesystem::path windowsFolder() { return rootFolder() / "Windows"; }
std::filesystem::path winIniPath() { return windowsFolder() / "win.ini"; }

std::filesystem::path printerDriverFolder() {
  return windowsFolder() / "System32" / "spool" / "drivers" / "x64";
}

std::filesystem::path joinPath(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (auto part : parts) {
    if (!joined.empty()) joined += '/';
    joined += part;
  }
  return joined;
}

bool setNormalAttributes(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ::chmod(file.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

}  // namespace platform::base
