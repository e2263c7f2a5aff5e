// Where a reader's bytes come from: a file opened read-only, or a block of memory the caller
// keeps alive (a fuzzer's input, a test's file built in place). Both answer as FileHandle does:
// a short read is the end of the bytes, a failed call keeps its errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wave/FileHandle.h"

namespace tacetix {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual bool Seek(int64_t offset) = 0;
  // Reads up to length bytes from the position; got < length means the end of the bytes.
  virtual bool Read(void* buffer, size_t length, size_t& got) = 0;
  virtual bool Size(int64_t& size) const = 0;
  // The errno of the last call that failed; 0 when it failed without one.
  virtual int LastError() const = 0;
};

class FileSource final : public ByteSource {
 public:
  // A regular file only (see FileHandle::OpenRead).
  bool Open(const std::string& path) { return File.OpenRead(path); }
  // A read-only descriptor loses nothing when its close reports an error.
  void Close() { File.Close(); }
  bool Seek(int64_t offset) override { return File.Seek(offset); }
  bool Read(void* buffer, size_t length, size_t& got) override { return File.Read(buffer, length, got); }
  bool Size(int64_t& size) const override { return File.Size(size); }
  int LastError() const override { return File.LastError(); }

 private:
  FileHandle File;
};

class MemorySource final : public ByteSource {
 public:
  void Open(const uint8_t* data, size_t length);
  void Close() { Open(nullptr, 0); }
  bool Seek(int64_t offset) override;
  bool Read(void* buffer, size_t length, size_t& got) override;
  bool Size(int64_t& size) const override;
  int LastError() const override { return Error; }

 private:
  const uint8_t* Data = nullptr;
  size_t Length = 0;
  int64_t Position = 0;
  int Error = 0;
};

}  // namespace tacetix
