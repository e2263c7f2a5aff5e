// Choosing, ordering and rewriting the metadata chunks an output carries.
#include "batch/KeptMetadata.h"

#include <bit>
#include <cstring>

namespace tacetix {
namespace {

bool Is(const std::array<char, 4>& id, const char* name) { return std::memcmp(id.data(), name, 4) == 0; }

bool IsList(const SourceChunk& c, const char* type) {
  return Is(c.Id, "LIST") && c.Body.size() >= 4 && std::memcmp(c.Body.data(), type, 4) == 0;
}

// A readable name for the report: the id (and a LIST's type) without trailing blanks,
// bytes a terminal would not show as '?'.
std::string Printable(const char* bytes, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text.erase(text.find_last_not_of(' ') + 1);
}

std::string ChunkName(const SourceChunk& c) {
  std::string name = Printable(c.Id.data(), 4);
  if (Is(c.Id, "LIST") && c.Body.size() >= 4) name += "/" + Printable(reinterpret_cast<const char*>(c.Body.data()), 4);
  return name;
}

}  // namespace

void KeptChunkChooser::Drop(const std::string& name, ChunkDrop why) {
  const std::string_view text = ChunkDropText(why);
  Dropped.push_back(text.empty() ? name : name + " (" + std::string(text) + ")");
}

bool KeptChunkChooser::OfferCue(SourceChunk c) {
  if (CueFound || !Is(c.Id, "cue ") || c.NotRead != ChunkDrop::None) return CueFound;
  CueFound = CutCuePoints(c.Body, Frames, &Points);
  return CueFound;
}

bool KeptChunkChooser::Consider(SourceChunk c, std::vector<uint8_t>& body, bool& afterData) {
  const ChunkRule* rule = FindChunkRule(c.Id, c.Body);
  if (rule != nullptr && rule->Role == ChunkRole::Structural) return false;
  const std::string name = ChunkName(c);
  if (Is(c.Id, "LIST") && c.Body.size() < 4) return Drop(name, ChunkDrop::Malformed), false;
  if (rule == nullptr) return Drop(name, ChunkDrop::Unknown), false;
  if (c.NotRead != ChunkDrop::None) return Drop(name, c.NotRead), false;
  if (Taken.count(name) != 0) return Drop(name, ChunkDrop::Repeated), false;
  const bool labels = IsList(c, "adtl");
  if (const ChunkDrop why = Remake(std::move(c), body); why != ChunkDrop::None) return Drop(name, why), false;
  Taken.insert(name);
  afterData = rule->Role == ChunkRole::AfterData;
  // Labels of no kept point leave an empty list: nothing is lost that the cut did not remove.
  return !(labels && body.size() == 4);
}

ChunkDrop KeptChunkChooser::Remake(SourceChunk c, std::vector<uint8_t>& body) const {
  const ChunkRule* rule = FindChunkRule(c.Id, c.Body);
  body = std::move(c.Body);
  if (rule == nullptr) return ChunkDrop::Unknown;
  return rule->Rewrite != nullptr ? rule->Rewrite(body, Frames, Points) : ChunkDrop::None;
}

KeptChunks ChooseKeptChunks(const std::vector<SourceChunk>& chunks, const KeptFrames& frames) {
  KeptChunkChooser chooser(frames);
  for (const SourceChunk& c : chunks)
    if (chooser.OfferCue(c)) break;
  KeptChunks out;
  std::vector<uint8_t> body;
  bool afterData = false;
  for (const SourceChunk& c : chunks)
    if (chooser.Consider(c, body, afterData))
      AppendChunk(afterData ? out.AfterData : out.BeforeData, c.Id.data(), body);
  out.Dropped = std::move(chooser.Dropped);
  return out;
}

uint32_t OutputChannelMask(uint32_t inputMask, int32_t channels) {
  if (inputMask != 0 && std::popcount(inputMask) <= channels) return inputMask;
  return DefaultChannelMask(channels);
}

}  // namespace tacetix
