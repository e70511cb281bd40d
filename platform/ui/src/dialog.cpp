// The framework's dialog: life cycle and forwarding to the host window.
#include "ui/dialog.h"

namespace platform::ui {

Dialog::Dialog(const DialogTemplate& dialogTemplate, Host& host)
    : template_(dialogTemplate), host_(host) {}

Dialog::~Dialog() {
  // A derived dialog is already gone here, so its onDestroy cannot run;
  // a program that needs it calls destroyWindow itself.
  window_.reset();
}

bool Dialog::create() {
  if (window_) return false;
  ended_ = false;
  result_ = -1;
  window_ = host_.createWindow(template_, *this);
  if (!window_) return false;
  onInitDialog();
  if (!ended_) window_->show(ShowMode::Normal);
  return true;
}

int Dialog::doModal() {
  if (!create()) return -1;
  int result = window_->runModal();
  destroyWindow();
  return result;
}

void Dialog::destroyWindow() {
  if (!window_) return;
  onDestroy();
  window_.reset();
}

void Dialog::onCommand(int id) {
  if (id == kCommandOk) return onOk();
  if (id == kCommandCancel) return onCancel();
  onControlCommand(id);
}

void Dialog::endDialog(int result) {
  if (!window_) return;
  ended_ = true;
  result_ = result;
  window_->endDialog(result);
}

void Dialog::postQuit() {
  if (!window_) return;
  ended_ = true;
  result_ = -1;
  window_->postQuit();
}

void Dialog::showWindow(ShowMode mode) {
  if (window_) window_->show(mode);
}
bool Dialog::isVisible() const { return window_ && window_->isVisible(); }
bool Dialog::isMinimised() const { return window_ && window_->isMinimised(); }
void Dialog::moveWindow(Point topLeft) {
  if (window_) window_->move(topLeft);
}
void Dialog::setTopmost(bool topmost) {
  if (window_) window_->setTopmost(topmost);
}
void Dialog::bringToForeground() {
  if (window_) window_->bringToForeground();
}
bool Dialog::setIcon(int imageId) { return window_ && window_->setIcon(imageId); }
Size Dialog::clientSize() const { return window_ ? window_->clientSize() : Size{}; }
void Dialog::invalidate() {
  if (window_) window_->invalidate();
}

void Dialog::showControl(int id, bool visible) {
  if (window_) window_->showControl(id, visible);
}
void Dialog::enableControl(int id, bool enabled) {
  if (window_) window_->enableControl(id, enabled);
}
void Dialog::setItemText(int id, const std::string& text) {
  if (window_) window_->setControlText(id, text);
}
void Dialog::setItemNumber(int id, unsigned value) { setItemText(id, std::to_string(value)); }
std::string Dialog::itemText(int id) const { return window_ ? window_->controlText(id) : ""; }

void Dialog::setTimer(int id, std::chrono::milliseconds period) {
  if (window_) window_->setTimer(id, period);
}
void Dialog::killTimer(int id) {
  if (window_) window_->killTimer(id);
}
bool Dialog::addNotifyIcon(const NotifyIcon& icon) {
  return window_ && window_->addNotifyIcon(icon);
}
bool Dialog::removeNotifyIcon(int id) { return window_ && window_->removeNotifyIcon(id); }
bool Dialog::showPopupMenu(const MenuTemplate& menu, Point screen) {
  return window_ && window_->showPopupMenu(menu, screen);
}
Point Dialog::cursorPosition() const { return window_ ? window_->cursorPosition() : Point{}; }

}  // namespace platform::ui
