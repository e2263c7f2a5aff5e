// Every audio file (WAV, FLAC, AIFF) below a folder, as the CLI's --recursive and the window's folder drops
// collect them: depth first in name order, links to folders not followed.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "options/ProcessSettings.h"

namespace tacetix {

struct WaveWalk {
  // true: the folder is left out, with everything below it.
  std::function<bool(const std::filesystem::path& folder)> SkipFolder;
  std::function<void(const std::string& path)> File;
  // "FOLDER: what is wrong" for a folder that cannot be listed.
  std::function<void(const std::string& problem)> Problem;
  // When set, takes instead of Problem what cannot be read (a folder that will not list, an entry
  // whose kind is hidden), so a run can name it and count it as it does a file it cannot open.
  std::function<void(const std::string& path)> Unreadable;
};

void WalkWaveFolder(const std::string& folder, const WaveWalk& walk);

// Whether a run with these settings writes its outputs into the folder: a subfolder of its
// name below any folder, or its one output folder. A walk leaves such a folder out, or an
// earlier run's outputs would come back as sources (and the next run write into kb/kb/).
bool IsOutputFolderOf(const std::filesystem::path& folder, const ProcessSettings& settings);

// Whether a name ends in ".wav", ".flac", ".aif", ".aiff" or ".aifc", in any case.
bool HasSourceExtension(const std::string& name);

}  // namespace tacetix
