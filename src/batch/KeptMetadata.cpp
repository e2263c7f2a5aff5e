// Choosing, ordering and rewriting the metadata chunks an output carries.
#include "batch/KeptMetadata.h"

#include <bit>
#include <cstring>
#include <set>

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

// The working state of one choice: the kept points of the first good cue chunk, and
// which kinds were already carried (a second bext or cue would contradict the first).
struct Choice {
  const KeptFrames& Frames;
  KeptChunks Out;
  KeptCuePoints Points;
  std::set<std::string> Taken;
};

void Drop(Choice& choice, const SourceChunk& c, const char* why) {
  choice.Out.Dropped.push_back(ChunkName(c) + (why[0] != '\0' ? std::string(" (") + why + ")" : ""));
}

void Consider(Choice& choice, const SourceChunk& c) {
  const ChunkRule* rule = FindChunkRule(c.Id, c.Body);
  if (rule != nullptr && rule->Role == ChunkRole::Structural) return;
  if (Is(c.Id, "LIST") && c.Body.size() < 4) return Drop(choice, c, "malformed");
  if (rule == nullptr) return Drop(choice, c, "");
  if (c.NotRead != nullptr) return Drop(choice, c, c.NotRead);
  if (choice.Taken.count(ChunkName(c)) != 0) return Drop(choice, c, "repeated");
  std::vector<uint8_t> body = c.Body;
  if (rule->Rewrite != nullptr && !rule->Rewrite(body, choice.Frames, choice.Points))
    return Drop(choice, c, "malformed");
  choice.Taken.insert(ChunkName(c));
  // Labels of no kept point leave an empty list: nothing is lost that the cut did not remove.
  if (IsList(c, "adtl") && body.size() == 4) return;
  AppendChunk(rule->Role == ChunkRole::AfterData ? choice.Out.AfterData : choice.Out.BeforeData, c.Id.data(), body);
}

}  // namespace

KeptChunks ChooseKeptChunks(const std::vector<SourceChunk>& chunks, const KeptFrames& frames) {
  Choice choice{frames, {}, {}, {}};
  // The labels follow the cue points, wherever the cue chunk stands: it is taken first.
  for (const SourceChunk& c : chunks) {
    if (!Is(c.Id, "cue ") || c.NotRead != nullptr) continue;
    std::vector<uint8_t> probe = c.Body;
    if (CutCuePoints(probe, frames, choice.Points)) break;
  }
  for (const SourceChunk& c : chunks) Consider(choice, c);
  return std::move(choice.Out);
}

uint32_t OutputChannelMask(uint32_t inputMask, int32_t channels) {
  if (inputMask != 0 && std::popcount(inputMask) <= channels) return inputMask;
  return DefaultChannelMask(channels);
}

}  // namespace tacetix
