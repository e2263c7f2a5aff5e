// The chunk table and its look-ups.
#include "batch/ChunkRules.h"

#include <cstring>
#include <iterator>

namespace tacetix {
namespace {

ChunkDrop Why(TimeShift shift) {
  if (shift == TimeShift::Malformed) return ChunkDrop::Malformed;
  return shift == TimeShift::OutOfRange ? ChunkDrop::OutOfRange : ChunkDrop::None;
}

ChunkDrop Why(bool ok) { return ok ? ChunkDrop::None : ChunkDrop::Malformed; }

ChunkDrop ShiftBext(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints&) {
  return Why(ShiftBextTimeReference(body, frames.First));
}

ChunkDrop ShiftIxml(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints&) {
  return Why(ShiftIxmlTimeReference(body, frames.First));
}

// The points kept were gathered from the first good cue chunk before any chunk was carried;
// the cue chunk that is carried is that one, so its own points are the same.
ChunkDrop CutCue(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints&) {
  return Why(CutCuePoints(body, frames, nullptr));
}

ChunkDrop CutLabels(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints& points) {
  return Why(CutAssociatedData(body, frames, points));
}

ChunkDrop CutLoops(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints&) {
  return Why(CutSamplerLoops(body, frames));
}

ChunkDrop CheckInfo(std::vector<uint8_t>& body, const KeptFrames&, const KeptCuePoints&) {
  return Why(InfoEntriesFit(body));
}

// clang-format off
const ChunkRule Rules[] = {
    {"fmt ", nullptr, ChunkRole::Structural, nullptr},
    {"data", nullptr, ChunkRole::Structural, nullptr},
    {"fact", nullptr, ChunkRole::Structural, nullptr},
    {"JUNK", nullptr, ChunkRole::Structural, nullptr},
    {"PAD ", nullptr, ChunkRole::Structural, nullptr},
    {"ds64", nullptr, ChunkRole::Structural, nullptr},
    {"LIST", "INFO",  ChunkRole::BeforeData, CheckInfo},
    {"bext", nullptr, ChunkRole::BeforeData, ShiftBext},
    {"iXML", nullptr, ChunkRole::BeforeData, ShiftIxml},
    {"axml", nullptr, ChunkRole::BeforeData, nullptr},
    {"cart", nullptr, ChunkRole::BeforeData, nullptr},
    {"umid", nullptr, ChunkRole::BeforeData, nullptr},
    {"inst", nullptr, ChunkRole::BeforeData, nullptr},
    {"acid", nullptr, ChunkRole::BeforeData, nullptr},
    {"ID3 ", nullptr, ChunkRole::BeforeData, nullptr},
    {"id3 ", nullptr, ChunkRole::BeforeData, nullptr},
    {"cue ", nullptr, ChunkRole::AfterData,  CutCue},
    {"LIST", "adtl",  ChunkRole::AfterData,  CutLabels},
    {"smpl", nullptr, ChunkRole::AfterData,  CutLoops},
};
// clang-format on

bool Is(const std::array<char, 4>& id, const char* name) { return std::memcmp(id.data(), name, 4) == 0; }

bool HasRole(const std::array<char, 4>& id, bool structural) {
  for (const ChunkRule& rule : Rules)
    if (Is(id, rule.Id) && (rule.Role == ChunkRole::Structural) == structural) return true;
  return false;
}

}  // namespace

std::span<const ChunkRule> ChunkRules() { return Rules; }

std::string_view ChunkDropText(ChunkDrop why) {
  constexpr std::string_view Texts[] = {"",          "",           "malformed", "time reference out of range",
                                        "too large", "unreadable", "repeated"};
  return Texts[static_cast<size_t>(why)];
}

const ChunkRule* FindChunkRule(const std::array<char, 4>& id, const std::vector<uint8_t>& body) {
  for (const ChunkRule& rule : Rules) {
    if (!Is(id, rule.Id)) continue;
    if (rule.ListType == nullptr) return &rule;
    if (body.size() >= 4 && std::memcmp(body.data(), rule.ListType, 4) == 0) return &rule;
  }
  return nullptr;
}

bool CarriedId(const std::array<char, 4>& id) { return HasRole(id, false); }

bool StructuralId(const std::array<char, 4>& id) { return HasRole(id, true); }

}  // namespace tacetix
