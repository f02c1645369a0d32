// TIFF decoding with libtiff (Linux side of tiff_decoder.h). libtiff's own
// limit bounds every single allocation it makes, its warnings and errors go
// to handlers that print nothing, and only the first directory is read.
// Pictures of 8 or 16 bits a sample, stored in strips with their samples
// together, grey, palette or RGB, with or without alpha, are read scanline by
// scanline, only through the strips that hold sampled rows. Every other
// layout (tiles, separate planes, fewer bits, YCbCr, CMYK...) goes through
// libtiff's RGBA reader one band at a time: one strip, or one row of tiles.
// Orientation (tag 274) is applied by the row sampler, never by libtiff.

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "paths.h"
#include "picture_sampling.h"
#include "tiff_decoder.h"

namespace sorvane {
namespace {

// Largest single block libtiff may allocate, and largest band of RGBA
// pixels we hold: enough for a whole 50-megapixel strip.
constexpr tmsize_t kMaxSingleAlloc = tmsize_t{256} << 20;
constexpr uint64_t kMaxBandBytes = uint64_t{256} << 20;

int Silently(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// A block of memory libtiff reads as a file.
struct MemoryFile {
  const unsigned char* Data;
  toff_t Size;
  toff_t At = 0;
};

tmsize_t MemoryRead(thandle_t H, void* Into, tmsize_t Count) {
  MemoryFile& m = *static_cast<MemoryFile*>(H);
  if (Count <= 0 || m.At >= m.Size) return 0;
  const toff_t n = std::min<toff_t>(static_cast<toff_t>(Count), m.Size - m.At);
  std::memcpy(Into, m.Data + m.At, static_cast<size_t>(n));
  m.At += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t MemoryWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t MemorySeek(thandle_t H, toff_t Offset, int Whence) {
  MemoryFile& m = *static_cast<MemoryFile*>(H);
  toff_t base = Whence == SEEK_CUR ? m.At : Whence == SEEK_END ? m.Size : 0;
  if (Whence != SEEK_SET && Whence != SEEK_CUR && Whence != SEEK_END) return static_cast<toff_t>(-1);
  m.At = base + Offset;  // may lie past the end: reads there give nothing
  return m.At;
}
int MemoryClose(thandle_t) { return 0; }
toff_t MemorySize(thandle_t H) { return static_cast<MemoryFile*>(H)->Size; }
int MemoryMap(thandle_t H, void** Base, toff_t* Size) {
  MemoryFile& m = *static_cast<MemoryFile*>(H);
  *Base = const_cast<unsigned char*>(m.Data);
  *Size = m.Size;
  return 1;
}
void MemoryUnmap(thandle_t, void*, toff_t) {}

struct CloseTiff {
  void operator()(TIFF* T) const { TIFFClose(T); }
};

// An open TIFF at its first directory, with what the decoders need from it.
struct OpenedTiff {
  MemoryFile Memory{nullptr, 0};
  std::unique_ptr<TIFF, CloseTiff> Tiff;
  uint64_t FileSize = 0;
  uint32_t Width = 0, Height = 0;
  PictureOrientation Orientation = PictureOrientation::AsStored;
};

PictureProblem Open(const PictureInput& Input, OpenedTiff& T) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return PictureProblem::Undecodable;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAlloc);
  TIFFOpenOptionsSetErrorHandlerExtR(options, Silently, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Silently, nullptr);
  if (Input.Path) {
    std::FILE* probe = OpenFile(*Input.Path, "rb");  // tells an unreadable file from a damaged one
    if (!probe) {
      TIFFOpenOptionsFree(options);
      return PictureProblem::Unreadable;
    }
    if (std::fseek(probe, 0, SEEK_END) == 0 && std::ftell(probe) >= 0) T.FileSize = static_cast<uint64_t>(std::ftell(probe));
    std::fclose(probe);
    T.Tiff.reset(TIFFOpenExt(Input.Path->c_str(), "r", options));
  } else if (Input.Data && Input.Size > 0) {
    T.Memory = MemoryFile{Input.Data, static_cast<toff_t>(Input.Size)};
    T.FileSize = Input.Size;
    T.Tiff.reset(TIFFClientOpenExt("memory", "r", &T.Memory, MemoryRead, MemoryWrite, MemorySeek, MemoryClose,
                                   MemorySize, MemoryMap, MemoryUnmap, options));
  }
  TIFFOpenOptionsFree(options);
  TIFF* tif = T.Tiff.get();
  if (!tif) return PictureProblem::Undecodable;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &T.Width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &T.Height) ||
      T.Width == 0 || T.Height == 0)
    return PictureProblem::Undecodable;
  if (!PictureSizeAllowed(T.Width, T.Height)) return PictureProblem::TooLarge;
  // Uncompressed rows claiming more than the file holds are damage.
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  const tmsize_t lineBytes = TIFFScanlineSize(tif);
  if (lineBytes <= 0) return PictureProblem::Undecodable;
  if (compression == COMPRESSION_NONE && static_cast<uint64_t>(lineBytes) * T.Height > T.FileSize)
    return PictureProblem::Undecodable;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  if (TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation)) T.Orientation = OrientationFromTag(orientation);
  return PictureProblem::NoProblem;
}

// How the scanline reader takes a stored pixel apart.
struct ScanlineLayout {
  uint16_t Bits = 8, Samples = 1, Photometric = PHOTOMETRIC_MINISBLACK;
  int Colours = 1;              // 1 grey or palette, 3 RGB
  bool UnassociatedAlpha = false;  // the sample after the colours is alpha to apply
  std::vector<uint8_t> Palette;    // blue, green, red of each index
};

// True when the first page can be read scanline by scanline (see the top).
bool ScanlineReadable(TIFF* Tif, ScanlineLayout& L) {
  uint16_t planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
  TIFFGetFieldDefaulted(Tif, TIFFTAG_BITSPERSAMPLE, &L.Bits);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_SAMPLESPERPIXEL, &L.Samples);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(Tif, TIFFTAG_SAMPLEFORMAT, &format);
  if (!TIFFGetField(Tif, TIFFTAG_PHOTOMETRIC, &L.Photometric)) return false;
  if (TIFFIsTiled(Tif) || planar != PLANARCONFIG_CONTIG || format != SAMPLEFORMAT_UINT) return false;
  if (L.Bits != 8 && L.Bits != 16) return false;
  switch (L.Photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: L.Colours = 1; break;
    case PHOTOMETRIC_RGB: L.Colours = 3; break;
    case PHOTOMETRIC_PALETTE: {
      if (L.Bits != 8) return false;
      uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
      if (!TIFFGetField(Tif, TIFFTAG_COLORMAP, &r, &g, &b)) return false;
      bool eightBit = true;  // some writers store 8-bit entries in the 16-bit map
      for (int i = 0; i < 256; ++i) eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
      const int shift = eightBit ? 0 : 8;
      L.Palette.resize(256 * 3);
      for (int i = 0; i < 256; ++i) {
        L.Palette[i * 3] = static_cast<uint8_t>(b[i] >> shift);
        L.Palette[i * 3 + 1] = static_cast<uint8_t>(g[i] >> shift);
        L.Palette[i * 3 + 2] = static_cast<uint8_t>(r[i] >> shift);
      }
      L.Colours = 1;
      break;
    }
    default: return false;
  }
  if (L.Samples < L.Colours) return false;
  uint16_t extraCount = 0;
  uint16_t* extra = nullptr;
  if (L.Samples > L.Colours && TIFFGetField(Tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0)
    L.UnassociatedAlpha = extra[0] == EXTRASAMPLE_UNASSALPHA;
  // Associated alpha needs nothing: its colours are already over black.
  return true;
}

// One stored row to blue-green-red.
void ScanlineToBgr(const ScanlineLayout& L, const uint8_t* Row, uint32_t Width, uint8_t* Bgr) {
  const bool wide = L.Bits == 16;
  const auto sample = [&](size_t i) -> unsigned {
    if (!wide) return Row[i];
    uint16_t v;
    std::memcpy(&v, Row + i * 2, 2);
    return v >> 8u;
  };
  for (uint32_t x = 0; x < Width; ++x) {
    const size_t at = static_cast<size_t>(x) * L.Samples;
    unsigned b, g, r;
    if (L.Colours == 3) {
      r = sample(at), g = sample(at + 1), b = sample(at + 2);
    } else if (!L.Palette.empty()) {
      const uint8_t* p = &L.Palette[sample(at) * 3];
      b = p[0], g = p[1], r = p[2];
    } else {
      b = g = r = L.Photometric == PHOTOMETRIC_MINISWHITE ? 255 - sample(at) : sample(at);
    }
    if (L.UnassociatedAlpha) {
      const unsigned a = sample(at + static_cast<size_t>(L.Colours));
      b = (b * a + 127) / 255, g = (g * a + 127) / 255, r = (r * a + 127) / 255;
    }
    Bgr[x * 3] = static_cast<uint8_t>(b);
    Bgr[x * 3 + 1] = static_cast<uint8_t>(g);
    Bgr[x * 3 + 2] = static_cast<uint8_t>(r);
  }
}

// Reads the sampled rows scanline by scanline. Within a strip libtiff can
// only go forwards row by row; a strip holding no sampled row is never read.
bool ReadByScanlines(OpenedTiff& T, const ScanlineLayout& L, NearestRowSampler& Sampler) {
  TIFF* tif = T.Tiff.get();
  uint32_t rowsPerStrip = T.Height;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip = std::max<uint32_t>(1, std::min(rowsPerStrip, T.Height));
  const tmsize_t lineBytes = TIFFScanlineSize(tif);
  if (lineBytes <= 0 ||
      static_cast<uint64_t>(lineBytes) < static_cast<uint64_t>(T.Width) * L.Samples * (L.Bits / 8))
    return false;
  std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
  std::vector<uint8_t> bgr(static_cast<size_t>(T.Width) * 3);
  int64_t next = -1;  // the row the next TIFFReadScanline gives without going back
  for (int row; (row = Sampler.NextSourceRow()) >= 0;) {
    const uint32_t want = static_cast<uint32_t>(row);
    const uint32_t stripStart = want / rowsPerStrip * rowsPerStrip;
    if (next < static_cast<int64_t>(stripStart) || next > static_cast<int64_t>(want)) next = stripStart;
    for (; next <= static_cast<int64_t>(want); ++next)
      if (TIFFReadScanline(tif, line.data(), static_cast<uint32_t>(next), 0) < 0) return false;
    ScanlineToBgr(L, line.data(), T.Width, bgr.data());
    Sampler.TakeRow(bgr.data());
  }
  return true;
}

struct EndRgbaImage {
  void operator()(TIFFRGBAImage* I) const { TIFFRGBAImageEnd(I); }
};

// True when libtiff's RGBA reader has a way to convert this layout (it
// has none for 16-bit CMYK, for one), found without reading any pixel.
bool RgbaReadable(OpenedTiff& T) {
  char message[1024];
  TIFFRGBAImage image{};
  if (!TIFFRGBAImageOK(T.Tiff.get(), message) || !TIFFRGBAImageBegin(&image, T.Tiff.get(), 1, message)) return false;
  TIFFRGBAImageEnd(&image);
  return true;
}

// Reads the sampled rows through libtiff's RGBA reader, one band (a strip or
// a row of tiles) at a time, as stored: its own orientation handling is
// switched off. Its colours come over black already (alpha associated).
bool ReadByBands(OpenedTiff& T, NearestRowSampler& Sampler) {
  TIFF* tif = T.Tiff.get();
  char message[1024];
  if (!TIFFRGBAImageOK(tif, message)) return false;
  uint32_t band = T.Height;
  if (TIFFIsTiled(tif)) {
    if (!TIFFGetField(tif, TIFFTAG_TILELENGTH, &band)) return false;
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &band);
  }
  band = std::max<uint32_t>(1, std::min(band, T.Height));
  if (static_cast<uint64_t>(T.Width) * band * 4 > kMaxBandBytes) return false;
  TIFFRGBAImage image{};
  if (!TIFFRGBAImageBegin(&image, tif, 1, message)) return false;
  std::unique_ptr<TIFFRGBAImage, EndRgbaImage> end(&image);
  image.req_orientation = ORIENTATION_TOPLEFT;
  image.orientation = ORIENTATION_TOPLEFT;
  std::vector<uint32_t> raster(static_cast<size_t>(T.Width) * band);
  std::vector<uint8_t> bgr(static_cast<size_t>(T.Width) * 3);
  int64_t held = -1;  // first row of the band in the raster
  for (int row; (row = Sampler.NextSourceRow()) >= 0;) {
    const uint32_t start = static_cast<uint32_t>(row) / band * band;
    if (held != static_cast<int64_t>(start)) {
      const uint32_t rows = std::min(band, T.Height - start);
      image.row_offset = static_cast<int>(start);
      image.col_offset = 0;
      if (!TIFFRGBAImageGet(&image, raster.data(), T.Width, rows)) return false;
      held = start;
    }
    const uint32_t* px = raster.data() + static_cast<size_t>(static_cast<uint32_t>(row) - start) * T.Width;
    for (uint32_t x = 0; x < T.Width; ++x) {
      bgr[x * 3] = static_cast<uint8_t>(TIFFGetB(px[x]));
      bgr[x * 3 + 1] = static_cast<uint8_t>(TIFFGetG(px[x]));
      bgr[x * 3 + 2] = static_cast<uint8_t>(TIFFGetR(px[x]));
    }
    Sampler.TakeRow(bgr.data());
  }
  return true;
}

}  // namespace

PictureProblem CheckTiff(const PictureInput& Input, int& Width, int& Height) {
  OpenedTiff t;
  const PictureProblem problem = Open(Input, t);
  if (problem != PictureProblem::NoProblem) return problem;
  ScanlineLayout layout;
  if (!ScanlineReadable(t.Tiff.get(), layout) && !RgbaReadable(t)) return PictureProblem::Undecodable;
  UprightSize(t.Orientation, t.Width, t.Height, Width, Height);
  return PictureProblem::NoProblem;
}

bool LoadTiffScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  OpenedTiff t;
  if (Open(Input, t) != PictureProblem::NoProblem) return false;
  BgrImage result;
  NearestRowSampler sampler(static_cast<int>(t.Width), static_cast<int>(t.Height), DestWidth, DestHeight, result,
                            t.Orientation);
  ScanlineLayout layout;
  const bool ok = ScanlineReadable(t.Tiff.get(), layout) ? ReadByScanlines(t, layout, sampler)
                                                         : ReadByBands(t, sampler);
  if (!ok) return false;
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
