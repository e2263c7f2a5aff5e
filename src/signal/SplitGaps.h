// Splitting a recording at its silences: the silences inside the kept range, found as the
// samples go by, and the parts they leave, with the silence each part keeps at its cuts.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "signal/NaturalCuts.h"
#include "signal/SoundRegions.h"
#include "wave/SampleCodecs.h"

namespace tacetix {

// The split options at one file's rate.
struct SplitFrames {
  int64_t MinGap = 0;   // a silence at least this long between sounds is a gap
  int64_t MinPart = 0;  // a part shorter than this joins its neighbour
  int32_t Count = 0;    // > 0: at most this many parts, cut at the longest gaps
};

// True when the options split the files at all.
bool SplittingSet(const ProcessSettings& settings);
SplitFrames SplitFramesFor(const ProcessSettings& settings, const CutFrames& cuts, int64_t rate);

// The gaps of one file, fed its samples forwards block by block from the first sound on. A
// frame is sound when one of its samples is Audible; with clicks ignored only a sound region
// (SoundRegions.h) that lasts IgnoreClicks frames is, so a click inside a gap does not cut it.
// A silence counts as a gap only once sound follows it: the end's silence is the end cut's.
class GapScan {
 public:
  GapScan(const SplitFrames& split, const CutFrames& cuts, int32_t channels);
  // count samples that start at sample firstSample of the file, which follow those fed before.
  void Feed(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding, double threshold);
  // The gaps in frames, in order; call once all is fed.
  std::vector<FrameSpan> Finish();
  // For a search that reads in its own way (FindGapsSparse): its gap length, and its gaps.
  int64_t MinGapFrames() const { return MinGap; }
  void Take(std::vector<FrameSpan> gaps) { Found = std::move(gaps); }

 private:
  void FeedPlain(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
                 double threshold);
  void FeedRegions(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
                   double threshold);
  void LoudFrame(int64_t frame);
  void SoundFrom(int64_t first, int64_t last);

  int64_t MinGap, MinFrames, RegionGap;
  int32_t Channels;
  bool HaveSound = false;
  int64_t LastSound = 0;  // the last frame known to be sound
  bool Open = false;      // with clicks ignored: a region of loud frames not yet ended
  int64_t Anchor = 0, Edge = 0;
  std::vector<FrameSpan> Found;
};

// Reads count samples from sample first of the file; null when they cannot be read (or the
// reading is cancelled). What it gives stays valid until the next read.
using SampleWindow = std::function<const uint8_t*(int64_t first, int32_t count)>;

// The gaps GapScan finds without clicks ignored, from the sound at or after sample first to
// sample end (both the first of a frame), reading only what it must: after a sound, the frames
// a gap would fill are searched from their end, a piece at a time, so in sound a short read
// skips a gap's length; a silence found that long is followed forwards to its end. At most
// maxRead samples a read. false when a read failed; gaps then holds those found so far.
bool FindGapsSparse(const SampleWindow& read, int64_t first, int64_t end, int32_t maxRead, const SampleCoding& coding,
                    double threshold, int32_t channels, int64_t minGap, std::vector<FrameSpan>& gaps);

// The parts of a kept range (frames, its padding included) whose sound starts at soundFirst
// and ends at soundLast, cut at gaps: with a count, the Count - 1 longest (the earlier of
// equal ones); a part whose sound is shorter than MinPart joins the one after it (the last
// the one before). Each part keeps KeepBegin frames of its gap before its sound and KeepEnd
// after it, never more than half the gap; the first and the last part end where the kept
// range does. At least one part.
std::vector<FrameSpan> PlanParts(const std::vector<FrameSpan>& gaps, FrameSpan kept, const SplitFrames& split,
                                 const CutFrames& cuts);

}  // namespace tacetix
