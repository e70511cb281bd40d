// The real clock, the fake's arithmetic and the repeating timer.
#include "base/clock.h"

#include <thread>

#include "base/fake_clock.h"

namespace platform::base {

namespace {

class SystemClock final : public Clock {
 public:
  SteadyTime now() const override { return std::chrono::steady_clock::now(); }
  void sleepFor(std::chrono::milliseconds pause) override {
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
  }
  WallTime wallNow() const override { return std::chrono::system_clock::now(); }
};

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

void FakeClock::sleepFor(std::chrono::milliseconds pause) {
  if (pause.count() <= 0) return;
  advance(pause);
  slept_ += pause;
}

void FakeClock::advance(std::chrono::milliseconds step) {
  if (step.count() <= 0) return;
  elapsed_ += step;
  wall_ += step;
}

RepeatingTimer::RepeatingTimer(const Clock& clock, std::chrono::milliseconds period)
    : clock_(clock), period_(period.count() > 0 ? period : std::chrono::milliseconds(1)),
      next_(clock.now() + period_) {}

bool RepeatingTimer::fireIfDue() {
  auto now = clock_.now();
  if (now < next_) return false;
  auto missed = (now - next_) / period_;
  next_ += period_ * (missed + 1);
  return true;
}

}  // namespace platform::base
