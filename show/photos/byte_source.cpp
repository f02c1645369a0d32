// Memory and file byte sources for the picture readers (see byte_source.h).
// File offsets go through std::fseek, so files beyond the range of long are
// treated as unreadable rather than read at a wrong place.

#include "byte_source.h"

#include <climits>
#include <cstring>

#include "paths.h"

namespace sorvane {

// Copies bytes from memory when they are all inside it.
bool MemoryByteSource::ReadAt(uint64_t Offset, void* Buffer, size_t Count) {
  if (Offset > size_ || Count > size_ - Offset) return false;
  if (Count > 0) std::memcpy(Buffer, data_ + Offset, Count);
  return true;
}

// Opens the file and learns its length.
FileByteSource::FileByteSource(const std::string& Path) {
  file_ = OpenFile(Path, "rb");
  if (!file_) return;
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    std::fclose(file_);
    file_ = nullptr;
    return;
  }
  const long end = std::ftell(file_);
  if (end < 0) {
    std::fclose(file_);
    file_ = nullptr;
    return;
  }
  size_ = static_cast<uint64_t>(end);
}

// Closes the file.
FileByteSource::~FileByteSource() {
  if (file_) std::fclose(file_);
}

// Seeks and reads; a short read or an offset out of range fails.
bool FileByteSource::ReadAt(uint64_t Offset, void* Buffer, size_t Count) {
  if (!file_) return false;
  if (Offset > size_ || Count > size_ - Offset) return false;
  if (Offset > static_cast<uint64_t>(LONG_MAX)) return false;
  if (std::fseek(file_, static_cast<long>(Offset), SEEK_SET) != 0) return false;
  return std::fread(Buffer, 1, Count, file_) == Count;
}

}  // namespace sorvane
