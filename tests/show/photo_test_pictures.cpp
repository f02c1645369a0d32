// Test pictures (see photo_test_pictures.h).

#include "photo_test_pictures.h"

#include "picture_sampling.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace sorvane::testing {
namespace {

// Appends little-endian numbers.
void Put(std::string& S, uint32_t V, int Bytes) {
  for (int i = 0; i < Bytes; ++i) S.push_back(static_cast<char>((V >> (8 * i)) & 0xFF));
}

// One 0..255 component placed in a mask.
uint32_t IntoMask(int Component, uint32_t Mask) {
  if (Mask == 0) return 0;
  int shift = 0;
  while (((Mask >> shift) & 1u) == 0) ++shift;
  const uint32_t max = Mask >> shift;
  return ((static_cast<uint32_t>(Component) * max + 127) / 255) << shift;
}

}  // namespace

Bgr QuarterColour(int X, int Y, int Width, int Height) {
  const bool right = X >= Width / 2, bottom = Y >= Height / 2;
  if (!bottom) return right ? kGreen : kRed;
  return right ? kWhite : kBlue;
}

std::string MakeQuarterBmp(const BmpShape& S) {
  const bool bitfields = S.Compression == 3;
  std::array<uint32_t, 3> masks = S.Masks;
  if (!bitfields && S.Bits == 16) masks = {0x7C00, 0x03E0, 0x001F};
  if (!bitfields && S.Bits == 32) masks = {0xFF0000, 0xFF00, 0xFF};

  std::vector<Bgr> palette;
  if (S.Bits == 1) palette = {kWhite, kRed};
  else if (S.Bits <= 8) palette = {kRed, kGreen, kBlue, kWhite};
  const uint32_t paletteEntries = S.Bits <= 8 ? (S.ColoursUsed ? S.ColoursUsed : (1u << S.Bits)) : 0;

  std::string info;
  Put(info, S.InfoSize, 4);
  Put(info, static_cast<uint32_t>(S.Width), 4);
  Put(info, static_cast<uint32_t>(S.TopDown ? -S.Height : S.Height), 4);
  Put(info, 1, 2);
  Put(info, static_cast<uint32_t>(S.Bits), 2);
  Put(info, S.Compression, 4);
  Put(info, 0, 4);
  Put(info, 2835, 4);
  Put(info, 2835, 4);
  Put(info, S.ColoursUsed, 4);
  Put(info, 0, 4);
  std::string extra;  // masks and colour table
  if (S.InfoSize > 40) {
    for (uint32_t m : masks) Put(info, bitfields ? m : 0, 4);
    while (info.size() < S.InfoSize) info.push_back(0);
  } else if (bitfields) {
    for (uint32_t m : masks) Put(extra, m, 4);
  }
  for (uint32_t i = 0; i < paletteEntries; ++i) {
    const Bgr c = i < palette.size() ? palette[i] : kBlack;
    Put(extra, static_cast<uint32_t>(c.B | c.G << 8 | c.R << 16), 4);
  }

  const size_t stride = ((static_cast<size_t>(S.Width) * S.Bits + 31) / 32) * 4;
  std::string pixels(stride * static_cast<size_t>(S.Height), '\0');
  for (int fileRow = 0; fileRow < S.Height; ++fileRow) {
    const int y = S.TopDown ? fileRow : S.Height - 1 - fileRow;
    unsigned char* row = reinterpret_cast<unsigned char*>(&pixels[static_cast<size_t>(fileRow) * stride]);
    for (int x = 0; x < S.Width; ++x) {
      const Bgr c = QuarterColour(x, y, S.Width, S.Height);
      if (S.Bits <= 8) {
        unsigned index = 0;
        for (unsigned i = 0; i < palette.size(); ++i)
          if (palette[i].B == c.B && palette[i].G == c.G && palette[i].R == c.R) index = i;
        if (S.Bits == 1 && !(c.R == 255 && c.G == 0)) index = 0;
        const int perByte = 8 / S.Bits;
        const int shift = (perByte - 1 - x % perByte) * S.Bits;
        row[x / perByte] = static_cast<unsigned char>(row[x / perByte] | index << shift);
      } else if (S.Bits == 24) {
        row[x * 3] = static_cast<unsigned char>(c.B);
        row[x * 3 + 1] = static_cast<unsigned char>(c.G);
        row[x * 3 + 2] = static_cast<unsigned char>(c.R);
      } else {
        const uint32_t v = IntoMask(c.R, masks[0]) | IntoMask(c.G, masks[1]) | IntoMask(c.B, masks[2]);
        const int bytes = S.Bits / 8;
        for (int i = 0; i < bytes; ++i) row[x * bytes + i] = static_cast<unsigned char>(v >> (8 * i));
      }
    }
  }

  std::string file = "BM";
  const uint32_t offset = static_cast<uint32_t>(14 + info.size() + extra.size());
  Put(file, static_cast<uint32_t>(offset + pixels.size()), 4);
  Put(file, 0, 4);
  Put(file, offset, 4);
  return file + info + extra + pixels;
}

std::string Bytes(const unsigned char* Data, std::size_t Size) {
  return std::string(reinterpret_cast<const char*>(Data), Size);
}

Bgr PixelAt(const BgrImage& Image, int X, int Y) {
  const uint8_t* p = Image.Pixels.data() + (static_cast<size_t>(Y) * Image.Width + X) * 3;
  return Bgr{p[0], p[1], p[2]};
}

bool Near(Bgr A, Bgr B, int Tolerance) {
  return std::abs(A.B - B.B) <= Tolerance && std::abs(A.G - B.G) <= Tolerance && std::abs(A.R - B.R) <= Tolerance;
}

// Counts the pixels that differ from the quarter they sample.
void ExpectQuarters(const BgrImage& Image, int SourceWidth, int SourceHeight, bool OneBit, int Tolerance) {
  int wrong = 0;
  for (int y = 0; y < Image.Height; ++y)
    for (int x = 0; x < Image.Width; ++x) {
      Bgr want = QuarterColour(NearestSourceIndex(x, SourceWidth, Image.Width),
                               NearestSourceIndex(y, SourceHeight, Image.Height), SourceWidth, SourceHeight);
      if (OneBit && !(want.R == 255 && want.G == 0)) want = kWhite;
      if (!Near(PixelAt(Image, x, y), want, Tolerance)) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

}  // namespace sorvane::testing
