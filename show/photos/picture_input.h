// Where a picture's bytes are, for the format decoders: a file named by a
// narrow-encoded path, or a block of memory (the built-in pictures, the
// fuzzers). Portable, header only.
#pragma once

#include <cstddef>
#include <string>

#include "picture_file.h"

namespace sorvane {

struct PictureInput {
  const std::string* Path = nullptr;
  const unsigned char* Data = nullptr;
  std::size_t Size = 0;

  static PictureInput File(const std::string& FilePath) { return PictureInput{&FilePath, nullptr, 0}; }
  static PictureInput Memory(const unsigned char* Bytes, std::size_t Length) {
    return PictureInput{nullptr, Bytes, Length};
  }
};

}  // namespace sorvane
