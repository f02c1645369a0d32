// Test pictures for the photo tests: the files of data/ (compiled in) and a
// BMP writer for every depth and layout our reader accepts. Every picture is
// split in four quarters: red top-left, green top-right, blue bottom-left,
// white bottom-right.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "picture_file.h"

namespace sorvane {

extern const unsigned char kTestBaselineJpeg[];
extern const std::size_t kTestBaselineJpegSize;
extern const unsigned char kTestProgressiveJpeg[];
extern const std::size_t kTestProgressiveJpegSize;
extern const unsigned char kTestGrayJpeg[];
extern const std::size_t kTestGrayJpegSize;
extern const unsigned char kTestCmykJpeg[];
extern const std::size_t kTestCmykJpegSize;
extern const unsigned char kTestPngRgb8Png[];
extern const std::size_t kTestPngRgb8PngSize;
extern const unsigned char kTestPngRgb16Png[];
extern const std::size_t kTestPngRgb16PngSize;
extern const unsigned char kTestPngPalettePng[];
extern const std::size_t kTestPngPalettePngSize;
extern const unsigned char kTestPngInterlacedPng[];
extern const std::size_t kTestPngInterlacedPngSize;
extern const unsigned char kTestPngGrey16Png[];
extern const std::size_t kTestPngGrey16PngSize;
extern const unsigned char kTestPngRgbaPng[];
extern const std::size_t kTestPngRgbaPngSize;
extern const unsigned char kTestPngPaletteTrnsPng[];
extern const std::size_t kTestPngPaletteTrnsPngSize;
extern const unsigned char kTestPngExif6Png[];
extern const std::size_t kTestPngExif6PngSize;
extern const unsigned char kTestWebpLossyWebp[];
extern const std::size_t kTestWebpLossyWebpSize;
extern const unsigned char kTestWebpLosslessWebp[];
extern const std::size_t kTestWebpLosslessWebpSize;
extern const unsigned char kTestWebpAlphaWebp[];
extern const std::size_t kTestWebpAlphaWebpSize;
extern const unsigned char kTestWebpExif8Webp[];
extern const std::size_t kTestWebpExif8WebpSize;
extern const unsigned char kTestGifPlain[];
extern const std::size_t kTestGifPlainSize;
extern const unsigned char kTestGifInterlaced[];
extern const std::size_t kTestGifInterlacedSize;
extern const unsigned char kTestGifLocalMap[];
extern const std::size_t kTestGifLocalMapSize;
extern const unsigned char kTestGifTransparent[];
extern const std::size_t kTestGifTransparentSize;
extern const unsigned char kTestGifSmallFrame[];
extern const std::size_t kTestGifSmallFrameSize;
extern const unsigned char kTestTiffRgb8[];
extern const std::size_t kTestTiffRgb8Size;
extern const unsigned char kTestTiffRgb16[];
extern const std::size_t kTestTiffRgb16Size;
extern const unsigned char kTestTiffGrey8[];
extern const std::size_t kTestTiffGrey8Size;
extern const unsigned char kTestTiffPalette2[];
extern const std::size_t kTestTiffPalette2Size;
extern const unsigned char kTestTiffPalette8[];
extern const std::size_t kTestTiffPalette8Size;
extern const unsigned char kTestTiffAlpha[];
extern const std::size_t kTestTiffAlphaSize;
extern const unsigned char kTestTiffTiled[];
extern const std::size_t kTestTiffTiledSize;
extern const unsigned char kTestTiffOriented[];
extern const std::size_t kTestTiffOrientedSize;
extern const unsigned char kTestHeifQuartersHeic[];  // HEIC, AVIF, irot-turned, 10-bit, alpha
extern const std::size_t kTestHeifQuartersHeicSize;
extern const unsigned char kTestHeifQuartersAvif[];
extern const std::size_t kTestHeifQuartersAvifSize;
extern const unsigned char kTestHeifTurnedHeic[];
extern const std::size_t kTestHeifTurnedHeicSize;
extern const unsigned char kTestHeif10BitHeic[];
extern const std::size_t kTestHeif10BitHeicSize;
extern const unsigned char kTestHeifAlphaHeic[];  // the white quarter transparent
extern const std::size_t kTestHeifAlphaHeicSize;

namespace testing {

// Blue, green, red of one pixel.
struct Bgr {
  int B, G, R;
};

constexpr Bgr kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

// The colour of the quarter that (X, Y) of a Width x Height picture lies in.
Bgr QuarterColour(int X, int Y, int Width, int Height);

// What a BMP to write looks like.
struct BmpShape {
  int Bits = 24;
  int Width = 64;
  int Height = 48;
  bool TopDown = false;
  uint32_t Compression = 0;                // 0 BI_RGB, 3 BI_BITFIELDS
  std::array<uint32_t, 3> Masks{};         // red, green, blue, for bit fields
  uint32_t InfoSize = 40;                  // 40, or 124 with the masks inside
  uint32_t ColoursUsed = 0;
};

// A BMP of the four quarters in the given layout (1-bit pictures: red top-left
// quarter on white).
std::string MakeQuarterBmp(const BmpShape& Shape);

// The embedded JPEG as a byte string.
std::string Bytes(const unsigned char* Data, std::size_t Size);

// The pixel at (X, Y) of a picture.
Bgr PixelAt(const BgrImage& Image, int X, int Y);

// True when every channel is within Tolerance.
bool Near(Bgr A, Bgr B, int Tolerance);

// Expects every pixel of Image to have the colour of the source pixel it
// samples in a SourceWidth x SourceHeight quarter picture (OneBit: the red
// quarter on white), within Tolerance (lossy formats).
void ExpectQuarters(const BgrImage& Image, int SourceWidth, int SourceHeight, bool OneBit = false,
                    int Tolerance = 0);

}  // namespace testing
}  // namespace sorvane
