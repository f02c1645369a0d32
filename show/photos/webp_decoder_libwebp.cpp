// WebP decoding with libwebp (Linux side of webp_decoder.h). The file is
// mapped, not read into memory, and fed to libwebp's incremental decoder a
// slice at a time; after each slice the rows it completed are sampled and the
// pages of the output they lie in are handed back to the system, so the
// output never stays resident beyond a few rows; so are the pages of the file
// already decoded. Lossy pictures are decoded
// to their Y, U and V planes (and alpha) and only the sampled pixels are
// turned into colour, nearest chroma included; lossless ones to blue-green-red
// (premultiplied blue-green-red-alpha with alpha). libwebp's own scaling is never used, since it blends.
// What libwebp keeps for the whole picture regardless (a lossless picture's
// pixels, a lossy picture's alpha plane) is bounded by our size check before
// it starts. The orientation comes from the EXIF chunk, read through
// libwebp's demuxer.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <webp/decode.h>
#include <webp/demux.h>

#include "jpeg_header.h"
#include "picture_sampling.h"
#include "webp_decoder.h"

namespace sorvane {
namespace {

// Largest whole-picture store libwebp may keep: what a 50-megapixel lossless
// picture takes at 4 bytes a pixel.
constexpr uint64_t kMaxWholePictureBytes = 4ull * 52'500'000;

// Bytes of input handed to the decoder between two samplings: for a lossy
// picture a fixed slice; a lossless one, whose decoder goes back to the start
// of its last block of rows when a slice ends inside it, in sixteenths of
// the file, so that little is decoded twice.
constexpr size_t kSlice = 64 * 1024;
constexpr size_t kLosslessSlices = 16;

// The picture's bytes: the caller's memory, or the file mapped read-only.
class WebPBytes {
 public:
  explicit WebPBytes(const PictureInput& Input) {
    if (!Input.Path) {
      data_ = Input.Data;
      size_ = Input.Data ? Input.Size : 0;
      return;
    }
    // Never blocks on a pipe put in the file's place since it was sniffed.
    const int fd = open(Input.Path->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      unreadable_ = true;
      return;
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      void* map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (map != MAP_FAILED) {
        map_ = map;
        data_ = static_cast<const unsigned char*>(map);
        size_ = static_cast<size_t>(st.st_size);
      }
    } else if (!S_ISREG(st.st_mode)) {
      unreadable_ = true;
    }
    close(fd);
  }
  ~WebPBytes() {
    if (map_) munmap(map_, size_);
  }
  WebPBytes(const WebPBytes&) = delete;
  WebPBytes& operator=(const WebPBytes&) = delete;

  const unsigned char* Data() const { return data_; }
  size_t Size() const { return size_; }
  bool Unreadable() const { return unreadable_; }

  // Bytes before Offset of a mapped file are unlikely to be read again: their
  // pages leave the process (one read again comes back from the file).
  void ReleaseBefore(size_t Offset) {
    if (!map_) return;
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t end = std::min(Offset, size_) / page * page;
    if (end > released_) {
      madvise(static_cast<uint8_t*>(map_) + released_, end - released_, MADV_DONTNEED);
      released_ = end;
    }
  }

 private:
  void* map_ = nullptr;
  size_t released_ = 0;
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
  bool unreadable_ = false;
};

// What the header tells.
struct WebPHeader {
  int Width = 0, Height = 0;  // as stored
  bool Alpha = false, Lossless = false;
  PictureOrientation Orientation = PictureOrientation::AsStored;
};

// The orientation of the EXIF chunk, if the file has one; a block that starts
// with JPEG's "Exif\0\0" header (some writers keep it) is read past it.
PictureOrientation OrientationOf(const unsigned char* Data, size_t Size) {
  WebPData whole{Data, Size};
  WebPDemuxer* demux = WebPDemux(&whole);
  if (!demux) return PictureOrientation::AsStored;
  PictureOrientation orientation = PictureOrientation::AsStored;
  WebPChunkIterator chunk{};
  if ((WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG) && WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
    const uint8_t* p = chunk.chunk.bytes;
    size_t n = chunk.chunk.size;
    if (n >= 6 && std::memcmp(p, "Exif\0\0", 6) == 0) {
      p += 6;
      n -= 6;
    }
    orientation = ExifOrientation(std::vector<uint8_t>(p, p + n));
    WebPDemuxReleaseChunkIterator(&chunk);
  }
  WebPDemuxDelete(demux);
  return orientation;
}

PictureProblem ReadHeader(WebPBytes& Bytes, WebPHeader& H) {
  if (Bytes.Unreadable()) return PictureProblem::Unreadable;
  if (!Bytes.Data() || Bytes.Size() == 0) return PictureProblem::Undecodable;
  // An extended file's canvas may claim up to 2^24 a side; beyond our limits
  // it is too large, whatever libwebp would say of its frame.
  const unsigned char* d = Bytes.Data();
  if (Bytes.Size() >= 30 && std::memcmp(d + 12, "VP8X", 4) == 0) {
    const auto side = [&](size_t at) { return 1 + (d[at] | d[at + 1] << 8 | d[at + 2] << 16); };
    if (!PictureSizeAllowed(side(24), side(27))) return PictureProblem::TooLarge;
  }
  WebPBitstreamFeatures features{};
  if (WebPGetFeatures(Bytes.Data(), Bytes.Size(), &features) != VP8_STATUS_OK) return PictureProblem::Undecodable;
  if (features.has_animation) return PictureProblem::Undecodable;
  if (!PictureSizeAllowed(features.width, features.height)) return PictureProblem::TooLarge;
  H.Width = features.width;
  H.Height = features.height;
  H.Alpha = features.has_alpha != 0;
  H.Lossless = features.format == 2;
  const uint64_t pixels = static_cast<uint64_t>(H.Width) * static_cast<uint64_t>(H.Height);
  const uint64_t whole = H.Lossless ? pixels * 4 : H.Alpha ? pixels : 0;
  if (whole > kMaxWholePictureBytes) return PictureProblem::TooLarge;
  H.Orientation = OrientationOf(Bytes.Data(), Bytes.Size());
  return PictureProblem::NoProblem;
}

// An anonymous mapping of whole output planes whose pages are given back as
// soon as every row in them has been sampled.
class ReleasablePlane {
 public:
  ReleasablePlane(size_t Stride, size_t Rows) : stride_(Stride), size_(Stride * Rows) {
    void* map = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (map != MAP_FAILED) base_ = static_cast<uint8_t*>(map);
  }
  ~ReleasablePlane() {
    if (base_) munmap(base_, size_);
  }
  ReleasablePlane(const ReleasablePlane&) = delete;
  ReleasablePlane& operator=(const ReleasablePlane&) = delete;

  uint8_t* Base() const { return base_; }
  size_t Size() const { return size_; }
  const uint8_t* Row(int Y) const { return base_ + stride_ * static_cast<size_t>(Y); }

  // Rows before Row are never read again: their whole pages go back.
  void ReleaseBefore(int Row) {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t end = stride_ * static_cast<size_t>(Row) / page * page;
    if (end > released_) {
      madvise(base_ + released_, end - released_, MADV_DONTNEED);
      released_ = end;
    }
  }

 private:
  uint8_t* base_ = nullptr;
  size_t stride_, size_;
  size_t released_ = 0;
};

uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Decodes with the output planes mapped and released as it goes.
bool DecodeSampled(WebPBytes& Bytes, const WebPHeader& H, NearestRowSampler& Sampler) {
  const int width = H.Width, height = H.Height;
  const int uvWidth = (width + 1) / 2, uvHeight = (height + 1) / 2;
  const bool yuv = !H.Lossless;
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return false;
  config.options.use_threads = 0;
  WebPDecBuffer& out = config.output;
  out.is_external_memory = 1;
  // Lossy: Y, U, V (and alpha) planes; lossless: BGR, or premultiplied BGRA.
  const int pixelBytes = yuv ? 1 : H.Alpha ? 4 : 3;
  ReleasablePlane main(static_cast<size_t>(width) * pixelBytes, static_cast<size_t>(height));
  ReleasablePlane u(yuv ? static_cast<size_t>(uvWidth) : 0, static_cast<size_t>(uvHeight));
  ReleasablePlane v(yuv ? static_cast<size_t>(uvWidth) : 0, static_cast<size_t>(uvHeight));
  ReleasablePlane a(yuv && H.Alpha ? static_cast<size_t>(width) : 0, static_cast<size_t>(height));
  if (!main.Base() || (yuv && (!u.Base() || !v.Base() || (H.Alpha && !a.Base())))) return false;
  if (yuv) {
    out.colorspace = H.Alpha ? MODE_YUVA : MODE_YUV;
    WebPYUVABuffer& p = out.u.YUVA;
    p.y = main.Base(), p.y_stride = width, p.y_size = main.Size();
    p.u = u.Base(), p.u_stride = uvWidth, p.u_size = u.Size();
    p.v = v.Base(), p.v_stride = uvWidth, p.v_size = v.Size();
    if (H.Alpha) p.a = a.Base(), p.a_stride = width, p.a_size = a.Size();
  } else {
    out.colorspace = H.Alpha ? MODE_bgrA : MODE_BGR;
    out.u.RGBA.rgba = main.Base(), out.u.RGBA.stride = width * pixelBytes, out.u.RGBA.size = main.Size();
  }
  WebPIDecoder* idec = WebPIDecode(nullptr, 0, &config);
  if (!idec) return false;

  std::vector<uint8_t> bgr(static_cast<size_t>(width) * 3);
  const size_t slice = yuv ? kSlice : std::max(kSlice, Bytes.Size() / kLosslessSlices + 1);
  bool ok = false;
  for (size_t fed = 0;;) {
    fed = std::min(Bytes.Size(), fed + slice);
    const VP8StatusCode status = WebPIUpdate(idec, Bytes.Data(), fed);
    if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED) break;
    int done = 0;  // rows complete so far
    if (yuv) {
      int w = 0, h = 0, s = 0, uvs = 0, as = 0;
      uint8_t *pu = nullptr, *pv = nullptr, *pa = nullptr;
      if (!WebPIDecGetYUVA(idec, &done, &pu, &pv, &pa, &w, &h, &s, &uvs, &as)) done = 0;
    } else {
      int w = 0, h = 0, s = 0;
      if (!WebPIDecGetRGB(idec, &done, &w, &h, &s)) done = 0;
    }
    if (status == VP8_STATUS_OK) done = height;
    for (int row; (row = Sampler.NextSourceRow()) >= 0 && row < done;) {
      const uint8_t* py = main.Row(row);
      if (yuv) {
        const uint8_t* pu = u.Row(row / 2);
        const uint8_t* pv = v.Row(row / 2);
        const uint8_t* pa = H.Alpha ? a.Row(row) : nullptr;
        for (int x = 0; x < width; ++x) {
          // Limited-range BT.601, as VP8 defines it.
          const int c = 298 * (py[x] - 16), d = pu[x / 2] - 128, e = pv[x / 2] - 128;
          int b = (c + 516 * d + 128) >> 8, g = (c - 100 * d - 208 * e + 128) >> 8, r = (c + 409 * e + 128) >> 8;
          if (pa) {
            const int alpha = pa[x];
            b = (Clamp(b) * alpha + 127) / 255, g = (Clamp(g) * alpha + 127) / 255, r = (Clamp(r) * alpha + 127) / 255;
          }
          bgr[x * 3] = Clamp(b), bgr[x * 3 + 1] = Clamp(g), bgr[x * 3 + 2] = Clamp(r);
        }
      } else if (H.Alpha) {
        for (int x = 0; x < width; ++x) std::memcpy(&bgr[x * 3], py + x * 4, 3);
      } else {
        std::memcpy(bgr.data(), py, bgr.size());
      }
      Sampler.TakeRow(bgr.data());
    }
    // Rows before the next one sampled are never read again.
    const int next = Sampler.NextSourceRow();
    const int keep = next < 0 ? height : std::min(next, done);
    main.ReleaseBefore(keep);
    // The decoder reads on from where the last slices ended.
    if (fed > 2 * slice) Bytes.ReleaseBefore(fed - 2 * slice);
    if (yuv) {
      u.ReleaseBefore(keep / 2);
      v.ReleaseBefore(keep / 2);
      if (H.Alpha) a.ReleaseBefore(keep);
    }
    if (next < 0) {
      ok = true;  // every sampled row is in; the rest is not needed
      break;
    }
    if (status == VP8_STATUS_OK || fed == Bytes.Size()) break;  // complete, or truncated
  }
  WebPIDelete(idec);
  WebPFreeDecBuffer(&out);
  return ok;
}

}  // namespace

PictureProblem CheckWebP(const PictureInput& Input, int& Width, int& Height) {
  WebPBytes bytes(Input);
  WebPHeader h;
  const PictureProblem problem = ReadHeader(bytes, h);
  if (problem != PictureProblem::NoProblem) return problem;
  UprightSize(h.Orientation, h.Width, h.Height, Width, Height);
  return PictureProblem::NoProblem;
}

bool LoadWebPScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  WebPBytes bytes(Input);
  WebPHeader h;
  if (ReadHeader(bytes, h) != PictureProblem::NoProblem) return false;
  BgrImage result;
  NearestRowSampler sampler(h.Width, h.Height, DestWidth, DestHeight, result, h.Orientation);
  if (!DecodeSampled(bytes, h, sampler)) return false;
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
