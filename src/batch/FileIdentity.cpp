// Identities of files by device and inode, and resolved paths for names not yet taken.
#include "batch/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tacetix {

bool IdentityOf(const std::string& path, FileId& id) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
  id = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

std::string ResolvedPath(const std::string& path) {
  std::error_code ec;
  // Absolute first: the part that does not exist yet is only normalised, never resolved.
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  const std::filesystem::path p = ec ? absolute : std::filesystem::weakly_canonical(absolute, ec);
  return ec ? path : p.string();
}

bool LooksLikeWave(const std::string& path) {
  struct stat st {};
  // Only regular files are opened: a FIFO or a device given as the log is left alone.
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  char head[12] = {};
  const bool whole = ::read(fd, head, sizeof head) == static_cast<ssize_t>(sizeof head);
  ::close(fd);
  return whole && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

bool FileIdSet::HoldsFileAt(const std::string& path) const {
  FileId id;
  return !Ids.empty() && IdentityOf(path, id) && Contains(id);
}

}  // namespace tacetix
