// Audio files told by their first bytes, whatever their name: the files a run writes beside
// its outputs (the log, the report, the preview picture) never replace a recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tacetix {

// The container the bytes a file starts with belong to ("wave", "AIFF", "FLAC", "Wave64",
// "CAF", "Ogg", "MP3", ...); "" when they are no audio file known.
std::string AudioContainerOf(const uint8_t* head, size_t length);
// The same for the regular file at path; "" as well when it is no regular file or unreadable.
std::string AudioContainerAt(const std::string& path);
// Why a side file may not be written under name: "the log file is a wave file: NAME" (what
// names it), "" when name holds no audio file.
std::string AudioFileRefusal(const std::string& name, const std::string& what);

}  // namespace tacetix
