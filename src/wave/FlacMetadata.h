// The metadata blocks a FLAC source gives a FLAC output under Keep metadata: its Vorbis
// comments, pictures and application blocks as libFLAC holds them, and what is left behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct FLAC__StreamMetadata;

namespace tacetix {

struct FlacBlocks {
  FlacBlocks() = default;
  ~FlacBlocks();
  FlacBlocks(const FlacBlocks&) = delete;
  FlacBlocks& operator=(const FlacBlocks&) = delete;

  std::vector<FLAC__StreamMetadata*> Carried;  // owned
  // The blocks no output carries ("CUESHEET", "PICTURE (too large)"); the seek table is made
  // anew and padding is never carried, so neither is named.
  std::vector<std::string> Dropped;
  // Every block of the source by name, for an output of another type, which carries none.
  std::vector<std::string> All;
};

}  // namespace tacetix
