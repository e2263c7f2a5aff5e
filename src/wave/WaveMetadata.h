// The bodies of the metadata chunks an output may carry (bext, iXML, cue, adtl, smpl), read
// and rewritten for a cut: bytes in, bytes out, no file access. Standard library only.
// Every function that takes a body returns false when the body is malformed; it is then
// left in an unspecified state and must not be written.
#pragma once

#include <cstdint>
#include <vector>

namespace tacetix {

// The input frames an output holds: First..Last, both included. A position Last + 1 (a marker
// at the very end of the kept frames) is still a position of the output: its end.
struct KeptFrames {
  uint64_t First = 0;
  uint64_t Last = 0;
};

// A cue point an output keeps: its id and its position in the input.
struct KeptCuePoint {
  uint32_t Id = 0;
  uint32_t Position = 0;
};

// The points an output keeps, by id, one for each id. Eight bytes a point: a cue chunk of the
// largest size carried holds some 700,000 points, which a tree of nodes would hold in 45 MB.
using KeptCuePoints = std::vector<KeptCuePoint>;

// The kept point of this id; nullptr for none.
const KeptCuePoint* FindKeptCuePoint(const KeptCuePoints& kept, uint32_t id);

// What became of the time references of a body moved by the cut.
enum class TimeShift {
  Moved,       // every reference now stamps the output's first frame (or there was none)
  Malformed,   // the body is no such chunk, or its references cannot be read
  OutOfRange,  // a reference moved would pass 2^64 - 1: there is no right value to write
};

// bext: advances the 64-bit TimeReference by the frames cut at the beginning, so that it
// stamps the output's first frame. Malformed when the body is shorter than a bext's fixed part.
TimeShift ShiftBextTimeReference(std::vector<uint8_t>& body, uint64_t framesCut);

// iXML: advances the references its two pairs of 32-bit halves give, BWF_TIME_REFERENCE_LOW and
// _HIGH, and TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO and _HI, by the same frames as the bext, each
// pair on its own: every occurrence of a half is rewritten, a high half that the moved
// reference needs is added after each low one, and an empty element (<X/>) reads as 0 and
// takes the value written. A pair whose halves are all empty gives no reference and stays.
// Malformed when a half is no decimal number of 32 bits, occurrences of a half disagree, an
// element is not closed, or a high half comes without a low one. Nothing else changes.
// work, when given, receives the bytes the rewrite passed over and wrote: a few times the
// body's size however many references it holds, so a body of the largest size carried takes
// no longer than reading it a few times.
TimeShift ShiftIxmlTimeReference(std::vector<uint8_t>& body, uint64_t framesCut, uint64_t* work = nullptr);

// cue: keeps the points whose sample offset lies in First..Last + 1, moved by First, as points
// of a plain data chunk (position = sample offset, chunk and block start 0), in place. kept,
// when given, receives their ids and input positions (of ids that repeat, the first point's).
// false when the count runs past the body.
bool CutCuePoints(std::vector<uint8_t>& body, const KeptFrames& frames, KeptCuePoints* kept);

// LIST body of type adtl (with its 4-byte type): keeps the labl, note and ltxt entries of the
// kept points, a ltxt's sample length clipped to the kept frames. Other entries are left out.
// false when an entry runs past the body.
bool CutAssociatedData(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints& kept);

// LIST body of type INFO (with its 4-byte type): true when every entry lies inside the body
// (the last one's pad byte may be missing). Nothing changes.
bool InfoEntriesFit(const std::vector<uint8_t>& body);

// smpl: keeps the loops wholly inside the kept frames, moved by First, and their count.
// false when the loop count runs past the body.
bool CutSamplerLoops(std::vector<uint8_t>& body, const KeptFrames& frames);

// The speaker mask that a file of this many channels and no mask of its own is read with
// (the layouts ffmpeg picks: 1 FC, 2 FL FR, 3 2.1, 4 4.0, 5 5.0, 6 5.1, 7 6.1, 8 7.1); 0 above 8.
uint32_t DefaultChannelMask(int32_t channels);

// One whole chunk as written: id, 32-bit size, body and the pad byte of an odd body.
void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body);

}  // namespace tacetix
