// The fake clock and the repeating timer.
#include <gtest/gtest.h>

#include "base/clock.h"
#include "base/fake_clock.h"

namespace {

using namespace std::chrono_literals;
using platform::base::FakeClock;
using platform::base::RepeatingTimer;

TEST(FakeClock, SleepAdvancesBothTimesAndIsCounted) {
  FakeClock clock(platform::base::WallTime{} + 24h);
  auto start = clock.now();
  clock.sleepFor(1500ms);
  clock.advance(500ms);
  clock.sleepFor(-3ms);
  EXPECT_EQ(clock.now() - start, 2000ms);
  EXPECT_EQ(clock.wallNow(), platform::base::WallTime{} + 24h + 2000ms);
  EXPECT_EQ(clock.slept(), 1500ms) << "advance() and a negative pause are not sleeps";
}

TEST(RepeatingTimer, FiresOncePerPeriodAndCoalescesMissedOnes) {
  FakeClock clock;
  RepeatingTimer timer(clock, 1000ms);
  EXPECT_FALSE(timer.fireIfDue()) << "not due before the first period ends";
  clock.advance(999ms);
  EXPECT_FALSE(timer.fireIfDue());
  clock.advance(1ms);
  EXPECT_TRUE(timer.fireIfDue());
  EXPECT_FALSE(timer.fireIfDue()) << "fired once for that deadline";
  clock.advance(3500ms);
  EXPECT_TRUE(timer.fireIfDue()) << "three missed periods fire once";
  EXPECT_FALSE(timer.fireIfDue());
  EXPECT_EQ(timer.nextDue() - clock.now(), 500ms) << "the next boundary keeps the phase";
}

TEST(SystemClock, SleepWaitsAtLeastThePause) {
  auto& clock = platform::base::systemClock();
  auto start = clock.now();
  clock.sleepFor(20ms);
  EXPECT_GE(clock.now() - start, 20ms);
}

}  // namespace
