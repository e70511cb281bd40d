// One dialog window of the desktop host: a top-level Qt widget built from a
// template, carrying out the HostWindow contract of ui/host.h.
//
// Events reach the dialog one at a time: an event that arrives while the
// dialog still handles one (a message box or a menu runs the event loop
// inside a handler) waits until the handler returns; a timer waiting that
// way fires once. Each control's widget is named by its id (objectName), the
// window by "dialog-ID", so that tests and accessibility tools find them.
//
// The window manager owns the title bar's system menu, so the items a
// template adds to it are the actions of the window's context menu (a right
// click on the dialog's background), each named "system-ID".
#pragma once

#include <QEventLoop>
#include <QWidget>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "snapshot.h"
#include "ui/host.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace platform::ui::qt {

class DialogWidget;

class QtWindow final : public HostWindow {
 public:
  // With a snapshot wanted, the window clicks the snapshot's buttons once
  // it is first painted, saves its picture to the snapshot's PNG file, and
  // then ends as after postQuit.
  QtWindow(const DialogTemplate& dialog, WindowEvents& events, Snapshot snapshot);
  ~QtWindow() override;

  QWidget* widget() const;
  // Makes this window modal to `below`, which it is centred over, as an
  // about box is over its dialog; `below` outlives this window.
  void makeModalTo(QtWindow& below);

  int runModal() override;
  void endDialog(int result) override;
  void postQuit() override { endDialog(-1); }
  void show(ShowMode mode) override;
  bool isVisible() const override;
  bool isMinimised() const override;
  void move(Point topLeft) override;
  void setTopmost(bool topmost) override;
  void bringToForeground() override;
  Size clientSize() const override;
  bool setIcon(int imageId) override;
  void invalidate() override;
  void showControl(int id, bool visible) override;
  void enableControl(int id, bool enabled) override;
  void setControlText(int id, const std::string& text) override;
  std::string controlText(int id) const override;
  void setTimer(int id, std::chrono::milliseconds period) override;
  void killTimer(int id) override;
  bool addNotifyIcon(const NotifyIcon& icon) override;
  bool modifyNotifyIcon(const NotifyIcon& icon) override;
  bool removeNotifyIcon(int id) override;
  bool showPopupMenu(const MenuTemplate& menu, Point screen) override;
  Point cursorPosition() const override;

  // Runs `event` now, or after the event the dialog is handling.
  void deliver(std::function<void()> event);
  // Runs `nested` (a modal box) now; events that arrive meanwhile wait
  // until it returns and the dialog's current event, if any, has ended.
  void holdEvents(const std::function<void()>& nested);
  // The widget's own events.
  void userMinimised();
  void painted();

 private:
  friend class DialogWidget;
  void build(const DialogTemplate& dialog);
  void addSystemMenu(const std::vector<MenuItem>& items);
  void focusFirstTabStop();
  void deliverTimer(int id);
  void clickForSnapshot();
  void saveSnapshot();

  WindowEvents& events_;
  std::unique_ptr<DialogWidget> widget_;
  std::map<int, QWidget*> controls_;
  std::vector<QWidget*> tabStops_;  // in tab order
  bool shownOnce_ = false;
  std::map<int, QTimer*> timers_;
  std::map<int, QSystemTrayIcon*> icons_;
  std::unique_ptr<QMenu> menu_;
  QEventLoop loop_;
  bool running_ = false;
  bool ended_ = false;
  int result_ = -1;
  bool handling_ = false;
  bool minimisingOurselves_ = false;
  std::deque<std::function<void()>> waiting_;
  std::set<int> timersWaiting_;
  Snapshot snapshot_;
  bool snapshotTaken_ = false;
};

}  // namespace platform::ui::qt
