// Benchmark of the photo square for large photographs: PreparePhotoSquare on
// a 6000 x 4000 baseline JPEG and on an 8000 x 6000 (48-megapixel)
// progressive 4:4:4 JPEG, whose decoding keeps every coefficient (both
// generated at start with libjpeg), beside a plain full decode of the first
// file to memory by libjpeg-turbo, and the first file again with an EXIF tag
// that turns it a quarter (a phone photograph held upright). Each
// iteration runs in a forked child, so that its wall time and its peak memory
// (the rise of ru_maxrss over the child's start) are its own. Then PNG
// (progressive and interlaced) and WebP (lossy and lossless) photographs of
// 6000 x 4000, generated at start with libpng and libwebp: each read to the
// photo square's size by LoadPictureScaled beside the same library's plain
// full decode to RGB in the same run, with the ratios of their times and
// peak memory. GIF and TIFF photographs are measured the same way against
// their libraries' full decodes (see near the end). Prints figures; it passes
// or fails nothing.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <webp/decode.h>
#include <webp/encode.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "photo_square.h"
#include "picture_file.h"

namespace sorvane {
namespace {

// A photograph to generate.
struct PhotoShape {
  int Width, Height;
  bool Progressive444;  // progressive, no chroma subsampling
  int Orientation;      // EXIF orientation tag written, 0 for none
};

constexpr PhotoShape kBaseline{6000, 4000, false, 0};
constexpr PhotoShape kProgressive48{8000, 6000, true, 0};
constexpr PhotoShape kTurnedBaseline{6000, 4000, false, 6};

// What one child reports.
struct Measure {
  double Seconds = 0;
  long PeakRiseKb = 0;
  bool Ok = false;
};

// The generated photograph in its own folder, removed at the end.
struct GeneratedPhoto {
  std::string Folder, File;
  ~GeneratedPhoto() {
    std::remove(File.c_str());
    rmdir(Folder.c_str());
  }
};

// Writes a generated photograph of Shape in a new folder (returned by
// guaranteed elision, so its destructor runs only at the end).
GeneratedPhoto Generate(const PhotoShape& Shape) {
  const int width = Shape.Width, height = Shape.Height;
  char folder[] = "/tmp/sorvane-bench-XXXXXX";
  if (!mkdtemp(folder)) std::abort();
  const std::string file = std::string(folder) + "/large.jpg";
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) std::abort();
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = width;
  c.image_height = height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  if (Shape.Progressive444) {
    for (int i = 0; i < c.num_components; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  if (Shape.Orientation) {
    // "Exif\0\0", a little-endian TIFF header and one IFD with the tag.
    const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0,
                                  1, 0, 0, 0, static_cast<unsigned char>(Shape.Orientation), 0, 0, 0, 0, 0, 0, 0};
    jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
  }
  std::vector<unsigned char> row(width * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    // Smooth gradients with fine noise: a photograph's detail, roughly.
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int n = static_cast<int>(noise >> 28);
      row[x * 3] = static_cast<unsigned char>((x * 255 / width + n) & 0xFF);
      row[x * 3 + 1] = static_cast<unsigned char>((y * 255 / height + n) & 0xFF);
      row[x * 3 + 2] = static_cast<unsigned char>(((x ^ y) >> 4) & 0xFF);
    }
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&c, &line, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(out);
  return GeneratedPhoto{folder, file};
}

// The generated photographs' paths; each made once.
const std::string& PhotoPath() {
  static const GeneratedPhoto photo = Generate(kBaseline);
  return photo.File;
}
const std::string& TurnedPhotoPath() {
  static const GeneratedPhoto photo = Generate(kTurnedBaseline);
  return photo.File;
}
const std::string& ProgressivePhotoPath() {
  static const GeneratedPhoto photo = Generate(kProgressive48);
  return photo.File;
}

long MaxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Runs Work in a child process and reports its time and peak memory rise.
template <class F>
Measure InChild(F Work) {
  int fds[2];
  if (pipe(fds) != 0) return Measure{};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    Measure m;
    const long before = MaxRssKb();
    const auto start = std::chrono::steady_clock::now();
    m.Ok = Work();
    m.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.PeakRiseKb = MaxRssKb() - before;
    if (write(fds[1], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  Measure m;
  if (read(fds[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m = Measure{};
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return m;
}

// Shares the figures of the last child with the report.
void Report(benchmark::State& State, const Measure& M, long& Peak) {
  if (!M.Ok) State.SkipWithError("the work failed");
  State.SetIterationTime(M.Seconds);
  if (M.PeakRiseKb > Peak) Peak = M.PeakRiseKb;
  State.counters["peak_MB"] = static_cast<double>(Peak) / 1024.0;
}

// The photo square of Path in a child; true when the photograph was shown.
void PrepareSquare(benchmark::State& State, const std::string& Path) {
  long peak = 0;
  for (auto _ : State) {
    Report(State, InChild([&] {
      ShowRandom random(1);
      const PhotoBitmapFile file = PreparePhotoSquare(Path, "", random, PhotoBitmapPlace::PrivateTempFolder);
      const bool ok = !file.Path.empty() && file.Photo == PictureProblem::NoProblem;
      DeletePhotoBitmap(file);
      return ok;
    }), peak);
  }
}

void BM_PreparePhotoSquareProgressive48MP(benchmark::State& State) { PrepareSquare(State, ProgressivePhotoPath()); }
void BM_PreparePhotoSquareTurned(benchmark::State& State) { PrepareSquare(State, TurnedPhotoPath()); }

void BM_PreparePhotoSquare(benchmark::State& State) {
  const std::string& path = PhotoPath();
  long peak = 0;
  for (auto _ : State) {
    Report(State, InChild([&] {
      ShowRandom random(1);
      const PhotoBitmapFile file = PreparePhotoSquare(path, "", random, PhotoBitmapPlace::PrivateTempFolder);
      const bool ok = !file.Path.empty();
      DeletePhotoBitmap(file);
      return ok;
    }), peak);
  }
}

void BM_FullDecodeLibjpeg(benchmark::State& State) {
  const std::string& path = PhotoPath();
  long peak = 0;
  for (auto _ : State) {
    Report(State, InChild([&] {
      std::FILE* in = std::fopen(path.c_str(), "rb");
      if (!in) return false;
      jpeg_decompress_struct d{};
      jpeg_error_mgr err{};
      d.err = jpeg_std_error(&err);
      jpeg_create_decompress(&d);
      jpeg_stdio_src(&d, in);
      jpeg_read_header(&d, TRUE);
      d.out_color_space = JCS_EXT_BGR;
      jpeg_start_decompress(&d);
      const size_t stride = static_cast<size_t>(d.output_width) * 3;
      std::vector<unsigned char> pixels(stride * d.output_height);
      while (d.output_scanline < d.output_height) {
        JSAMPROW line = pixels.data() + stride * d.output_scanline;
        jpeg_read_scanlines(&d, &line, 1);
      }
      jpeg_finish_decompress(&d);
      jpeg_destroy_decompress(&d);
      std::fclose(in);
      benchmark::DoNotOptimize(pixels.data());
      return true;
    }), peak);
  }
}

// The noisy gradients of Generate, one row of RGB.
void FillRow(std::vector<unsigned char>& Row, int Y, int Width, int Height, uint32_t& Noise) {
  for (int x = 0; x < Width; ++x) {
    Noise = Noise * 1664525u + 1013904223u;
    const int n = static_cast<int>(Noise >> 28);
    Row[x * 3] = static_cast<unsigned char>((x * 255 / Width + n) & 0xFF);
    Row[x * 3 + 1] = static_cast<unsigned char>((Y * 255 / Height + n) & 0xFF);
    Row[x * 3 + 2] = static_cast<unsigned char>(((x ^ Y) >> 4) & 0xFF);
  }
}

constexpr int kLargeWidth = 6000, kLargeHeight = 4000;

// A new folder for a generated photograph named Name.
GeneratedPhoto NewPhoto(const char* Name) {
  char folder[] = "/tmp/sorvane-bench-XXXXXX";
  if (!mkdtemp(folder)) std::abort();
  return GeneratedPhoto{folder, std::string(folder) + "/" + Name};
}

GeneratedPhoto GeneratePng(bool Interlaced) {
  GeneratedPhoto photo = NewPhoto("large.png");
  std::FILE* out = std::fopen(photo.File.c_str(), "wb");
  if (!out) std::abort();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (!png || !info || setjmp(png_jmpbuf(png))) std::abort();
  png_init_io(png, out);
  png_set_compression_level(png, 3);
  png_set_IHDR(png, info, kLargeWidth, kLargeHeight, 8, PNG_COLOR_TYPE_RGB,
               Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<unsigned char> pixels(static_cast<size_t>(kLargeWidth) * 3 * kLargeHeight);
  std::vector<png_bytep> rows(kLargeHeight);
  std::vector<unsigned char> row(kLargeWidth * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < kLargeHeight; ++y) {
    FillRow(row, y, kLargeWidth, kLargeHeight, noise);
    rows[y] = pixels.data() + static_cast<size_t>(y) * kLargeWidth * 3;
    std::copy(row.begin(), row.end(), rows[y]);
  }
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(out);
  return photo;
}

GeneratedPhoto GenerateWebP(bool Lossless) {
  GeneratedPhoto photo = NewPhoto("large.webp");
  std::vector<unsigned char> pixels(static_cast<size_t>(kLargeWidth) * 3 * kLargeHeight);
  std::vector<unsigned char> row(kLargeWidth * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < kLargeHeight; ++y) {
    FillRow(row, y, kLargeWidth, kLargeHeight, noise);
    std::copy(row.begin(), row.end(), pixels.begin() + static_cast<ptrdiff_t>(y) * kLargeWidth * 3);
  }
  WebPConfig config;
  WebPPicture picture;
  if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) std::abort();
  config.lossless = Lossless ? 1 : 0;
  config.quality = Lossless ? 0 : 80;
  config.method = Lossless ? 0 : 2;  // the encoder's fast settings: only decoding is measured
  picture.use_argb = Lossless ? 1 : 0;
  picture.width = kLargeWidth;
  picture.height = kLargeHeight;
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  if (!WebPPictureImportRGB(&picture, pixels.data(), kLargeWidth * 3) || !WebPEncode(&config, &picture)) std::abort();
  std::FILE* out = std::fopen(photo.File.c_str(), "wb");
  if (!out || std::fwrite(writer.mem, 1, writer.size, out) != writer.size) std::abort();
  std::fclose(out);
  WebPPictureFree(&picture);
  WebPMemoryWriterClear(&writer);
  return photo;
}

const std::string& PngPath() {
  static const GeneratedPhoto photo = GeneratePng(false);
  return photo.File;
}
const std::string& InterlacedPngPath() {
  static const GeneratedPhoto photo = GeneratePng(true);
  return photo.File;
}
const std::string& LossyWebPPath() {
  static const GeneratedPhoto photo = GenerateWebP(false);
  return photo.File;
}
const std::string& LosslessWebPPath() {
  static const GeneratedPhoto photo = GenerateWebP(true);
  return photo.File;
}

// The photograph read to the square's size, as the photo square reads it.
bool LoadSquare(const std::string& Path) {
  const PhotoFit fit = FitPhotoToSquare(kLargeWidth, kLargeHeight);
  BgrImage image;
  return LoadPictureScaled(Path, fit.Width, fit.Height, image) && image.Width == fit.Width;
}

// libpng's plain full decode to RGB: every row into one picture.
bool FullDecodePng(const std::string& Path) {
  std::FILE* in = std::fopen(Path.c_str(), "rb");
  if (!in) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, in);
  png_read_info(png, info);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t stride = png_get_rowbytes(png, info), height = png_get_image_height(png, info);
  std::vector<unsigned char> pixels(stride * height);
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = pixels.data() + y * stride;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(in);
  benchmark::DoNotOptimize(pixels.data());
  return true;
}

// libwebp's plain full decode to RGB, the file read into memory first.
bool FullDecodeWebP(const std::string& Path) {
  std::FILE* in = std::fopen(Path.c_str(), "rb");
  if (!in) return false;
  std::vector<unsigned char> bytes;
  unsigned char buffer[1 << 16];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(in);
  int width = 0, height = 0;
  uint8_t* rgb = WebPDecodeRGB(bytes.data(), bytes.size(), &width, &height);
  benchmark::DoNotOptimize(rgb);
  WebPFree(rgb);
  return rgb != nullptr;
}

// The square beside the full decode, a child each per iteration: the square's
// time is the iteration's, and the counters give both and their ratios.
template <class Full>
void SquareBesideFullDecode(benchmark::State& State, const std::string& Path, Full FullDecode) {
  double squareSeconds = 0, fullSeconds = 0;
  long squarePeak = 0, fullPeak = 0;
  int runs = 0;
  for (auto _ : State) {
    const Measure square = InChild([&] { return LoadSquare(Path); });
    const Measure full = InChild([&] { return FullDecode(Path); });
    if (!square.Ok || !full.Ok) State.SkipWithError("the work failed");
    State.SetIterationTime(square.Seconds);
    squareSeconds += square.Seconds;
    fullSeconds += full.Seconds;
    squarePeak = std::max(squarePeak, square.PeakRiseKb);
    fullPeak = std::max(fullPeak, full.PeakRiseKb);
    ++runs;
  }
  if (runs == 0) return;
  State.counters["full_ms"] = fullSeconds * 1000 / runs;
  State.counters["time_ratio"] = fullSeconds > 0 ? squareSeconds / fullSeconds : 0;
  State.counters["peak_MB"] = static_cast<double>(squarePeak) / 1024.0;
  State.counters["full_peak_MB"] = static_cast<double>(fullPeak) / 1024.0;
  State.counters["mem_ratio"] = fullPeak > 0 ? static_cast<double>(squarePeak) / static_cast<double>(fullPeak) : 0;
}

void BM_SquarePng(benchmark::State& State) { SquareBesideFullDecode(State, PngPath(), FullDecodePng); }
void BM_SquarePngInterlaced(benchmark::State& State) {
  SquareBesideFullDecode(State, InterlacedPngPath(), FullDecodePng);
}
void BM_SquareWebPLossy(benchmark::State& State) { SquareBesideFullDecode(State, LossyWebPPath(), FullDecodeWebP); }
void BM_SquareWebPLossless(benchmark::State& State) {
  SquareBesideFullDecode(State, LosslessWebPPath(), FullDecodeWebP);
}

BENCHMARK(BM_PreparePhotoSquare)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PreparePhotoSquareTurned)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FullDecodeLibjpeg)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PreparePhotoSquareProgressive48MP)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquarePng)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquarePngInterlaced)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquareWebPLossy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquareWebPLossless)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// GIF and TIFF: a generated 6000 x 4000 photograph of each layout scaled to
// the square (512 x 341, LoadPictureScaled) beside the library's plain full
// decode to RGB, both measured in each iteration; the counters are the
// square's figures and its ratios to the full decode's.
constexpr int kSquareWidth = 512, kSquareHeight = 341;  // kLargeWidth x kLargeHeight as above

// The photograph's colour at (X, Y): gradients with fine noise, as above.
void LargeRgb(int Y, std::vector<unsigned char>& Row, uint32_t& Noise) {
  Row.resize(static_cast<size_t>(kLargeWidth) * 3);
  for (int x = 0; x < kLargeWidth; ++x) {
    Noise = Noise * 1664525u + 1013904223u;
    const int n = static_cast<int>(Noise >> 28);
    Row[x * 3] = static_cast<unsigned char>((x * 255 / kLargeWidth + n) & 0xFF);
    Row[x * 3 + 1] = static_cast<unsigned char>((Y * 255 / kLargeHeight + n) & 0xFF);
    Row[x * 3 + 2] = static_cast<unsigned char>(((x ^ Y) >> 4) & 0xFF);
  }
}

std::string NewBenchFolder() {
  char folder[] = "/tmp/sorvane-bench-XXXXXX";
  if (!mkdtemp(folder)) std::abort();
  return folder;
}

// A 256-colour GIF (3-3-2 bits of red, green, blue), its rows in order or
// interlaced (written in the order of the four passes).
GeneratedPhoto GenerateGif(bool Interlaced) {
  const std::string folder = NewBenchFolder(), file = folder + "/large.gif";
  int error = 0;
  GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
  if (!gif) std::abort();
  GifColorType colours[256];
  for (int i = 0; i < 256; ++i)
    colours[i] = GifColorType{static_cast<GifByteType>((i >> 5) * 255 / 7), static_cast<GifByteType>(((i >> 2) & 7) * 255 / 7),
                              static_cast<GifByteType>((i & 3) * 255 / 3)};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, kLargeWidth, kLargeHeight, 8, 0, map) == GIF_ERROR ||
      EGifPutImageDesc(gif, 0, 0, kLargeWidth, kLargeHeight, Interlaced, nullptr) == GIF_ERROR)
    std::abort();
  std::vector<int> order;
  static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < (Interlaced ? 4 : 1); ++pass)
    for (int y = Interlaced ? kStart[pass] : 0; y < kLargeHeight; y += Interlaced ? kStep[pass] : 1) order.push_back(y);
  std::vector<unsigned char> rgb;
  std::vector<GifPixelType> line(kLargeWidth);
  for (const int y : order) {
    uint32_t noise = 12345u + static_cast<uint32_t>(y);
    LargeRgb(y, rgb, noise);
    for (int x = 0; x < kLargeWidth; ++x)
      line[x] = static_cast<GifPixelType>((rgb[x * 3] & 0xE0) | ((rgb[x * 3 + 1] >> 3) & 0x1C) | (rgb[x * 3 + 2] >> 6));
    if (EGifPutLine(gif, line.data(), kLargeWidth) == GIF_ERROR) std::abort();
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return GeneratedPhoto{folder, file};
}

// An 8-bit RGB TIFF, LZW with the horizontal predictor, in libtiff's
// default strips (a few rows each) or in 256 x 256 tiles.
GeneratedPhoto GenerateTiff(bool Tiled) {
  const std::string folder = NewBenchFolder(), file = folder + "/large.tif";
  TIFF* tif = TIFFOpen(file.c_str(), "w");
  if (!tif) std::abort();
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kLargeWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kLargeHeight);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  std::vector<unsigned char> rgb;
  uint32_t noise = 12345;
  if (!Tiled) {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    for (int y = 0; y < kLargeHeight; ++y) {
      LargeRgb(y, rgb, noise);
      if (TIFFWriteScanline(tif, rgb.data(), static_cast<uint32_t>(y), 0) < 0) std::abort();
    }
  } else {
    constexpr int kTile = 256;
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, kTile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, kTile);
    std::vector<unsigned char> band(static_cast<size_t>(kLargeWidth) * 3 * kTile), tile(kTile * kTile * 3);
    for (int top = 0; top < kLargeHeight; top += kTile) {
      for (int y = top; y < std::min(top + kTile, kLargeHeight); ++y) {
        LargeRgb(y, rgb, noise);
        std::copy(rgb.begin(), rgb.end(), band.begin() + static_cast<size_t>(y - top) * kLargeWidth * 3);
      }
      for (int left = 0; left < kLargeWidth; left += kTile) {
        std::fill(tile.begin(), tile.end(), 0);
        for (int y = 0; y < kTile && top + y < kLargeHeight; ++y)
          for (int x = 0; x < kTile * 3 && left * 3 + x < kLargeWidth * 3; ++x)
            tile[static_cast<size_t>(y) * kTile * 3 + x] = band[static_cast<size_t>(y) * kLargeWidth * 3 + left * 3 + x];
        if (TIFFWriteTile(tif, tile.data(), static_cast<uint32_t>(left), static_cast<uint32_t>(top), 0, 0) < 0)
          std::abort();
      }
    }
  }
  TIFFClose(tif);
  return GeneratedPhoto{folder, file};
}

const std::string& GifPath() {
  static const GeneratedPhoto photo = GenerateGif(false);
  return photo.File;
}
const std::string& InterlacedGifPath() {
  static const GeneratedPhoto photo = GenerateGif(true);
  return photo.File;
}
const std::string& TiffStripsPath() {
  static const GeneratedPhoto photo = GenerateTiff(false);
  return photo.File;
}
const std::string& TiffTilesPath() {
  static const GeneratedPhoto photo = GenerateTiff(true);
  return photo.File;
}

// giflib's whole-file read, then every pixel to RGB.
bool FullDecodeGif(const std::string& Path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(Path.c_str(), &error);
  if (!gif || DGifSlurp(gif) == GIF_ERROR || gif->ImageCount < 1) return false;
  const SavedImage& frame = gif->SavedImages[0];
  const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
  const size_t pixels = static_cast<size_t>(frame.ImageDesc.Width) * frame.ImageDesc.Height;
  std::vector<unsigned char> rgb(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    const GifColorType& c = map->Colors[frame.RasterBits[i]];
    rgb[i * 3] = c.Red, rgb[i * 3 + 1] = c.Green, rgb[i * 3 + 2] = c.Blue;
  }
  benchmark::DoNotOptimize(rgb.data());
  DGifCloseFile(gif, &error);
  return true;
}

// libtiff's whole-picture RGBA read (strips or tiles alike).
bool FullDecodeTiff(const std::string& Path) {
  TIFF* tif = TIFFOpen(Path.c_str(), "r");
  if (!tif) return false;
  std::vector<uint32_t> raster(static_cast<size_t>(kLargeWidth) * kLargeHeight);
  const bool ok = TIFFReadRGBAImageOriented(tif, kLargeWidth, kLargeHeight, raster.data(), ORIENTATION_TOPLEFT, 0);
  benchmark::DoNotOptimize(raster.data());
  TIFFClose(tif);
  return ok;
}

// The square and the full decode of Path, the second by FullDecode.
void SquareBesideFullDecode(benchmark::State& State, const std::string& Path, bool (*FullDecode)(const std::string&)) {
  long peak = 0, fullPeak = 0;
  double fullSeconds = 0, squareSeconds = 0;
  for (auto _ : State) {
    const Measure full = InChild([&] { return FullDecode(Path); });
    const Measure square = InChild([&] {
      BgrImage image;
      return LoadPictureScaled(Path, kSquareWidth, kSquareHeight, image) && image.Width == kSquareWidth;
    });
    if (!full.Ok) State.SkipWithError("the full decode failed");
    Report(State, square, peak);
    fullPeak = std::max(fullPeak, full.PeakRiseKb);
    fullSeconds += full.Seconds;
    squareSeconds += square.Seconds;
  }
  State.counters["full_peak_MB"] = static_cast<double>(fullPeak) / 1024.0;
  State.counters["time_ratio"] = fullSeconds > 0 ? squareSeconds / fullSeconds : 0;
  State.counters["peak_ratio"] = fullPeak > 0 ? static_cast<double>(peak) / static_cast<double>(fullPeak) : 0;
}

void BM_SquareGif(benchmark::State& State) { SquareBesideFullDecode(State, GifPath(), FullDecodeGif); }
void BM_SquareGifInterlaced(benchmark::State& State) {
  SquareBesideFullDecode(State, InterlacedGifPath(), FullDecodeGif);
}
void BM_SquareTiffStrips(benchmark::State& State) { SquareBesideFullDecode(State, TiffStripsPath(), FullDecodeTiff); }
void BM_SquareTiffTiles(benchmark::State& State) { SquareBesideFullDecode(State, TiffTilesPath(), FullDecodeTiff); }

BENCHMARK(BM_SquareGif)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquareGifInterlaced)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquareTiffStrips)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SquareTiffTiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace sorvane

BENCHMARK_MAIN();
