// Identities of files by device and inode, and resolved paths for names not yet taken.
#include "batch/FileIdentity.h"

#include <sys/stat.h>
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

bool FileIdSet::HoldsFileAt(const std::string& path) const {
  FileId id;
  return !Ids.empty() && IdentityOf(path, id) && Contains(id);
}

}  // namespace tacetix
