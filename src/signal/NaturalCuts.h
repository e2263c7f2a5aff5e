// Natural cuts: silence kept before and after the cut, fades at the cut, and stray clicks
// that do not end the silence. All lengths are given in milliseconds and worked in frames:
// here the options at one file's rate and the padding of the kept range; the fades are in
// Fades.h, the click-aware search in SoundRegions.h.
#pragma once

#include <cstdint>

#include "options/ProcessSettings.h"

namespace tacetix {

// Sound closer than this to the sound before it belongs to the same region.
constexpr int64_t RegionGapMs = 10;

// The options of one run in frames of one file's rate.
struct CutFrames {
  int64_t KeepBegin = 0;
  int64_t KeepEnd = 0;
  int64_t FadeIn = 0;
  int64_t FadeOut = 0;
  int64_t IgnoreClicks = 0;  // a sound region shorter than this is silence; 0 or 1 = off
  int64_t RegionGap = 2;     // loud frames less than this apart are one region
};

// ms at rate frames per second, in whole frames, rounded to nearest with ties to even.
int64_t MsToFrames(int64_t ms, int64_t rate);
CutFrames CutFramesFor(const ProcessSettings& settings, int64_t rate);
// True when any of the natural-cut options is not 0.
bool NaturalCutsSet(const ProcessSettings& settings);

// The first sample of the kept range moved back by padFrames, and the last moved on,
// both clamped to the totalSamples of the file.
int64_t PadBefore(int64_t keepFirst, int64_t padFrames, int32_t channels);
int64_t PadAfter(int64_t keepLast, int64_t padFrames, int32_t channels, int64_t totalSamples);

}  // namespace tacetix
