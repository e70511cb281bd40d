// The framework's dialog: a window made from a template on the process's
// host, with controls addressed by id, timers, a notification icon, pop-up
// menus and owner-drawn controls. A program derives from it and overrides
// the handlers it needs; the operations forward to the host window.
//
// Life of a dialog: doModal() makes the window, runs onInitDialog, shows the
// window unless the dialog ended meanwhile, runs the host's event loop until
// endDialog or postQuit, then destroys the window (onDestroy) and returns the
// result. create() does the first three steps only, for a host driven event
// by event (tests); destroyWindow() does the last. Operations called while
// no window exists do nothing and report defaults.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "ui/dialog_template.h"
#include "ui/host.h"

namespace platform::ui {

class Dialog : private WindowEvents {
 public:
  // The template must outlive the dialog.
  explicit Dialog(const DialogTemplate& dialogTemplate, Host& host = ui::host());
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // -1 when no window could be made, or after postQuit.
  int doModal();
  bool create();
  void destroyWindow();

  bool hasEnded() const { return ended_; }
  int result() const { return result_; }

  // Window.
  void endDialog(int result);
  void postQuit();
  void showWindow(ShowMode mode);
  bool isVisible() const;
  bool isMinimised() const;
  void moveWindow(Point topLeft);
  void setTopmost(bool topmost);
  void bringToForeground();
  Size clientSize() const;
  // The window's icon from the host's image resource; false without one.
  bool setIcon(int imageId);
  void invalidate();
  ScreenMetrics screen() const { return host_.screen(); }

  // Controls.
  void showControl(int id, bool visible);
  void enableControl(int id, bool enabled);
  void setItemText(int id, const std::string& text);
  // Sets an unsigned decimal number, as a 32-bit unsigned value.
  void setItemNumber(int id, unsigned value);
  std::string itemText(int id) const;

  // Message boxes on the dialog's host, modal to its window.
  void messageBox(const MessageBoxRequest& request) { host_.show(request); }
  // A Yes/No box; true for Yes.
  bool askYesNo(const MessageBoxRequest& request) { return host_.ask(request); }

  // Timers, notification icon, menus.
  void setTimer(int id, std::chrono::milliseconds period);
  void killTimer(int id);
  bool addNotifyIcon(const NotifyIcon& icon);
  bool removeNotifyIcon(int id);
  bool showPopupMenu(const MenuTemplate& menu, Point screen);
  Point cursorPosition() const;

 protected:
  // The default initialisation exchanges the dialog's data into the controls.
  virtual void onInitDialog() override { doDataExchange(); }
  // Copies the dialog's fields into its controls; nothing by default.
  virtual void doDataExchange() {}
  // kCommandOk and kCommandCancel go to onOk and onCancel; other ids to
  // onControlCommand.
  virtual void onCommand(int id) override;
  virtual void onOk() { endDialog(kCommandOk); }
  virtual void onCancel() { endDialog(kCommandCancel); }
  virtual void onControlCommand(int /*id*/) {}
  virtual void onTimer(int /*id*/) override {}
  // The default close request is the cancel command.
  virtual void onClose() override { onCancel(); }
  virtual void onSystemCommand(int /*id*/) override {}
  virtual void onMinimised() override {}
  virtual void onNotifyIcon(int /*iconId*/, IconMouse /*event*/) override {}
  virtual void onDrawItem(int /*controlId*/, Painter& /*painter*/, const Rect& /*item*/) override {}
  virtual std::optional<Rgb> onControlColour(int /*controlId*/) override { return std::nullopt; }
  virtual void onDestroy() override {}

 private:
  const DialogTemplate& template_;
  Host& host_;
  std::unique_ptr<HostWindow> window_;
  bool ended_ = false;
  int result_ = -1;
};

}  // namespace platform::ui
