// JPEG decoding with libjpeg-turbo (Linux side of jpeg_decoder.h; Windows uses
// jpeg_decoder_wic.cpp). Errors leave libjpeg through setjmp/longjmp instead
// of exit(); warnings are never printed, and premature end of data counts as
// an error so a truncated file ends in the caller's fallback. The scaled load
// reads only the rows it samples and skips the others with
// jpeg_skip_scanlines; no DCT scaling is used, since that would blend pixels.
// libjpeg's memory is bounded by what the header says the picture needs.
// The EXIF orientation is read with libexif from the first APP1 segment that
// holds EXIF data; no other marker is kept.

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <libexif/exif-data.h>

#include "jpeg_decoder.h"
#include "jpeg_header.h"
#include "paths.h"
#include "picture_sampling.h"

namespace sorvane {
namespace {

// libjpeg's memory while it reads the header.
constexpr uint64_t kHeaderMemory = 4u << 20;

// Largest whole-picture coefficient store we let libjpeg make: what a
// 50-megapixel picture with four full-resolution components (CMYK 4:4:4)
// needs, 4 x 2 bytes a pixel, with room for blocks padded to whole MCUs.
// Photographs up to 50 megapixels are thus decoded in every mode.
constexpr uint64_t kMaxWholePictureBytes = 4ull * 2 * 52'500'000;

// Bytes libjpeg keeps for the whole picture: a progressive or multi-scan file
// holds every DCT coefficient until its last scan, one 8 x 8 block of 2-byte
// coefficients per block of each component, padded to whole MCUs. A
// single-scan file keeps only a few rows and needs none of this.
uint64_t WholePictureBytes(const jpeg_decompress_struct& I) {
  if (!I.progressive_mode && I.comps_in_scan >= I.num_components) return 0;
  const auto roundUp = [](uint64_t n, uint64_t m) { return m > 0 ? (n + m - 1) / m * m : n; };
  uint64_t total = 0;
  for (int c = 0; c < I.num_components; ++c) {
    const jpeg_component_info& ci = I.comp_info[c];
    total += roundUp(ci.width_in_blocks, static_cast<uint64_t>(ci.h_samp_factor)) *
             roundUp(ci.height_in_blocks, static_cast<uint64_t>(ci.v_samp_factor)) * sizeof(JBLOCK);
  }
  return total;
}

// Everything else libjpeg allocates (tables, row buffers for sampling and
// colour conversion): a generous bound that grows with the width only.
uint64_t RowBufferBytes(const jpeg_decompress_struct& I) {
  return (16u << 20) + static_cast<uint64_t>(I.image_width) * static_cast<uint64_t>(I.num_components) * 256;
}

struct ErrorTrap {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

// Leaves libjpeg after a fatal error.
void LeaveOnError(j_common_ptr Info) { std::longjmp(reinterpret_cast<ErrorTrap*>(Info->err)->Jump, 1); }

// Swallows warnings, except that scan data ending early (a truncated file, or
// a header claiming more than the file holds) stops the decode.
void FilterMessage(j_common_ptr Info, int Level) {
  if (Level < 0 && (Info->err->msg_code == JWRN_JPEG_EOF || Info->err->msg_code == JWRN_HIT_MARKER))
    LeaveOnError(Info);
}

// Prints nothing.
void PrintNothing(j_common_ptr) {}

// One decompressor with its input; destroyed with everything it allocated.
struct Decompressor {
  jpeg_decompress_struct Info{};
  ErrorTrap Trap{};
  std::FILE* File = nullptr;
  uint64_t InputSize = 0;  // bytes of the file or of the memory
  bool Created = false;
  std::vector<uint8_t> Exif;  // the first EXIF APP1 segment's contents, "Exif\0\0" included
  PictureOrientation Orientation = PictureOrientation::AsStored;

  ~Decompressor() {
    if (Created) jpeg_destroy_decompress(&Info);
    if (File) std::fclose(File);
  }
};

// The header of an APP1 segment that holds EXIF data.
constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

// Copies up to Count bytes of the segment being read into Into (when not
// null) or skips them. A source that runs out ends the decode through the
// warning filter, so nothing here outlives a jump.
void TakeSegmentBytes(j_decompress_ptr Info, uint8_t* Into, long Count) {
  jpeg_source_mgr* src = Info->src;
  while (Count > 0) {
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(Info)) return;
    const long n = std::min(Count, static_cast<long>(src->bytes_in_buffer));
    if (Into) {
      std::memcpy(Into, src->next_input_byte, static_cast<size_t>(n));
      Into += n;
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= static_cast<size_t>(n);
    Count -= n;
  }
}

// libjpeg's handler for APP1 segments: keeps the first one that starts with
// the EXIF header (at most 65,533 bytes), skips every other.
boolean ReadApp1(j_decompress_ptr Info) {
  uint8_t length[2] = {0, 0};
  TakeSegmentBytes(Info, length, 2);
  const long count = (static_cast<long>(length[0]) << 8 | length[1]) - 2;
  if (count <= 0) return TRUE;
  std::vector<uint8_t>& exif = static_cast<Decompressor*>(Info->client_data)->Exif;
  if (!exif.empty() || count < static_cast<long>(sizeof kExifHeader)) {
    TakeSegmentBytes(Info, nullptr, count);
    return TRUE;
  }
  exif.resize(static_cast<size_t>(count));
  TakeSegmentBytes(Info, exif.data(), count);
  if (std::memcmp(exif.data(), kExifHeader, sizeof kExifHeader) != 0) exif.clear();
  return TRUE;
}

// The orientation tag of the first IFD, read with libexif; anything but one
// SHORT from 1 to 8 means "as stored". libexif's own repairs of the data are
// switched off, so a tag of the wrong type is not converted into a valid one.
PictureOrientation OrientationOfExif(const std::vector<uint8_t>& Exif) {
  if (Exif.empty()) return PictureOrientation::AsStored;
  ExifData* data = exif_data_new();
  if (!data) return PictureOrientation::AsStored;
  exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(data, Exif.data(), static_cast<unsigned>(Exif.size()));
  PictureOrientation orientation = PictureOrientation::AsStored;
  ExifEntry* entry = data->ifd[EXIF_IFD_0] ? exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION)
                                           : nullptr;
  if (entry && entry->format == EXIF_FORMAT_SHORT && entry->components == 1 && entry->data && entry->size >= 2)
    orientation = OrientationFromTag(exif_get_short(entry->data, exif_data_get_byte_order(data)));
  exif_data_unref(data);
  return orientation;
}

// Opens the input, reads the header and bounds libjpeg's memory by what the
// picture needs. Only C data lives in this frame, so the jump back here skips
// no destructors.
PictureProblem ReadHeader(Decompressor& D, const PictureInput& Input) {
  D.InputSize = Input.Size;
  if (Input.Path) {
    D.File = OpenFile(*Input.Path, "rb");
    if (!D.File) return PictureProblem::Unreadable;
    if (std::fseek(D.File, 0, SEEK_END) != 0 || std::ftell(D.File) < 0) return PictureProblem::Unreadable;
    D.InputSize = static_cast<uint64_t>(std::ftell(D.File));
    std::rewind(D.File);
  } else if (!Input.Data || Input.Size == 0) {
    return PictureProblem::Undecodable;
  }
  D.Info.err = jpeg_std_error(&D.Trap.Manager);
  D.Trap.Manager.error_exit = LeaveOnError;
  D.Trap.Manager.emit_message = FilterMessage;
  D.Trap.Manager.output_message = PrintNothing;
  if (setjmp(D.Trap.Jump)) return PictureProblem::Undecodable;
  jpeg_create_decompress(&D.Info);
  D.Created = true;
  D.Info.mem->max_memory_to_use = static_cast<long>(kHeaderMemory);
  D.Info.client_data = &D;
  jpeg_set_marker_processor(&D.Info, JPEG_APP0 + 1, ReadApp1);
  if (D.File)
    jpeg_stdio_src(&D.Info, D.File);
  else
    jpeg_mem_src(&D.Info, Input.Data, static_cast<unsigned long>(Input.Size));
  if (jpeg_read_header(&D.Info, TRUE) != JPEG_HEADER_OK) return PictureProblem::Undecodable;
  if (!PictureSizeAllowed(D.Info.image_width, D.Info.image_height)) return PictureProblem::TooLarge;
  const uint64_t whole = WholePictureBytes(D.Info);
  if (whole > kMaxWholePictureBytes) return PictureProblem::TooLarge;
  // A header claiming far more than the file holds is damage, found before
  // libjpeg sets aside memory for it.
  if (!JpegSizeFitsFile(static_cast<int>(D.Info.image_width), static_cast<int>(D.Info.image_height), D.InputSize))
    return PictureProblem::Undecodable;
  // A claim beyond this is an error inside libjpeg, not an allocation.
  D.Info.mem->max_memory_to_use = static_cast<long>(whole + RowBufferBytes(D.Info));
  return PictureProblem::NoProblem;
}

// The header, then the orientation from the EXIF data it kept.
PictureProblem ReadHeaderAndOrientation(Decompressor& D, const PictureInput& Input) {
  const PictureProblem problem = ReadHeader(D, Input);
  if (problem == PictureProblem::NoProblem) D.Orientation = OrientationOfExif(D.Exif);
  return problem;
}

// True for the colour spaces decoded through CMYK.
bool IsCmyk(const Decompressor& D) {
  return D.Info.jpeg_color_space == JCS_CMYK || D.Info.jpeg_color_space == JCS_YCCK;
}

// CMYK to blue-green-red. Adobe's writers store the inks inverted.
void CmykRowToBgr(const uint8_t* In, uint8_t* Out, int Width, bool Inverted) {
  for (int x = 0; x < Width; ++x) {
    unsigned c = In[x * 4], m = In[x * 4 + 1], y = In[x * 4 + 2], k = In[x * 4 + 3];
    if (!Inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    Out[x * 3] = static_cast<uint8_t>((y * k + 127) / 255);
    Out[x * 3 + 1] = static_cast<uint8_t>((m * k + 127) / 255);
    Out[x * 3 + 2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

// Decodes the sampled rows into Sampler; the row buffers come from the
// caller, so again only C data lives in this frame.
bool DecodeSampledRows(Decompressor& D, NearestRowSampler& Sampler, uint8_t* BgrRow, uint8_t* CmykRow) {
  if (setjmp(D.Trap.Jump)) return false;
  j_decompress_ptr info = &D.Info;
  const bool cmyk = IsCmyk(D);
  info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(info);
  if (info->output_components != (cmyk ? 4 : 3)) return false;
  const int width = static_cast<int>(info->output_width);
  for (int row; (row = Sampler.NextSourceRow()) >= 0;) {
    const JDIMENSION target = static_cast<JDIMENSION>(row);
    if (target > info->output_scanline) jpeg_skip_scanlines(info, target - info->output_scanline);
    if (info->output_scanline != target) return false;
    JSAMPROW line = cmyk ? CmykRow : BgrRow;
    if (jpeg_read_scanlines(info, &line, 1) != 1) return false;
    if (cmyk) CmykRowToBgr(CmykRow, BgrRow, width, info->saw_Adobe_marker != 0);
    Sampler.TakeRow(BgrRow);
  }
  return true;
}

}  // namespace

// Reads only the header.
PictureProblem CheckJpeg(const PictureInput& Input, int& Width, int& Height) {
  Decompressor d;
  const PictureProblem problem = ReadHeaderAndOrientation(d, Input);
  if (problem != PictureProblem::NoProblem) return problem;
  UprightSize(d.Orientation, d.Info.image_width, d.Info.image_height, Width, Height);
  return PictureProblem::NoProblem;
}

bool ReadJpegSize(const PictureInput& Input, int& Width, int& Height) {
  return CheckJpeg(Input, Width, Height) == PictureProblem::NoProblem;
}

// Header, then the sampled rows.
bool LoadJpegScaled(const PictureInput& Input, int DestWidth, int DestHeight, BgrImage& Out) {
  if (!ScaledSizeAllowed(DestWidth, DestHeight)) return false;
  Decompressor d;
  if (ReadHeaderAndOrientation(d, Input) != PictureProblem::NoProblem) return false;
  const int width = static_cast<int>(d.Info.image_width);
  const int height = static_cast<int>(d.Info.image_height);
  std::vector<uint8_t> bgrRow(static_cast<size_t>(width) * 3);
  std::vector<uint8_t> cmykRow(IsCmyk(d) ? static_cast<size_t>(width) * 4 : 0);
  BgrImage result;
  NearestRowSampler sampler(width, height, DestWidth, DestHeight, result, d.Orientation);
  if (!DecodeSampledRows(d, sampler, bgrRow.data(), cmykRow.data())) return false;
  Out = std::move(result);
  return true;
}

}  // namespace sorvane
