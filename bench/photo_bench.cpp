// Benchmark of the photo square for large photographs: PreparePhotoSquare on
// a 6000 x 4000 baseline JPEG and on an 8000 x 6000 (48-megapixel)
// progressive 4:4:4 JPEG, whose decoding keeps every coefficient (both
// generated at start with libjpeg), beside a plain full decode of the first
// file to memory by libjpeg-turbo, and the first file again with an EXIF tag
// that turns it a quarter (a phone photograph held upright). Each
// iteration runs in a forked child, so that its wall time and its peak memory
// (the rise of ru_maxrss over the child's start) are its own. A 6000 x 4000
// HEIC and AVIF (generated at start with libheif) go through the photo square
// beside libheif's plain full decode to interleaved RGB in the same run, with
// the ratios of time and peak memory, and the peak against the decoded RGB
// picture's size. Prints figures; it passes or fails nothing.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <libheif/heif.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "photo_square.h"

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

// A 6000 x 4000 photograph coded by libheif (HEVC or AV1) with the same
// gradients and noise as the JPEG; the encoders at their fastest settings.
GeneratedPhoto GenerateHeif(heif_compression_format Format) {
  const int width = kBaseline.Width, height = kBaseline.Height;
  char folder[] = "/tmp/sorvane-bench-XXXXXX";
  if (!mkdtemp(folder)) std::abort();
  const std::string file = std::string(folder) + (Format == heif_compression_AV1 ? "/large.avif" : "/large.heic");
  heif_image* image = nullptr;
  if (heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ||
      heif_image_add_plane(image, heif_channel_interleaved, width, height, 8).code)
    std::abort();
  int stride = 0;
  uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int n = static_cast<int>(noise >> 28);
      row[x * 3] = static_cast<uint8_t>(((x ^ y) >> 4) & 0xFF);
      row[x * 3 + 1] = static_cast<uint8_t>((y * 255 / height + n) & 0xFF);
      row[x * 3 + 2] = static_cast<uint8_t>((x * 255 / width + n) & 0xFF);
    }
  }
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  if (heif_context_get_encoder_for_format(context, Format, &encoder).code) std::abort();
  heif_encoder_set_lossy_quality(encoder, 85);
  if (Format == heif_compression_AV1)
    heif_encoder_set_parameter(encoder, "speed", "9");
  else
    heif_encoder_set_parameter(encoder, "preset", "ultrafast");
  if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code ||
      heif_context_write_to_file(context, file.c_str()).code)
    std::abort();
  heif_encoder_release(encoder);
  heif_context_free(context);
  heif_image_release(image);
  return GeneratedPhoto{folder, file};
}

const std::string& HeicPhotoPath() {
  static const GeneratedPhoto photo = GenerateHeif(heif_compression_HEVC);
  return photo.File;
}
const std::string& AvifPhotoPath() {
  static const GeneratedPhoto photo = GenerateHeif(heif_compression_AV1);
  return photo.File;
}

// libheif's plain full decode of Path to interleaved RGB.
bool FullDecodeLibheif(const std::string& Path) {
  heif_context* context = heif_context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  bool ok = !heif_context_read_from_file(context, Path.c_str(), nullptr).code &&
            !heif_context_get_primary_image_handle(context, &handle).code &&
            !heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code;
  if (ok) {
    int stride = 0;
    benchmark::DoNotOptimize(heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride));
  }
  if (image) heif_image_release(image);
  if (handle) heif_image_handle_release(handle);
  heif_context_free(context);
  return ok;
}

// The photo square of a HEIF photograph and libheif's full decode of it, each
// in its own child in every iteration; the time reported is the square's.
void HeifSquareBesideFullDecode(benchmark::State& State, const std::string& Path) {
  long squarePeak = 0, fullPeak = 0;
  double squareSeconds = 0, fullSeconds = 0;
  for (auto _ : State) {
    const Measure square = InChild([&] {
      ShowRandom random(1);
      const PhotoBitmapFile file = PreparePhotoSquare(Path, "", random, PhotoBitmapPlace::PrivateTempFolder);
      const bool ok = !file.Path.empty() && file.Photo == PictureProblem::NoProblem;
      DeletePhotoBitmap(file);
      return ok;
    });
    const Measure full = InChild([&] { return FullDecodeLibheif(Path); });
    if (!square.Ok || !full.Ok) State.SkipWithError("the work failed");
    State.SetIterationTime(square.Seconds);
    squareSeconds += square.Seconds;
    fullSeconds += full.Seconds;
    squarePeak = std::max(squarePeak, square.PeakRiseKb);
    fullPeak = std::max(fullPeak, full.PeakRiseKb);
  }
  const double rgbKb = 3.0 * kBaseline.Width * kBaseline.Height / 1024.0;
  State.counters["peak_MB"] = static_cast<double>(squarePeak) / 1024.0;
  State.counters["full_ms"] = 1000.0 * fullSeconds / static_cast<double>(State.iterations());
  State.counters["full_peak_MB"] = static_cast<double>(fullPeak) / 1024.0;
  State.counters["time_vs_full"] = fullSeconds > 0 ? squareSeconds / fullSeconds : 0;
  State.counters["peak_vs_full"] = fullPeak > 0 ? static_cast<double>(squarePeak) / static_cast<double>(fullPeak) : 0;
  State.counters["peak_vs_rgb"] = static_cast<double>(squarePeak) / rgbKb;
  // The coded data, which libheif and its decoder each hold while decoding.
  struct stat info {};
  if (stat(Path.c_str(), &info) == 0) State.counters["file_MB"] = static_cast<double>(info.st_size) / (1 << 20);
}

void BM_PreparePhotoSquareHeic(benchmark::State& State) { HeifSquareBesideFullDecode(State, HeicPhotoPath()); }
void BM_PreparePhotoSquareAvif(benchmark::State& State) { HeifSquareBesideFullDecode(State, AvifPhotoPath()); }

BENCHMARK(BM_PreparePhotoSquare)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PreparePhotoSquareTurned)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FullDecodeLibjpeg)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PreparePhotoSquareProgressive48MP)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PreparePhotoSquareHeic)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PreparePhotoSquareAvif)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace sorvane

BENCHMARK_MAIN();
