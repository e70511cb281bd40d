// The desktop dialog window: layout from dialog units, controls, keys and
// groups, window state, timers, the notification icon and pop-up menus.
#include "window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "controls.h"
#include "images.h"
#include "layout.h"

namespace platform::ui::qt {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Qt's offscreen platform has no stacking order and warns at each raise.
void raiseWindow(QWidget* w) {
  if (QGuiApplication::platformName() != QStringLiteral("offscreen")) w->raise();
}

bool takesFocus(const QWidget* w) {
  return w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

}  // namespace

// The top-level widget: the window's title-bar requests and keys go to the
// dialog through its QtWindow.
class DialogWidget final : public QWidget {
 public:
  DialogWidget(QtWindow& window, const DialogTemplate& dialog) : window_(window), template_(dialog) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialog.minimiseBox) flags |= Qt::WindowMinimizeButtonHint;
    if (dialog.contextHelp) flags |= Qt::WindowContextHelpButtonHint;
    setWindowFlags(flags);
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    window_.deliver([this] { window_.events_.onClose(); });
  }
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::WindowStateChange && isMinimized()) window_.userMinimised();
    QWidget::changeEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Escape:
        window_.deliver([this] { window_.events_.onCommand(kCommandCancel); });
        return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        return enterPressed();
      case Qt::Key_Up:
      case Qt::Key_Left:
        return moveInGroup(-1);
      case Qt::Key_Down:
      case Qt::Key_Right:
        return moveInGroup(+1);
      default:
        QWidget::keyPressEvent(event);
    }
  }
  void paintEvent(QPaintEvent* event) override {
    QWidget::paintEvent(event);
    window_.painted();
  }

 public:
  // Enter on a focused push button presses it; elsewhere the default
  // button's command, or the OK command without a default button.
  void enterPressed() {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isVisible()) {
      focused->click();
      return;
    }
    for (const auto& c : template_.controls) {
      if (c.kind != ControlKind::DefaultPushButton) continue;
      auto* button = window_.controls_.at(c.id);
      if (button->isVisible() && button->isEnabled())
        window_.deliver([this, id = c.id] { window_.events_.onCommand(id); });
      return;
    }
    window_.deliver([this] { window_.events_.onCommand(kCommandOk); });
  }

  // The arrow keys move the focus to the next or previous control of the
  // focused control's group that can take it, wrapping within the group.
  void moveInGroup(int step) {
    auto& controls = template_.controls;
    int count = static_cast<int>(controls.size());
    int at = -1;
    for (int i = 0; i < count; ++i) {
      auto* w = window_.controls_.at(controls[static_cast<std::size_t>(i)].id);
      if (w == focusWidget() || w->isAncestorOf(focusWidget())) at = i;
    }
    if (at < 0) return;
    int first = at;
    while (first > 0 && !controls[static_cast<std::size_t>(first)].startsGroup) --first;
    int last = at;
    while (last + 1 < count && !controls[static_cast<std::size_t>(last + 1)].startsGroup) ++last;
    int size = last - first + 1;
    for (int n = 1; n < size; ++n) {
      int i = first + ((at - first + step * n) % size + size) % size;
      auto* w = window_.controls_.at(controls[static_cast<std::size_t>(i)].id);
      if (takesFocus(w)) {
        w->setFocus(Qt::TabFocusReason);
        return;
      }
    }
  }

 private:
  QtWindow& window_;
  const DialogTemplate& template_;
};

// Push buttons leave the arrow keys to the dialog's groups.
class DialogButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        event->ignore();
        return;
      default:
        QPushButton::keyPressEvent(event);
    }
  }
};

QtWindow::QtWindow(const DialogTemplate& dialog, WindowEvents& events, Snapshot snapshot)
    : events_(events), widget_(std::make_unique<DialogWidget>(*this, dialog)),
      snapshot_(std::move(snapshot)) {
  build(dialog);
  addSystemMenu(dialog.systemMenu);
}

QtWindow::~QtWindow() {
  for (auto& [id, icon] : icons_) delete icon;
  menu_.reset();
  widget_.reset();
}

QWidget* QtWindow::widget() const { return widget_.get(); }

void QtWindow::makeModalTo(QtWindow& below) {
  // A parent makes the window manager keep it over the one below and
  // centre it there; it stays a window of its own.
  widget_->setParent(below.widget(), widget_->windowFlags());
  widget_->setWindowModality(Qt::WindowModal);
}

void QtWindow::addSystemMenu(const std::vector<MenuItem>& items) {
  if (items.empty()) return;
  widget_->setContextMenuPolicy(Qt::ActionsContextMenu);
  for (const auto& item : items) {
    auto* action = new QAction(fromUtf8(item.text), widget_.get());
    action->setObjectName(QStringLiteral("system-%1").arg(item.commandId));
    QObject::connect(action, &QAction::triggered, widget_.get(), [this, id = item.commandId] {
      deliver([this, id] { events_.onSystemCommand(id); });
    });
    widget_->addAction(action);
  }
}

void QtWindow::build(const DialogTemplate& dialog) {
  auto font = templateFont(dialog);
  auto base = baseUnits(font);
  widget_->setObjectName(QStringLiteral("dialog-%1").arg(dialog.id));
  widget_->setFont(font);
  widget_->setWindowTitle(fromUtf8(dialog.caption));
  widget_->setFixedSize(unitsToPixelsX(dialog.units.width, base),
                        unitsToPixelsY(dialog.units.height, base));
  std::vector<QWidget*> frames;
  for (const auto& c : dialog.controls) {
    QWidget* w = nullptr;
    auto text = fromUtf8(c.text);
    switch (c.kind) {
      case ControlKind::StaticText: {
        auto* label = new StaticControl(widget_.get(), [this, id = c.id] {
          return events_.onControlColour(id);
        });
        label->setText(text);
        w = label;
        break;
      }
      case ControlKind::GroupBox: {
        auto* group = new QGroupBox(text, widget_.get());
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        group->setFocusPolicy(Qt::NoFocus);
        frames.push_back(group);
        w = group;
        break;
      }
      case ControlKind::PushButton:
      case ControlKind::DefaultPushButton: {
        auto* button = new DialogButton(text, widget_.get());
        button->setDefault(c.kind == ControlKind::DefaultPushButton);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, widget_.get(),
                         [this, id = c.id] { deliver([this, id] { events_.onCommand(id); }); });
        w = button;
        break;
      }
      case ControlKind::OwnerDrawnButton: {
        auto* picture = new PictureButton(widget_.get(), [this, id = c.id](Painter& p, const Rect& r) {
          events_.onDrawItem(id, p, r);
        });
        QObject::connect(picture, &QAbstractButton::clicked, widget_.get(),
                         [this, id = c.id] { deliver([this, id] { events_.onCommand(id); }); });
        w = picture;
        break;
      }
      case ControlKind::AddressField: {
        auto* field = new AddressEdit(widget_.get());
        field->setText(c.text);
        w = field;
        break;
      }
    }
    auto pixels = unitsToPixels(c.units, base);
    w->setGeometry(pixels.x, pixels.y, pixels.width, pixels.height);
    w->setObjectName(QString::number(c.id));
    if (c.kind != ControlKind::StaticText && c.kind != ControlKind::GroupBox)
      w->setFocusPolicy(c.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    if (c.kind == ControlKind::StaticText) w->setFocusPolicy(Qt::NoFocus);
    w->setVisible(c.visible);
    w->setEnabled(c.enabled);
    controls_[c.id] = w;
    if (c.tabStop) tabStops_.push_back(w);
  }
  // Frames lie beneath the controls they frame.
  for (auto* frame : frames) frame->lower();
}

void QtWindow::deliver(std::function<void()> event) {
  if (ended_) return;
  if (handling_) {
    waiting_.push_back(std::move(event));
    return;
  }
  handling_ = true;
  event();
  while (!waiting_.empty() && !ended_) {
    auto next = std::move(waiting_.front());
    waiting_.pop_front();
    next();
  }
  waiting_.clear();
  handling_ = false;
}

void QtWindow::holdEvents(const std::function<void()>& nested) {
  if (handling_ || ended_) return nested();
  deliver(nested);
}

void QtWindow::deliverTimer(int id) {
  // One firing waits at most: a timer that fell behind fires once.
  if (!timersWaiting_.insert(id).second) return;
  deliver([this, id] {
    timersWaiting_.erase(id);
    if (timers_.count(id)) events_.onTimer(id);
  });
}

int QtWindow::runModal() {
  if (ended_ || running_) return ended_ ? result_ : -1;
  running_ = true;
  loop_.exec();
  running_ = false;
  return result_;
}

void QtWindow::endDialog(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  for (auto& [id, timer] : timers_) timer->stop();
  if (menu_) menu_->close();
  widget_->hide();
  // exit() takes effect once the running event returns to the loop.
  if (running_) loop_.exit(result);
}

void QtWindow::show(ShowMode mode) {
  if (mode == ShowMode::Hide) {
    // Without a notification icon to bring it back, hiding would lose the
    // window: it goes to the task bar instead.
    if (icons_.empty() && !QSystemTrayIcon::isSystemTrayAvailable()) {
      if (!widget_->isMinimized()) {
        minimisingOurselves_ = true;
        widget_->showMinimized();
        minimisingOurselves_ = false;
      }
      return;
    }
    widget_->hide();
    return;
  }
  if (ended_) return;
  if (!shownOnce_) {
    shownOnce_ = true;
    focusFirstTabStop();
  }
  if (widget_->isMinimized()) {
    widget_->showNormal();
    // What was invalidated while it did not show is painted now.
    invalidate();
  } else {
    widget_->show();
  }
  raiseWindow(widget_.get());
}

void QtWindow::focusFirstTabStop() {
  // As a dialog opens, the first tab stop that can take the focus has it;
  // the window gives it on to that control once it is active.
  for (auto* w : tabStops_) {
    if (w->isVisibleTo(widget_.get()) && w->isEnabled()) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

bool QtWindow::isVisible() const { return widget_->isVisible(); }
bool QtWindow::isMinimised() const { return widget_->isMinimized(); }

void QtWindow::move(Point topLeft) {
  widget_->move(topLeft.x, topLeft.y);
  raiseWindow(widget_.get());
}

void QtWindow::setTopmost(bool topmost) {
  bool now = widget_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  if (now == topmost) return;
  // Changing a window flag hides the window; it comes back where it was.
  bool shown = widget_->isVisible();
  auto at = widget_->pos();
  widget_->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
  widget_->move(at);
  if (shown) widget_->show();
}

void QtWindow::bringToForeground() {
  if (!widget_->isVisible()) return;
  raiseWindow(widget_.get());
  widget_->activateWindow();
}

Size QtWindow::clientSize() const { return {widget_->width(), widget_->height()}; }

bool QtWindow::setIcon(int imageId) {
  auto icon = designedIcon(imageId);
  if (icon.isNull()) return false;
  widget_->setWindowIcon(icon);
  return true;
}

void QtWindow::invalidate() {
  // A window that does not show paints nothing; showing it again paints it
  // whole. (Qt's offscreen platform would paint a minimised window.)
  if (!widget_->isVisible() || widget_->isMinimized()) return;
  widget_->update();
  for (auto& [id, w] : controls_) w->update();
}

void QtWindow::showControl(int id, bool visible) {
  if (auto it = controls_.find(id); it != controls_.end()) it->second->setVisible(visible);
}

void QtWindow::enableControl(int id, bool enabled) {
  if (auto it = controls_.find(id); it != controls_.end()) it->second->setEnabled(enabled);
}

void QtWindow::setControlText(int id, const std::string& text) {
  auto it = controls_.find(id);
  if (it == controls_.end()) return;
  auto* w = it->second;
  if (auto* label = dynamic_cast<StaticControl*>(w)) return label->setText(fromUtf8(text));
  if (auto* button = dynamic_cast<QAbstractButton*>(w)) return button->setText(fromUtf8(text));
  if (auto* group = dynamic_cast<QGroupBox*>(w)) return group->setTitle(fromUtf8(text));
  if (auto* field = dynamic_cast<AddressEdit*>(w)) return field->setText(text);
}

std::string QtWindow::controlText(int id) const {
  auto it = controls_.find(id);
  if (it == controls_.end()) return "";
  auto* w = it->second;
  if (auto* label = dynamic_cast<StaticControl*>(w)) return label->text().toStdString();
  if (auto* button = dynamic_cast<QAbstractButton*>(w)) return button->text().toStdString();
  if (auto* group = dynamic_cast<QGroupBox*>(w)) return group->title().toStdString();
  if (auto* field = dynamic_cast<AddressEdit*>(w)) return field->text();
  return "";
}

void QtWindow::setTimer(int id, std::chrono::milliseconds period) {
  auto& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(widget_.get());
    timer->setTimerType(Qt::CoarseTimer);
    QObject::connect(timer, &QTimer::timeout, widget_.get(), [this, id] { deliverTimer(id); });
  }
  timer->start(static_cast<int>(period.count()));
}

void QtWindow::killTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  delete it->second;
  timers_.erase(it);
}

bool QtWindow::addNotifyIcon(const NotifyIcon& icon) {
  if (icons_.count(icon.id) || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  auto* tray = new QSystemTrayIcon(widget_.get());
  tray->setObjectName(QStringLiteral("icon-%1").arg(icon.id));
  QObject::connect(tray, &QSystemTrayIcon::activated, widget_.get(),
                   [this, id = icon.id](QSystemTrayIcon::ActivationReason reason) {
                     auto send = [this, id](IconMouse first, IconMouse second) {
                       deliver([this, id, first, second] {
                         events_.onNotifyIcon(id, first);
                         if (!ended_) events_.onNotifyIcon(id, second);
                       });
                     };
                     if (reason == QSystemTrayIcon::DoubleClick) {
                       deliver([this, id] { events_.onNotifyIcon(id, IconMouse::LeftDoubleClick); });
                     } else if (reason == QSystemTrayIcon::Trigger) {
                       send(IconMouse::LeftDown, IconMouse::LeftUp);
                     } else if (reason == QSystemTrayIcon::Context) {
                       send(IconMouse::RightDown, IconMouse::RightUp);
                     }
                   });
  icons_[icon.id] = tray;
  modifyNotifyIcon(icon);
  tray->show();
  return true;
}

bool QtWindow::modifyNotifyIcon(const NotifyIcon& icon) {
  auto it = icons_.find(icon.id);
  if (it == icons_.end()) return false;
  if (icon.image) it->second->setIcon(iconFor(*icon.image));
  it->second->setToolTip(fromUtf8(icon.tip));
  return true;
}

bool QtWindow::removeNotifyIcon(int id) {
  auto it = icons_.find(id);
  if (it == icons_.end()) return false;
  it->second->hide();
  it->second->deleteLater();
  icons_.erase(it);
  return true;
}

bool QtWindow::showPopupMenu(const MenuTemplate& menu, Point screen) {
  menu_ = std::make_unique<QMenu>(fromUtf8(menu.title));
  menu_->setObjectName(QStringLiteral("menu-%1").arg(menu.id));
  for (const auto& item : menu.items) {
    auto* action = menu_->addAction(fromUtf8(item.text));
    action->setObjectName(QString::number(item.commandId));
    QObject::connect(action, &QAction::triggered, widget_.get(), [this, id = item.commandId] {
      deliver([this, id] { events_.onCommand(id); });
    });
  }
  menu_->popup(QPoint(screen.x, screen.y));
  return menu_->isVisible();
}

Point QtWindow::cursorPosition() const {
  auto at = QCursor::pos();
  return {at.x(), at.y()};
}

void QtWindow::userMinimised() {
  if (minimisingOurselves_) return;
  deliver([this] { events_.onMinimised(); });
}

void QtWindow::painted() {
  if (!snapshot_.wanted() || snapshotTaken_) return;
  snapshotTaken_ = true;
  // After this paint has finished, so the picture holds every control.
  QTimer::singleShot(0, widget_.get(), [this] {
    clickForSnapshot();
    saveSnapshot();
  });
}

void QtWindow::clickForSnapshot() {
  for (int id : snapshot_.clicks) {
    auto* button = dynamic_cast<QAbstractButton*>(controls_.count(id) ? controls_.at(id) : nullptr);
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
      std::fprintf(stderr, "snapshot: control %d is no button that can be clicked now\n", id);
      continue;
    }
    button->click();
    if (ended_) return;
  }
}

void QtWindow::saveSnapshot() {
  if (ended_) return;
  auto picture = widget_->grab();
  if (!picture.save(QString::fromStdString(snapshot_.file), "PNG"))
    std::fprintf(stderr, "the window picture cannot be saved to %s\n", snapshot_.file.c_str());
  deliver([this] { endDialog(-1); });
}

}  // namespace platform::ui::qt
