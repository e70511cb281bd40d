// The process's dialog host: chosen once from QZ3317VT_UI, or set by a test.
// The desktop host lives in a module that is loaded only here, so a program
// that never shows a window never loads the toolkit.
#include "ui/host.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "ui/desktop_module.h"
#include "ui/headless_host.h"

namespace platform::ui {

namespace {

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

// Qt's offscreen and minimal platforms need no display.
bool displayAvailable() {
  auto platform = environment("QT_QPA_PLATFORM");
  if (platform.starts_with("offscreen") || platform.starts_with("minimal")) return true;
  return !environment("DISPLAY").empty() || !environment("WAYLAND_DISPLAY").empty();
}

std::filesystem::path moduleFile() {
  if (auto named = environment("QZ3317VT_UI_MODULE"); !named.empty()) return named;
  std::error_code error;
  auto program = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  auto beside = program / kDesktopModuleName;
  if (std::filesystem::exists(beside, error)) return beside;
  return program / ".." / "lib" / "qz3317vt" / kDesktopModuleName;
}

// The desktop host, or nullptr with the reason on standard error, where
// `who` names what asked for it.
std::unique_ptr<Host> loadDesktopHost(const char* who) {
  if (!displayAvailable()) {
    std::fprintf(stderr, "%s: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); the "
                         "headless host runs\n", who);
    return nullptr;
  }
  auto file = moduleFile();
  // The module stays loaded for the rest of the process: its host and the
  // toolkit's state live as long as the process does.
  void* module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::fprintf(stderr, "%s: the desktop module cannot be loaded (%s); the headless host runs\n",
                 who, ::dlerror());
    return nullptr;
  }
  auto* make = reinterpret_cast<DesktopHostFactory>(::dlsym(module, kDesktopHostFactory));
  if (make == nullptr) {
    std::fprintf(stderr, "%s: %s has no %s; the headless host runs\n", who, file.c_str(),
                 kDesktopHostFactory);
    return nullptr;
  }
  std::string why;
  std::unique_ptr<Host> desktop(make(why));
  if (!desktop)
    std::fprintf(stderr, "%s: %s; the headless host runs\n", who, why.c_str());
  return desktop;
}

std::unique_ptr<Host> hostFromEnvironment() {
  auto choice = environment("QZ3317VT_UI");
  if (choice == "desktop") {
    if (auto desktop = loadDesktopHost("QZ3317VT_UI=desktop")) return desktop;
  } else if (choice.empty() && displayAvailable()) {
    if (auto desktop = loadDesktopHost("the desktop host")) return desktop;
  } else if (!choice.empty() && choice != "headless") {
    std::fprintf(stderr, "QZ3317VT_UI=%s names no dialog host; the headless host runs\n",
                 std::string(choice).c_str());
  }
  return makeProcessHeadlessHost();
}

Host* installedHost = nullptr;

}  // namespace

Host& host() {
  if (installedHost != nullptr) return *installedHost;
  static std::unique_ptr<Host> chosen = hostFromEnvironment();
  return *chosen;
}

void setHost(Host* replacement) { installedHost = replacement; }

}  // namespace platform::ui
