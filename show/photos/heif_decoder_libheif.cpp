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

#include <algorithm>
#include <cmath>
#include <cstdint>
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
