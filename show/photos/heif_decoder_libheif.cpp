// HEIF and AVIF decoding with libheif (Linux side of heif_decoder.h). Only the
// primary image is read. Its size comes from the file's boxes (the handle's
// size, which already has the irot, imir and clap transformations applied,
// and the stored ispe size) and is checked against our limits before anything
// is decoded; libheif's own side limit is set to ours when the file is read
// and to the picture's longer side before decoding, so that a grid or overlay
// declaring a larger canvas is refused. libheif decodes the whole picture and
// turns it upright itself. No colour space is asked for, so that libheif
// makes no interleaved copy: it hands over planes (RGB, as it composes grids
// in RGB; YCbCr or grey where it keeps them), and only the rows the scaled
// picture samples are turned into 8-bit colour here. YCbCr planes are turned
// by the matrix and range of the nclx colour profile (BT.601, full range, as
// libheif assumes, when there is none). Deeper pictures are read by their top
// 8 bits; an alpha plane darkens the colour towards black. ICC profiles are
// not applied. libheif 1.15 offers no way to keep its decoders (libde265,
// dav1d) from printing to standard error on damaged data.
//
// libheif 1.15 aborts the process (a failed assertion) when a derived image
// (an identity, a grid or an overlay) names as its source an item that is no
// image; the file's own item boxes are therefore read here first, and such a
// file is refused before libheif decodes anything.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include <libheif/heif.h>

#include "heif_decoder.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

// Largest picture we decode: about 50 megapixels, like the JPEG path, since
// HEIF offers no decoding by rows.
constexpr uint64_t kMaxHeifPixels = 52'500'000;

// Starts libheif's decoder plugins once.
void StartLibheif() {
  static const bool started = [] {
    heif_init(nullptr);
    return true;
  }();
  (void)started;
}

// The context, the primary image's handle and, once decoded, its picture.
struct HeifReading {
  heif_context* Context = nullptr;
  heif_image_handle* Handle = nullptr;
  const heif_image* Image = nullptr;
  int Width = 0;  // upright size from the handle
  int Height = 0;
  int LongestSide = 0;  // of the upright and the stored (ispe) picture

  ~HeifReading() {
    if (Image) heif_image_release(Image);
    if (Handle) heif_image_handle_release(Handle);
    if (Context) heif_context_free(Context);
  }
};

// --- The file's item boxes (ISO base media file format) ---------------------

// A run of bytes being read, big-endian; reading past its end fails softly.
struct BoxBytes {
  const uint8_t* At = nullptr;
  const uint8_t* End = nullptr;
  bool Ok = true;

  size_t Left() const { return static_cast<size_t>(End - At); }
  uint64_t Number(int Bytes) {
    if (!Ok || Left() < static_cast<size_t>(Bytes)) {
      Ok = false;
      return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < Bytes; ++i) v = v << 8 | *At++;
    return v;
  }
  // The next box: its type and its body; false at the end or on a bad size.
  bool NextBox(uint32_t& Type, BoxBytes& Body) {
    if (!Ok || Left() < 8) return false;
    uint64_t size = Number(4);
    Type = static_cast<uint32_t>(Number(4));
    uint64_t header = 8;
    if (size == 1) {
      size = Number(8);
      header = 16;
    } else if (size == 0) {
      size = Left() + header;
    }
    if (!Ok || size < header || size - header > Left()) return Ok = false;
    Body = BoxBytes{At, At + (size - header)};
    At += size - header;
    return true;
  }
};

constexpr uint32_t FourCc(const char (&C)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(C[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(C[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(C[2])) << 8 | static_cast<uint8_t>(C[3]);
}

// The largest 'meta' box read from a file for the check; photographs keep
// theirs to some kilobytes.
constexpr uint64_t kMaxMetaBytes = 16u << 20;

// The body of the file's top-level 'meta' box into Meta (read from the file
// into Storage, or pointing into the bytes in memory). False when there is
// none or it cannot be read.
bool ReadMetaBox(const PictureInput& Input, std::vector<uint8_t>& Storage, BoxBytes& Meta) {
  if (!Input.Path) {
    BoxBytes file{Input.Data, Input.Data + Input.Size};
    uint32_t type = 0;
    BoxBytes body;
    while (file.NextBox(type, body)) {
      if (type == FourCc("meta")) {
        Meta = body;
        return true;
      }
    }
    return false;
  }
  std::FILE* f = std::fopen(Input.Path->c_str(), "rb");
  if (!f) return false;
  bool found = false;
  for (int boxes = 0; boxes < 1000 && !found; ++boxes) {
    uint8_t head[16];
    if (std::fread(head, 1, 8, f) != 8) break;
    BoxBytes h{head, head + 8};
    uint64_t size = h.Number(4);
    const uint32_t type = static_cast<uint32_t>(h.Number(4));
    uint64_t header = 8;
    if (size == 1) {
      if (std::fread(head + 8, 1, 8, f) != 8) break;
      BoxBytes large{head + 8, head + 16};
      size = large.Number(8);
      header = 16;
    }
    if (size == 0 || size < header) break;  // to the end of the file, or damaged: no meta ahead
    const uint64_t body = size - header;
    if (type == FourCc("meta")) {
      if (body > kMaxMetaBytes) break;
      Storage.resize(static_cast<size_t>(body));
      found = std::fread(Storage.data(), 1, Storage.size(), f) == Storage.size();
      Meta = BoxBytes{Storage.data(), Storage.data() + Storage.size()};
    } else if (body > static_cast<uint64_t>(LLONG_MAX) || fseeko(f, static_cast<off_t>(body), SEEK_CUR) != 0) {
      break;
    }
  }
  std::fclose(f);
  return found;
}

// True when the item boxes read cleanly (no box overruns the one holding
// it) and every item that the primary image Primary is derived from ('dimg'
// references, followed from item to item) is an image libheif 1.15 decodes:
// a coded image (hvc1, av01) or a derived one (grid, iden, iovl) that names
// its sources.
bool SourcesAreImages(const PictureInput& Input, uint32_t Primary) {
  std::vector<uint8_t> storage;
  BoxBytes meta;
  if (!ReadMetaBox(Input, storage, meta)) return false;
  meta.Number(4);  // version and flags
  std::map<uint32_t, uint32_t> types;                 // item -> its type
  std::map<uint32_t, std::vector<uint32_t>> sources;  // item -> what it is derived from
  uint32_t type = 0;
  BoxBytes box;
  while (meta.NextBox(type, box)) {
    if (type == FourCc("iinf")) {
      const int version = static_cast<int>(box.Number(1));
      box.Number(3);
      box.Number(version == 0 ? 2 : 4);  // the entry count: the boxes tell
      BoxBytes infe;
      while (box.NextBox(type, infe)) {
        if (type != FourCc("infe")) continue;
        const int infeVersion = static_cast<int>(infe.Number(1));
        infe.Number(3);
        if (infeVersion < 2) continue;  // no item type: never an image
        const uint32_t id = static_cast<uint32_t>(infe.Number(infeVersion == 2 ? 2 : 4));
        infe.Number(2);  // protection index
        const uint32_t itemType = static_cast<uint32_t>(infe.Number(4));
        if (infe.Ok) types[id] = itemType;
      }
      if (!box.Ok) return false;
    } else if (type == FourCc("iref")) {
      const int idBytes = box.Number(1) == 0 ? 2 : 4;
      box.Number(3);
      BoxBytes reference;
      while (box.NextBox(type, reference)) {
        if (type != FourCc("dimg")) continue;
        const uint32_t from = static_cast<uint32_t>(reference.Number(idBytes));
        const int count = static_cast<int>(reference.Number(2));
        for (int i = 0; i < count && reference.Ok; ++i)
          sources[from].push_back(static_cast<uint32_t>(reference.Number(idBytes)));
        if (!reference.Ok) return false;
      }
      if (!box.Ok) return false;
    }
  }
  // A box that overruns the one holding it: libheif reads on regardless.
  if (!meta.Ok) return false;
  const std::set<uint32_t> images = {FourCc("hvc1"), FourCc("av01"), FourCc("grid"), FourCc("iden"),
                                     FourCc("iovl")};
  // Every item reached from the primary, each once.
  std::vector<uint32_t> pending = {Primary};
  std::set<uint32_t> seen = {Primary};
  while (!pending.empty()) {
    const uint32_t item = pending.back();
    pending.pop_back();
    const auto found = types.find(item);
    if (found == types.end() || images.count(found->second) == 0) return false;
    const bool derived = found->second != FourCc("hvc1") && found->second != FourCc("av01");
    if (derived && sources[item].empty()) return false;
    for (const uint32_t source : sources[item]) {
      if (seen.insert(source).second) pending.push_back(source);
    }
  }
  return true;
}

// ---------------------------------------------------------------------------

PictureProblem ProblemOf(const heif_error& Error) {
  if (Error.code == heif_error_Memory_allocation_error || Error.subcode == heif_suberror_Security_limit_exceeded)
    return PictureProblem::TooLarge;
  return PictureProblem::Undecodable;
}

// Reads the file's boxes and checks the primary image's size.
PictureProblem OpenPrimary(HeifReading& R, const PictureInput& Input) {
  if (!Input.Path && (!Input.Data || Input.Size == 0)) return PictureProblem::Undecodable;
  StartLibheif();
  R.Context = heif_context_alloc();
  if (!R.Context) return PictureProblem::TooLarge;
  heif_context_set_maximum_image_size_limit(R.Context, kMaxPictureSide);
  const heif_error read =
      Input.Path ? heif_context_read_from_file(R.Context, Input.Path->c_str(), nullptr)
                 : heif_context_read_from_memory_without_copy(R.Context, Input.Data, Input.Size, nullptr);
  if (read.code != heif_error_Ok) return ProblemOf(read);
  const heif_error primary = heif_context_get_primary_image_handle(R.Context, &R.Handle);
  if (primary.code != heif_error_Ok || !R.Handle) return PictureProblem::Undecodable;
  heif_item_id primaryId = 0;
  if (heif_context_get_primary_image_ID(R.Context, &primaryId).code != heif_error_Ok ||
      !SourcesAreImages(Input, primaryId))
    return PictureProblem::Undecodable;
  R.Width = heif_image_handle_get_width(R.Handle);
  R.Height = heif_image_handle_get_height(R.Handle);
  if (R.Width <= 0 || R.Height <= 0) return PictureProblem::Undecodable;
  // What is decoded is the stored picture (ispe) before any crop (clap),
  // which may be far larger than what is shown.
  const int storedWidth = std::max(heif_image_handle_get_ispe_width(R.Handle), 0);
  const int storedHeight = std::max(heif_image_handle_get_ispe_height(R.Handle), 0);
  const auto fits = [](int W, int H) {
    return PictureSizeAllowed(W, H) && static_cast<uint64_t>(W) * static_cast<uint64_t>(H) <= kMaxHeifPixels;
  };
  if (!fits(R.Width, R.Height) || (storedWidth > 0 && !fits(storedWidth, storedHeight)))
    return PictureProblem::TooLarge;
  R.LongestSide = std::max({R.Width, R.Height, storedWidth, storedHeight});
  return PictureProblem::NoProblem;
}

// One plane of the decoded picture, values of Bits bits.
struct Plane {
  const uint8_t* Data = nullptr;
  int Stride = 0;
  int Width = 0;
  int Height = 0;
  int Shift = 0;      // right shift from stored to 8-bit values (Bits - 8), or 0
  bool Wide = false;  // 16-bit samples
  int Bits = 8;

  bool Take(const heif_image* Image, heif_channel Channel) {
    if (!heif_image_has_channel(Image, Channel)) return false;
    Width = heif_image_get_width(Image, Channel);
    Height = heif_image_get_height(Image, Channel);
    const int storage = heif_image_get_bits_per_pixel(Image, Channel);
    Bits = heif_image_get_bits_per_pixel_range(Image, Channel);
    Data = heif_image_get_plane_readonly(Image, Channel, &Stride);
    if (!Data || Width <= 0 || Height <= 0 || Bits < 1 || Bits > 16) return false;
    if (storage != 8 && storage != 16) return false;
    Wide = storage == 16;
    if (!Wide && Bits > 8) return false;
    Shift = Bits > 8 ? Bits - 8 : 0;
    return Stride >= Width * (Wide ? 2 : 1);
  }

  // The full-precision value at (X, Y), clamped into the plane.
  int At(int X, int Y) const {
    X = std::min(X, Width - 1);
    Y = std::min(Y, Height - 1);
    const uint8_t* row = Data + static_cast<size_t>(Y) * static_cast<size_t>(Stride);
    if (!Wide) return row[X];
    return reinterpret_cast<const uint16_t*>(row)[X] & ((1 << Bits) - 1);
  }
};

// How YCbCr becomes RGB: luma weights of red and blue, range, depth.
struct ColourMatrix {
  bool Identity = false;  // planes hold G, B, R (matrix coefficients 0)
  float Kr = 0.299f, Kb = 0.114f;
  bool FullRange = true;
};

ColourMatrix MatrixOf(const HeifReading& R) {
  ColourMatrix m;
  // libheif hands out the profile even when it reports unknown primaries,
  // which do not matter here; it is freed either way.
  heif_color_profile_nclx* nclx = nullptr;
  heif_image_get_nclx_color_profile(R.Image, &nclx);
  if (!nclx) heif_image_handle_get_nclx_color_profile(R.Handle, &nclx);
  if (!nclx) return m;
  m.FullRange = nclx->full_range_flag != 0;
  switch (nclx->matrix_coefficients) {
    case heif_matrix_coefficients_RGB_GBR: m.Identity = true; break;
    case heif_matrix_coefficients_ITU_R_BT_709_5: m.Kr = 0.2126f, m.Kb = 0.0722f; break;
    case heif_matrix_coefficients_US_FCC_T47: m.Kr = 0.30f, m.Kb = 0.11f; break;
    case heif_matrix_coefficients_SMPTE_240M: m.Kr = 0.212f, m.Kb = 0.087f; break;
    case heif_matrix_coefficients_ITU_R_BT_2020_2_non_constant_luminance:
    case heif_matrix_coefficients_ITU_R_BT_2020_2_constant_luminance: m.Kr = 0.2627f, m.Kb = 0.0593f; break;
    default: break;  // BT.601 and everything we do not convert exactly
  }
  heif_nclx_color_profile_free(nclx);
  return m;
}

uint8_t ToByte(float V) { return static_cast<uint8_t>(std::lround(std::clamp(V, 0.0f, 1.0f) * 255.0f)); }

// Turns decoded planes into blue-green-red rows.
class RowConverter {
 public:
  bool Start(const HeifReading& R) {
    const heif_image* image = R.Image;
    const heif_colorspace space = heif_image_get_colorspace(image);
    hasAlpha_ = alpha_.Take(image, heif_channel_Alpha);
    premultiplied_ = heif_image_handle_is_premultiplied_alpha(R.Handle) != 0;
    if (space == heif_colorspace_YCbCr) {
      kind_ = Kind::YCbCr;
      if (!y_.Take(image, heif_channel_Y) || !cb_.Take(image, heif_channel_Cb) || !cr_.Take(image, heif_channel_Cr))
        return false;
      matrix_ = MatrixOf(R);
      Width = y_.Width, Height = y_.Height;
      if (cb_.Width != cr_.Width || cb_.Height != cr_.Height || cb_.Width <= 0) return false;
      // The chroma planes' subsampling, as shifts: 4:2:0, 4:2:2 or 4:4:4.
      shiftX_ = cb_.Width < Width ? 1 : 0;
      shiftY_ = cb_.Height < Height ? 1 : 0;
      if ((Width + shiftX_) >> shiftX_ > cb_.Width || (Height + shiftY_) >> shiftY_ > cb_.Height) return false;
    } else if (space == heif_colorspace_monochrome) {
      kind_ = Kind::Grey;
      if (!y_.Take(image, heif_channel_Y)) return false;
      matrix_ = MatrixOf(R);
      Width = y_.Width, Height = y_.Height;
    } else if (space == heif_colorspace_RGB && heif_image_get_chroma_format(image) == heif_chroma_444) {
      kind_ = Kind::Rgb;
      // Kept in the Y, Cb, Cr slots: red, green, blue.
      if (!y_.Take(image, heif_channel_R) || !cb_.Take(image, heif_channel_G) || !cr_.Take(image, heif_channel_B))
        return false;
      Width = y_.Width, Height = y_.Height;
      if (cb_.Width != Width || cr_.Width != Width || cb_.Height != Height || cr_.Height != Height) return false;
    } else {
      return false;
    }
    if (hasAlpha_ && (alpha_.Width < Width || alpha_.Height < Height)) return false;
    return Width > 0 && Height > 0;
  }

  // Row Y, Width pixels, into Out.
  void Convert(int Y, uint8_t* Out) const {
    for (int x = 0; x < Width; ++x) {
      float r, g, b;
      if (kind_ == Kind::Rgb) {
        r = Unit(y_, y_.At(x, Y)), g = Unit(cb_, cb_.At(x, Y)), b = Unit(cr_, cr_.At(x, Y));
      } else {
        const float luma = Luma(y_.At(x, Y));
        if (kind_ == Kind::Grey) {
          r = g = b = luma;
        } else {
          const int cx = x >> shiftX_, cy = Y >> shiftY_;
          const int cbValue = cb_.At(cx, cy), crValue = cr_.At(cx, cy);
          if (matrix_.Identity) {
            g = luma, b = Luma(cbValue), r = Luma(crValue);
          } else {
            const float pb = Chroma(cbValue), pr = Chroma(crValue);
            r = luma + 2 * (1 - matrix_.Kr) * pr;
            b = luma + 2 * (1 - matrix_.Kb) * pb;
            g = (luma - matrix_.Kr * r - matrix_.Kb * b) / (1 - matrix_.Kr - matrix_.Kb);
          }
        }
      }
      if (hasAlpha_ && !premultiplied_) {
        const float a = Unit(alpha_, alpha_.At(x, Y));
        r *= a, g *= a, b *= a;
      }
      Out[x * 3] = ToByte(b);
      Out[x * 3 + 1] = ToByte(g);
      Out[x * 3 + 2] = ToByte(r);
    }
  }

  int Width = 0, Height = 0;

 private:
  enum class Kind { YCbCr, Grey, Rgb };

  // A full-range value of P as 0 to 1, by its top 8 bits.
  static float Unit(const Plane& P, int V) { return static_cast<float>(V >> P.Shift) / 255.0f; }
  // Luma (or an identity-matrix channel) as 0 to 1.
  float Luma(int V) const {
    const float v = static_cast<float>(V >> y_.Shift);
    return matrix_.FullRange ? v / 255.0f : (v - 16.0f) / 219.0f;
  }
  // Chroma as -0.5 to 0.5.
  float Chroma(int V) const {
    const float v = static_cast<float>(V >> cb_.Shift);
    return matrix_.FullRange ? (v - 128.0f) / 255.0f : (v - 128.0f) / 224.0f;
  }

  Kind kind_ = Kind::YCbCr;
  Plane y_, cb_, cr_, alpha_;
  bool hasAlpha_ = false, premultiplied_ = false;
  int shiftX_ = 0, shiftY_ = 0;
  ColourMatrix matrix_;
};

}  // namespace

PictureProblem CheckHeif(const PictureInput& Input, int& Width, int& Height) {
  HeifReading r;
  const PictureProblem problem = OpenPrimary(r, Input);
  if (problem != PictureProblem::NoProblem) return problem;
  Width = r.Width;
  Height = r.Height;
  return PictureProblem::NoProblem;
}

bool LoadHeifScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  HeifReading r;
  if (OpenPrimary(r, Input) != PictureProblem::NoProblem) return false;
  heif_decoding_options* options = heif_decoding_options_alloc();
  if (!options) return false;
  options->ignore_transformations = 0;  // libheif turns the picture upright
  // libheif checks a grid's or an overlay's canvas, which the file declares
  // apart from the image's size, against this side limit only: a lying canvas
  // is refused once it is larger on a side than the picture the boxes announce.
  heif_context_set_maximum_image_size_limit(r.Context, r.LongestSide + 1);
  heif_image* image = nullptr;
  const heif_error decoded =
      heif_decode_image(r.Handle, &image, heif_colorspace_undefined, heif_chroma_undefined, options);
  heif_decoding_options_free(options);
  r.Image = image;
  if (decoded.code != heif_error_Ok || !image) return false;
  RowConverter converter;
  if (!converter.Start(r)) return false;
  std::vector<uint8_t> row(static_cast<size_t>(converter.Width) * 3);
  BgrImage result;
  NearestRowSampler sampler(converter.Width, converter.Height, DestWidth, DestHeight, result);
  for (int y; (y = sampler.NextSourceRow()) >= 0;) {
    converter.Convert(y, row.data());
    sampler.TakeRow(row.data());
  }
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
