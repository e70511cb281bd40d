// A clock for tests and scripted runs: time stands still until advance() or
// sleepFor() moves it, and the wall time is whatever was set.
#pragma once

#include <chrono>

#include "base/clock.h"

namespace platform::base {

class FakeClock final : public Clock {
 public:
  // Starts at an arbitrary steady time and at `wall` on the calendar.
  explicit FakeClock(WallTime wall = WallTime{}) : wall_(wall) {}

  SteadyTime now() const override { return SteadyTime{} + elapsed_; }
  // Advances both times by the pause, and counts it.
  void sleepFor(std::chrono::milliseconds pause) override;
  WallTime wallNow() const override { return wall_; }

  // Moves both times forward without counting a sleep.
  void advance(std::chrono::milliseconds step);
  void setWallNow(WallTime wall) { wall_ = wall; }

  // The sum of every pause slept on this clock.
  std::chrono::milliseconds slept() const { return slept_; }

 private:
  std::chrono::steady_clock::duration elapsed_{};
  WallTime wall_;
  std::chrono::milliseconds slept_{0};
};

}  // namespace platform::base
