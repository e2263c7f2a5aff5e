// The click-aware silence search: loud samples grouped into sound regions, and a region
// counted as sound only when it lasts long enough.
#include "signal/SoundRegions.h"

#include <algorithm>
#include <cmath>

#include "wave/SampleBlock.h"

namespace tacetix {

RegionScan::RegionScan(const CutFrames& frames, int32_t channels, bool backwards)
    : MinFrames(std::max<int64_t>(frames.IgnoreClicks, 1)), Gap(std::max<int64_t>(frames.RegionGap, 2)),
      Channels(std::max(channels, 1)), Backwards(backwards) {}

bool RegionScan::Loud(int64_t frame) {
  const int64_t apart = Backwards ? Edge - frame : frame - Edge;
  if (!Open || apart >= Gap) {
    // The region before this one ended short of the length of sound: a click passed over.
    if (Open && Passed && Passed->size() < MaxPassed)
      Passed->push_back(Backwards ? FrameSpan{Edge, Anchor} : FrameSpan{Anchor, Edge});
    Open = true;
    Anchor = frame;
  }
  Edge = frame;
  const int64_t span = Backwards ? Anchor - Edge : Edge - Anchor;
  return span + 1 >= MinFrames;
}

int64_t RegionScan::Feed(const uint8_t* bytes, int32_t count, int64_t firstSample, const SampleCoding& coding,
                         double threshold) {
  const DecodeFn decode = DecoderFor(coding);
  if (!decode || !bytes || count < 1) return -1;
  const auto width = static_cast<size_t>(coding.BytesPerSample);
  double piece[PieceSamples];
  for (int32_t done = 0; done < count;) {
    const int32_t n = std::min(PieceSamples, count - done);
    const int32_t start = Backwards ? count - done - n : done;
    done += n;
    decode(bytes + static_cast<size_t>(start) * width, piece, n, coding.Bits);
    for (int32_t i = 0; i < n; ++i) {
      const int32_t k = Backwards ? n - 1 - i : i;
      if (!Audible(piece[k], threshold)) continue;
      if (Loud((firstSample + start + k) / Channels)) {
        return Backwards ? Anchor * Channels + Channels - 1 : Anchor * Channels;
      }
    }
  }
  return -1;
}

}  // namespace tacetix
