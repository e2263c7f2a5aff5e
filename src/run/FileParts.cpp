// Splitting one file: the gaps found in a pass over its sound, its parts with their gains, and
// the parts written one after the other, each under a temporary name of its own.
#include <algorithm>

#include "run/FileWork.h"
#include "run/OutputMetadata.h"
#include "run/PartOutputs.h"

namespace tacetix {
namespace steps {

namespace {

// The samples of the sound the ends were cut to: [SoundFirst, SoundLast], whole frames.
int64_t SoundEnd(const Work& w) { return std::min(w.O.SoundLast + 1, w.T); }

// With clicks ignored every sample of the sound is read for its gaps.
int ScanGapsWhole(Work& w) {
  if (w.C.File.Reader.SeekSample(w.O.SoundFirst) != 0) return Failed;
  int32_t n = 0;
  for (int64_t pos = w.O.SoundFirst; pos < SoundEnd(w); pos += n) {
    const int r = NextBlock(w, pos, n);
    if (r == EndOfPass) break;
    if (r != Continue) return r;
    FeedGaps(w, pos, n);
  }
  w.C.File.Reader.ClearReadPosition();
  return Continue;
}

// Splitting without a pass of its own to ride: the sound is read for its gaps alone, only
// where it must be without clicks ignored, whole with them.
int ScanGaps(Work& w) {
  if (w.Cuts.IgnoreClicks > 1) return ScanGapsWhole(w);
  bool cancelled = false;
  const SampleWindow read = [&w, &cancelled](int64_t first, int32_t count) -> const uint8_t* {
    cancelled = Pump(w);
    int32_t n = 0;
    if (cancelled || w.C.File.Reader.SeekSample(first) != 0) return nullptr;
    if (w.C.File.Reader.ReadSampleBytes(w.Block, count, n) != 0 || n != count) return nullptr;
    return w.Block;
  };
  std::vector<FrameSpan> gaps;
  const bool ok = FindGapsSparse(read, w.O.SoundFirst, SoundEnd(w), BlockValues, w.In, w.C.Settings.ThresholdBegin,
                                 w.Ch, w.Gaps->MinGapFrames(), gaps);
  w.C.File.Reader.ClearReadPosition();
  if (!ok) return cancelled ? Cancel : Failed;
  w.Gaps->Take(std::move(gaps));
  return Continue;
}

// Each part's own peak (and loudness) and gain; the record's figures are the part's.
int PartGains(Work& w) {
  const FileOutcome whole = w.O;
  GainNote note = GainNote::None;  // the file's: a part not measured says most, then one limited
  MeterLimit limit = MeterLimit::None;
  for (PartOutcome& part : w.O.Parts) {
    w.O.Note = GainNote::None;
    w.O.KeepFirst = part.First;
    w.O.KeepLast = part.Last;
    w.O.Peak = w.O.PeakMagnitude = 0.0;
    if (int r = ScanPeak(w)) return r;
    DecideGain(w);
    part.Peak = w.O.Peak;
    part.PeakMagnitude = w.O.PeakMagnitude;
    part.Gain = w.O.Gain;
    if (w.O.Note == GainNote::NotMeasured || (w.O.Note == GainNote::LimitedByTruePeak && note == GainNote::None)) {
      note = w.O.Note;
      limit = w.O.Loudness.Limit;
    }
    if (w.C.Record) {
      part.PeakDb = w.C.Record->peakdb;
      part.AmpDb = w.C.Record->ampdb;
    }
  }
  // The file's own figures are those of its loudest part.
  const PartOutcome& loudest =
      *std::max_element(w.O.Parts.begin(), w.O.Parts.end(),
                        [](const PartOutcome& a, const PartOutcome& b) { return a.PeakMagnitude < b.PeakMagnitude; });
  if (w.C.Record) {
    w.C.Record->peakdb = loudest.PeakDb;
    w.C.Record->ampdb = loudest.AmpDb;
  }
  const bool changed = w.O.Changed;
  std::vector<PartOutcome> parts = std::move(w.O.Parts);
  w.O = whole;
  w.O.Parts = std::move(parts);
  w.O.Changed = changed;
  w.O.Note = note;
  w.O.Loudness.Limit = limit;
  return Continue;
}

// The source's samples up to limit, counted for non-finite values by a forward pass: the
// gaps between parts, which no part's write reads.
int CountUpTo(Work& w, int64_t limit) {
  if (!w.In.IsFloat || w.CountedTo >= std::min(limit, w.CountedFrom)) return Continue;
  if (w.C.File.Reader.SeekSample(w.CountedTo) != 0) return Failed;
  int32_t n = 0;
  for (int64_t pos = w.CountedTo; w.CountedTo < std::min(limit, w.CountedFrom); pos += n) {
    const int r = NextBlock(w, pos, n);
    if (r == EndOfPass) break;
    if (r != Continue) return r;
  }
  w.C.File.Reader.ClearReadPosition();
  return Continue;
}

// One part: the outcome's range, gain and output description are the part's while it is written.
int WritePart(Work& w, const PartOutcome& part, const std::string& path) {
  const ProcessSettings& s = w.C.Settings;
  w.O.KeepFirst = part.First;
  w.O.KeepLast = part.Last;
  w.O.Clipped = 0;
  if (s.SplitGainPerPart) {
    w.O.Gain = part.Gain;
    w.O.Peak = part.Peak;
    w.O.PeakMagnitude = part.PeakMagnitude;
  }
  w.Output = OutputDescription{};
  if (s.KeepMetadata) {
    FileOutcome kept = w.O;
    std::optional<OutputExtras> extras =
        PrepareKeptMetadata(w.C.File.Reader, w.Info, w.T, kept, [&w] { return Pump(w); });
    if (!extras) return Cancel;
    w.Output.Extras = std::move(*extras);
    for (std::string& name : kept.DroppedChunks)
      if (std::find(w.O.DroppedChunks.begin(), w.O.DroppedChunks.end(), name) == w.O.DroppedChunks.end())
        w.O.DroppedChunks.push_back(std::move(name));
  }
  return WriteKept(w, path);
}

}  // namespace

void FeedGaps(Work& w, int64_t pos, int32_t n) {
  const int64_t first = std::max(pos, w.O.SoundFirst);
  const int64_t end = std::min<int64_t>(pos + n, SoundEnd(w));
  if (first >= end) return;
  const size_t skip = static_cast<size_t>(first - pos) * static_cast<size_t>(w.In.BytesPerSample);
  w.Gaps->Feed(w.Block + skip, static_cast<int32_t>(end - first), first, w.In, w.C.Settings.ThresholdBegin);
}

// After the kept range is padded and, with one gain a file, after the peak scan that found
// the gaps as it went.
int PlanSplit(Work& w) {
  const ProcessSettings& s = w.C.Settings;
  if (!w.Gaps) w.Gaps.emplace(SplitFramesFor(s, w.Cuts, w.Info.SampleRate), w.Cuts, w.Ch);
  if (!(s.Normalize && !s.SplitGainPerPart)) {
    if (int r = ScanGaps(w)) return r;
  }
  const SplitFrames split = SplitFramesFor(s, w.Cuts, w.Info.SampleRate);
  const int64_t lastSample = std::min(w.O.KeepLast, w.T - 1);
  const FrameSpan kept{w.O.KeepFirst / w.Ch, lastSample / w.Ch};
  const std::vector<FrameSpan> frames = PlanParts(w.Gaps->Finish(), kept, split, w.Cuts);
  w.Gaps.reset();
  for (const FrameSpan& f : frames)
    w.O.Parts.push_back({.First = f.First * w.Ch, .Last = f.Last * w.Ch + w.Ch - 1, .Gain = w.O.Gain});
  if (s.SplitCount > 0 && w.O.Parts.size() < static_cast<size_t>(s.SplitCount))
    w.O.Notes.push_back(std::to_string(w.O.Parts.size()) + " of " + std::to_string(s.SplitCount) + " parts found");
  if (w.O.Parts.size() > 1) w.O.Changed = true;
  return s.Normalize && s.SplitGainPerPart ? PartGains(w) : Continue;
}

int WriteParts(Work& w, const std::string& outputPath) {
  RowFile& file = w.C.File;
  const FileOutcome whole = w.O;
  w.SplitFirst = whole.Parts.front().First;
  w.SplitLast = whole.Parts.back().Last;
  uint64_t clipped = 0;
  w.O.DroppedChunks.clear();
  for (size_t i = 0; i < whole.Parts.size(); ++i) {
    PartOutcome& part = w.O.Parts[i];
    if (int r = CountUpTo(w, part.First)) return r;
    file.PartPaths.push_back(PartPath(outputPath, i, whole.Parts.size()));
    file.Parts.push_back(std::make_unique<WaveWriter>());
    w.PartWriter = file.Parts.back().get();
    const int r = WritePart(w, part, file.PartPaths.back());
    part.Clipped = w.O.Clipped;
    clipped += w.O.Clipped;
    if (r != Continue) return r;
  }
  w.PartWriter = nullptr;
  std::vector<PartOutcome> parts = std::move(w.O.Parts);
  std::vector<std::string> dropped = std::move(w.O.DroppedChunks);
  w.O = whole;
  w.O.Parts = std::move(parts);
  w.O.DroppedChunks = std::move(dropped);
  w.O.Clipped = clipped;
  if (w.C.Record && clipped > 0) w.C.Record->clipped = clipped;
  if (w.C.Settings.KeepMetadata)
    for (std::string& note : CuePointsBetweenParts(w.C.File.Reader, w.O.Parts, w.Ch))
      w.O.Notes.push_back(std::move(note));
  return Continue;
}

}  // namespace steps
}  // namespace tacetix
