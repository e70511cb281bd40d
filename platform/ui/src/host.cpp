// The process's dialog host: chosen once from QZ3317VT_UI, or set by a test.
#include "ui/host.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ui/headless_host.h"

namespace platform::ui {

namespace {

std::unique_ptr<Host> hostFromEnvironment() {
  const char* value = std::getenv("QZ3317VT_UI");
  std::string_view choice = value == nullptr ? "" : value;
  if (!choice.empty() && choice != "headless") {
    std::fprintf(stderr, "QZ3317VT_UI=%s names no dialog host; the headless host runs\n", value);
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
