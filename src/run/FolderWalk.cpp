#include "run/FolderWalk.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

namespace tacetix {
namespace fs = std::filesystem;

bool HasSourceExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".wav" || ext == ".flac" || ext == ".aif" || ext == ".aiff" || ext == ".aifc";
}

bool IsOutputFolderOf(const fs::path& folder, const ProcessSettings& settings) {
  if (settings.FolderText.empty()) return false;
  if (settings.FolderMode == FolderKind::Subfolder) return folder.filename() == settings.FolderText;
  std::error_code ec;
  return fs::equivalent(folder, settings.FolderText, ec);
}

// Depth first in name order, so a folder's files come out as a sorted listing shows them.
// Links to folders are not followed: a link back up would never end.
void WalkWaveFolder(const std::string& folder, const WaveWalk& walk) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  if (ec) {
    if (walk.Unreadable) walk.Unreadable(folder);
    else if (walk.Problem) walk.Problem(folder + ": " + ec.message());
    return;
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename().native() < b.filename().native(); });
  for (const fs::path& entry : entries) {
    const fs::file_status own = fs::symlink_status(entry, ec);
    // Gone since the listing: nothing was skipped.
    const bool unknown = ec && ec != std::errc::no_such_file_or_directory;
    if (unknown && walk.Unreadable) {
      walk.Unreadable(entry.string());
    } else if (fs::is_directory(own)) {
      if (!walk.SkipFolder || !walk.SkipFolder(entry)) WalkWaveFolder(entry.string(), walk);
    } else if (HasSourceExtension(entry.filename().string()) && !fs::is_directory(fs::status(entry, ec))) {
      walk.File(entry.string());
    }
  }
}

}  // namespace tacetix
