// Checks of real rendered pixels, shared by the GLX test (natively, Mesa under
// Xvfb) and the WGL test (under Wine). Each takes a scene already set up on a
// current context whose viewport is Width x Height, draws one frame and reads
// the back buffer. Also writes the test bitmaps. Test-only.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>

#include "scene.h"

namespace sorvane::testing {

struct Rgb {
  int R = 0, G = 0, B = 0;
};

// Writes a Size x Size 24-bit bitmap in the temporary bitmap's layout: 54-byte
// header, rows bottom-up, blue-green-red. Colour(x, y) has y = 0 at the top.
inline void WriteTestBitmap(const std::string& Path, int Size, const std::function<Rgb(int, int)>& Colour) {
  const uint32_t RowBytes = static_cast<uint32_t>(Size) * 3;  // Size is a multiple of 4 in the tests
  const uint32_t DataBytes = RowBytes * Size;
  std::vector<unsigned char> File(54 + DataBytes, 0);
  const auto Put32 = [&](int At, uint32_t V) {
    for (int k = 0; k < 4; ++k) File[At + k] = static_cast<unsigned char>(V >> (8 * k));
  };
  File[0] = 'B';
  File[1] = 'M';
  Put32(2, 54 + DataBytes);
  Put32(10, 54);
  Put32(14, 40);
  Put32(18, Size);
  Put32(22, Size);
  File[26] = 1;
  File[28] = 24;
  Put32(34, DataBytes);
  for (int Row = 0; Row < Size; ++Row) {
    const int y = Size - 1 - Row;  // first stored row is the bottom one
    for (int x = 0; x < Size; ++x) {
      const Rgb C = Colour(x, y);
      unsigned char* P = &File[54 + Row * RowBytes + x * 3];
      P[0] = static_cast<unsigned char>(C.B);
      P[1] = static_cast<unsigned char>(C.G);
      P[2] = static_cast<unsigned char>(C.R);
    }
  }
  std::FILE* Out = std::fopen(Path.c_str(), "wb");
  ASSERT_NE(Out, nullptr);
  std::fwrite(File.data(), 1, File.size(), Out);
  std::fclose(Out);
}

// A read-back frame; At(x, y) with y = 0 at the top of the window.
struct Frame {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Rgba;
  // The pixel at (x, y), y from the top.
  Rgb At(int x, int y) const {
    const unsigned char* P = &Rgba[(static_cast<size_t>(Height - 1 - y) * Width + x) * 4];
    return {P[0], P[1], P[2]};
  }
  // True when the pixel is clearly not black.
  bool Lit(int x, int y) const {
    const Rgb C = At(x, y);
    return C.R + C.G + C.B > 60;
  }
  // Centre of the lit pixels; false when nothing is lit.
  bool LitCentre(double& X, double& Y) const {
    double Sx = 0, Sy = 0, N = 0;
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        if (Lit(x, y)) Sx += x, Sy += y, N += 1;
    if (N == 0) return false;
    X = Sx / N + 0.5;
    Y = Sy / N + 0.5;
    return true;
  }
  // Writes the frame as a binary PPM, for looking at it.
  void SavePpm(const std::string& Path) const {
    std::FILE* Out = std::fopen(Path.c_str(), "wb");
    if (Out == nullptr) return;
    std::fprintf(Out, "P6\n%d %d\n255\n", Width, Height);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x) {
        const Rgb C = At(x, y);
        const unsigned char Bytes[3] = {static_cast<unsigned char>(C.R), static_cast<unsigned char>(C.G),
                                        static_cast<unsigned char>(C.B)};
        std::fwrite(Bytes, 1, 3, Out);
      }
    std::fclose(Out);
  }
};

// Draws one frame of Show and reads the back buffer.
inline Frame DrawAndRead(Scene& Show, ShowRandom& Random, int Width, int Height) {
  EXPECT_TRUE(Show.DrawFrame(Random));
  glFinish();
  Frame F;
  F.Width = Width;
  F.Height = Height;
  F.Rgba.assign(static_cast<size_t>(Width) * Height * 4, 0);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, F.Rgba.data());
  return F;
}

// Only square Lit gets a tint; the others are black and so add nothing.
inline void TintOnly(Scene& Show, int Lit, Rgb Tint) {
  for (int i = 0; i < Scene::kStarCount; ++i) {
    StarRecord& S = Show.Stars[i];
    S.Red = static_cast<int16_t>(i == Lit ? Tint.R : 0);
    S.Green = static_cast<int16_t>(i == Lit ? Tint.G : 0);
    S.Blue = static_cast<int16_t>(i == Lit ? Tint.B : 0);
  }
}

// Each channel of Got within Tolerance of Want.
inline void ExpectColour(const Rgb& Got, const Rgb& Want, int Tolerance, const char* What) {
  EXPECT_NEAR(Got.R, Want.R, Tolerance) << What;
  EXPECT_NEAR(Got.G, Want.G, Tolerance) << What;
  EXPECT_NEAR(Got.B, Want.B, Tolerance) << What;
}

// The square's half side on screen in pixels at depth Z (45-degree view).
inline double HalfSidePixels(int Height, double Z) {
  return (Height / 2.0) / (-Z * std::tan(22.5 * 3.14159265358979 / 180.0));
}

// First frame with a white photograph: square 0 sits at the centre, upright.
inline void CheckSquareZeroAtCentre(Scene& Show, ShowRandom& Random, int Width, int Height) {
  TintOnly(Show, 0, {255, 255, 255});
  const Frame F = DrawAndRead(Show, Random, Width, Height);
  double X = 0, Y = 0;
  ASSERT_TRUE(F.LitCentre(X, Y));
  EXPECT_NEAR(X, Width / 2.0, 1.0);
  EXPECT_NEAR(Y, Height / 2.0, 1.0);
  ExpectColour(F.At(Width / 2, Height / 2), {255, 255, 255}, 6, "centre");
  const double Half = HalfSidePixels(Height, Show.ViewDistance);
  EXPECT_TRUE(F.Lit(static_cast<int>(Width / 2 + Half - 2), Height / 2));
  EXPECT_FALSE(F.Lit(static_cast<int>(Width / 2 + Half + 2), Height / 2));
  EXPECT_FALSE(F.Lit(2, 2));
}

// With the orbit plane edge-on, every square's centre is on the centre line;
// face-on (90 degrees) the same orbits spread up and down.
inline void CheckEdgeOnTilt(Scene& Show, ShowRandom& Random, int Width, int Height) {
  Show.ViewDistance = -24.0f;
  for (float Tilt : {180.0f, 90.0f}) {
    double Spread = 0;
    for (int i = 3; i < Scene::kStarCount; i += 7) {
      Show.TiltAngle = Tilt;
      Show.Stars[i].Radius = 3.5f;
      Show.Stars[i].OrbitAngle = 37.0f * i;
      TintOnly(Show, i, {255, 255, 255});
      const Frame F = DrawAndRead(Show, Random, Width, Height);
      double X = 0, Y = 0;
      ASSERT_TRUE(F.LitCentre(X, Y)) << "square " << i;
      if (Tilt == 180.0f) {
        EXPECT_NEAR(Y, Height / 2.0, 0.75) << "square " << i;
      }
      Spread = std::max(Spread, std::fabs(Y - Height / 2.0));
    }
    if (Tilt == 90.0f) {
      EXPECT_GT(Spread, 20.0);
    }
  }
}

// Two squares on the same spot add their tints; one alone shows its tint.
inline void CheckOverlapAddsUp(Scene& Show, ShowRandom& Random, int Width, int Height) {
  TintOnly(Show, 0, {200, 100, 0});
  Show.Stars[0].Radius = 0.0f;
  Show.Stars[1].Radius = 0.0f;
  Show.Stars[1].OrbitAngle = 0.0f;
  Show.Stars[1].Red = 200;
  Show.Stars[1].Green = 100;
  Show.Stars[1].Blue = 255;
  const Frame Both = DrawAndRead(Show, Random, Width, Height);
  ExpectColour(Both.At(Width / 2, Height / 2), {255, 200, 255}, 8, "two squares");

  TintOnly(Show, 0, {200, 100, 0});
  Show.Stars[0].Radius = 0.0f;
  Show.SpinAngle = 0.0f;
  const Frame One = DrawAndRead(Show, Random, Width, Height);
  ExpectColour(One.At(Width / 2, Height / 2), {200, 100, 0}, 8, "one square");
}

// Quarters red (top left), green (top right), blue (bottom left), white
// (bottom right): the square shows them where they are in the photograph.
inline Rgb QuarterColour(int x, int y, int Size) {
  const bool Left = x < Size / 2, Top = y < Size / 2;
  if (Top) return Left ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
  return Left ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
}

// Square 0, white tint, first frame: the quarters appear where they are.
inline void CheckPhotoUpright(Scene& Show, ShowRandom& Random, int Width, int Height) {
  TintOnly(Show, 0, {255, 255, 255});
  const Frame F = DrawAndRead(Show, Random, Width, Height);
  const int Q = static_cast<int>(HalfSidePixels(Height, Show.ViewDistance) / 2);
  const int Cx = Width / 2, Cy = Height / 2;
  ExpectColour(F.At(Cx - Q, Cy - Q), {255, 0, 0}, 6, "top left");
  ExpectColour(F.At(Cx + Q, Cy - Q), {0, 255, 0}, 6, "top right");
  ExpectColour(F.At(Cx - Q, Cy + Q), {0, 0, 255}, 6, "bottom left");
  ExpectColour(F.At(Cx + Q, Cy + Q), {255, 255, 255}, 6, "bottom right");
}

// The frame does not depend on what the depth buffer holds: the scene clears
// only colour, so one frame drawn over depth 0 (nearest) and the same frame,
// from the same state, drawn over depth 1 (farthest) are identical pixel for
// pixel. Fails if a depth test, or a depth write the next frame would read,
// comes into the scene without a depth clear.
inline void CheckDepthBufferIsNotUsed(Scene& Show, ShowRandom& Random, int Width, int Height) {
  Show.TiltAngle = 150.0f;  // squares at many depths
  for (int k = 0; k < 40; ++k) Show.StepFrame(Random);
  const Scene Start = Show;
  const ShowRandom StartRandom = Random;
  Frame Over[2];
  for (int Pass = 0; Pass < 2; ++Pass) {
    Show = Start;
    Random = StartRandom;
    glClearDepth(Pass == 0 ? 0.0 : 1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    Over[Pass] = DrawAndRead(Show, Random, Width, Height);
    Over[Pass] = DrawAndRead(Show, Random, Width, Height);  // a second frame over the first's depth
  }
  glClearDepth(1.0);
  int Lit = 0;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) Lit += Over[1].Lit(x, y);
  EXPECT_GT(Lit, Width * Height / 20);
  EXPECT_TRUE(Over[0].Rgba == Over[1].Rgba) << "the drawn frame depends on the depth buffer";
}

}  // namespace sorvane::testing
