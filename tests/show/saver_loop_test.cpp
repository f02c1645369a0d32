// The show's tilt sweep and frame pacing (show/saver_loop.h).

#include "saver_loop.h"

#include <gtest/gtest.h>

#include <chrono>

namespace sorvane {
namespace {

using std::chrono::milliseconds;
using Clock = FramePacer::Clock;

TEST(TiltSweep, RisesFromNinetyTurnsAtTwoSeventyAndFallsBack) {
  float angle = 90.0f;
  int16_t up = -1;
  SweepTilt(angle, up);
  EXPECT_FLOAT_EQ(angle, 90.2f);
  EXPECT_EQ(up, -1);

  int ticks = 1;
  while (up && ticks < 2000) {
    SweepTilt(angle, up);
    ++ticks;
    ASSERT_LE(angle, 270.0f);
  }
  EXPECT_EQ(angle, 270.0f);  // pinned exactly
  EXPECT_EQ(up, 0);
  EXPECT_NEAR(ticks, 900, 3);  // about 90 seconds of 100 ms ticks

  int back = 0;
  while (!up && back < 2000) {
    SweepTilt(angle, up);
    ++back;
    ASSERT_GE(angle, 90.0f);
  }
  EXPECT_EQ(angle, 90.0f);
  EXPECT_EQ(up, -1);
  EXPECT_NEAR(back, 900, 3);
}

TEST(TiltSweep, LandingExactlyOnALimitKeepsTheDirectionForOneTick) {
  // 269.8 + 0.2 rounds to 270.0 in single precision: not greater, so the
  // sweep goes on rising once more before it is pinned.
  float angle = 269.8f;
  int16_t up = -1;
  SweepTilt(angle, up);
  if (angle == 270.0f) {
    EXPECT_EQ(up, -1);
    SweepTilt(angle, up);
  }
  EXPECT_EQ(angle, 270.0f);
  EXPECT_EQ(up, 0);

  angle = 90.2f;
  up = 0;
  SweepTilt(angle, up);
  if (angle == 90.0f) {
    EXPECT_EQ(up, 0);
    SweepTilt(angle, up);
  }
  EXPECT_EQ(angle, 90.0f);
  EXPECT_EQ(up, -1);
}

TEST(FramePacer, WithoutASwapIntervalKeepsToSixtyFramesASecond) {
  FramePacer pacer;
  pacer.SetSwapIntervalAccepted(false);
  auto now = Clock::now();
  // A loop that draws in no time would be held to one frame per 1/60 s.
  Clock::time_point until = pacer.FramePresented(now);
  for (int i = 0; i < 60; ++i) {
    now = until;  // the loop slept until the deadline
    until = pacer.FramePresented(now);
    EXPECT_EQ(until - now, FramePacer::kFrameInterval);
  }
}

TEST(FramePacer, ASlowFrameIsNotFollowedByARaceToCatchUp) {
  FramePacer pacer;
  pacer.SetSwapIntervalAccepted(false);
  auto now = Clock::now();
  pacer.FramePresented(now);
  now += milliseconds(500);  // one very slow frame
  EXPECT_EQ(pacer.FramePresented(now), now);
  const auto next = pacer.FramePresented(now + milliseconds(1));
  EXPECT_EQ(next, now + FramePacer::kFrameInterval);
}

TEST(FramePacer, TrustsASwapIntervalThatHoldsAndPacesOneThatDoesNot) {
  FramePacer held;
  held.SetSwapIntervalAccepted(true);
  auto now = Clock::now();
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(held.FramePresented(now), now);
    now += milliseconds(16);  // the display's refresh
  }
  EXPECT_FALSE(held.Sleeping());

  FramePacer ignored;
  ignored.SetSwapIntervalAccepted(true);  // accepted, but swaps do not wait
  now = Clock::now();
  Clock::time_point until = now;
  for (int i = 0; i < FramePacer::kCalibrationFrames + 5; ++i) {
    until = ignored.FramePresented(now);
    now = std::max(now + milliseconds(1), until);
  }
  EXPECT_TRUE(ignored.Sleeping());
  EXPECT_GT(until, now - milliseconds(1));
}

TEST(FramePacer, SwitchedOffNeverSleeps) {
  FramePacer off(false);
  off.SetSwapIntervalAccepted(false);
  const auto now = Clock::now();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(off.FramePresented(now), now);
}

TEST(TickTimer, TicksEveryHundredMillisecondsAndSurvivesAStall) {
  TickTimer timer;
  const auto start = Clock::now();
  timer.Start(start);
  EXPECT_FALSE(timer.TickDue(start + milliseconds(99)));
  EXPECT_TRUE(timer.TickDue(start + milliseconds(100)));
  EXPECT_FALSE(timer.TickDue(start + milliseconds(150)));
  // 350 ms late: the overdue ticks come one by one.
  int ticks = 0;
  while (timer.TickDue(start + milliseconds(450))) ++ticks;
  EXPECT_EQ(ticks, 3);
  // A stall of a minute gives a handful of ticks, not six hundred.
  ticks = 0;
  while (timer.TickDue(start + milliseconds(60450)) && ticks < 1000) ++ticks;
  EXPECT_LE(ticks, 6);
}

}  // namespace
}  // namespace sorvane
