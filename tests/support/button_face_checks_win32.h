// Checks of a gradient button's painted frame against the state pictures the
// program carries, at whatever DPI the test runs (Windows tests only; the
// test program must carry resources/sorvane.rc). Also the DPI helpers the
// Windows tests share.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_win32.h"
#include "resource_ids.h"

namespace sorvane::testing {

// The DPI of the screen this test program runs at.
inline int ScreenDpi() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = GetDeviceCaps(Screen, LOGPIXELSY);
  ReleaseDC(nullptr, Screen);
  return Dpi;
}

// The DPI a scaled run was asked for (scripts/wine-dpi.sh), or 0 in the
// ordinary run.
inline int RequestedDpi() {
  const char* Wanted = std::getenv("SORVANE_TEST_DPI");
  return Wanted ? std::atoi(Wanted) : 0;
}

// A 96-dpi layout coordinate at Dpi: twips rounded to the nearest pixel,
// halves to even, as the layout is defined.
inline long ScaledEdge(long Pixels96, int Dpi) {
  return static_cast<long>(std::nearbyint(Pixels96 * 15.0 * Dpi / 1440.0));
}

// One 64 x 25 state picture read back pixel by pixel (0x00RRGGBB).
class StatePicture {
 public:
  explicit StatePicture(FacePicture Which) {
    const int Ids[6] = {IDB_BUTTON_NORMAL,   IDB_BUTTON_HIGHLIGHT, IDB_BUTTON_HIGHLIGHTSELECT,
                        IDB_BUTTON_SELECTED, IDB_BUTTON_PRESSED,   IDB_BUTTON_DISABLE};
    HBITMAP Bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                     MAKEINTRESOURCEW(Ids[static_cast<int>(Which)]), IMAGE_BITMAP, 0,
                                                     0, LR_CREATEDIBSECTION));
    BITMAP Info{};
    if (Bitmap && GetObjectW(Bitmap, sizeof Info, &Info)) {
      width_ = Info.bmWidth;
      height_ = Info.bmHeight;
      HDC Memory = CreateCompatibleDC(nullptr);
      HGDIOBJ Old = SelectObject(Memory, Bitmap);
      pixels_.resize(static_cast<size_t>(width_) * height_);
      for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
          const COLORREF c = GetPixel(Memory, x, y);
          pixels_[static_cast<size_t>(y) * width_ + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
      SelectObject(Memory, Old);
      DeleteDC(Memory);
    }
    if (Bitmap) DeleteObject(Bitmap);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t At(int X, int Y) const { return pixels_[static_cast<size_t>(Y) * width_ + X]; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

// Runs of equal neighbours collapsed to one: a strip read off a stretched
// picture collapses to the same colours as the strip it was stretched from.
inline std::vector<uint32_t> Collapsed(const std::vector<uint32_t>& Strip) {
  std::vector<uint32_t> Out;
  for (uint32_t c : Strip)
    if (Out.empty() || Out.back() != c) Out.push_back(c);
  return Out;
}

inline std::string Hex(const std::vector<uint32_t>& Strip) {
  std::string Out;
  char Buffer[16];
  for (uint32_t c : Strip) {
    std::snprintf(Buffer, sizeof Buffer, "%06X ", c);
    Out += Buffer;
  }
  return Out;
}

// Empty when the four frame edges of Button's face, read from the outer edge
// inwards at the middle of each side, show the same colours in the same order
// as the four-pixel edges of Picture; otherwise what differs. The frame band
// is four pixels at 96 dpi and grows with the display.
inline std::string FrameMismatch(const Command& Button, FacePicture Which, int Dpi) {
  const StatePicture Picture(Which);
  if (Picture.Width() != 64 || Picture.Height() != 25) return "the state picture is not 64 x 25";
  const int W = Button.FaceWidth(), H = Button.FaceHeight();
  const int Band = static_cast<int>(std::lround(4.0 * Dpi / 96.0));
  if (W < 2 * Band + 2 || H < 2 * Band + 2) return "button too small";
  std::string Problems;
  auto Compare = [&](const char* Side, std::vector<uint32_t> Face, const std::vector<std::vector<uint32_t>>& Sources) {
    for (const auto& Source : Sources)
      if (Collapsed(Face) == Collapsed(Source)) return;
    Problems += std::string(Side) + ": face " + Hex(Face) + "picture " + Hex(Sources.front()) + "\n";
  };
  std::vector<uint32_t> Top, Bottom, Left, Right;
  for (int i = 0; i < Band; ++i) {
    Top.push_back(Button.FacePixel(W / 2, i));
    Bottom.push_back(Button.FacePixel(W / 2, H - 1 - i));
    Left.push_back(Button.FacePixel(i, H / 2));
    Right.push_back(Button.FacePixel(W - 1 - i, H / 2));
  }
  // The side edges are stretched lengthways, so their middle may come from
  // the picture's row 11, 12 or 13.
  std::vector<std::vector<uint32_t>> TopSource(1), BottomSource(1), LeftSources, RightSources;
  for (int i = 0; i < 4; ++i) {
    TopSource[0].push_back(Picture.At(32, i));
    BottomSource[0].push_back(Picture.At(32, 24 - i));
  }
  for (int Row : {12, 11, 13}) {
    std::vector<uint32_t> L, R;
    for (int i = 0; i < 4; ++i) {
      L.push_back(Picture.At(i, Row));
      R.push_back(Picture.At(63 - i, Row));
    }
    LeftSources.push_back(L);
    RightSources.push_back(R);
  }
  Compare("top", Top, TopSource);
  Compare("bottom", Bottom, BottomSource);
  Compare("left", Left, LeftSources);
  Compare("right", Right, RightSources);
  return Problems;
}

}  // namespace sorvane::testing
