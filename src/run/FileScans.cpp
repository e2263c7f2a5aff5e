// One file's passes over its samples: the beginning forwards, the end backwards, the kept
// range for its peak and loudness, and what no pass read for the non-finite count.
#include "run/FileWork.h"

#include <algorithm>

#include "signal/NaturalCuts.h"
#include "signal/SoundRegions.h"

namespace tacetix {
namespace steps {

namespace {

int NoMemoryToMeasure(Work& w) {
  w.Reason = std::string(FailureText(FailureKind::NoMemory)) + " to measure the loudness";
  w.Kind = FailureKind::NoMemory;
  return Failed;
}

// Counts a block of n samples from pos read by a forward pass; one that starts past the
// counted front leaves its samples to the pass that fills the gap.
void CountForward(Work& w, int64_t pos, int32_t n) {
  const int64_t end = std::min(pos + n, w.CountedFrom);
  if (pos > w.CountedTo || end <= w.CountedTo) return;
  const size_t skip = static_cast<size_t>(w.CountedTo - pos) * static_cast<size_t>(w.In.BytesPerSample);
  w.NonFinite += CountNonFinite(w.Block + skip, static_cast<int32_t>(end - w.CountedTo), w.In);
  w.CountedTo = end;
}

// The same for a block the end scan read, which ends where the counted back begins.
void CountBackward(Work& w, int64_t pos, int32_t n) {
  const int64_t start = std::max(pos, w.CountedTo);
  if (pos + n < w.CountedFrom || start >= w.CountedFrom) return;
  const size_t skip = static_cast<size_t>(start - pos) * static_cast<size_t>(w.In.BytesPerSample);
  w.NonFinite += CountNonFinite(w.Block + skip, static_cast<int32_t>(w.CountedFrom - start), w.In);
  w.CountedFrom = start;
}

// Of n samples read from blockStart, those of whole frames: the part-frame at the end of a
// cut-off file is neither scanned nor written, so an output always holds whole frames.
int32_t WholeFrames(const Work& w, int64_t blockStart, int32_t n) {
  return static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(n, w.T - blockStart)));
}

// With clicks ignored the scans look for sound regions long enough, else for one loud sample.
std::optional<RegionScan> RegionsFor(const Work& w, bool backwards) {
  if (w.Cuts.IgnoreClicks <= 1) return std::nullopt;
  RegionScan scan(w.Cuts, w.Ch, backwards);
  scan.CollectPassed(w.C.PassedClicks);
  return scan;
}

// The first sample of the sound in a block that starts at sample pos, or -1.
int64_t FindStart(const Work& w, std::optional<RegionScan>& regions, int64_t pos, int32_t n) {
  const double threshold = w.C.Settings.ThresholdBegin;
  if (regions) return regions->Feed(w.Block, n, pos, w.In, threshold);
  const int32_t k = FirstAbove(w.Block, n, w.In, threshold);
  return k < 0 ? -1 : pos + k;
}

// The last sample of the sound in a block that starts at sample pos, or -1. Samples from
// seenFrom on were looked at in the block before, which the last block may overlap.
int64_t FindEnd(const Work& w, std::optional<RegionScan>& regions, int64_t pos, int32_t n, int64_t seenFrom) {
  const double threshold = w.C.Settings.ThresholdEnd;
  const auto unseen = static_cast<int32_t>(std::min<int64_t>(n, seenFrom - pos));
  if (regions) return regions->Feed(w.Block, unseen, pos, w.In, threshold);
  const int32_t k = LastAbove(w.Block, n, w.In, threshold);
  return k < 0 ? -1 : pos + k;
}

}  // namespace

// The next block of a forward pass that started at sample blockStart: pumps first, then reads.
int NextBlock(Work& w, int64_t blockStart, int32_t& n) {
  if (Pump(w)) return Cancel;
  n = 0;
  const int r = w.C.File.Reader.ReadSampleBytes(w.Block, BlockValues, n);
  if (r == EndOfData) return EndOfPass;
  if (r != Ok) return Failed;
  n = WholeFrames(w, blockStart, n);
  CountForward(w, blockStart, n);
  return n == 0 ? EndOfPass : Continue;
}

int ScanBeginning(Work& w) {
  if (w.C.File.Reader.SeekSample(0) != 0) return Failed;
  std::optional<RegionScan> regions = RegionsFor(w, false);
  int32_t n = 0;
  for (int64_t pos = 0; !w.O.StartFound; pos += n) {
    const int r = NextBlock(w, pos, n);
    if (r == EndOfPass) break;
    if (r != Continue) return r;
    const int64_t at = FindStart(w, regions, pos, n);
    if (at >= 0) {
      w.O.StartFound = true;
      w.O.KeepFirst = at - at % w.Ch;
      w.O.Changed = w.O.Changed || w.O.KeepFirst != 0;
    }
  }
  w.C.File.Reader.ClearReadPosition();
  w.O.Silent = !w.O.StartFound;
  return Continue;
}

// Reads backwards in blocks ending at T, T - BlockValues, ...; the last starts at sample 0.
int ScanEnd(Work& w) {
  int64_t pos = w.T;
  std::optional<RegionScan> regions = RegionsFor(w, true);
  do {
    if (Pump(w)) return Cancel;
    const int64_t seenFrom = pos;
    pos = std::max<int64_t>(0, pos - BlockValues);
    if (w.C.File.Reader.SeekSample(pos) != 0) return Failed;
    int32_t n = 0;
    if (w.C.File.Reader.ReadSampleBytes(w.Block, BlockValues, n) != 0) return Failed;
    n = WholeFrames(w, pos, n);
    CountBackward(w, pos, n);
    const int64_t at = FindEnd(w, regions, pos, n, seenFrom);
    if (at >= 0) {
      w.O.EndFound = true;
      w.O.KeepLast = at;
      w.O.KeepLast += (w.Ch - 1) - w.O.KeepLast % w.Ch;  // last sample of its frame
      w.O.Changed = w.O.Changed || w.O.KeepLast + 1 != w.T;
    }
    w.C.File.Reader.ClearReadPosition();
  } while (!w.O.EndFound && pos > 0);
  return Continue;
}

// From KeepFirst to the end of the data: nothing after KeepLast exceeds the end threshold.
// With natural cuts a click ignored after the kept range may, so the scan stops at KeepLast;
// the loudness is that of the kept range alone, so it stops there too.
int ScanPeak(Work& w) {
  const ProcessSettings& s = w.C.Settings;
  if (w.C.File.Reader.SeekSample(w.O.KeepFirst) != 0) return Failed;
  const bool limited = NaturalCutsSet(s) || s.NormalizeLoudness || SplittingSet(s);
  const int64_t peakEnd = limited ? std::min(w.O.KeepLast + 1, w.T) : w.T;
  std::optional<LoudnessMeter> meter;
  if (s.NormalizeLoudness) meter.emplace(w.Ch, w.Info.SampleRate);
  int32_t n = 0;
  for (int64_t pos = w.O.KeepFirst;; pos += n) {
    const int r = NextBlock(w, pos, n);
    if (r == EndOfPass) break;
    if (r != Continue) return r;
    const auto inRange = static_cast<int32_t>(std::min<int64_t>(n, peakEnd - pos));
    UpdatePeak(w.Block, inRange, w.In, w.O.Peak, w.O.PeakMagnitude);
    if (meter && !meter->Feed(w.Block, inRange, w.In)) return NoMemoryToMeasure(w);
    if (w.Gaps) FeedGaps(w, pos, inRange);
    if (limited && pos + n >= peakEnd) break;
  }
  w.C.File.Reader.ClearReadPosition();
  if (meter) {
    w.O.Loudness = meter->Finish();
    w.Blocks = meter->TakeBlocks();
  }
  return Continue;
}

// A float file's samples no pass read (no output written, or a simulation) are read for the
// count alone, so it always covers the whole file; integer files hold no non-finite sample.
int CountRest(Work& w) {
  if (!w.In.IsFloat || w.CountedTo >= w.CountedFrom) return Continue;
  if (w.C.File.Reader.SeekSample(w.CountedTo) != 0) return Failed;
  int32_t n = 0;
  for (int64_t pos = w.CountedTo; w.CountedTo < w.CountedFrom; pos += n) {
    const int r = NextBlock(w, pos, n);
    if (r == EndOfPass) break;
    if (r != Continue) return r;
  }
  w.C.File.Reader.ClearReadPosition();
  return Continue;
}

}  // namespace steps

}  // namespace tacetix
