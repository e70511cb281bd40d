// The one entry point of the desktop host module (platform/ui/qt), which
// ui/host.h loads with dlopen when QZ3317VT_UI asks for the desktop.
//
// The module exports kDesktopHostFactory with the DesktopHostFactory type.
// It returns a new host that the caller owns, or nullptr with the reason in
// `why` (no connection to the display, the toolkit refused to start). The
// host runs on the calling thread, which must be the process's main one.
#pragma once

#include <string>

#include "ui/host.h"

namespace platform::ui {

inline constexpr const char* kDesktopModuleName = "qz3317vt_ui_desktop.so";
inline constexpr const char* kDesktopHostFactory = "qz3317vt_make_desktop_host";

using DesktopHostFactory = Host* (*)(std::string& why);

}  // namespace platform::ui
