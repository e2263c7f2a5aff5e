#include "wave/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace tacetix {
namespace {
// GNU's strerror_r returns the text (maybe not in the buffer); the POSIX one fills the buffer.
[[maybe_unused]] const char* TextOf(const char* text, const char*) { return text; }
[[maybe_unused]] const char* TextOf(int, const char* buffer) { return buffer; }
}  // namespace

std::string SystemErrorText(int error) {
  char buffer[256] = "";
  return TextOf(strerror_r(error, buffer, sizeof buffer), buffer);
}

FileHandle::~FileHandle() { Close(); }

bool FileHandle::Failed() const {
  Error = errno;
  return false;
}

bool FileHandle::OpenRead(const std::string& path) {
  Close();
  if (path.empty()) return false;
  // Without O_NONBLOCK the open of a FIFO waits for a writer, for ever if none comes.
  Fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0) return Failed();
  // A folder or a device opens read-only on POSIX but is no file to read from.
  struct stat st {};
  const bool known = ::fstat(Fd, &st) == 0;
  const int flags = known && S_ISREG(st.st_mode) ? ::fcntl(Fd, F_GETFL) : -1;
  if (flags < 0 || ::fcntl(Fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = !known || S_ISREG(st.st_mode) ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    Close();
    Error = error;
    return false;
  }
  return true;
}

bool FileHandle::CreateNew(const std::string& path) {
  Close();
  if (path.empty()) return false;
  // Mode 0666 leaves the permissions to the umask, as for any new file.
  Fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return Fd >= 0 || Failed();
}

bool FileHandle::Seek(int64_t offset) {
  if (Fd < 0 || offset < 0) return false;
  return ::lseek(Fd, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset) || Failed();
}

bool FileHandle::Size(int64_t& size) const {
  struct stat st {};
  if (Fd < 0) return false;
  if (::fstat(Fd, &st) != 0) return Failed();
  size = static_cast<int64_t>(st.st_size);
  return true;
}

bool FileHandle::Read(void* buffer, size_t length, size_t& got) {
  got = 0;
  if (Fd < 0) return false;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (got < length) {
    ssize_t n = ::read(Fd, bytes + got, length - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed();
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return true;
}

bool FileHandle::Write(const void* buffer, size_t length, size_t& put) {
  put = 0;
  if (Fd < 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (put < length) {
    ssize_t n = ::write(Fd, bytes + put, length - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      errno = n < 0 ? errno : EIO;  // nothing written and no reason given
      return Failed();
    }
    put += static_cast<size_t>(n);
  }
  return true;
}

bool FileHandle::Close() {
  if (Fd < 0) return true;
  int fd = Fd;
  Fd = -1;
  return ::close(fd) == 0 || Failed();
}

}  // namespace tacetix
