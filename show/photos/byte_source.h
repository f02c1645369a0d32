// Random-access reading of a picture's bytes, from a file or from memory, so
// that the BMP reader can fetch only the rows it samples (pairs with
// byte_source.cpp). It knows nothing of picture formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace sorvane {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Total length in bytes.
  virtual uint64_t Size() const = 0;
  // Reads exactly Count bytes at Offset; false when they are not all there.
  virtual bool ReadAt(uint64_t Offset, void* Buffer, size_t Count) = 0;
};

// Bytes held by the caller.
class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const unsigned char* Data, size_t Size) : data_(Data), size_(Size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t Offset, void* Buffer, size_t Count) override;

 private:
  const unsigned char* data_;
  size_t size_;
};

// A plain file opened by its narrow-encoded path; folders and missing files
// give a source that is not open.
class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(const std::string& Path);
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t Offset, void* Buffer, size_t Count) override;

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

}  // namespace sorvane
