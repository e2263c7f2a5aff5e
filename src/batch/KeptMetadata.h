// Which chunks of an input an output carries when metadata is kept, in which order, and how
// they change with the cut. Bytes in, bytes out; standard library only.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "batch/ChunkRules.h"
#include "wave/WaveMetadata.h"

namespace tacetix {

// One chunk of the input in file order. Body holds the chunk's bytes when the chunk may be
// carried (CarriedId) and could be read; otherwise NotRead says why (TooLarge, Unreadable), and
// a LIST's Body still holds its type when there was one.
struct SourceChunk {
  std::array<char, 4> Id{};
  std::vector<uint8_t> Body;
  ChunkDrop NotRead = ChunkDrop::None;
};

// The chunks an output gets, whole (headers, bodies, pad bytes), and what it does not get.
struct KeptChunks {
  std::vector<uint8_t> BeforeData;   // INFO, bext, iXML and the other descriptive chunks
  std::vector<uint8_t> AfterData;    // cue, adtl and smpl, whose positions follow the samples
  std::vector<std::string> Dropped;  // "LIST/exif", "bext (malformed)", in file order
};

// Larger carried chunks are dropped: no metadata chunk needs this much, a hostile file might claim it.
constexpr uint64_t MaxCarriedChunk = 16u << 20;

// The choice made one chunk at a time, so that its caller need hold one body only.
class KeptChunkChooser {
 public:
  explicit KeptChunkChooser(const KeptFrames& frames) : Frames(frames) {}
  // A chunk offered before the choice: the first good cue chunk gives the points the output
  // keeps, which labels refer to, wherever it stands. true once they are found.
  bool OfferCue(SourceChunk c);
  // The chunk's body as the output carries it, and whether it follows the data; false when the
  // output does not carry it (Dropped then names it, unless the writer makes its own).
  bool Consider(SourceChunk c, std::vector<uint8_t>& body, bool& afterData);
  // The body of a chunk that Consider took, made again from the same source chunk; None when
  // it was, else why it cannot be carried.
  ChunkDrop Remake(SourceChunk c, std::vector<uint8_t>& body) const;

  std::vector<std::string> Dropped;  // "LIST/exif", "bext (malformed)", in file order

 private:
  void Drop(const std::string& name, ChunkDrop why);

  KeptFrames Frames;
  KeptCuePoints Points;
  bool CueFound = false;
  std::set<std::string> Taken;  // a second bext or cue would contradict the first
};

// The output's chunks for an input cut to the frames given.
KeptChunks ChooseKeptChunks(const std::vector<SourceChunk>& chunks, const KeptFrames& frames);

// The extensible fmt's speaker mask for an output: the input's when it names no more speakers
// than there are channels, else the default mask of the channel count.
uint32_t OutputChannelMask(uint32_t inputMask, int32_t channels);

}  // namespace tacetix
