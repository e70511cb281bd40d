// The desktop host: start-up of the toolkit, windows, message boxes and the
// module's entry point.
#include "qt_host.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <cstdlib>
#include <string_view>

#include "ui/desktop_module.h"
#include "window.h"

namespace platform::ui::qt {

namespace {

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

// The platform Qt will pick: QT_QPA_PLATFORM, else Wayland where its plugin
// and a compositor are there, else X11.
std::string_view chosenPlatform() {
  auto named = environment("QT_QPA_PLATFORM");
  if (!named.empty()) return named.substr(0, named.find(':'));
  auto plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
  bool wayland = QFileInfo::exists(plugins + QStringLiteral("/platforms/libqwayland-generic.so"));
  if (!environment("WAYLAND_DISPLAY").empty() && wayland) return "wayland";
  return "xcb";
}

// Qt ends the process when it cannot open its display, so the host asks
// first and falls back instead.
bool displayReachable(std::string& why) {
  auto platform = chosenPlatform();
  if (platform != "xcb") return true;
  if (environment("DISPLAY").empty()) {
    why = "no X display (DISPLAY is not set) and no usable Wayland platform";
    return false;
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!reachable) why = "the X display " + std::string(environment("DISPLAY")) + " cannot be opened";
  return reachable;
}

}  // namespace

bool startToolkit(std::string& why) {
  if (QApplication::instance() != nullptr) return true;
  if (!displayReachable(why)) return false;
  // The application lives as long as the process: Qt's own clean-up at exit
  // comes after the host is gone.
  static int argc = 1;
  static char name[] = "QZ3317VT";
  static char* argv[] = {name, nullptr};
  auto* application = new QApplication(argc, argv);
  application->setQuitOnLastWindowClosed(false);
  return true;
}

QtHost::QtHost(std::string snapshot) : snapshot_(std::move(snapshot)) {}

QtHost::~QtHost() = default;

std::unique_ptr<HostWindow> QtHost::createWindow(const DialogTemplate& dialog,
                                                 WindowEvents& events) {
  auto window = std::make_unique<QtWindow>(dialog, events, snapshot_);
  open_ = window.get();
  // The window tells the host when it goes, so a box never names a
  // destroyed parent.
  QObject::connect(window->widget(), &QObject::destroyed, [this, w = window.get()] {
    if (open_ == w) open_ = nullptr;
  });
  return window;
}

ScreenMetrics QtHost::screen() const {
  auto* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  auto whole = screen->geometry();
  auto work = screen->availableGeometry();
  return {{whole.width(), whole.height()},
          whole.height(),
          {work.x(), work.y(), work.width(), work.height()}};
}

void QtHost::show(const MessageBoxRequest& request) {
  QWidget* parent = open_ != nullptr && open_->isVisible() ? open_->widget() : nullptr;
  auto icon = request.icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Warning;
  QMessageBox box(icon, QString::fromStdString(request.caption),
                  QString::fromStdString(request.text), QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("message-box"));
  if (open_ != nullptr) {
    open_->holdEvents([&box] { box.exec(); });
  } else {
    box.exec();
  }
}

}  // namespace platform::ui::qt

// The module's entry point (ui/desktop_module.h).
extern "C" __attribute__((visibility("default"))) platform::ui::Host*
qz3317vt_make_desktop_host(std::string& why) {
  if (!platform::ui::qt::startToolkit(why)) return nullptr;
  const char* snapshot = std::getenv("QZ3317VT_UI_SNAPSHOT");
  return new platform::ui::qt::QtHost(snapshot == nullptr ? "" : snapshot);
}
