// Reading the temporary bitmap back for the texture: good files give their
// rows as stored, and every kind of bad file is refused with a description.

#include <gtest/gtest.h>

#include <string>

#include "../support/temp_folder.h"
#include "photo_test_pictures.h"
#include "paths.h"
#include "photo_square.h"
#include "photo_texture.h"

namespace sorvane {
namespace {

using testing::TempFolder;

// A 24-bit bitmap header for Width x Height with pixel bytes counted as
// stored rows padded to 4 bytes; Bits overrides the depth.
std::string Header(int32_t Width, int32_t Height, int Bits = 24) {
  std::string h(54, '\0');
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) h[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  h[0] = 'B';
  h[1] = 'M';
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(Width), 4);
  put(22, static_cast<uint32_t>(Height), 4);
  put(26, 1, 2);
  put(28, static_cast<uint32_t>(Bits), 2);
  return h;
}

TEST(ReadPhotoBitmap, ReadsRowsAsStoredIncludingRowPadding) {
  TempFolder t;
  std::string pixels;
  for (int i = 0; i < 12 * 2; ++i) pixels.push_back(static_cast<char>(i));
  t.Write("b.bmp", Header(3, 2) + pixels + "trailing bytes are ignored");
  PhotoBitmapPixels out;
  std::string error;
  ASSERT_TRUE(ReadPhotoBitmap(t.File("b.bmp"), out, error)) << error;
  EXPECT_EQ(out.Width, 3);
  EXPECT_EQ(out.Height, 2);
  EXPECT_EQ(std::string(out.Pixels.begin(), out.Pixels.end()), pixels);
}

TEST(ReadPhotoBitmap, RefusesMissingShortAndWrongFilesWithADescription) {
  TempFolder t;
  const std::string square(512 * 512 * 3, '\x40');
  struct Bad {
    const char* Name;
    std::string Bytes;
  };
  const Bad bad[] = {
      {"empty", ""},
      {"short header", Header(512, 512).substr(0, 40)},
      {"no pixels", Header(512, 512)},
      {"short pixels", Header(512, 512) + square.substr(0, square.size() - 1)},
      {"8 bits", Header(512, 512, 8) + square},
      {"32 bits", Header(512, 512, 32) + square + square},
      {"0 bits", Header(512, 512, 0) + square},
      {"width 0", Header(0, 512) + square},
      {"height 0", Header(512, 0) + square},
      {"top-down", Header(512, -512) + square},
      {"too wide", Header(5000, 1) + square},
      {"huge", Header(100000, 100000) + square},
      {"negative width", Header(-512, 512) + square},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.Name);
    t.Write("bad.bmp", b.Bytes);
    PhotoBitmapPixels out;
    std::string error;
    EXPECT_FALSE(ReadPhotoBitmap(t.File("bad.bmp"), out, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
  PhotoBitmapPixels out;
  std::string error;
  EXPECT_FALSE(ReadPhotoBitmap(t.File("missing.bmp"), out, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ReadPhotoBitmap(t.Path(), out, error));
  EXPECT_FALSE(FileExists(t.File("missing.bmp")));  // never created by the reader
}

// A picture in memory is laid out exactly as the texture reads the bitmap file
// of the same picture: the bottom row first, rows padded to 4 bytes.
TEST(PhotoBitmapPixelsOf, MatchesTheBitmapFileOfThePicture) {
  TempFolder t;
  BgrImage square;
  square.Width = square.Height = 512;
  for (int i = 0; i < 512 * 512 * 3; ++i) square.Pixels.push_back(static_cast<uint8_t>(i * 7 / 3));
  const std::vector<uint8_t> file = EncodePhotoBitmap(square);
  t.Write("square.bmp", std::string(file.begin(), file.end()));
  PhotoBitmapPixels fromFile, fromMemory;
  std::string error;
  ASSERT_TRUE(ReadPhotoBitmap(t.File("square.bmp"), fromFile, error)) << error;
  ASSERT_TRUE(PhotoBitmapPixelsOf(square, fromMemory, error)) << error;
  EXPECT_EQ(fromMemory.Width, 512);
  EXPECT_EQ(fromMemory.Height, 512);
  EXPECT_TRUE(fromMemory.Pixels == fromFile.Pixels);

  // 3 x 2: rows of 9 bytes padded to 12, the bottom row first.
  const BgrImage small{3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19}};
  ASSERT_TRUE(PhotoBitmapPixelsOf(small, fromMemory, error)) << error;
  EXPECT_EQ(fromMemory.Pixels,
            (std::vector<uint8_t>{11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));

  const BgrImage bad[] = {{}, {3, 2, {1, 2, 3}}, {5000, 1, std::vector<uint8_t>(15000)}};
  for (const BgrImage& b : bad) {
    error.clear();
    EXPECT_FALSE(PhotoBitmapPixelsOf(b, fromMemory, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace sorvane
