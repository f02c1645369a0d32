// Pictures compiled into both programs (generated from the files in this
// folder by cmake/EmbedFile.cmake).
#pragma once

#include <cstddef>

namespace sorvane {

// The two built-in photographs, 512 x 512 baseline JPEG.
extern const unsigned char kPhoto0Jpeg[];
extern const std::size_t kPhoto0JpegSize;
extern const unsigned char kPhoto1Jpeg[];
extern const std::size_t kPhoto1JpegSize;

// The preview picture, 152 x 152 baseline JPEG.
extern const unsigned char kPreviewJpeg[];
extern const std::size_t kPreviewJpegSize;

}  // namespace sorvane
