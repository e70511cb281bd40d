// The headless dialog host: a complete host without a screen, for tests and
// for machines without a display. It keeps every control's state, takes its
// events as text lines (from a descriptor, or handed to dispatch() by a
// test) and writes every visible change as one text line. The README's
// section on the headless host documents both line forms for people.
//
// Input lines (words separated by blanks; empty lines and lines starting
// with "#" are skipped):
//   tick [N]        driven ticks only: N times (default 1), move the clock to
//                   the earliest timer deadline and fire the due timers
//   click ID        click push button or owner-drawn button ID
//   key esc|enter   Esc sends the cancel command; Enter the default button's
//                   command (the OK command without a default button)
//   type ID A.B.C.D what the user types into address field ID: four dotted
//                   parts, each 0-255 or empty for a blank octet; a part the
//                   field refuses (256, or no number) refuses the line
//   close           the title bar's close button
//   sysmenu ID      pick item ID that the template adds to the system menu
//   minimise        the title bar's minimise button
//   icon dblclick|click|rclick [ID]   mouse on the notification icon (ID:
//                   the only icon when left out); click is a left press and
//                   release, rclick a right press and release
//   answer yes|no   the answer to a later Yes/No box: each box takes the
//                   oldest answer given, and a box with none left is
//                   answered No
//   pick ID         choose item ID of the open pop-up menu
//   dismiss         close the open pop-up menu without a choice
//   dump            write the whole state: window, every control, icon
//   sync [TOKEN]    write "sync TOKEN": everything before it has been handled
// A user can reach only what shows: clicks, keys, typing, sysmenu, close and
// minimise need the window shown, a click or typing needs the control shown
// and enabled. Any input but tick, answer, pick, dismiss, dump and sync
// first closes an open menu, as a click elsewhere does. A refused line writes "error ...". At the end of
// the input, with driven ticks nothing can happen any more and the run ends
// (result -1); with real-clock ticks the window runs on, on its timers.
//
// Output lines, written after each input line and each timer firing for
// what changed, in this order (TEXT is in double quotes with \\, \", \r,
// \n, \t and \xHH escapes):
//   dialog ID TEXT WIDTHxHEIGHT   a window was made (client pixels)
//   window shown|hidden|minimised
//   position X Y                  outer top left corner, screen pixels
//   topmost on|off
//   control ID shown|hidden
//   control ID enabled|disabled
//   text ID TEXT
//   colour ID R G B               text colour a static control paints with
//   picture ID IMAGE X Y W H      what an owner-drawn control painted
//   picture ID none
//   icon added ID TEXT | icon changed ID TEXT | icon removed ID
//   menu open X Y (ID TEXT)...    | menu closed
//   message error|warning|plain TEXT TEXT   a message box (caption, text;
//                                 plain: no icon)
//   message question TEXT TEXT    a Yes/No box (caption, text), followed by
//   answered yes|no               the answer it took
//   end RESULT                    the modal run ended (-1 after a quit)
//   sync TOKEN | error WHAT
// Painting happens while the window shows, after an event that invalidated
// the window or showed it.
//
// Screen: 1920 x 1080 pixels with a 40-pixel taskbar at the bottom; the
// cursor rests at 1880, 1060, over the notification area. A window may have
// one modal window over it (an about box): input lines and message boxes go
// to the top window, and the one below takes the input again once the top
// one is destroyed. The host has a notification area and no images of its own:
// setIcon records the id asked for and reports false.
#pragma once

#include <deque>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/fake_clock.h"
#include "ui/host.h"

namespace platform::ui {

struct HeadlessOptions {
  // Where input lines come from during runModal; -1 for none (a test then
  // hands lines to dispatch()).
  int inputFd = -1;
  // Where output lines go; nullptr for standard output.
  std::ostream* out = nullptr;
  // The clock of real-clock ticks; nullptr for base::systemClock().
  base::Clock* clock = nullptr;
  // When set, timers run on this clock and only "tick" lines move it.
  base::FakeClock* drivenClock = nullptr;
};

struct HeadlessControl {
  int id = 0;
  ControlKind kind = ControlKind::StaticText;
  Rect pixels;
  std::string text;
  bool visible = true;
  bool enabled = true;
  std::optional<Rgb> colour;  // static controls, after a painting
  std::string picture;        // owner-drawn controls: "IMAGE X Y W H" or "none"
  friend bool operator==(const HeadlessControl&, const HeadlessControl&) = default;
};

struct HeadlessIcon {
  int id = 0;
  int imageId = 0;
  std::string tip;
  friend bool operator==(const HeadlessIcon&, const HeadlessIcon&) = default;
};

struct HeadlessState {
  bool visible = false;
  bool minimised = false;
  bool topmost = false;
  int iconId = 0;  // the window icon asked for with setIcon
  Point position;
  std::vector<HeadlessControl> controls;  // template order
  std::vector<HeadlessIcon> icons;
  std::optional<MenuTemplate> menu;  // the open pop-up menu
  Point menuAt;
  bool ended = false;
  int result = -1;

  const HeadlessControl* control(int id) const;
};

class HeadlessHost final : public Host {
 public:
  explicit HeadlessHost(HeadlessOptions options = {});
  ~HeadlessHost() override;

  std::unique_ptr<HostWindow> createWindow(const DialogTemplate& dialog,
                                           WindowEvents& events) override;
  ScreenMetrics screen() const override;
  void show(const MessageBoxRequest& request) override;
  bool ask(const MessageBoxRequest& request) override;

  // Handles one input line as if it had arrived on the input, then paints
  // and writes what changed. False when the line was refused.
  bool dispatch(std::string_view line);
  // Paints and writes what changed since the last lines (a test calls it
  // after Dialog::create).
  void flush();
  // The top window's state; nullptr while none is open.
  const HeadlessState* state() const;

  class Window;

 private:
  friend class Window;
  HeadlessOptions options_;
  Window* window_ = nullptr;  // the top window, which takes the input
  Window* below_ = nullptr;   // the window under a modal one, if any
  std::string pending_;       // input read but not yet handled
  bool inputEnded_ = false;
  std::deque<bool> answers_;  // of "answer" lines, oldest first
};

// The host QZ3317VT_UI=headless selects: input from standard input, lines
// on standard output, ticks from the real clock unless QZ3317VT_UI_TICKS is
// "driven".
std::unique_ptr<Host> makeProcessHeadlessHost();

}  // namespace platform::ui
