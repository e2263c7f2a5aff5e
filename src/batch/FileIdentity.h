// Whether two names are one file: device and inode where the file exists, the resolved
// path where it does not yet. The batch run uses it so that no write of a run (log or
// output) lands on a file the run reads or has written.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace tacetix {

struct FileId {
  uint64_t Device = 0;
  uint64_t Inode = 0;
  auto operator<=>(const FileId&) const = default;  // NOLINT(modernize-use-nullptr): no pointer here
};

// The identity of the file at path, links followed; false when nothing is there.
bool IdentityOf(const std::string& path, FileId& id);
// The path with links and dots resolved as far as it exists; the path itself on error.
std::string ResolvedPath(const std::string& path);
// Where a dangling link leads, links followed hop by hop; the name itself when it is no link.
std::string LinkTarget(const std::string& name);
// Whether two names are one file, a dangling link taken as the file its writing would create.
bool SameFile(const std::string& a, const std::string& b);

class FileIdSet {
 public:
  void Add(const FileId& id) { Ids.insert(id); }
  bool Contains(const FileId& id) const { return Ids.count(id) != 0; }
  // The file at path (if any) is in the set.
  bool HoldsFileAt(const std::string& path) const;

 private:
  std::set<FileId> Ids;
};

}  // namespace tacetix
