// BMP decoding (see bmp_reader.h). Every field of the headers is checked
// against the file's real length before it is used, so a damaged or hostile
// file ends in "unreadable" without large allocations.

#include "bmp_reader.h"

#include <cstring>
#include <vector>

#include "picture_sampling.h"

namespace sorvane {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

// One colour channel of a 16- or 32-bit pixel: its mask and how to widen it.
struct Channel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
};

// What the headers say, after checking.
struct BmpLayout {
  int Width = 0;
  int Height = 0;
  bool TopDown = false;
  int Bits = 0;
  uint64_t PixelOffset = 0;
  uint64_t Stride = 0;
  uint64_t RowBytes = 0;  // bytes of one row without its padding
  Channel Red, Green, Blue;
  uint8_t Palette[256][3] = {};  // blue, green, red; unused entries are black
};

// Little-endian numbers out of a header buffer.
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Derives the shift and the largest value of a channel mask.
Channel MakeChannel(uint32_t Mask) {
  Channel c;
  c.Mask = Mask;
  if (Mask == 0) return c;
  while (((Mask >> c.Shift) & 1u) == 0) ++c.Shift;
  c.Max = Mask >> c.Shift;
  return c;
}

// One channel of a pixel widened to 0..255.
uint8_t ChannelValue(const Channel& C, uint32_t Pixel) {
  if (C.Max == 0) return 0;
  const uint64_t v = (Pixel & C.Mask) >> C.Shift;
  return static_cast<uint8_t>((v * 255 + C.Max / 2) / C.Max);
}

// Reads and checks the headers, the masks and the colour table.
bool ParseBmp(ByteSource& Source, BmpLayout& L) {
  uint8_t h[14 + 124];
  if (!Source.ReadAt(0, h, 14 + 40)) return false;
  if (h[0] != 'B' || h[1] != 'M') return false;
  const uint32_t infoSize = U32(h + 14);
  if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124) return false;
  if (infoSize > 40 && !Source.ReadAt(14 + 40, h + 14 + 40, infoSize - 40)) return false;

  const int64_t width = static_cast<int32_t>(U32(h + 18));
  const int64_t height = static_cast<int32_t>(U32(h + 22));
  const int64_t absHeight = height < 0 ? -height : height;
  if (!PictureSizeAllowed(width, absHeight)) return false;
  L.Width = static_cast<int>(width);
  L.Height = static_cast<int>(absHeight);
  L.TopDown = height < 0;
  L.Bits = U16(h + 28);
  const uint32_t compression = U32(h + 30);
  const uint32_t colorsUsed = U32(h + 46);

  uint64_t afterHeaders = 14 + static_cast<uint64_t>(infoSize);
  const bool bitfields = compression == kBiBitfields || compression == kBiAlphaBitfields;
  if (compression != kBiRgb && !bitfields) return false;
  switch (L.Bits) {
    case 1: case 4: case 8: case 24:
      if (compression != kBiRgb) return false;
      break;
    case 16: case 32:
      break;
    default:
      return false;
  }

  if (bitfields) {
    uint8_t m[12];
    if (infoSize >= 52) {
      std::memcpy(m, h + 14 + 40, 12);
    } else {
      if (!Source.ReadAt(afterHeaders, m, 12)) return false;
      afterHeaders += compression == kBiAlphaBitfields ? 16 : 12;
    }
    L.Red = MakeChannel(U32(m));
    L.Green = MakeChannel(U32(m + 4));
    L.Blue = MakeChannel(U32(m + 8));
    if (L.Bits == 16) {  // a 16-bit pixel has no bits above 15
      L.Red = MakeChannel(L.Red.Mask & 0xFFFFu);
      L.Green = MakeChannel(L.Green.Mask & 0xFFFFu);
      L.Blue = MakeChannel(L.Blue.Mask & 0xFFFFu);
    }
  } else if (L.Bits == 16) {
    L.Red = MakeChannel(0x7C00u);
    L.Green = MakeChannel(0x03E0u);
    L.Blue = MakeChannel(0x001Fu);
  } else if (L.Bits == 32) {
    L.Red = MakeChannel(0x00FF0000u);
    L.Green = MakeChannel(0x0000FF00u);
    L.Blue = MakeChannel(0x000000FFu);
  }

  if (L.Bits <= 8) {
    const uint32_t most = 1u << L.Bits;
    const uint32_t entries = (colorsUsed == 0 || colorsUsed > most) ? most : colorsUsed;
    uint8_t table[256 * 4];
    if (!Source.ReadAt(afterHeaders, table, entries * 4)) return false;
    for (uint32_t i = 0; i < entries; ++i) {
      L.Palette[i][0] = table[i * 4];
      L.Palette[i][1] = table[i * 4 + 1];
      L.Palette[i][2] = table[i * 4 + 2];
    }
    afterHeaders += static_cast<uint64_t>(colorsUsed > most ? colorsUsed : entries) * 4;
  }

  // The pixels start where the file header says; writers that leave it 0
  // put them right after the colour table.
  const uint32_t offBits = U32(h + 10);
  L.PixelOffset = offBits != 0 ? offBits : afterHeaders;
  L.RowBytes = (static_cast<uint64_t>(L.Width) * static_cast<uint64_t>(L.Bits) + 7) / 8;
  L.Stride = ((static_cast<uint64_t>(L.Width) * static_cast<uint64_t>(L.Bits) + 31) / 32) * 4;
  const uint64_t end = L.PixelOffset + L.Stride * static_cast<uint64_t>(L.Height - 1) + L.RowBytes;
  return end <= Source.Size();
}

// Turns one stored row into blue-green-red pixels.
void ConvertRow(const BmpLayout& L, const uint8_t* In, uint8_t* Out) {
  const int w = L.Width;
  switch (L.Bits) {
    case 1: case 4: case 8: {
      const int perByte = 8 / L.Bits;
      const unsigned mask = (1u << L.Bits) - 1;
      for (int x = 0; x < w; ++x) {
        const int shift = (perByte - 1 - x % perByte) * L.Bits;
        const unsigned index = (In[x / perByte] >> shift) & mask;
        std::memcpy(Out + x * 3, L.Palette[index], 3);
      }
      break;
    }
    case 24:
      std::memcpy(Out, In, static_cast<size_t>(w) * 3);
      break;
    case 16: case 32: {
      const int bytes = L.Bits / 8;
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = In + x * bytes;
        const uint32_t pixel = bytes == 2 ? U16(p) : U32(p);
        Out[x * 3] = ChannelValue(L.Blue, pixel);
        Out[x * 3 + 1] = ChannelValue(L.Green, pixel);
        Out[x * 3 + 2] = ChannelValue(L.Red, pixel);
      }
      break;
    }
  }
}

}  // namespace

// Size from the checked headers.
bool ReadBmpSize(ByteSource& Source, int& Width, int& Height) {
  BmpLayout layout;
  if (!ParseBmp(Source, layout)) return false;
  Width = layout.Width;
  Height = layout.Height;
  return true;
}

// Reads the sampled rows one at a time and converts them.
bool LoadBmpScaled(ByteSource& Source, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  BmpLayout layout;
  if (!ParseBmp(Source, layout)) return false;
  std::vector<uint8_t> stored(static_cast<size_t>(layout.RowBytes));
  std::vector<uint8_t> bgr(static_cast<size_t>(layout.Width) * 3);
  BgrImage result;
  NearestRowSampler sampler(layout.Width, layout.Height, DestWidth, DestHeight, result);
  for (int row; (row = sampler.NextSourceRow()) >= 0;) {
    const int storedRow = layout.TopDown ? row : layout.Height - 1 - row;
    if (!Source.ReadAt(layout.PixelOffset + layout.Stride * static_cast<uint64_t>(storedRow), stored.data(),
                       stored.size()))
      return false;
    ConvertRow(layout, stored.data(), bgr.data());
    sampler.TakeRow(bgr.data());
  }
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
