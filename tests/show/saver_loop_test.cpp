// The show's tilt sweep and frame pacing (show/saver_loop.h).

#include "saver_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "float_bits.h"

namespace sorvane {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Clock = FramePacer::Clock;

using sorvane::testing::BitsOf;

// One full period of the 100 ms sweep from the start (90, rising), tick by
// tick. The expected values were worked out with exact rational arithmetic
// (single + double 0.2 rounded to 64 bits, then to single, ties to even),
// independently of the code under test.
TEST(TiltSweep, OneFullPeriodTickByTick) {
  float Angle = 90.0f;
  int16_t Up = -1;
  std::vector<uint32_t> Bits;
  std::vector<int16_t> Directions;
  for (int Tick = 1; Tick <= 1802; ++Tick) {
    SweepTilt(Angle, Up);
    Bits.push_back(BitsOf(Angle));
    Directions.push_back(Up);
  }
  // Rising from 90 for 900 ticks, pinned to 270 on the 901st.
  EXPECT_EQ(Bits[0], 0x42b46666u);  // 90.2
  EXPECT_EQ(Bits[1], 0x42b4ccccu);  // 90.4
  EXPECT_EQ(Bits[449], 0x4333ffa6u);  // 179.9986: the edge-on plane after 45 s
  EXPECT_EQ(Bits[899], 0x4386ffc9u);  // 269.9983, still rising
  EXPECT_EQ(Directions[899], -1);
  EXPECT_EQ(Bits[900], 0x43870000u);  // 270 exactly, turned
  EXPECT_EQ(Directions[900], 0);
  EXPECT_EQ(Bits[901], 0x4386e666u);  // 269.8
  // Falling for 900 ticks, pinned to 90 on the 1802nd: the period is 180.2 s.
  EXPECT_EQ(Bits[1800], 0x42b400deu);  // 90.0017, still falling
  EXPECT_EQ(Directions[1800], 0);
  EXPECT_EQ(Bits[1801], 0x42b40000u);  // 90 exactly, turned
  EXPECT_EQ(Directions[1801], -1);
  for (int Tick = 1; Tick <= 1802; ++Tick) {
    const bool Rising = Tick <= 900 || Tick == 1802;
    ASSERT_EQ(Directions[Tick - 1], Rising ? -1 : 0) << "tick " << Tick;
  }
  // Every value of the period, as FNV-1a over the little-endian bits.
  uint64_t Hash = 0xcbf29ce484222325ull;
  for (uint32_t B : Bits) {
    for (int Byte = 0; Byte < 4; ++Byte) {
      Hash ^= (B >> (8 * Byte)) & 0xFFu;
      Hash *= 0x100000001b3ull;
    }
  }
  EXPECT_EQ(Hash, 0x9b25bbb852e9ba43ull);
  // The next period repeats the first.
  SweepTilt(Angle, Up);
  EXPECT_EQ(BitsOf(Angle), Bits[0]);
}

TEST(TiltSweep, LandingExactlyOnALimitKeepsTheDirectionForOneTick) {
  // 269.8f + 0.2 rounds to exactly 270: not greater, so the sweep rises once
  // more and is pinned on the next tick.
  float Angle = 269.8f;
  int16_t Up = -1;
  SweepTilt(Angle, Up);
  EXPECT_EQ(BitsOf(Angle), 0x43870000u);
  EXPECT_EQ(Up, -1);
  SweepTilt(Angle, Up);
  EXPECT_EQ(BitsOf(Angle), 0x43870000u);
  EXPECT_EQ(Up, 0);

  // 90.2f - 0.2 rounds to exactly 90: not less, so it falls once more.
  Angle = 90.2f;
  Up = 0;
  SweepTilt(Angle, Up);
  EXPECT_EQ(BitsOf(Angle), 0x42b40000u);
  EXPECT_EQ(Up, 0);
  SweepTilt(Angle, Up);
  EXPECT_EQ(BitsOf(Angle), 0x42b40000u);
  EXPECT_EQ(Up, -1);
}

TEST(PacingPlan, SoftwareRenderersAreKnownByTheirRendererString) {
  for (const char* Name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Mesa softpipe", "Software Rasterizer (swrast)",
                           "GDI Generic", "gdi generic"}) {
    EXPECT_TRUE(IsSoftwareRenderer(Name)) << Name;
  }
  for (const char* Name : {"NVIDIA GeForce RTX 3060/PCIe/SSE2", "AMD Radeon RX 6600 (radeonsi, navi23)",
                           "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "", "llvm pipe"}) {
    EXPECT_FALSE(IsSoftwareRenderer(Name)) << Name;
  }
  EXPECT_FALSE(IsSoftwareRenderer(nullptr));
}

PacingInputs Inputs(int RefreshHz, bool Software = false, long Delay = -1) {
  PacingInputs In;
  In.RefreshHz = RefreshHz;
  In.SoftwareRenderer = Software;
  In.DelayMicroseconds = Delay;
  return In;
}

// Refresh rate, renderer and -delay in; steps per frame, swap interval and
// timer out.
TEST(PacingPlan, SwapIntervalOnMultiplesOfSixtyHertzTimerElsewhere) {
  struct Case {
    int Refresh;
    bool Software;
    long Delay;
    int Steps, Swap;
    bool Timer;
  };
  const Case Cases[] = {
      {60, false, -1, 1, 1, false},   {59, false, -1, 1, 1, false},  {61, false, -1, 1, 1, false},
      {120, false, -1, 1, 2, false},  {119, false, -1, 1, 2, false}, {180, false, -1, 1, 3, false},
      {240, false, -1, 1, 4, false},  {0, false, -1, 1, 1, false},   // unknown: 60, then measured
      {75, false, -1, 1, 0, true},    {144, false, -1, 1, 0, true},  {165, false, -1, 1, 0, true},
      {100, false, -1, 1, 0, true},   {50, false, -1, 1, 0, true},
      // A software renderer draws every second step: 30 frames a second.
      {60, true, -1, 2, 2, false},    {120, true, -1, 2, 4, false},  {144, true, -1, 2, 0, true},
      // -delay: the nearest whole number of steps, at least the renderer's.
      {60, false, 0, 1, 1, false},    {60, false, 10000, 1, 1, false}, {60, false, 33333, 2, 2, false},
      {60, false, 50000, 3, 3, false}, {120, false, 50000, 3, 6, false}, {144, false, 100000, 6, 0, true},
      {60, true, 10000, 2, 2, false}, {60, false, 10000000, FramePacer::kMaxStepsPerFrame, 30, false},
  };
  for (const Case& C : Cases) {
    FramePacer Pacer;
    const PacingPlan& Plan = Pacer.Plan(Inputs(C.Refresh, C.Software, C.Delay));
    const std::string Label = std::to_string(C.Refresh) + " Hz, software " + std::to_string(C.Software) +
                              ", delay " + std::to_string(C.Delay);
    EXPECT_EQ(Plan.StepsPerFrame, C.Steps) << Label;
    EXPECT_EQ(Plan.SwapInterval, C.Swap) << Label;
    EXPECT_EQ(Plan.TimerWaits, C.Timer) << Label;
    EXPECT_EQ(Pacer.FrameInterval(), FramePacer::kStepInterval * C.Steps) << Label;
  }
}

// On battery or with battery saver on, 30 frames a second of two steps each,
// as a software renderer has; the display's state decides drawing alone.
TEST(PacingPlan, AFrugalShowDrawsEverySecondStep) {
  const struct {
    int Refresh;
    bool Software;
    int Steps, Swap;
    bool Timer;
  } cases[] = {{60, false, 2, 2, false}, {120, false, 2, 4, false}, {144, false, 2, 0, true}, {60, true, 2, 2, false}};
  for (const auto& c : cases) {
    FramePacer Pacer;
    PacingInputs In = Inputs(c.Refresh, c.Software);
    In.Frugal = true;
    const PacingPlan& Plan = Pacer.Plan(In);
    EXPECT_EQ(Plan.StepsPerFrame, c.Steps) << c.Refresh;
    EXPECT_EQ(Plan.SwapInterval, c.Swap) << c.Refresh;
    EXPECT_EQ(Plan.TimerWaits, c.Timer) << c.Refresh;
  }
  ShowPower Power;
  EXPECT_TRUE(Power.Drawing());
  EXPECT_FALSE(Power.Frugal());
  Power.DisplayState = ShowPower::Display::Dimmed;
  EXPECT_TRUE(Power.Drawing());
  Power.DisplayState = ShowPower::Display::Off;
  EXPECT_FALSE(Power.Drawing());
  Power.OnBattery = true;
  EXPECT_TRUE(Power.Frugal());
  Power.OnBattery = false;
  Power.BatterySaver = true;
  EXPECT_TRUE(Power.Frugal());
}

// After a pause (the display was off) the motion starts again where it
// was: the time in between is not run as missed steps.
TEST(FramePacer, StartingAgainAfterAPauseDropsTheTimeInBetween) {
  FramePacer Pacer;
  Pacer.Plan(Inputs(60));
  Clock::time_point Now{};
  Pacer.Start(Now);
  EXPECT_EQ(Pacer.StepsForFrame(Now), 1);
  Now += std::chrono::seconds(10);
  Pacer.Start(Now);
  EXPECT_EQ(Pacer.StepsForFrame(Now + std::chrono::milliseconds(1)), 1);
}

// Presents frames that take Drawing each and waits as told; returns the
// intervals between the starts of successive frames.
std::vector<Clock::duration> RunFrames(FramePacer& Pacer, Clock::time_point& Now, int Count,
                                       Clock::duration Drawing) {
  std::vector<Clock::duration> Intervals;
  Clock::time_point Previous = Now;
  for (int i = 0; i < Count; ++i) {
    Pacer.StepsForFrame(Now);
    Now += Drawing;
    const auto Until = Pacer.FramePresented(Now);
    if (Until > Now) Now = Until;
    Intervals.push_back(Now - Previous);
    Previous = Now;
  }
  return Intervals;
}

TEST(FramePacer, WaitsEvenIntervalsWhereTheSwapIntervalIsRefusedOrDoesNotHold) {
  // Refused: waits from the first frame, one frame interval apart.
  FramePacer Refused;
  Refused.Plan(Inputs(60));
  Refused.SwapIntervalResult(false);
  EXPECT_TRUE(Refused.Current().TimerWaits);
  EXPECT_EQ(Refused.Current().SwapInterval, 0);
  auto Now = Clock::now();
  Refused.Start(Now);
  for (Clock::duration D : RunFrames(Refused, Now, 60, milliseconds(3))) EXPECT_EQ(D, FramePacer::kStepInterval);

  // Accepted but swaps come back at once (a virtual X server): measured, then waits.
  FramePacer Ignored;
  Ignored.Plan(Inputs(60, true));
  Ignored.SwapIntervalResult(true);
  EXPECT_FALSE(Ignored.Current().TimerWaits);
  Now = Clock::now();
  Ignored.Start(Now);
  const auto Measured = RunFrames(Ignored, Now, FramePacer::kCalibrationFrames, milliseconds(1));
  for (Clock::duration D : Measured) EXPECT_EQ(D, milliseconds(1));
  EXPECT_FALSE(Ignored.Current().TimerWaits);
  RunFrames(Ignored, Now, 1, milliseconds(1));  // the measurement ends here
  EXPECT_TRUE(Ignored.Current().TimerWaits);
  for (Clock::duration D : RunFrames(Ignored, Now, 30, milliseconds(1))) EXPECT_EQ(D, FramePacer::kStepInterval * 2);

  // A swap interval that holds (frames a refresh apart): never waits.
  FramePacer Held;
  Held.Plan(Inputs(120));
  Held.SwapIntervalResult(true);
  Now = Clock::now();
  Held.Start(Now);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(Held.FramePresented(Now), Now);
    Now += microseconds(16667);  // 120 Hz, every second refresh
  }
  EXPECT_FALSE(Held.Current().TimerWaits);
  // Frames that were slow only because drawing was (a busy machine) and then
  // come fast: measured again, the loop turns to waiting.
  FramePacer Slow;
  Slow.Plan(Inputs(60));
  Slow.SwapIntervalResult(true);
  Now = Clock::now();
  Slow.Start(Now);
  RunFrames(Slow, Now, 3 * FramePacer::kCalibrationFrames, milliseconds(40));
  EXPECT_FALSE(Slow.Current().TimerWaits);
  RunFrames(Slow, Now, 2 * FramePacer::kCalibrationFrames + 1, milliseconds(2));
  EXPECT_TRUE(Slow.Current().TimerWaits);
}

TEST(FramePacer, ASlowFrameIsNotFollowedByARaceToCatchUp) {
  FramePacer Pacer;
  Pacer.Plan(Inputs(144));
  Pacer.SwapIntervalResult(false);
  auto Now = Clock::now();
  Pacer.Start(Now);
  Pacer.FramePresented(Now);
  Now += milliseconds(500);  // one very slow frame
  EXPECT_EQ(Pacer.FramePresented(Now), Now);
  EXPECT_EQ(Pacer.FramePresented(Now + milliseconds(1)), Now + FramePacer::kStepInterval);
}

TEST(FramePacer, UnpacedNeverWaits) {
  FramePacer Off;
  PacingInputs In = Inputs(60);
  In.Unpaced = true;
  EXPECT_EQ(Off.Plan(In).SwapInterval, 0);
  Off.SwapIntervalResult(true);
  const auto Now = Clock::now();
  Off.Start(Now);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(Off.FramePresented(Now + milliseconds(i)), Now + milliseconds(i));
}

// The motion's clock: 60 steps a second whatever the frame rate; late frames
// catch up; a stall is capped.
TEST(FramePacer, StepsFollowTheClockWhateverTheFrameRate) {
  struct Case {
    Clock::duration Interval;
    int Frames;
  };
  for (const Case& C : {Case{microseconds(16667), 600}, Case{microseconds(33333), 300}, Case{milliseconds(25), 400},
                        Case{milliseconds(50), 200}, Case{milliseconds(100), 100}, Case{milliseconds(7), 1428}}) {
    FramePacer Pacer;
    Pacer.Plan(Inputs(60));
    auto Now = Clock::now();
    Pacer.Start(Now);
    long Steps = 0;
    for (int i = 0; i < C.Frames; ++i) {
      const int S = Pacer.StepsForFrame(Now);
      EXPECT_GE(S, 1);
      Steps += S;
      Now += C.Interval;
    }
    // The first frame is one step, then 60 steps a second of the time to the
    // last frame; faster than 60 frames a second every frame is a step.
    const double Seconds = std::chrono::duration<double>(C.Interval * (C.Frames - 1)).count();
    const long Expected = C.Interval < FramePacer::kStepInterval ? C.Frames : 1 + std::lround(Seconds * 60.0);
    EXPECT_NEAR(Steps, Expected, 3) << std::chrono::duration<double, std::milli>(C.Interval).count() << " ms";
  }
}

TEST(FramePacer, JitterKeepsOneStepAFrameAndAStallIsCapped) {
  FramePacer Pacer;
  Pacer.Plan(Inputs(60));
  auto Now = Clock::now();
  Pacer.Start(Now);
  // Frames at 16.667 ms with +-3 ms of jitter around their time: one step each.
  for (int i = 0; i < 200; ++i) {
    const auto Jitter = microseconds((i % 2) ? 3000 : -3000);
    EXPECT_EQ(Pacer.StepsForFrame(Now + Jitter), 1) << "frame " << i;
    Now += microseconds(16667);
  }
  // One frame 50 ms late stands for its own step and the three it missed.
  Now += milliseconds(50);
  EXPECT_EQ(Pacer.StepsForFrame(Now), 4);
  // A ten-second stall: at most kMaxStepsPerFrame, and the time after is normal again.
  Now += std::chrono::seconds(10);
  EXPECT_EQ(Pacer.StepsForFrame(Now), FramePacer::kMaxStepsPerFrame);
  Now += microseconds(16667);
  EXPECT_EQ(Pacer.StepsForFrame(Now), 1);
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
