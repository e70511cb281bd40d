// The dialog host contract: what a front end (the headless host for tests
// and terminals, a desktop toolkit) provides so that a dialog of the
// framework (ui/dialog.h) can run on it.
//
// A host carries out templates and reports what the user does; it holds no
// knowledge of any program. Every call below is made, and every event is
// delivered, on the one thread that runs the host's event loop. Events are
// delivered one at a time: a host never starts an event while the dialog is
// still handling the previous one, except where a call below says it runs a
// handler itself. Texts are UTF-8 both ways.
//
// The process host is chosen once, at the first call of host(), which the
// programs make only when they show a window or a message box, by the
// environment variable QZ3317VT_UI:
//   "headless"  ui/headless_host.h
//   "desktop"   the desktop host, a module loaded at that moment (ui/qt/),
//               where a display is available (X11 DISPLAY or Wayland
//               WAYLAND_DISPLAY, or Qt's offscreen platform by QT_QPA_PLATFORM)
//   unset or empty: the desktop host where a display is available, the
//               headless host otherwise (without a word: that is the
//               terminal's normal case)
// A desktop request without a display, a desktop host (asked for or
// chosen) whose module cannot be loaded or started, and a value that names
// no host are reported on standard error and the headless host runs, so a
// monitor without a display still carries out its duties. Tests run with
// QZ3317VT_UI=headless unless they test the desktop. QZ3317VT_UI_MODULE names the module's file where it is
// not beside the program (or in ../lib/qz3317vt from it).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "ui/dialog_template.h"
#include "ui/geometry.h"
#include "ui/message_box.h"

namespace platform::ui {

// Command ids that hosts send for keys, as dialogs of the platform do.
inline constexpr int kCommandOk = 1;      // Enter in a dialog without a default button
inline constexpr int kCommandCancel = 2;  // Esc

enum class ShowMode { Normal, Hide };

// Mouse events on a notification icon.
enum class IconMouse { LeftDown, LeftUp, LeftDoubleClick, RightDown, RightUp };

// Drawing surface of one paint request of an owner-drawn control.
class Painter {
 public:
  virtual ~Painter() = default;
  // Draws the whole image stretched into `target` (control pixels, relative
  // to the control's top left); a designed image of the same id takes the
  // pixels' place (ui/dialog_template.h). Optional for a host without a
  // screen to render, which still records what was drawn.
  virtual void drawImage(const Image& image, const Rect& target) = 0;
};

// The notification-area icon of a window.
struct NotifyIcon {
  int id = 0;
  const Image* image = nullptr;  // kept alive by the caller while the icon exists
  std::string tip;
};

struct ScreenMetrics {
  Size screen;        // the whole display, pixels
  int fullHeight = 0; // the display height the system metrics report
  Rect workArea;      // the display without the taskbar
};

// What the dialog hears from its host. Implemented by ui::Dialog.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // Once, after the window and its controls exist and before it is shown.
  // When it returns and the dialog has not ended, the host shows the window.
  virtual void onInitDialog() = 0;
  // A push button clicked (or its access key), the default button by Enter
  // (kCommandOk without one), kCommandCancel by Esc, or a pop-up menu item
  // picked (its command id).
  virtual void onCommand(int id) = 0;
  // A timer set with HostWindow::setTimer is due. A timer that fell behind
  // fires once, not once per missed period.
  virtual void onTimer(int id) = 0;
  // The close request of the title bar or the system menu.
  virtual void onClose() = 0;
  // An item the template adds to the window's system menu was picked (its
  // command id).
  virtual void onSystemCommand(int id) = 0;
  // The window became minimised (after the host minimised it).
  virtual void onMinimised() = 0;
  // A mouse event on a notification icon this window added.
  virtual void onNotifyIcon(int iconId, IconMouse event) = 0;
  // A paint request of an owner-drawn control; `item` is its rectangle in
  // its own pixels (x and y 0).
  virtual void onDrawItem(int controlId, Painter& painter, const Rect& item) = 0;
  // The text colour of a static control, asked at each painting of it;
  // nullopt keeps the host's own colour.
  virtual std::optional<Rgb> onControlColour(int controlId) = 0;
  // Once, when the window is destroyed; no event follows.
  virtual void onDestroy() = 0;
};

// One window made from a dialog template. All control calls name a control
// of the template; a host ignores an id the template lacks.
class HostWindow {
 public:
  virtual ~HostWindow() = default;

  // Runs the event loop until endDialog or postQuit; returns the result of
  // endDialog, or -1 after postQuit. Returns at once when the dialog already
  // ended (during onInitDialog). Hosts may refuse to nest it.
  virtual int runModal() = 0;
  // Ends the modal run with `result` once the current event returns; the
  // window hides at once.
  virtual void endDialog(int result) = 0;
  // Ends the modal run once the current event returns, result -1.
  virtual void postQuit() = 0;

  // Window state. show(Normal) also restores a minimised window.
  virtual void show(ShowMode mode) = 0;
  virtual bool isVisible() const = 0;
  virtual bool isMinimised() const = 0;
  // Moves the outer top left corner to `topLeft` (screen pixels), keeping
  // the size, and raises the window to the top of the z-order.
  virtual void move(Point topLeft) = 0;
  virtual void setTopmost(bool topmost) = 0;
  virtual void bringToForeground() = 0;
  // Client area in pixels.
  virtual Size clientSize() const = 0;
  // Makes the host's image resource `imageId` the window's large and small
  // icon; false when the host has no such image, and the window keeps the
  // host's default icon.
  virtual bool setIcon(int imageId) = 0;
  // Asks for the whole window, controls included, to be painted again;
  // the painting happens after the current event, while the window shows.
  virtual void invalidate() = 0;

  // Controls.
  virtual void showControl(int id, bool visible) = 0;
  virtual void enableControl(int id, bool enabled) = 0;
  virtual void setControlText(int id, const std::string& text) = 0;
  virtual std::string controlText(int id) const = 0;

  // Repeating timers by id on the host's clock (base/clock.h). Setting an id
  // that runs restarts it with the new period from now.
  virtual void setTimer(int id, std::chrono::milliseconds period) = 0;
  // Stopping an id that does not run does nothing.
  virtual void killTimer(int id) = 0;

  // Notification icon. Each returns false when the host has no
  // notification area or the call failed; the window works on without it.
  // Mouse events arrive as onNotifyIcon. Removing an absent icon is harmless.
  // While a window has no icon on a desktop without a notification area,
  // its show(Hide) minimises it to the task bar instead, so that the user
  // can bring it back; isVisible() then stays true.
  virtual bool addNotifyIcon(const NotifyIcon& icon) = 0;
  virtual bool modifyNotifyIcon(const NotifyIcon& icon) = 0;
  virtual bool removeNotifyIcon(int id) = 0;

  // Shows a pop-up menu with its top left at `screen`. A picked item
  // arrives later as onCommand; a menu closed elsewhere sends nothing.
  // Returns false when the menu could not be shown.
  virtual bool showPopupMenu(const MenuTemplate& menu, Point screen) = 0;
  virtual Point cursorPosition() const = 0;
};

class Host : public MessageBoxHost {
 public:
  // Makes the window of `dialog`, hidden, with the template's controls and
  // texts; the template and the events outlive the window. A window made
  // while another is open is modal to it (an about box over a dialog): the
  // one below takes no input until it is destroyed. Returns nullptr when the
  // host cannot make one (the headless host holds two at most).
  virtual std::unique_ptr<HostWindow> createWindow(const DialogTemplate& dialog,
                                                   WindowEvents& events) = 0;
  virtual ScreenMetrics screen() const = 0;
  // MessageBoxHost::show: a modal box with an OK button over the open
  // window, if any; returns when it is closed.
  // A modal box with Yes and No buttons over the open window, if any;
  // returns when it is closed: true for Yes, false for No or a box closed
  // any other way.
  virtual bool ask(const MessageBoxRequest& request) = 0;
};

// The process's host, chosen from QZ3317VT_UI at the first call.
Host& host();
// Replaces the process host (tests); nullptr returns to the chosen one. The
// caller keeps the host alive while it is set.
void setHost(Host* replacement);

}  // namespace platform::ui
