// Bytes from memory, answering as a file of those bytes would.
#include "wave/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tacetix {

void MemorySource::Open(const uint8_t* data, size_t length) {
  Data = data;
  Length = data ? length : 0;
  Position = 0;
  Error = 0;
}

// As lseek: any position at or past the end is one, a negative one is refused.
bool MemorySource::Seek(int64_t offset) {
  if (offset < 0) {
    Error = EINVAL;
    return false;
  }
  Position = offset;
  return true;
}

bool MemorySource::Read(void* buffer, size_t length, size_t& got) {
  const auto at = static_cast<uint64_t>(Position);
  got = at >= Length ? 0 : static_cast<size_t>(std::min<uint64_t>(length, Length - at));
  if (got > 0) std::memcpy(buffer, Data + at, got);
  Position += static_cast<int64_t>(got);
  return true;
}

bool MemorySource::Size(int64_t& size) const {
  size = static_cast<int64_t>(Length);
  return true;
}

}  // namespace tacetix
