// Temporary file beside the final name, then an exclusive (or replacing) rename; and the
// removal of the temporary files that killed processes left.
#include "wave/AtomicOutput.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace tacetix {
namespace {

// Longest file name most file systems take; the temporary name must fit it too.
constexpr size_t MaxNameBytes = 255;
constexpr const char* TempMarker = ".tacetix-";
constexpr int TagLength = 6;
constexpr int CreateAttempts = 100;
// Host names are at most 64 bytes; a longer one is cut, the same way every time.
constexpr size_t MaxHostBytes = 64;

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

// This machine's name as temporary names carry it: only letters, digits, '.', '-' and '_',
// so that the '@' before it and the '-' after the process id stay unambiguous. Empty when
// the system does not tell it: such names are never taken for this machine's.
const std::string& HostToken() {
  static const std::string token = [] {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::string();
    std::string t(name, std::min(std::char_traits<char>::length(name), MaxHostBytes));
    for (char& c : t)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    return t;
  }();
  return token;
}

// "PID@HOST": who writes the temporary file, so that a later run can tell whether it was left.
std::string OwnerToken() { return std::to_string(::getpid()) + "@" + HostToken(); }

// Followed through links: a folder could never be replaced by the file, and a FIFO, socket or
// device is no output to take over (as root, a rename would replace a device node).
bool HoldsOtherThanFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
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

// ".name.tacetix-PID@HOST-TAG", in the folder of finalPath.
std::string TemporaryNameFor(const std::string& finalPath, const std::string& tag) {
  const std::string owned = OwnerToken() + "-" + tag;
  const size_t slash = finalPath.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  // A long name is cut so that the temporary one still fits; only the final name matters.
  const size_t room = MaxNameBytes - 1 - std::char_traits<char>::length(TempMarker) - owned.size();
  std::string name = finalPath.substr(nameStart, room);
  // Never cut inside a UTF-8 character: file systems that check names would refuse it.
  if (name.size() == room && nameStart + room < finalPath.size())
    while (!name.empty() && (static_cast<unsigned char>(finalPath[nameStart + name.size()]) & 0xC0) == 0x80)
      name.pop_back();
  return finalPath.substr(0, nameStart) + "." + name + TempMarker + owned;
}

bool AllAlphanumeric(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool HostTokenChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_'; }

// Who wrote a temporary file named name, read from the end, since the output's own name may hold
// anything: false when the name does not follow the pattern exactly.
bool OwnerOf(const std::string& name, pid_t& pid, std::string& host) {
  const size_t dash = name.rfind('-');
  if (dash == std::string::npos || name.size() - dash - 1 != TagLength || !AllAlphanumeric(name.substr(dash + 1)))
    return false;
  const size_t at = name.rfind('@', dash);
  if (at == std::string::npos) return false;
  host = name.substr(at + 1, dash - at - 1);
  const size_t markerLength = std::char_traits<char>::length(TempMarker);
  const size_t marker = name.rfind(TempMarker, at);
  // A dot and at least one byte of the output's name come before the marker.
  if (marker == std::string::npos || marker < 2 || name[0] != '.' ||
      !std::all_of(host.begin(), host.end(), HostTokenChar))
    return false;
  const std::string id = name.substr(marker + markerLength, at - marker - markerLength);
  if (id.size() > 9 || !AllDigits(id)) return false;
  pid = static_cast<pid_t>(std::stol(id));
  return pid > 0;
}

// Only a process that is certainly gone: one of another user still runs (EPERM).
bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

bool AtomicOutput::Create(const std::string& finalPath, bool replace, FileHandle& handle) {
  Discard();
  if (finalPath.empty() || finalPath.back() == '/') {
    errno = ENOENT;
    return false;
  }
  NotRegular = HoldsOtherThanFile(finalPath);
  if (NotRegular) return false;
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
  // Looked at again: something may have taken the name while the file was written.
  if (Replace && HoldsOtherThanFile(FinalPath)) {
    Discard();
    return CommitResult::NotRegularFile;
  }
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

namespace {

// This machine's temporary files go once their process has ended; another machine's cannot be
// told from a running one but by the time nothing wrote to them.
bool Orphaned(const std::string& path, const std::string& name, int64_t staleSeconds) {
  pid_t pid = 0;
  std::string host;
  struct stat st {};
  if (!OwnerOf(name, pid, host) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (!HostToken().empty() && host == HostToken()) return ProcessGone(pid);
  return staleSeconds > 0 && static_cast<int64_t>(std::time(nullptr)) - st.st_mtime >= staleSeconds;
}

}  // namespace

std::vector<std::string> RemoveOrphanedTemporaries(const std::string& folder, int64_t staleSeconds) {
  std::vector<std::string> removed;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return removed;
  const std::string lead = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (const dirent* entry = ::readdir(dir)) {
    const std::string path = lead + entry->d_name;
    if (Orphaned(path, entry->d_name, staleSeconds) && ::unlink(path.c_str()) == 0) removed.push_back(path);
  }
  ::closedir(dir);
  std::sort(removed.begin(), removed.end());
  return removed;
}

}  // namespace tacetix
