// Thin owner of a POSIX file descriptor. Every call reports failure at once;
// a short read is reported through the byte count, a short write as failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tacetix {

// The system's words for an error number. strerror may share one buffer between threads,
// and files of a run are processed on several.
std::string SystemErrorText(int error);

class FileHandle {
 public:
  FileHandle() = default;
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens a regular file read-only; anything else (a FIFO, a device, a folder) is refused
  // without ever waiting for a writer.
  bool OpenRead(const std::string& path);
  // Creates a new file for reading and writing; fails when the name exists, a link included.
  bool CreateNew(const std::string& path);
  bool IsOpen() const { return Fd >= 0; }
  bool Seek(int64_t offset);
  bool Size(int64_t& size) const;
  // Reads up to length bytes; false on a read error. got < length means end of file.
  bool Read(void* buffer, size_t length, size_t& got);
  // Writes length bytes; false on an error or when fewer were written (put tells how many).
  bool Write(const void* buffer, size_t length, size_t& put);
  // Closes the descriptor; false when the close reported an error.
  bool Close();
  // The errno of the last call that failed; 0 when it failed without one (a short write
  // of nothing, a path that is no regular file).
  int LastError() const { return Error; }

 private:
  bool Failed() const;  // keeps errno, returns false
  int Fd = -1;
  mutable int Error = 0;
};

}  // namespace tacetix
