// The numbers of the -fps overlay (show/frame_rate_meter.h).

#include "frame_rate_meter.h"

#include <gtest/gtest.h>

#include <clocale>

namespace sorvane {
namespace {

TEST(FrameRateMeter, WorksOutFramesPerSecondAndLoadOnceASecond) {
  FrameRateMeter m;
  m.Start(100.0, 5.0);
  EXPECT_EQ(m.Text(), "FPS: -\nLoad: -");
  // 59 frames within the first second change nothing yet.
  for (int i = 1; i < 60; ++i) EXPECT_FALSE(m.FrameDrawn(100.0 + i / 60.0, 5.0 + i * 0.004));
  EXPECT_EQ(m.Text(), "FPS: -\nLoad: -");
  // The 60th frame at one second, 0.25 s of CPU time: 60 fps, 25 % load.
  EXPECT_TRUE(m.FrameDrawn(101.0, 5.25));
  EXPECT_EQ(m.Text(), "FPS: 60.0\nLoad: 25.0%");
  // The next second counts from there: 15 frames in 2 s with a stall, CPU
  // from several threads beyond one core.
  for (int i = 1; i < 15; ++i) EXPECT_FALSE(m.FrameDrawn(101.0 + i * 0.01, 5.3));
  EXPECT_TRUE(m.FrameDrawn(103.0, 8.25));
  EXPECT_EQ(m.Text(), "FPS: 7.5\nLoad: 150.0%");
}

TEST(FrameRateMeter, NumbersAreRoundedAndWrittenWithAPointInAnyLocale) {
  EXPECT_EQ(OneDecimal(59.94), "59.9");
  EXPECT_EQ(OneDecimal(59.96), "60.0");
  EXPECT_EQ(OneDecimal(0.04), "0.0");
  EXPECT_EQ(OneDecimal(-3.0), "0.0");
  EXPECT_EQ(OneDecimal(0.0 / 0.0), "0.0");
  EXPECT_EQ(OneDecimal(1e300), "1000000000.0");
  // A locale with a decimal comma (when installed) changes nothing.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    EXPECT_EQ(OneDecimal(12.25), "12.3");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace sorvane
