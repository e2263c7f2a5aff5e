// Gathering the input's carried chunks for an output that keeps metadata: chosen here, one body
// at a time, and made again from the source when the writer writes them.
#include "run/OutputMetadata.h"

#include <algorithm>
#include <cstring>

#include "metadata/KeptMetadata.h"

namespace tacetix {
namespace {

// All carried chunks together stay below this; later ones are dropped as too large.
constexpr uint64_t MaxCarriedTotal = 64u << 20;

// Which chunks are too large to carry: the sizes decide, in file order, against the total.
std::vector<bool> TooLarge(const std::vector<ChunkEntry>& entries) {
  std::vector<bool> tooLarge(entries.size(), false);
  uint64_t budget = MaxCarriedTotal;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!CarriedId(entries[i].Id)) continue;
    tooLarge[i] = entries[i].Size > std::min(MaxCarriedChunk, budget);
    if (!tooLarge[i]) budget -= entries[i].Size;
  }
  return tooLarge;
}

// The chunk's body when it may be carried; a LIST's type even when its body is too large.
SourceChunk LoadChunk(SampleSource& file, const ChunkEntry& entry, bool tooLarge) {
  SourceChunk c;
  c.Id = entry.Id;
  if (!CarriedId(entry.Id)) return c;
  const bool isList = std::memcmp(entry.Id.data(), "LIST", 4) == 0;
  if (tooLarge) c.NotRead = ChunkDrop::TooLarge;
  const uint64_t wanted = tooLarge ? (isList ? std::min<uint64_t>(entry.Size, 4) : 0) : entry.Size;
  c.Body.resize(static_cast<size_t>(wanted));
  if (wanted > 0 && file.ReadInputBytes(entry.BodyOffset, c.Body.data(), c.Body.size()) != 0) {
    c.Body.clear();
    c.NotRead = ChunkDrop::Unreadable;
  }
  return c;
}

// Makes the carried chunks again from the source, which stays open while the output is written.
class SourceChunkMaker : public ChunkMaker {
 public:
  SourceChunkMaker(SampleSource& source, KeptChunkChooser chooser) : Source(source), Chooser(std::move(chooser)) {}
  bool Make(size_t index, std::vector<uint8_t>& body) override {
    SourceChunk c = LoadChunk(Source, Entries[index], false);
    return c.NotRead == ChunkDrop::None && Chooser.Remake(std::move(c), body) == ChunkDrop::None;
  }
  std::vector<ChunkEntry> Entries;  // in the order of OutputExtras::Carried

 private:
  SampleSource& Source;
  KeptChunkChooser Chooser;
};

}  // namespace

std::optional<OutputExtras> PrepareKeptMetadata(SampleSource& source, const WaveInfo& info, int64_t wholeSamples,
                                                FileOutcome& outcome, const std::function<bool()>& cancelled) {
  const int64_t ch = info.Channels;
  const int64_t lastSample = std::min<int64_t>(outcome.KeepLast, wholeSamples - 1);
  const KeptFrames frames{static_cast<uint64_t>(outcome.KeepFirst / ch),
                          static_cast<uint64_t>(std::max<int64_t>(0, lastSample / ch))};
  const std::vector<ChunkEntry>& entries = source.Chunks();
  const std::vector<bool> tooLarge = TooLarge(entries);
  KeptChunkChooser chooser(frames);
  // Asked after each chunk that may be carried: one of the largest size is read and rewritten in
  // a moment, and a cancel need not wait for the writer to make it again.
  const auto stop = [&](const ChunkEntry& e) { return CarriedId(e.Id) && cancelled(); };
  for (size_t i = 0; i < entries.size(); ++i) {
    if (std::memcmp(entries[i].Id.data(), "cue ", 4) != 0) continue;
    const bool found = chooser.OfferCue(LoadChunk(source, entries[i], tooLarge[i]));
    if (stop(entries[i])) return std::nullopt;
    if (found) break;
  }
  OutputExtras extras;
  std::vector<ChunkEntry> carried;
  for (size_t i = 0; i < entries.size(); ++i) {
    std::vector<uint8_t> body;  // gone before the next is read: one body at a time
    bool afterData = false;
    const bool kept = chooser.Consider(LoadChunk(source, entries[i], tooLarge[i]), body, afterData);
    if (stop(entries[i])) return std::nullopt;
    if (!kept) continue;
    extras.Carried.push_back({entries[i].Id, body.size(), afterData});
    carried.push_back(entries[i]);
  }
  outcome.DroppedChunks = std::move(chooser.Dropped);
  auto maker = std::make_shared<SourceChunkMaker>(source, std::move(chooser));
  maker->Entries = std::move(carried);
  extras.Maker = std::move(maker);
  const int32_t bits = outcome.TargetBits == -1 ? info.BitsPerSample : outcome.TargetBits;
  extras.Extensible = info.Channels > 2 || bits > 16;
  extras.ChannelMask = extras.Extensible ? OutputChannelMask(source.ChannelMask(), info.Channels) : 0;
  return extras;
}

std::vector<std::string> CuePointsBetweenParts(SampleSource& source, const std::vector<PartOutcome>& parts,
                                               int32_t channels) {
  std::vector<std::string> notes;
  if (parts.size() < 2 || channels < 1) return notes;
  for (const ChunkEntry& entry : source.Chunks()) {
    if (std::memcmp(entry.Id.data(), "cue ", 4) != 0) continue;
    SourceChunk cue = LoadChunk(source, entry, entry.Size > MaxCarriedChunk);
    KeptCuePoints points;
    if (cue.NotRead != ChunkDrop::None || !CutCuePoints(cue.Body, {0, UINT64_MAX - 1}, &points)) return notes;
    // A part holds the points from its first frame to the frame after its last, as an output does.
    const auto held = [&](uint64_t at) {
      return std::any_of(parts.begin(), parts.end(), [&](const PartOutcome& p) {
        return at >= static_cast<uint64_t>(p.First / channels) && at <= static_cast<uint64_t>(p.Last / channels) + 1;
      });
    };
    const auto first = static_cast<uint64_t>(parts.front().First / channels);
    const auto last = static_cast<uint64_t>(parts.back().Last / channels);
    for (const KeptCuePoint& point : points)
      if (point.Position > first && point.Position < last && !held(point.Position))
        notes.push_back("cue point " + std::to_string(point.Id) + " at frame " + std::to_string(point.Position) +
                        " dropped: between parts");
    return notes;
  }
  return notes;
}

}  // namespace tacetix
