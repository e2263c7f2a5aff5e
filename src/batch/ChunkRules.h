// The one table of what an output that keeps metadata does with each kind of input chunk:
// leaves it to the writer, carries it before or after the samples, and how the cut rewrites it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "wave/WaveMetadata.h"

namespace tacetix {

// Where a chunk of the input ends up. Ids (and LIST types) the table does not name are left
// out and reported as dropped.
enum class ChunkRole {
  Structural,  // shapes the file itself; the writer makes its own, so it is never carried nor reported
  BeforeData,  // what it says does not depend on sample positions
  AfterData,   // it points at samples, so it follows them
};

// Why a chunk of the input is left out of an output that keeps metadata: the table has no rule
// for it, its body does not hold together, a time reference moved by the cut would not fit its
// field, it is larger than any metadata chunk needs, reading it failed, or it is a second bext
// or cue, which would contradict the first.
enum class ChunkDrop : uint8_t { None, Unknown, Malformed, OutOfRange, TooLarge, Unreadable, Repeated };

// The words after a dropped chunk's name in the report ("malformed"); "" for an unknown chunk,
// which is named alone.
std::string_view ChunkDropText(ChunkDrop why);

// Brings a carried body in line with the cut; None when it did, else why the chunk is left out.
// points are the cue points the output keeps, which labels refer to.
using ChunkRewrite = ChunkDrop (*)(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints& points);

struct ChunkRule {
  const char* Id;        // four characters
  const char* ListType;  // for a LIST, the type its body opens with; nullptr for other ids
  ChunkRole Role;
  ChunkRewrite Rewrite;  // nullptr: carried byte for byte
};

std::span<const ChunkRule> ChunkRules();

// The rule of a chunk, by its id and for a LIST by the type its body opens with; nullptr when
// the table has none (a LIST too short to have a type included).
const ChunkRule* FindChunkRule(const std::array<char, 4>& id, const std::vector<uint8_t>& body);

// Whether an output may carry a chunk of this id, so that its body is worth reading.
bool CarriedId(const std::array<char, 4>& id);
// The chunks that shape the file itself (fmt, data, fact, JUNK, PAD, ds64): never carried,
// never reported as dropped.
bool StructuralId(const std::array<char, 4>& id);

}  // namespace tacetix
