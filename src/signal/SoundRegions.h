// The click-aware silence search: loud samples grouped into sound regions, and a region
// counted as sound only when it lasts long enough.
#pragma once

#include <cstdint>
#include <vector>

#include "signal/NaturalCuts.h"
#include "wave/SampleCodecs.h"

namespace tacetix {

// A stretch of frames, first and last included.
struct FrameSpan {
  int64_t First = 0;
  int64_t Last = 0;
};

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
  int64_t Feed(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding, double threshold);
  // Every region found too short from now on is added to into (at most MaxPassed of them);
  // null collects nothing.
  void CollectPassed(std::vector<FrameSpan>* into) { Passed = into; }
  static constexpr size_t MaxPassed = 4096;

 private:
  bool Loud(int64_t frame);  // takes one loud frame; true when its region is long enough
  int64_t MinFrames, Gap;
  int32_t Channels;
  bool Backwards;
  bool Open = false;
  int64_t Anchor = 0;  // the region's frame nearest the file's end the scan starts from
  int64_t Edge = 0;    // the region's loud frame met last
  std::vector<FrameSpan>* Passed = nullptr;
};

}  // namespace tacetix
