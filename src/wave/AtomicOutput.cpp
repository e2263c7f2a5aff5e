// Temporary file beside the final name, then an exclusive (or replacing) rename.
#include "wave/AtomicOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace tacetix {
namespace {

// Longest file name most file systems take; the temporary name must fit it too.
constexpr size_t MaxNameBytes = 255;
constexpr const char* TempMarker = ".tacetix-";
constexpr int TagLength = 6;
constexpr int CreateAttempts = 100;

// Not secret, only unlikely to collide: pid, clock and a counter, mixed (splitmix64).
std::string RandomTag() {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = (uint64_t{static_cast<uint32_t>(::getpid())} << 32) ^
               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (++counter * 0x9E3779B97F4A7C15ull);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string tag;
  for (int i = 0; i < TagLength; ++i, x /= 62) tag += alphabet[x % 62];
  return tag;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Moves from onto to only while to is free. renameat2 does it in one step; file systems
// without it (EINVAL) get a hard link, which fails on a taken name just the same.
int MoveNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
#endif
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS) return -1;
  // Neither works (FAT, some network file systems): look, then rename, the best they allow.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.c_str(), to.c_str());
}

// ".name.tacetix-" and the tag, in the folder of finalPath.
std::string TemporaryNameFor(const std::string& finalPath, const std::string& tag) {
  const size_t slash = finalPath.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  // A long name is cut so that the temporary one still fits; only the final name matters.
  const size_t room = MaxNameBytes - 1 - std::char_traits<char>::length(TempMarker) - tag.size();
  std::string name = finalPath.substr(nameStart, room);
  // Never cut inside a UTF-8 character: file systems that check names would refuse it.
  if (name.size() == room && nameStart + room < finalPath.size())
    while (!name.empty() && (static_cast<unsigned char>(finalPath[nameStart + name.size()]) & 0xC0) == 0x80)
      name.pop_back();
  return finalPath.substr(0, nameStart) + "." + name + TempMarker + tag;
}

}  // namespace

bool AtomicOutput::Create(const std::string& finalPath, bool replace, FileHandle& handle) {
  Discard();
  if (finalPath.empty() || finalPath.back() == '/') {
    errno = ENOENT;
    return false;
  }
  // A folder at the final name could never be replaced by the file: fail before writing it.
  if (IsFolder(finalPath)) {
    errno = EISDIR;
    return false;
  }
  for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
    const std::string candidate = TemporaryNameFor(finalPath, RandomTag());
    if (handle.CreateNew(candidate)) {
      FinalPath = finalPath;
      TempPath = candidate;
      Replace = replace;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

CommitResult AtomicOutput::Commit() {
  if (TempPath.empty()) return CommitResult::Failed;
  const int moved = Replace ? ::rename(TempPath.c_str(), FinalPath.c_str()) : MoveNoReplace(TempPath, FinalPath);
  if (moved == 0) {
    TempPath.clear();
    return CommitResult::Moved;
  }
  const int error = errno;
  Discard();
  errno = error;  // the move's reason, not the removal's
  return error == EEXIST && !Replace ? CommitResult::NameTaken : CommitResult::Failed;
}

void AtomicOutput::Discard() {
  if (TempPath.empty()) return;
  ::unlink(TempPath.c_str());
  TempPath.clear();
}

}  // namespace tacetix
