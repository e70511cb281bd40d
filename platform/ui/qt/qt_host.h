// The desktop host on Qt Widgets: windows from templates (window.h),
// message boxes, and the screen's metrics. It runs on the thread that made
// it, which makes the QApplication unless the process already has one.
#pragma once

#include <memory>
#include <string>

#include "ui/host.h"

namespace platform::ui::qt {

class QtWindow;

class QtHost final : public Host {
 public:
  // `snapshot`: see QtWindow; QZ3317VT_UI_SNAPSHOT in a process.
  explicit QtHost(std::string snapshot = {});
  ~QtHost() override;

  std::unique_ptr<HostWindow> createWindow(const DialogTemplate& dialog,
                                           WindowEvents& events) override;
  ScreenMetrics screen() const override;
  // A modal box with the caption, the text, the icon and an OK button over
  // the open window.
  void show(const MessageBoxRequest& request) override;

  // The window created last and still open; nullptr without one.
  QtWindow* openWindow() const { return open_; }

 private:
  friend class QtWindow;
  std::string snapshot_;
  QtWindow* open_ = nullptr;
};

// Checks that the toolkit can reach a display and makes the QApplication;
// false with the reason otherwise.
bool startToolkit(std::string& why);

}  // namespace platform::ui::qt
