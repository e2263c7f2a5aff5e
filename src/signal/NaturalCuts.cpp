// Natural cuts in frames: the options at a file's rate, and the padding of the kept range.
#include "signal/NaturalCuts.h"

#include <algorithm>

namespace tacetix {

int64_t MsToFrames(int64_t ms, int64_t rate) {
  if (ms <= 0 || rate <= 0) return 0;
  const int64_t scaled = ms * rate;  // at most 10,000 ms times a 32-bit rate: no overflow
  int64_t frames = scaled / 1000;
  const int64_t rest = scaled % 1000;
  if (rest > 500 || (rest == 500 && frames % 2 != 0)) ++frames;
  return frames;
}

CutFrames CutFramesFor(const ProcessSettings& settings, int64_t rate) {
  CutFrames f;
  f.KeepBegin = MsToFrames(settings.KeepBeginMs, rate);
  f.KeepEnd = MsToFrames(settings.KeepEndMs, rate);
  f.FadeIn = MsToFrames(settings.FadeInMs, rate);
  f.FadeOut = MsToFrames(settings.FadeOutMs, rate);
  f.IgnoreClicks = MsToFrames(settings.IgnoreClicksMs, rate);
  f.RegionGap = std::max<int64_t>(MsToFrames(RegionGapMs, rate), 2);
  return f;
}

bool NaturalCutsSet(const ProcessSettings& s) {
  return s.KeepBeginMs != 0 || s.KeepEndMs != 0 || s.FadeInMs != 0 || s.FadeOutMs != 0 || s.IgnoreClicksMs != 0;
}

int64_t PadBefore(int64_t keepFirst, int64_t padFrames, int32_t channels) {
  return std::max<int64_t>(0, keepFirst - padFrames * channels);
}

int64_t PadAfter(int64_t keepLast, int64_t padFrames, int32_t channels, int64_t totalSamples) {
  return std::min(totalSamples - 1, keepLast + padFrames * channels);
}

}  // namespace tacetix
