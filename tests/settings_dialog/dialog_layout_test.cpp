// The settings dialog's arithmetic: placement, gradient, tiling, sample size,
// bar values and label texts (dialog_layout.h). Runs in both builds.

#include "dialog_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane {
namespace {

TEST(PlaceForm, CentresAndKeepsAThirdAbove) {
  // 1024 x 768 pixels at 15 twips per pixel.
  FormPosition p = PlaceForm(1024 * 15, 768 * 15);
  EXPECT_EQ(p.Left, 4717);
  EXPECT_EQ(p.Top, 2255);
  // Odd free widths truncate; a screen smaller than the form goes negative
  // toward zero, not below it.
  p = PlaceForm(5925 + 7, 4755 + 8);
  EXPECT_EQ(p.Left, 3);
  EXPECT_EQ(p.Top, 2);
  p = PlaceForm(5925 - 7, 4755 - 8);
  EXPECT_EQ(p.Left, -3);
  EXPECT_EQ(p.Top, -2);
  // The free size is rounded first: 0.5 rounds to 0, 1.5 to 2.
  EXPECT_EQ(PlaceForm(5925 + 1.5, 4755 + 3.5).Left, 1);
  EXPECT_EQ(PlaceForm(5925 + 1.5, 4755 + 3.5).Top, 1);
}

TEST(PlaceForm, ALargerFormAtAnotherDpi) {
  // The same rule for the form's size at 144 dpi (10 twips per pixel): a
  // 1536 x 1152 screen and a 592 x 475-pixel form.
  FormPosition p = PlaceForm(1536 * 10, 1152 * 10, 592 * 10, 475 * 10);
  EXPECT_EQ(p.Left, 4720);
  EXPECT_EQ(p.Top, 2256);
  EXPECT_EQ(PlaceForm(1024 * 15, 768 * 15, kFormWidthTwips, kFormHeightTwips).Left, 4717);
  // Nonsense sizes leave it at the corner rather than anywhere at all.
  p = PlaceForm(1e300, 768 * 15, -1e300, 10);
  EXPECT_EQ(p.Left, 0);
  EXPECT_EQ(p.Top, 0);
}

TEST(PlaceForm, TwipsAndPixels) {
  EXPECT_EQ(TwipsToPixels(kFormWidthTwips, 96), 395);
  EXPECT_EQ(TwipsToPixels(kFormHeightTwips, 96), 317);
  EXPECT_EQ(TwipsToPixels(kFormWidthTwips, 144), 592);  // 592.5 -> even
  EXPECT_EQ(TwipsToPixels(4717, 96), 314);
  EXPECT_DOUBLE_EQ(PixelsToTwips(1024, 96), 15360);
  EXPECT_DOUBLE_EQ(PixelsToTwips(10, 120), 120);
  // A broken DPI reading counts as 96.
  EXPECT_EQ(TwipsToPixels(150, 0), 10);
}

TEST(GradientLevels, HeightOf290) {
  const std::vector<int> c = GradientLevels(290);
  ASSERT_EQ(c.size(), 291u);
  EXPECT_EQ(c[0], 0);
  EXPECT_EQ(c[145], 220);
  EXPECT_EQ(c[290], 0);
  // k = 290 / 3.142 (not pi): row 1 is |sin(3.142/290) x 220| = 2.38 -> 2.
  EXPECT_EQ(c[1], 2);
  EXPECT_EQ(c[10], 24);  // 23.78
  // Brightest around the middle, symmetric within one level.
  for (int i = 0; i <= 290; ++i) {
    EXPECT_GE(c[i], 0);
    EXPECT_LE(c[i], 220);
    EXPECT_LE(std::abs(c[i] - c[290 - i]), 1) << i;
  }
}

TEST(GradientLevels, OddHeights) {
  // Rows 0..n inclusive with n rounded half to even.
  EXPECT_EQ(GradientLevels(2.5).size(), 3u);
  EXPECT_EQ(GradientLevels(3.5).size(), 5u);
  // A zero height draws its single row dark; nonsense draws nothing.
  ASSERT_EQ(GradientLevels(0).size(), 1u);
  EXPECT_EQ(GradientLevels(0)[0], 0);
  EXPECT_TRUE(GradientLevels(-1).empty());
  EXPECT_TRUE(GradientLevels(1e12).empty());
}

TEST(TilePositions, ColumnsOfRowsPastTheEdges) {
  // The 365 x 101 panel and the 563 x 21 marble tile: rows 0..105 in the
  // first column, then the next column begins beyond the right edge.
  const std::vector<TilePoint> t = TilePositions(563, 21, 365, 101);
  ASSERT_EQ(t.size(), 12u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(t[i].X, 0);
    EXPECT_EQ(t[i].Y, 21 * i);
    EXPECT_EQ(t[6 + i].X, 563);
    EXPECT_EQ(t[6 + i].Y, 21 * i);
  }
  // A small tile covers a larger panel column by column.
  const std::vector<TilePoint> s = TilePositions(10, 10, 25, 15);
  // y 0,10,20 (20 > 15) in columns x 0,10,20,30 (30 > 25 stops).
  ASSERT_EQ(s.size(), 12u);
  EXPECT_EQ(s.back().X, 30);
  EXPECT_EQ(s.back().Y, 20);
  // No tile, no copies (and no endless loop).
  EXPECT_TRUE(TilePositions(0, 21, 365, 101).empty());
  EXPECT_TRUE(TilePositions(563, 0, 365, 101).empty());
}

TEST(SampleSize, LongerSideIs80) {
  struct Case {
    double W, H, w, h;
    int pw, ph;
  } cases[] = {
      {400, 300, 80, 60, 80, 60},   {300, 400, 60, 80, 60, 80},
      {100, 100, 80, 80, 80, 80},   {160, 101, 80, 50.5, 80, 50},
      {1000, 3, 80, 0.24, 80, 0},   {3, 1000, 0.24, 80, 0, 80},
      {161, 101, 80, 101.0 * 80 / 161, 80, 50},
  };
  for (const Case& c : cases) {
    const SampleSize s = SampleSizeFor(c.W, c.H);
    EXPECT_DOUBLE_EQ(s.Width, c.w) << c.W << "x" << c.H;
    EXPECT_DOUBLE_EQ(s.Height, c.h) << c.W << "x" << c.H;
    EXPECT_EQ(SamplePixels(s.Width), c.pw) << c.W << "x" << c.H;
    EXPECT_EQ(SamplePixels(s.Height), c.ph) << c.W << "x" << c.H;
  }
  // No usable size: the 80 x 80 box.
  EXPECT_DOUBLE_EQ(SampleSizeFor(0, 10).Width, 80);
  EXPECT_DOUBLE_EQ(SampleSizeFor(10, -1).Height, 80);
  EXPECT_EQ(SamplePixels(-3), 0);
}

TEST(Bars, TopIsTheLargestValue) {
  EXPECT_EQ(BarPositionOf(kMultiBar, 100), 10);
  EXPECT_EQ(BarPositionOf(kMultiBar, 10), 100);
  EXPECT_EQ(BarValueAt(kMultiBar, BarPositionOf(kMultiBar, 30)), 30);
  EXPECT_EQ(BarPositionOf(kSizeBar, 20), 1);
  EXPECT_EQ(BarValueAt(kSizeBar, 20), 1);
  EXPECT_EQ(kMultiBar.LargeStep, 10);
  EXPECT_EQ(kSizeBar.LargeStep, 1);
}

// What the bars show is what "設定" saves: values beyond the range are taken
// as its nearest end, sizes between steps rounded half to even.
TEST(Bars, ValuesAreRoundedAndPulledIntoTheRange) {
  const struct {
    const BarRange* Bar;
    double Value;
    int Expected;
  } cases[] = {
      {&kMultiBar, 30, 30},   {&kMultiBar, 100, 100}, {&kMultiBar, 5, 10},    {&kMultiBar, 150, 100},
      {&kMultiBar, -32768, 10}, {&kSizeBar, 12.5, 12}, {&kSizeBar, 13.5, 14}, {&kSizeBar, 20.5, 20},
      {&kSizeBar, 21.5, 20},  {&kSizeBar, 0.5, 1},    {&kSizeBar, 1e30, 20},  {&kSizeBar, -1e30, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(BarValueFor(*c.Bar, c.Value, 7), c.Expected) << c.Value;
  EXPECT_EQ(BarValueFor(kSizeBar, std::nan(""), 7), 7);
  EXPECT_EQ(SizeBarValueFor(12.5f, 1), 12);
}

// A dialog larger than the work area keeps its top-left corner (the caption)
// on the screen; one that fits is moved in whole.
TEST(Placement, KeepInsideTheWorkArea) {
  const ScreenRect area{0, 0, 1024, 560};  // 1024 x 600 with a taskbar of 40
  const struct {
    FormPosition At;
    int Width, Height;
    FormPosition Expected;
  } cases[] = {
      {{100, 50}, 400, 300, {100, 50}},    // inside: unchanged
      {{198, -9}, 628, 627, {198, 0}},     // 200 % on 1024 x 600: taller than the area
      {{900, 400}, 300, 200, {724, 360}},  // off the right and bottom: moved in whole
      {{-50, -20}, 300, 200, {0, 0}},
      {{-50, -20}, 1100, 700, {0, 0}},     // larger both ways: the corner on the screen
  };
  for (const auto& c : cases) {
    const FormPosition got = KeepInside(c.At, c.Width, c.Height, area);
    EXPECT_EQ(got.Left, c.Expected.Left) << c.At.Left << "," << c.At.Top;
    EXPECT_EQ(got.Top, c.Expected.Top) << c.At.Left << "," << c.At.Top;
  }
}

TEST(LabelTexts, DecimalAndGeneral) {
  EXPECT_EQ(DecimalText(30), "30");
  EXPECT_EQ(DecimalText(-3), "-3");
  EXPECT_EQ(GeneralNumberText(12.0f), "12");
  EXPECT_EQ(GeneralNumberText(12.5f), "12.5");
  EXPECT_EQ(GeneralNumberText(0.1f), "0.1");  // 7 digits hide the float's error
  EXPECT_EQ(GeneralNumberText(-2.25f), "-2.25");
  EXPECT_EQ(GeneralNumberText(1234567.0f), "1234567");
  EXPECT_EQ(GeneralNumberText(12345678.0f), "1.234568E+07");
  EXPECT_EQ(GeneralNumberText(1e10f), "1E+10");
  EXPECT_EQ(GeneralNumberText(0.0f), "0");
}

TEST(LabelTexts, AFolderWalkStoppedAtItsLimitSaysOrMore) {
  // ﾌｫﾙﾀﾞの写真: N 枚, and 以上 after it when the walk was cut short.
  const std::wstring prefix = L"\uFF8C\uFF6B\uFF99\uFF80\uFF9E\u306E\u5199\u771F: ";
  EXPECT_EQ(FolderCountText(12, false), prefix + L"12 \u679A");
  EXPECT_EQ(FolderCountText(100000, true), prefix + L"100000 \u679A\u4EE5\u4E0A");
}

}  // namespace
}  // namespace sorvane
