// Arithmetic of the settings dialog (pairs with dialog_layout.h). Portable;
// it computes numbers only and draws nothing.

#include "dialog_layout.h"

#include <cmath>
#include <cstdio>

#include "numeric.h"

namespace sorvane {

const BarRange kMultiBar{10, 100, 1, 10, 10};
const BarRange kSizeBar{1, 20, 1, 1, 1};
const BarRange kChangeBar{0, 60, 1, 5, 1};

namespace {

// Largest gradient height drawn; a client area never comes near it, and it
// keeps a garbage height from asking for millions of rows.
constexpr double kMaxGradientHeight = 32767;

// Largest panel extent tiled, for the same reason.
constexpr double kMaxPanelExtent = 32767;

}  // namespace

FormPosition PlaceForm(double ScreenWidthTwips, double ScreenHeightTwips) {
  return PlaceForm(ScreenWidthTwips, ScreenHeightTwips, kFormWidthTwips, kFormHeightTwips);
}

FormPosition PlaceForm(double ScreenWidthTwips, double ScreenHeightTwips, double FormWidthTwips,
                       double FormHeightTwips) {
  FormPosition p;
  const double freeWidth = RoundHalfEven(ScreenWidthTwips - FormWidthTwips);
  const double freeHeight = RoundHalfEven(ScreenHeightTwips - FormHeightTwips);
  // Nonsense sizes leave the form at the top-left corner.
  if (!std::isfinite(freeWidth) || !std::isfinite(freeHeight) || std::fabs(freeWidth) > 1e9 ||
      std::fabs(freeHeight) > 1e9) {
    return p;
  }
  p.Left = static_cast<int>(std::trunc(freeWidth / 2));
  p.Top = static_cast<int>(std::trunc(freeHeight / 3));
  return p;
}

int TwipsToPixels(double Twips, int Dpi) {
  if (Dpi <= 0) Dpi = 96;
  return static_cast<int>(RoundHalfEven(Twips * Dpi / 1440.0));
}

double PixelsToTwips(double Pixels, int Dpi) {
  if (Dpi <= 0) Dpi = 96;
  return Pixels * 1440.0 / Dpi;
}

std::vector<int> GradientLevels(double ClientHeight) {
  std::vector<int> levels;
  if (!(ClientHeight >= 0) || ClientHeight > kMaxGradientHeight) return levels;
  const double k = ClientHeight / 3.142;
  const int n = static_cast<int>(RoundHalfEven(ClientHeight));
  levels.reserve(static_cast<size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) {
    // A zero height makes i / k = 0 / 0: that one row stays dark.
    const double angle = static_cast<double>(i) / k;
    const double c = std::isfinite(angle) ? RoundHalfEven(std::fabs(std::sin(angle) * 220.0)) : 0.0;
    levels.push_back(static_cast<int>(c));
  }
  return levels;
}

std::vector<TilePoint> TilePositions(double TileWidth, double TileHeight, double PanelWidth,
                                     double PanelHeight) {
  std::vector<TilePoint> points;
  if (!(TileWidth >= 1) || !(TileHeight >= 1)) return points;
  if (!(PanelWidth <= kMaxPanelExtent) || !(PanelHeight <= kMaxPanelExtent)) return points;
  double x = 0;
  double y = 0;
  for (;;) {
    points.push_back({static_cast<int>(RoundHalfEven(x)), static_cast<int>(RoundHalfEven(y))});
    if (y > PanelHeight) {
      if (x > PanelWidth) break;
      x += TileWidth;
      y = 0;
    } else {
      y += TileHeight;
    }
  }
  return points;
}

SampleSize SampleSizeFor(double PhotoWidth, double PhotoHeight) {
  SampleSize s;
  if (!(PhotoWidth > 0) || !(PhotoHeight > 0)) return s;
  if (PhotoWidth > PhotoHeight) {
    s.Width = 80;
    s.Height = PhotoHeight * 80 / PhotoWidth;
  } else {
    s.Width = PhotoWidth * 80 / PhotoHeight;
    s.Height = 80;
  }
  return s;
}

int SamplePixels(double Size) {
  if (!(Size > 0)) return 0;
  return static_cast<int>(RoundHalfEven(Size));
}

int BarPositionOf(const BarRange& Bar, int Value) { return Bar.Max + Bar.Min - Value; }

int BarValueAt(const BarRange& Bar, int Position) { return Bar.Max + Bar.Min - Position; }

int BarValueFor(const BarRange& Bar, double Value, int Current) {
  if (std::isnan(Value)) return Current;
  const double v = RoundHalfEven(Value);
  if (v <= Bar.Min) return Bar.Min;
  if (v >= Bar.Max) return Bar.Max;
  return static_cast<int>(v);
}

int SizeBarValueFor(float StarSize, int Current) {
  return BarValueFor(kSizeBar, static_cast<double>(StarSize), Current);
}

std::wstring ChangeText(int Minutes) {
  if (Minutes == 0) return L"\u5207\u66FF\u306A\u3057";  // 切替なし
  return std::to_wstring(Minutes) + L" \u5206";            // N 分
}

std::wstring FolderCountText(size_t Count, bool Capped) {
  // ﾌｫﾙﾀﾞの写真: N 枚 (以上)
  return L"\uFF8C\uFF6B\uFF99\uFF80\uFF9E\u306E\u5199\u771F: " + std::to_wstring(Count) + L" \u679A" +
         (Capped ? L"\u4EE5\u4E0A" : L"");
}

FormPosition KeepInside(FormPosition At, int Width, int Height, const ScreenRect& Area) {
  if (At.Left + Width > Area.Right) At.Left = Area.Right - Width;
  if (At.Top + Height > Area.Bottom) At.Top = Area.Bottom - Height;
  if (At.Left < Area.Left) At.Left = Area.Left;
  if (At.Top < Area.Top) At.Top = Area.Top;
  return At;
}

std::string DecimalText(long long Value) { return std::to_string(Value); }

std::string GeneralNumberText(float Value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7G", static_cast<double>(Value));
  return text;
}

}  // namespace sorvane
