// The desktop host: start-up of the toolkit, windows, message boxes and the
// module's entry point.
#include "qt_host.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/box_report.h"
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

QtHost::QtHost(Snapshot snapshot) : snapshot_(std::move(snapshot)) {}

QtHost::~QtHost() = default;

std::unique_ptr<HostWindow> QtHost::createWindow(const DialogTemplate& dialog,
                                                 WindowEvents& events) {
  // Only the first window of a snapshot run takes the picture.
  auto window = std::make_unique<QtWindow>(dialog, events, open_.empty() ? snapshot_ : Snapshot{});
  if (!open_.empty()) window->makeModalTo(*open_.back());
  open_.push_back(window.get());
  // The window tells the host when it goes, so a box never names a
  // destroyed parent.
  QObject::connect(window->widget(), &QObject::destroyed, [this, w = window.get()] {
    std::erase(open_, w);
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

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

int QtHost::runBox(QMessageBox& box) {
  auto* top = openWindow();
  if (top != nullptr && top->isVisible()) box.setParent(top->widget(), box.windowFlags());
  int answer = QMessageBox::NoButton;
  if (top != nullptr) {
    top->holdEvents([&] { answer = box.exec(); });
  } else {
    answer = box.exec();
  }
  return answer;
}

void QtHost::show(const MessageBoxRequest& request) {
  if (snapshot_.wanted()) return reportBox(request);
  QMessageBox box(boxIcon(request.icon), QString::fromStdString(request.caption),
                  QString::fromStdString(request.text), QMessageBox::Ok);
  box.setObjectName(QStringLiteral("message-box"));
  runBox(box);
}

bool QtHost::ask(const MessageBoxRequest& request) {
  if (snapshot_.wanted()) {
    reportQuestion(request);
    return false;
  }
  QMessageBox box(boxIcon(request.icon), QString::fromStdString(request.caption),
                  QString::fromStdString(request.text), QMessageBox::Yes | QMessageBox::No);
  box.setObjectName(QStringLiteral("question-box"));
  box.setEscapeButton(QMessageBox::No);
  return runBox(box) == QMessageBox::Yes;
}

}  // namespace platform::ui::qt

// The module's entry point (ui/desktop_module.h).
extern "C" __attribute__((visibility("default"))) platform::ui::Host*
qz3317vt_make_desktop_host(std::string& why) {
  if (!platform::ui::qt::startToolkit(why)) return nullptr;
  return new platform::ui::qt::QtHost(platform::ui::qt::snapshotFromEnvironment());
}
