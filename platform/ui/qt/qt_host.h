// The desktop host on Qt Widgets: windows from templates (window.h),
// message boxes, and the screen's metrics. It runs on the thread that made
// it, which makes the QApplication unless the process already has one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "snapshot.h"
#include "ui/host.h"

class QMessageBox;

namespace platform::ui::qt {

class QtWindow;

class QtHost final : public Host {
 public:
  // `snapshot`: see QtWindow, which takes it for the first window only;
  // QZ3317VT_UI_SNAPSHOT and QZ3317VT_UI_SNAPSHOT_CLICKS in a process. A
  // snapshot run waits for no one: its message boxes go to standard error
  // and its questions are answered No.
  explicit QtHost(Snapshot snapshot = {});
  ~QtHost() override;

  std::unique_ptr<HostWindow> createWindow(const DialogTemplate& dialog,
                                           WindowEvents& events) override;
  ScreenMetrics screen() const override;
  // A modal box with the caption, the text, the icon and an OK button over
  // the top window.
  void show(const MessageBoxRequest& request) override;
  // The same with Yes and No buttons; Esc and the title bar's close button
  // answer No.
  bool ask(const MessageBoxRequest& request) override;

  // The window created last and still open; nullptr without one.
  QtWindow* openWindow() const { return open_.empty() ? nullptr : open_.back(); }

 private:
  // Runs a box over the top window, holding that window's events meanwhile.
  int runBox(QMessageBox& box);

  Snapshot snapshot_;
  std::vector<QtWindow*> open_;  // bottom first
};

// Checks that the toolkit can reach a display and makes the QApplication;
// false with the reason otherwise.
bool startToolkit(std::string& why);

}  // namespace platform::ui::qt
