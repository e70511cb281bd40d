// The clock every wait and timer of the programs runs on: monotonic time,
// sleeping, the local wall time for daily rules, and a repeating timer.
//
// systemClock() is the real one. FakeClock (base/fake_clock.h) is a complete
// stand-in whose time moves only when told to, so tests never wait out a
// real limit or a real timer.
#pragma once

#include <chrono>

namespace platform::base {

using SteadyTime = std::chrono::steady_clock::time_point;
using WallTime = std::chrono::system_clock::time_point;

class Clock {
 public:
  virtual ~Clock() = default;

  // Monotonic time; never goes back, unrelated to the calendar.
  virtual SteadyTime now() const = 0;

  // Returns once `pause` has passed on this clock (at once for a zero or
  // negative pause). The real clock blocks the thread; a fake one advances.
  virtual void sleepFor(std::chrono::milliseconds pause) = 0;

  // The calendar time, for rules that go by the local date.
  virtual WallTime wallNow() const = 0;
};

// The process's real clock (steady_clock, system_clock, nanosleep).
Clock& systemClock();

// A timer that is due every `period` from the moment it is started. Missed
// periods are not queued: however late it is asked, a due timer fires once
// and its next deadline is the first period boundary after now, as a
// window's timer message coalesces.
class RepeatingTimer {
 public:
  RepeatingTimer(const Clock& clock, std::chrono::milliseconds period);

  // True when a deadline has passed since the last firing; moves the next
  // deadline past now.
  bool fireIfDue();

  // The next deadline; a host sleeps until the earliest of its timers.
  SteadyTime nextDue() const { return next_; }

 private:
  const Clock& clock_;
  std::chrono::milliseconds period_;
  SteadyTime next_;
};

}  // namespace platform::base
