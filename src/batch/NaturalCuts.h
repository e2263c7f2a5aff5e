// Natural cuts: silence kept before and after the cut, fades at the cut, and stray clicks
// that do not end the silence. All lengths are given in milliseconds and worked in frames.
#pragma once

#include <cstdint>
#include <vector>

#include "batch/ProcessSettings.h"
#include "wave/SampleBlock.h"
#include "wave/WaveClass.h"

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

// The search for sound regions at one end of the file, fed block by block in the order of
// the scan: forward from the beginning, or backwards from the end. A region is a run of
// samples above the threshold whose loud frames lie less than RegionGap apart; it counts
// as sound once it spans IgnoreClicks frames. The state carries over from block to block,
// so a region split by a block border is measured whole.
class RegionScan {
 public:
  RegionScan(const CutFrames& frames, int32_t channels, bool backwards);
  // Looks at count samples that start at sample firstSample of the file (backwards: from
  // the last of them). Returns the first sample of the region's first frame (forward), or
  // the last sample of the region's last frame (backwards), or -1 while none is found.
  int64_t Feed(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
               double threshold);

 private:
  bool Loud(int64_t frame);  // takes one loud frame; true when its region is long enough
  int64_t MinFrames, Gap;
  int32_t Channels;
  bool Backwards;
  bool Open = false;
  int64_t Anchor = 0;  // the region's frame nearest the file's end the scan starts from
  int64_t Edge = 0;    // the region's loud frame met last
};

// The fades of one output, in frames of the output (frame 0 is its first).
struct FadePlan {
  int64_t InFrames = 0;
  int64_t OutFrames = 0;
  int64_t TotalFrames = 0;
  int32_t Channels = 1;
  bool Active() const { return InFrames > 0 || OutFrames > 0; }
  // Whether any of count output samples from firstSample lies in a fade.
  bool Touches(int64_t firstSample, int64_t count) const;
  // The factor of output frame f: 1 outside the fades.
  long double FactorAt(int64_t frame) const;
};

// A fade is planned only at an end where the kept range cuts something off; when the two
// fades together are longer than the output, each is shortened to half of it.
FadePlan PlanFades(const CutFrames& frames, bool beginCut, bool endCut, int64_t totalFrames, int32_t channels);

// The raised-cosine (half-Hann) rise: 0 at step 0, approaching 1 at step length.
long double FadeCurve(int64_t step, int64_t length);

// RecodeBlock with the fades applied after the gain: count samples, the first of which is
// output sample firstSample; each value in a fade becomes the product of its factor and the
// value after the gain, in extended precision, rounded to a double.
void RecodeFaded(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                 const long double* gain, const FadePlan& plan, int64_t firstSample);

// The write's recoding with the fades: the samples of a block that lie in a fade are put
// aside, the whole block goes through the fused recoder, and the samples aside are recoded
// with their fade and put back. So only the fades leave the fused path.
class FadedRecoder {
 public:
  // recoder, from, to and gain: those of the write; they must outlive this object.
  FadedRecoder(const BlockRecoder& recoder, const SampleCoding& from, const SampleCoding& to,
               const long double* gain, const FadePlan& plan);
  // As BlockRecoder::Recode for count samples, the first of which is output sample firstSample.
  void Recode(uint8_t* bytes, int32_t count, int64_t firstSample);

 private:
  const BlockRecoder& Fused;
  SampleCoding From, To;
  const long double* Gain;
  FadePlan Plan;
  std::vector<uint8_t> Aside;
};

}  // namespace tacetix
