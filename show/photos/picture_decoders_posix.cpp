// The Linux decoders of each picture format (see picture_decoders.h): each
// format's reference library, one file per library.

#include "heif_decoder.h"
#include "jpeg_decoder.h"
#include "picture_decoders.h"

namespace sorvane {

const PictureDecoder* DecoderFor(PictureKind Kind) {
  static const PictureDecoder kJpeg{CheckJpeg, LoadJpegScaled};
  static const PictureDecoder kHeif{CheckHeif, LoadHeifScaled};
  switch (Kind) {
    case PictureKind::Jpeg: return &kJpeg;
    case PictureKind::Heif: return &kHeif;
    default: return nullptr;
  }
}

}  // namespace sorvane
