// The headless host: window state, painting, the line protocol and the
// event loop on a descriptor and a clock.
#include "ui/headless_host.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>

#include "common/address_text.h"
#include "common/box_report.h"
#include "headless/line_format.h"

namespace platform::ui {

using headless::number;
using headless::quote;
using headless::words;

namespace {

constexpr Size kScreen{1920, 1080};
constexpr int kTaskbarHeight = 40;
constexpr Point kCursor{1880, 1060};

// What a control holds after a text was set: address fields keep their
// dotted rendering.
std::string controlTextOf(ControlKind kind, const std::string& text) {
  return kind == ControlKind::AddressField ? addressText(addressFields(text)) : text;
}

bool isButton(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::DefaultPushButton ||
         kind == ControlKind::OwnerDrawnButton;
}

// Records what a paint request drew; the last image drawn is the picture.
class RecordingPainter final : public Painter {
 public:
  void drawImage(const Image& image, const Rect& target) override {
    picture = std::to_string(image.id) + " " + std::to_string(target.x) + " " +
              std::to_string(target.y) + " " + std::to_string(target.width) + " " +
              std::to_string(target.height);
  }
  std::string picture = "none";
};

std::string windowLine(const HeadlessState& s) {
  return !s.visible ? "window hidden" : s.minimised ? "window minimised" : "window shown";
}

std::string colourText(const std::optional<Rgb>& colour) {
  if (!colour) return "default";
  return std::to_string(colour->red) + " " + std::to_string(colour->green) + " " +
         std::to_string(colour->blue);
}

// The lines that take `before` to `after`; with `before` empty, every line.
std::vector<std::string> differences(const HeadlessState* before, const HeadlessState& after) {
  std::vector<std::string> lines;
  auto changed = [&](auto member) { return !before || before->*member != after.*member; };
  if (changed(&HeadlessState::visible) || changed(&HeadlessState::minimised))
    lines.push_back(windowLine(after));
  if (changed(&HeadlessState::position))
    lines.push_back("position " + std::to_string(after.position.x) + " " +
                    std::to_string(after.position.y));
  if (changed(&HeadlessState::topmost))
    lines.push_back(std::string("topmost ") + (after.topmost ? "on" : "off"));
  for (std::size_t i = 0; i < after.controls.size(); ++i) {
    const auto& c = after.controls[i];
    const HeadlessControl* old = before ? &before->controls[i] : nullptr;
    auto id = std::to_string(c.id);
    if (!old || old->visible != c.visible)
      lines.push_back("control " + id + (c.visible ? " shown" : " hidden"));
    if (!old || old->enabled != c.enabled)
      lines.push_back("control " + id + (c.enabled ? " enabled" : " disabled"));
    if (!old || old->text != c.text) lines.push_back("text " + id + " " + quote(c.text));
    if ((!old && c.colour) || (old && old->colour != c.colour))
      lines.push_back("colour " + id + " " + colourText(c.colour));
    if ((!old && !c.picture.empty()) || (old && old->picture != c.picture))
      lines.push_back("picture " + id + " " + c.picture);
  }
  for (const auto& icon : after.icons) {
    auto was = before ? std::find_if(before->icons.begin(), before->icons.end(),
                                     [&](const auto& i) { return i.id == icon.id; })
                      : after.icons.end();
    bool existed = before && was != before->icons.end();
    if (!existed) {
      lines.push_back("icon added " + std::to_string(icon.id) + " " + quote(icon.tip));
    } else if (!(*was == icon)) {
      lines.push_back("icon changed " + std::to_string(icon.id) + " " + quote(icon.tip));
    }
  }
  if (before) {
    for (const auto& icon : before->icons) {
      bool stays = std::any_of(after.icons.begin(), after.icons.end(),
                               [&](const auto& i) { return i.id == icon.id; });
      if (!stays) lines.push_back("icon removed " + std::to_string(icon.id));
    }
  }
  bool menuWas = before && before->menu.has_value();
  if (after.menu && !menuWas) {
    std::string line = "menu open " + std::to_string(after.menuAt.x) + " " +
                       std::to_string(after.menuAt.y);
    for (const auto& item : after.menu->items)
      line += " " + std::to_string(item.commandId) + " " + quote(item.text);
    lines.push_back(line);
  } else if (!after.menu && menuWas) {
    lines.push_back("menu closed");
  }
  if (after.ended && (!before || !before->ended))
    lines.push_back("end " + std::to_string(after.result));
  return lines;
}

}  // namespace

const HeadlessControl* HeadlessState::control(int id) const {
  for (const auto& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

class HeadlessHost::Window final : public HostWindow {
 public:
  Window(HeadlessHost& host, const DialogTemplate& dialog, WindowEvents& events)
      : host_(host), template_(dialog), events_(events) {
    client_ = {unitsToPixelsX(dialog.units.width), unitsToPixelsY(dialog.units.height)};
    auto metrics = host.screen();
    state_.position = {(metrics.workArea.width - client_.width) / 2,
                       (metrics.workArea.height - client_.height) / 2};
    for (const auto& c : dialog.controls)
      state_.controls.push_back({c.id, c.kind, unitsToPixels(c.units), controlTextOf(c.kind, c.text),
                                 c.visible, c.enabled, std::nullopt,
                                 c.kind == ControlKind::OwnerDrawnButton ? "none" : ""});
    write("dialog " + std::to_string(dialog.id) + " " + quote(dialog.caption) + " " +
          std::to_string(client_.width) + "x" + std::to_string(client_.height));
    printed_ = state_;
    printedOnce_ = true;
  }
  ~Window() override {
    flush();
    host_.window_ = below_;
    host_.below_ = nullptr;
  }
  Window* below_ = nullptr;  // the window this one is modal to

  const HeadlessState& state() const { return state_; }
  bool finished() const { return state_.ended; }

  // Paints what needs it, then writes the lines of every change.
  void flush() {
    paint();
    for (const auto& line : differences(printedOnce_ ? &printed_ : nullptr, state_)) write(line);
    printed_ = state_;
    printedOnce_ = true;
  }

  void write(const std::string& line) {
    out() << line << '\n';
    out().flush();
  }

  // One input line; false when refused.
  bool handle(std::string_view line);
  void fireDueTimers();
  int loop();

  // HostWindow.
  int runModal() override { return loop(); }
  void endDialog(int result) override {
    state_.visible = false;
    state_.menu.reset();
    state_.ended = true;
    state_.result = result;
  }
  void postQuit() override { endDialog(-1); }
  void show(ShowMode mode) override {
    if (mode == ShowMode::Hide) {
      state_.visible = false;
      return;
    }
    if (!state_.visible || state_.minimised) needsPaint_ = true;
    state_.visible = true;
    state_.minimised = false;
  }
  bool isVisible() const override { return state_.visible; }
  bool isMinimised() const override { return state_.minimised; }
  void move(Point topLeft) override { state_.position = topLeft; }
  void setTopmost(bool topmost) override { state_.topmost = topmost; }
  void bringToForeground() override {}
  Size clientSize() const override { return client_; }
  bool setIcon(int imageId) override {
    state_.iconId = imageId;
    return false;
  }
  void invalidate() override { needsPaint_ = true; }
  void showControl(int id, bool visible) override {
    if (auto* c = control(id)) {
      if (visible && !c->visible) needsPaint_ = true;
      c->visible = visible;
    }
  }
  void enableControl(int id, bool enabled) override {
    if (auto* c = control(id)) c->enabled = enabled;
  }
  void setControlText(int id, const std::string& text) override {
    if (auto* c = control(id)) c->text = controlTextOf(c->kind, text);
  }
  std::string controlText(int id) const override {
    auto* c = state_.control(id);
    return c ? c->text : "";
  }
  void setTimer(int id, std::chrono::milliseconds period) override {
    timers_.erase(id);
    timers_.emplace(id, base::RepeatingTimer(timerClock(), period));
  }
  void killTimer(int id) override { timers_.erase(id); }
  bool addNotifyIcon(const NotifyIcon& icon) override {
    if (findIcon(icon.id) != state_.icons.end()) return false;
    state_.icons.push_back({icon.id, icon.image ? icon.image->id : 0, icon.tip});
    return true;
  }
  bool modifyNotifyIcon(const NotifyIcon& icon) override {
    auto it = findIcon(icon.id);
    if (it == state_.icons.end()) return false;
    *it = {icon.id, icon.image ? icon.image->id : 0, icon.tip};
    return true;
  }
  bool removeNotifyIcon(int id) override {
    auto it = findIcon(id);
    if (it == state_.icons.end()) return false;
    state_.icons.erase(it);
    return true;
  }
  bool showPopupMenu(const MenuTemplate& menu, Point screen) override {
    state_.menu = menu;
    state_.menuAt = screen;
    return true;
  }
  Point cursorPosition() const override { return kCursor; }

 private:
  std::ostream& out() { return host_.options_.out ? *host_.options_.out : std::cout; }
  base::Clock& timerClock() const {
    if (host_.options_.drivenClock) return *host_.options_.drivenClock;
    return host_.options_.clock ? *host_.options_.clock : base::systemClock();
  }
  HeadlessControl* control(int id) {
    for (auto& c : state_.controls)
      if (c.id == id) return &c;
    return nullptr;
  }
  std::vector<HeadlessIcon>::iterator findIcon(int id) {
    return std::find_if(state_.icons.begin(), state_.icons.end(),
                        [&](const auto& i) { return i.id == id; });
  }

  void paint() {
    if (!needsPaint_ || !state_.visible || state_.minimised || state_.ended) return;
    needsPaint_ = false;
    for (auto& c : state_.controls) {
      if (!c.visible) continue;
      if (c.kind == ControlKind::OwnerDrawnButton) {
        RecordingPainter painter;
        events_.onDrawItem(c.id, painter, {0, 0, c.pixels.width, c.pixels.height});
        c.picture = painter.picture;
      } else if (c.kind == ControlKind::StaticText) {
        c.colour = events_.onControlColour(c.id);
      }
    }
  }

  bool refuse(const std::string& why) {
    write("error " + why);
    return false;
  }
  bool handleTick(const std::vector<std::string_view>& w);
  bool handleClick(const std::vector<std::string_view>& w);
  bool handleKey(const std::vector<std::string_view>& w);
  bool handleType(const std::vector<std::string_view>& w);
  bool handleSystemMenu(const std::vector<std::string_view>& w);
  bool handleAnswer(const std::vector<std::string_view>& w);
  bool handleIcon(const std::vector<std::string_view>& w);
  bool handlePick(const std::vector<std::string_view>& w);
  void dump();

  HeadlessHost& host_;
  const DialogTemplate& template_;
  WindowEvents& events_;
  Size client_;
  HeadlessState state_;
  HeadlessState printed_;
  bool printedOnce_ = false;
  bool needsPaint_ = false;
  std::map<int, base::RepeatingTimer> timers_;
};

bool HeadlessHost::Window::handle(std::string_view line) {
  auto w = words(line);
  if (w.empty() || w[0].front() == '#') return true;
  if (state_.ended) return refuse("the window has ended");
  const auto& verb = w[0];
  if (verb == "sync") {
    write("sync" + (w.size() > 1 ? " " + std::string(w[1]) : std::string()));
    return true;
  }
  if (verb == "dump") {
    dump();
    return true;
  }
  if (verb == "tick") return handleTick(w);
  if (verb == "pick") return handlePick(w);
  if (verb == "answer") return handleAnswer(w);
  if (verb == "dismiss") {
    if (!state_.menu) return refuse("dismiss: no menu is open");
    state_.menu.reset();
    return true;
  }
  // Anything else is a click elsewhere for an open menu.
  state_.menu.reset();
  if (verb == "icon") return handleIcon(w);
  if (verb != "click" && verb != "key" && verb != "type" && verb != "sysmenu" && verb != "close" &&
      verb != "minimise")
    return refuse("unknown input: " + std::string(line));
  if (!state_.visible || state_.minimised)
    return refuse(std::string(verb) + ": the window is not shown");
  if (verb == "click") return handleClick(w);
  if (verb == "key") return handleKey(w);
  if (verb == "type") return handleType(w);
  if (verb == "sysmenu") return handleSystemMenu(w);
  if (verb == "close") {
    events_.onClose();
    return true;
  }
  if (!template_.minimiseBox) return refuse("minimise: the window has no minimise box");
  state_.minimised = true;
  events_.onMinimised();
  return true;
}

bool HeadlessHost::Window::handleTick(const std::vector<std::string_view>& w) {
  auto* clock = host_.options_.drivenClock;
  if (!clock) return refuse("tick: the real clock drives the timers");
  int times = w.size() > 1 ? number(w[1]).value_or(0) : 1;
  if (times < 1) return refuse("tick: a count of 1 or more");
  for (int i = 0; i < times && !state_.ended; ++i) {
    if (timers_.empty()) return refuse("tick: no timer runs");
    auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
                  return a.second.nextDue() < b.second.nextDue();
                })->second.nextDue();
    auto step = std::chrono::ceil<std::chrono::milliseconds>(next - clock->now());
    clock->advance(step);
    fireDueTimers();
  }
  return true;
}

bool HeadlessHost::Window::handleClick(const std::vector<std::string_view>& w) {
  auto id = w.size() > 1 ? number(w[1]) : std::nullopt;
  auto* c = id ? control(*id) : nullptr;
  if (!c || !isButton(c->kind)) return refuse("click: no button " + std::string(w.size() > 1 ? w[1] : ""));
  if (!c->visible) return refuse("click: control " + std::to_string(*id) + " is hidden");
  if (!c->enabled) return refuse("click: control " + std::to_string(*id) + " is disabled");
  events_.onCommand(*id);
  return true;
}

bool HeadlessHost::Window::handleKey(const std::vector<std::string_view>& w) {
  auto key = w.size() > 1 ? w[1] : "";
  if (key == "esc") {
    events_.onCommand(kCommandCancel);
    return true;
  }
  if (key != "enter") return refuse("key: esc or enter");
  for (const auto& c : state_.controls) {
    if (c.kind != ControlKind::DefaultPushButton) continue;
    if (c.visible && c.enabled) events_.onCommand(c.id);
    return true;
  }
  events_.onCommand(kCommandOk);
  return true;
}

bool HeadlessHost::Window::handleType(const std::vector<std::string_view>& w) {
  auto id = w.size() > 1 ? number(w[1]) : std::nullopt;
  auto* c = id ? control(*id) : nullptr;
  if (!c || c->kind != ControlKind::AddressField)
    return refuse("type: no address field " + std::string(w.size() > 1 ? w[1] : ""));
  if (!c->visible || !c->enabled)
    return refuse("type: control " + std::to_string(*id) + " is hidden or disabled");
  std::string_view typed = w.size() > 2 ? w[2] : "";
  AddressFields fields{};
  for (auto& field : fields) {
    auto dot = typed.find('.');
    if (!typedOctet(typed.substr(0, dot), field))
      return refuse("type: the field refuses \"" + std::string(typed.substr(0, dot)) + "\"");
    if (dot == std::string_view::npos) break;
    typed.remove_prefix(dot + 1);
    if (&field == &fields.back()) return refuse("type: an address has four parts");
  }
  c->text = addressText(fields);
  return true;
}

bool HeadlessHost::Window::handleSystemMenu(const std::vector<std::string_view>& w) {
  auto id = w.size() > 1 ? number(w[1]) : std::nullopt;
  const auto& items = template_.systemMenu;
  bool listed = id && std::any_of(items.begin(), items.end(),
                                  [&](const auto& item) { return item.commandId == *id; });
  if (!listed)
    return refuse("sysmenu: the system menu has no item " + std::string(w.size() > 1 ? w[1] : ""));
  events_.onSystemCommand(*id);
  return true;
}

bool HeadlessHost::Window::handleAnswer(const std::vector<std::string_view>& w) {
  auto what = w.size() > 1 ? w[1] : "";
  if (what != "yes" && what != "no") return refuse("answer: yes or no");
  host_.answers_.push_back(what == "yes");
  return true;
}

bool HeadlessHost::Window::handleIcon(const std::vector<std::string_view>& w) {
  if (state_.icons.empty()) return refuse("icon: no icon is shown");
  int id = state_.icons.front().id;
  if (w.size() > 2) {
    auto given = number(w[2]);
    if (!given || findIcon(*given) == state_.icons.end()) return refuse("icon: no icon " + std::string(w[2]));
    id = *given;
  }
  auto what = w.size() > 1 ? w[1] : "";
  if (what == "dblclick") {
    events_.onNotifyIcon(id, IconMouse::LeftDoubleClick);
  } else if (what == "click") {
    events_.onNotifyIcon(id, IconMouse::LeftDown);
    if (!state_.ended) events_.onNotifyIcon(id, IconMouse::LeftUp);
  } else if (what == "rclick") {
    events_.onNotifyIcon(id, IconMouse::RightDown);
    if (!state_.ended) events_.onNotifyIcon(id, IconMouse::RightUp);
  } else {
    return refuse("icon: dblclick, click or rclick");
  }
  return true;
}

bool HeadlessHost::Window::handlePick(const std::vector<std::string_view>& w) {
  if (!state_.menu) return refuse("pick: no menu is open");
  auto id = w.size() > 1 ? number(w[1]) : std::nullopt;
  const auto& items = state_.menu->items;
  bool listed = id && std::any_of(items.begin(), items.end(),
                                  [&](const auto& item) { return item.commandId == *id; });
  if (!listed) return refuse("pick: the menu has no item " + std::string(w.size() > 1 ? w[1] : ""));
  state_.menu.reset();
  events_.onCommand(*id);
  return true;
}

void HeadlessHost::Window::dump() {
  paint();
  for (const auto& line : differences(nullptr, state_)) write(line);
}

void HeadlessHost::Window::fireDueTimers() {
  std::vector<int> due;
  for (auto& [id, timer] : timers_)
    if (timer.fireIfDue()) due.push_back(id);
  for (int id : due) {
    // A handler may stop a timer or end the window before the next one.
    if (state_.ended || !timers_.count(id)) continue;
    events_.onTimer(id);
  }
  flush();
}

int HeadlessHost::Window::loop() {
  flush();
  bool driven = host_.options_.drivenClock != nullptr;
  // A modal window over this one may read input first and leave lines for
  // this one: the input's state belongs to the host.
  int fd = host_.inputEnded_ ? -1 : host_.options_.inputFd;
  std::string& pending = host_.pending_;
  while (!state_.ended) {
    int timeout = -1;
    if (!driven && !timers_.empty()) {
      auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
                    return a.second.nextDue() < b.second.nextDue();
                  })->second.nextDue();
      auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - timerClock().now());
      timeout = static_cast<int>(std::max<long long>(0, wait.count()));
    }
    if (auto queued = pending.find('\n'); queued != std::string::npos) {
      auto line = pending.substr(0, queued);
      pending.erase(0, queued + 1);
      handle(line);
      flush();
    } else if (fd < 0) {
      // No input left: only timers can act, and only on the real clock.
      if (driven || timeout < 0) {
        endDialog(-1);
        break;
      }
      timerClock().sleepFor(std::chrono::milliseconds(timeout));
    } else {
      pollfd p{fd, POLLIN, 0};
      int ready = ::poll(&p, 1, timeout);
      if (ready < 0 && errno != EINTR) fd = -1;
      if (ready > 0) {
        char buffer[4096];
        auto n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
          fd = -1;
          host_.inputEnded_ = true;
        } else {
          pending.append(buffer, static_cast<std::size_t>(n));
        }
        std::size_t nl;
        while (!state_.ended && (nl = pending.find('\n')) != std::string::npos) {
          auto line = pending.substr(0, nl);
          pending.erase(0, nl + 1);
          handle(line);
          flush();
        }
      }
    }
    if (!driven && !state_.ended) fireDueTimers();
  }
  flush();
  return state_.result;
}

HeadlessHost::HeadlessHost(HeadlessOptions options) : options_(options) {}

HeadlessHost::~HeadlessHost() = default;

std::unique_ptr<HostWindow> HeadlessHost::createWindow(const DialogTemplate& dialog,
                                                       WindowEvents& events) {
  if (below_) return nullptr;
  auto window = std::make_unique<Window>(*this, dialog, events);
  window->below_ = window_;
  below_ = window_;
  window_ = window.get();
  return window;
}

ScreenMetrics HeadlessHost::screen() const {
  return {kScreen, kScreen.height, {0, 0, kScreen.width, kScreen.height - kTaskbarHeight}};
}

void HeadlessHost::show(const MessageBoxRequest& request) {
  const char* kind = iconWord(request.icon);
  if (window_) {
    window_->write(std::string("message ") + kind + " " + quote(request.caption) + " " +
                   quote(request.text));
    return;
  }
  reportBox(request);
}

bool HeadlessHost::ask(const MessageBoxRequest& request) {
  if (!window_) {
    // Without a window no one can answer: the box closes unanswered.
    reportQuestion(request);
    return false;
  }
  window_->write("message question " + quote(request.caption) + " " + quote(request.text));
  bool yes = !answers_.empty() && answers_.front();
  if (!answers_.empty()) answers_.pop_front();
  window_->write(std::string("answered ") + (yes ? "yes" : "no"));
  return yes;
}

bool HeadlessHost::dispatch(std::string_view line) {
  if (!window_) return false;
  bool handled = window_->handle(line);
  if (window_) window_->flush();
  return handled;
}

void HeadlessHost::flush() {
  if (window_) window_->flush();
}

const HeadlessState* HeadlessHost::state() const { return window_ ? &window_->state() : nullptr; }

std::unique_ptr<Host> makeProcessHeadlessHost() {
  class ProcessHeadlessHost final : public Host {
   public:
    ProcessHeadlessHost() {
      const char* ticks = std::getenv("QZ3317VT_UI_TICKS");
      HeadlessOptions options;
      options.inputFd = STDIN_FILENO;
      if (ticks && std::string_view(ticks) == "driven") options.drivenClock = &clock_;
      host_ = std::make_unique<HeadlessHost>(options);
    }
    std::unique_ptr<HostWindow> createWindow(const DialogTemplate& d, WindowEvents& e) override {
      return host_->createWindow(d, e);
    }
    ScreenMetrics screen() const override { return host_->screen(); }
    void show(const MessageBoxRequest& request) override { host_->show(request); }
    bool ask(const MessageBoxRequest& request) override { return host_->ask(request); }

   private:
    base::FakeClock clock_;
    std::unique_ptr<HeadlessHost> host_;
  };
  return std::make_unique<ProcessHeadlessHost>();
}

}  // namespace platform::ui
