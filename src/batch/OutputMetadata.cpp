// Gathering the input's carried chunks for an output that keeps metadata.
#include "batch/OutputMetadata.h"

#include <algorithm>
#include <cstring>

#include "batch/KeptMetadata.h"

namespace tacetix {
namespace {

// All carried chunks together stay below this; later ones are dropped as too large.
constexpr uint64_t MaxCarriedTotal = 64u << 20;

// The chunk's body when it may be carried; a LIST's type even when its body is too large.
SourceChunk ReadChunk(WaveReader& file, const ChunkEntry& entry, uint64_t& budget) {
  SourceChunk c;
  c.Id = entry.Id;
  if (!CarriedId(entry.Id)) return c;
  const bool isList = std::memcmp(entry.Id.data(), "LIST", 4) == 0;
  if (entry.Size > std::min(MaxCarriedChunk, budget)) c.NotRead = "too large";
  const uint64_t wanted = c.NotRead != nullptr ? (isList ? std::min<uint64_t>(entry.Size, 4) : 0) : entry.Size;
  c.Body.resize(static_cast<size_t>(wanted));
  if (wanted > 0 && file.ReadInputBytes(entry.BodyOffset, c.Body.data(), c.Body.size()) != 0) {
    c.Body.clear();
    c.NotRead = "unreadable";
  }
  if (c.NotRead == nullptr) budget -= entry.Size;
  return c;
}

}  // namespace

OutputExtras PrepareKeptMetadata(WaveReader& source, const WaveInfo& info, int64_t wholeSamples, FileOutcome& outcome) {
  const int64_t ch = info.Channels;
  const int64_t lastSample = std::min<int64_t>(outcome.KeepLast, wholeSamples - 1);
  const KeptFrames frames{static_cast<uint64_t>(outcome.KeepFirst / ch),
                          static_cast<uint64_t>(std::max<int64_t>(0, lastSample / ch))};
  std::vector<SourceChunk> chunks;
  uint64_t budget = MaxCarriedTotal;
  for (const ChunkEntry& entry : source.Chunks()) chunks.push_back(ReadChunk(source, entry, budget));
  KeptChunks kept = ChooseKeptChunks(chunks, frames);
  OutputExtras extras;
  const int32_t bits = outcome.TargetBits == -1 ? info.BitsPerSample : outcome.TargetBits;
  extras.Extensible = info.Channels > 2 || bits > 16;
  extras.ChannelMask = extras.Extensible ? OutputChannelMask(source.ChannelMask(), info.Channels) : 0;
  extras.BeforeData = std::move(kept.BeforeData);
  extras.AfterData = std::move(kept.AfterData);
  outcome.DroppedChunks = std::move(kept.Dropped);
  return extras;
}

}  // namespace tacetix
