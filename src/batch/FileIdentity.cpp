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

// Opening a dangling link for writing creates the file it names, which path resolution alone
// does not tell.
std::string LinkTarget(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path path(name);
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hops) {
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path.string();
}

bool SameFile(const std::string& a, const std::string& b) {
  FileId idA, idB;
  const bool existsA = IdentityOf(a, idA);
  const bool existsB = IdentityOf(b, idB);
  if (existsA && existsB) return idA == idB;
  return ResolvedPath(existsA ? a : LinkTarget(a)) == ResolvedPath(existsB ? b : LinkTarget(b));
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
  // Long files carry their sizes in a ds64 chunk under an RF64 or BW64 container id.
  const bool container = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0 ||
                         std::memcmp(head, "BW64", 4) == 0;
  return whole && container && std::memcmp(head + 8, "WAVE", 4) == 0;
}

bool FileIdSet::HoldsFileAt(const std::string& path) const {
  FileId id;
  return !Ids.empty() && IdentityOf(path, id) && Contains(id);
}

}  // namespace tacetix
