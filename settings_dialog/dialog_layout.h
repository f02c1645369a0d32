// Arithmetic of the settings dialog: where the form goes, the rows of its
// gradient background, where the marble tiles land, the size of the photo
// sample, the scroll bars' value mapping and the labels' number texts.
// Portable: no platform header; settings_dialog_win32.cpp does the drawing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sorvane {

// The form's outer size in twips.
constexpr int kFormWidthTwips = 5925;
constexpr int kFormHeightTwips = 4755;

// The outer height the dialog is given: the form above and the folder panel
// below its buttons (64 pixels at 96 dpi more), which still leaves the whole
// dialog on a 1024 x 768 screen at 200 % display scaling.
constexpr int kDialogHeightTwips = kFormHeightTwips + 64 * 15;

// Left and top of the form in twips.
struct FormPosition {
  int Left = 0;
  int Top = 0;
};

// Centres the form horizontally and puts it a third of the free height below
// the top: (screen - form, rounded) divided by 2 or 3, truncated toward zero.
FormPosition PlaceForm(double ScreenWidthTwips, double ScreenHeightTwips);

// The same for a form of the given outer size (twips), as the form has at a
// DPI other than 96.
FormPosition PlaceForm(double ScreenWidthTwips, double ScreenHeightTwips, double FormWidthTwips,
                       double FormHeightTwips);

// Twips to whole pixels at Dpi dots per inch (nearest, ties to even).
int TwipsToPixels(double Twips, int Dpi);

// Pixels to twips at Dpi dots per inch.
double PixelsToTwips(double Pixels, int Dpi);

// Grey level c of each gradient row 0..n (n = ClientHeight rounded, ties to
// even), c = |sin(i / k) x 220| rounded with k = ClientHeight / 3.142. The row
// colour is red c, green c, blue c + 30. Empty for a negative or absurd height.
std::vector<int> GradientLevels(double ClientHeight);

// One tile's top-left corner in a panel.
struct TilePoint {
  int X = 0;
  int Y = 0;
};

// The corners at which the tile is copied: rows down each column up to and
// including the first beyond the bottom edge, columns up to and including the
// first beyond the right edge. Empty when the tile has no size.
std::vector<TilePoint> TilePositions(double TileWidth, double TileHeight, double PanelWidth,
                                     double PanelHeight);

// Size of the photo sample for a W x H photograph: the longer side 80, the
// aspect kept (a square takes the "taller" branch). Unrounded.
struct SampleSize {
  double Width = 80;
  double Height = 80;
};
SampleSize SampleSizeFor(double PhotoWidth, double PhotoHeight);

// Whole-pixel size of a sample box or stretch (nearest, ties to even; never
// negative).
int SamplePixels(double Size);

// A vertical bar whose top end is its largest value. A Win32 scroll bar's
// top is its minimum position, so position and value mirror each other.
struct BarRange {
  int Min = 0;
  int Max = 0;
  int SmallStep = 1;
  int LargeStep = 1;
  int Initial = 0;
};
extern const BarRange kMultiBar;  // 10..100, steps 1 and 10, starts at 10
extern const BarRange kSizeBar;   // 1..20, steps 1 and 1, starts at 1
extern const BarRange kChangeBar; // 0..60 minutes, steps 1 and 5, starts at 1

// Scroll position for a value and value for a scroll position.
int BarPositionOf(const BarRange& Bar, int Value);
int BarValueAt(const BarRange& Bar, int Position);

// The bar value that stands for a setting: Value rounded (ties to even) and
// pulled into the bar's range, so the bar, its label and what "設定" saves
// agree; Current when Value is not a number.
int BarValueFor(const BarRange& Bar, double Value, int Current);

// The same for a stored picture size.
int SizeBarValueFor(float StarSize, int Current);

// The interval label: "切替なし" for 0, else "N 分".
std::wstring ChangeText(int Minutes);

// The count label of a folder of photographs: "ﾌｫﾙﾀﾞの写真: N 枚", with
// "以上" after it when the walk stopped at its limit (Capped).
std::wstring FolderCountText(size_t Count, bool Capped);

// A window rectangle in screen pixels.
struct ScreenRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Moves a window of Width x Height whose corner is At into Area (a
// monitor's work area): left or up as far as its right or bottom edge sticks
// out, then right or down as far as its left or top edge does, so a window
// larger than the area keeps its caption on the screen.
FormPosition KeepInside(FormPosition At, int Width, int Height, const ScreenRect& Area);

// Plain decimal text of an integer ("30", "-3").
std::string DecimalText(long long Value);

// General number text of a single-precision value: up to 7 significant
// digits, no leading blank, exponent form only for very large or small values
// (12 gives "12", 12.5 gives "12.5", 1e10 gives "1E+10").
std::string GeneralNumberText(float Value);

}  // namespace sorvane
