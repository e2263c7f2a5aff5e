// One file: open, target format, silence scans, peak and gain, output decision, write.
#include "batch/ProcessFile.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <optional>

#include "batch/Dither.h"
#include "batch/Fades.h"
#include "batch/NaturalCuts.h"
#include "batch/OutputMetadata.h"
#include "batch/SoundRegions.h"
#include "wave/LevelTime.h"
#include "wave/OutputFormat.h"
#include "wave/SampleBlock.h"

namespace tacetix {
namespace {

constexpr int Ok = 0;
constexpr int EndOfData = 2;

// Every step either continues, or stops the file: Failed or Cancel.
enum Step : int { Continue = 0, Failed = 1, Cancel = -1, EndOfPass = -2 };

struct Work {
  explicit Work(FileContext& context) : C(context), Block(reinterpret_cast<uint8_t*>(context.Buffer)) {}
  FileContext& C;
  // The caller's buffer holds a block's samples as the file stores them (at most 8 bytes
  // each, so BlockValues of them fit), decoded a piece at a time by the passes.
  uint8_t* Block;
  SampleCoding In;
  WaveInfo Info{};
  FileOutcome O;
  int32_t Ch = 1;
  int64_t T = 0;
  CutFrames Cuts;                        // the natural-cut options at this file's rate
  GatingBlocks Blocks;                   // normalising to a loudness: the kept range's
  OutputDescription Output;              // what the output is made from, once it is due
  std::string Reason;                    // set when the file's own reason would not say enough
  FailureKind Kind = FailureKind::None;  // set where the file's own kind would not say enough
  // Non-finite samples are counted as the passes read the blocks: [0, CountedTo) by the
  // forward passes, [CountedFrom, T) by the end scan, so no sample is counted twice.
  int64_t NonFinite = 0;
  int64_t CountedTo = 0;
  int64_t CountedFrom = 0;
};

// The writer's own kind tells a name held by no regular file, a format no output can have (a
// rate of 0) and a source that changed under the write from a failed write.
FailureKind OutputFailureKind(const WaveWriter& writer) {
  return writer.FailKind() != FailureKind::None ? writer.FailKind() : FailureKind::CannotWrite;
}

// A failure of the output side: the reason names the output, not the source.
std::string OutputReason(const std::string& outputPath, const WaveWriter& writer) {
  const std::string& why = writer.FailReason();
  return outputPath + ": " + (why.empty() ? std::string(FailureText(FailureKind::CannotWrite)) : why);
}

int FailOutput(Work& w, const std::string& outputPath) {
  w.Reason = OutputReason(outputPath, w.C.File.Writer);
  w.Kind = OutputFailureKind(w.C.File.Writer);
  return Failed;
}

bool Pump(Work& w) { return w.C.Progress.Cancelled(); }

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
  const bool limited = NaturalCutsSet(s) || s.NormalizeLoudness;
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
    if (limited && pos + n >= peakEnd) break;
  }
  w.C.File.Reader.ClearReadPosition();
  if (meter) {
    w.O.Loudness = meter->Finish();
    w.Blocks = meter->TakeBlocks();
  }
  return Continue;
}

// The kept range's sample peak in dBfs, 0 for no sound.
double PeakDb(const Work& w) {
  if (w.O.Peak == 0.0) return 0.0;
  const double inverse = 1.0 / w.O.PeakMagnitude;
  return std::isfinite(inverse) ? LinearToDb(inverse) : -LinearToDb(w.O.PeakMagnitude);
}

// To a loudness: the gain the kept range needs, lowered where the true peak would pass the
// ceiling; left at 1 when the loudness cannot be measured.
void DecideLoudnessGain(Work& w) {
  const ProcessSettings& s = w.C.Settings;
  bool limitedByPeak = false;
  w.O.Gain = LoudnessGain(w.O.Loudness, w.Blocks, s.LoudnessTarget, s.TruePeakCeiling, limitedByPeak);
  if (!w.O.Silent)
    w.O.Note = !w.O.Loudness.Measured ? GainNote::NotMeasured
               : limitedByPeak        ? GainNote::LimitedByTruePeak
                                      : GainNote::None;
  w.O.Changed = w.O.Changed || w.O.Gain != 1.0;
  if (!w.C.Record) return;
  w.C.Record->peakdb = PeakDb(w);
  w.C.Record->ampdb = -LinearToDb(w.O.Gain);
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

void DecideGain(Work& w) {
  const ProcessSettings& s = w.C.Settings;
  if (s.NormalizeLoudness) return DecideLoudnessGain(w);
  w.O.Gain = w.O.Peak != 0.0 ? s.NormalizeTarget / w.O.PeakMagnitude : 1.0;
  w.O.Changed = w.O.Changed || w.O.Gain != 1.0;
  if (!w.C.Record) return;
  const double peakDb = PeakDb(w);
  w.C.Record->peakdb = peakDb;
  // The gain the run applies, from its own snapshot of the target.
  w.C.Record->ampdb = static_cast<double>(static_cast<long double>(s.NormalizeLevelDb) - peakDb);
}

void FillRange(Work& w) {
  if (!w.C.Record) return;
  if (w.O.Silent) {
    w.C.Record->startsample = 0;
    w.C.Record->endsample = 0;
    return;
  }
  w.C.Record->startsample = static_cast<uint64_t>(w.O.KeepFirst / w.Ch);
  w.C.Record->endsample = static_cast<uint64_t>(w.O.KeepLast / w.Ch - (w.C.Settings.RemoveEnd ? 0 : 1));
}

int32_t WriteProgress(const Work& w, int64_t pos) {
  const long double kept = static_cast<long double>(w.O.KeepLast) - w.O.KeepFirst + 1;
  const long double share = (static_cast<long double>(pos) - w.O.KeepFirst + 1) / kept + w.C.Row.RowIndex;
  const long double pct = std::nearbyint(share * static_cast<long double>(w.C.Row.PerFileShare));
  return static_cast<int32_t>(std::clamp<long double>(pct, 0, 100));
}

int32_t FilePercent(const Work& w, int64_t pos) {
  const long double kept = static_cast<long double>(w.O.KeepLast) - w.O.KeepFirst + 1;
  const long double pct = std::nearbyint((static_cast<long double>(pos) - w.O.KeepFirst + 1) / kept * 100.0L);
  return static_cast<int32_t>(std::clamp<long double>(pct, 0, 100));
}

// The gain the write applies in extended precision; a gain too large for a double stays extended.
long double WriteGain(const Work& w) {
  const long double gain = w.O.Gain;
  const long double exact = static_cast<long double>(w.C.Settings.NormalizeTarget) / w.O.PeakMagnitude;
  return (std::isfinite(w.O.Gain) || w.O.Peak == 0.0) ? gain : exact;
}

// The format the outcome asks of the output; the sample type's values are the format tags.
FormatChoice TargetChoice(const FileOutcome& o) { return {o.TargetBits, static_cast<int16_t>(o.TargetFormat), -1}; }

int StartOutput(Work& w, const std::string& outputPath, int64_t keptSamples) {
  const WaveReader& source = w.C.File.Reader;
  WaveWriter& f = w.C.File.Writer;
  OutputDescription& d = w.Output;
  d.Format = DeriveOutputFormat(source.Format(), source.IsFloat(), TargetChoice(w.O));
  d.ExpectedSamples = keptSamples;
  d.Replace = w.C.Settings.Overwrite;
  if (f.Create(outputPath, std::move(d)) != 0) {
    // Created but without its first header (a format no header can hold, a full disk): an
    // empty or cut header is no wave file, so it never reaches its name.
    FailOutput(w, outputPath);
    f.Discard();
    return Failed;
  }
  if (f.Rewind() != 0) return FailOutput(w, outputPath);
  return Continue;
}

// Padding moves the cut outwards and may swallow it: whether the file changed is judged on
// the range written.
void PadKeptRange(Work& w, bool formatChanged) {
  const ProcessSettings& s = w.C.Settings;
  if (s.RemoveBegin) w.O.KeepFirst = PadBefore(w.O.KeepFirst, w.Cuts.KeepBegin, w.Ch);
  if (s.RemoveEnd) w.O.KeepLast = PadAfter(w.O.KeepLast, w.Cuts.KeepEnd, w.Ch, w.T);
  w.O.Changed = formatChanged || w.O.KeepFirst != 0 || (s.RemoveEnd && w.O.KeepLast + 1 != w.T);
}

// Integer outputs go through the quantizer when they dither, or when some value may pass their
// range and be counted: floats, or a gain that lifts the peak above full scale.
std::optional<OutputQuantizer> QuantizerFor(const Work& w, const SampleCoding& to, const long double* gain) {
  const DitherKind dither = DitherApplies(w.In, to) ? w.C.Settings.Dither : DitherKind::None;
  const bool mayClip = w.In.IsFloat || w.In.BytesPerSample == 8 || (gain && *gain * w.O.PeakMagnitude > 1.0L);
  if (to.IsFloat || (dither == DitherKind::None && !mayClip)) return std::nullopt;
  return OutputQuantizer(to, dither, w.Ch);
}

int WriteKept(Work& w, const std::string& outputPath) {
  WaveWriter& f = w.C.File.Writer;
  int64_t pos = w.O.KeepFirst;
  // Without one whole frame there is nothing to write, as with data of no samples at all.
  if (w.T == 0) {
    w.Reason = "no whole frame of samples";
    w.Kind = FailureKind::Malformed;
    return Failed;
  }
  if (w.C.File.Reader.SeekSample(pos) != 0) return Failed;
  const int64_t keptSamples = std::min(w.O.KeepLast, w.T - 1) - w.O.KeepFirst + 1;
  if (int r = StartOutput(w, outputPath, keptSamples)) return r;
  const long double gain = WriteGain(w);
  const long double* gainUsed = w.C.Settings.Normalize ? &gain : nullptr;
  const BlockRecoder recoder(w.In, f.Coding(), gainUsed, keptSamples);
  const FadePlan fades = OutputFades(w.C.Settings, w.Cuts, w.O, w.T, w.Ch);
  FadedRecoder faded(recoder, w.In, f.Coding(), gainUsed, fades);
  std::optional<OutputQuantizer> quantizer = QuantizerFor(w, f.Coding(), gainUsed);
  for (bool last = false; !last;) {
    int32_t n = 0;
    const int r = NextBlock(w, pos, n);
    if (r == EndOfPass) break;
    if (r != Continue) return r;
    const int64_t outputSample = int64_t{pos} - w.O.KeepFirst;
    pos += n;
    const int64_t progressPos = pos;
    if (pos > w.O.KeepLast) {
      n -= static_cast<int32_t>(pos - w.O.KeepLast - 1);
      last = true;
    }
    if (quantizer) RecodeQuantized(w.Block, n, w.In, f.Coding(), gainUsed, fades, *quantizer, outputSample);
    else faded.Recode(w.Block, n, outputSample);
    int32_t written = 0;
    if (f.WriteSampleBytes(w.Block, n, written) != 0) return FailOutput(w, outputPath);
    w.C.Progress.Progress(WriteProgress(w, progressPos));
    w.C.Progress.OwnProgress(FilePercent(w, progressPos));
  }
  // An output whose header or close failed may not be on disk as described: not done. A done
  // one waits under its temporary name for its move in the row's turn.
  if (quantizer) w.O.Clipped = quantizer->Clipped();
  if (quantizer && w.C.Record) w.C.Record->clipped = w.O.Clipped;
  if (f.Finish() != 0) return FailOutput(w, outputPath);
  if (f.Seal() != 0) return FailOutput(w, outputPath);
  return Continue;
}

void FillFormatFields(Work& w) {
  Logfile* rec = w.C.Record;
  if (!rec) return;
  rec->channels_in = static_cast<uint32_t>(w.Info.Channels);
  // The depths the samples are read and written with, which a fmt at odds with its container
  // does not say.
  const WaveReader& source = w.C.File.Reader;
  const int32_t bitsRead = CodedBits(source.Format(), source.IsFloat());
  rec->bits_in = static_cast<uint32_t>(bitsRead);
  rec->hz_in = static_cast<uint32_t>(w.Info.SampleRate);
  rec->samples_in = static_cast<uint64_t>(w.Info.SampleCount) / static_cast<uint64_t>(w.Info.Channels);
  rec->bits_out = static_cast<uint32_t>(w.O.TargetBits == -1 ? bitsRead : w.O.TargetBits);
}

// An extensible fmt states its container's width as the depth, so an output that keeps its
// metadata in one is written with the container's bits.
void NoteExtensibleBits(Work& w) {
  if (!w.C.Record || !w.Output.Extras.Extensible) return;
  const WaveReader& source = w.C.File.Reader;
  const FormatBody f = DeriveOutputFormat(source.Format(), source.IsFloat(), TargetChoice(w.O)).Body;
  if (f.Channels != 0) w.C.Record->bits_out = 8u * (f.BlockAlign / f.Channels);
}

// Everything up to the output: the scans, the kept range, the gain and whether an output is due.
int PlanSteps(Work& w, const std::string& inputPath) {
  const ProcessSettings& s = w.C.Settings;
  WaveReader& source = w.C.File.Reader;
  // A long chunk walk pumps too, so that a cancel need not wait for it.
  const int opened = source.Open(inputPath, {false, s.KeepMetadata, [&w] { return Pump(w); }});
  if (opened != 0) return source.WalkCancelled() ? Cancel : Failed;
  if (source.GetInfo(w.Info) != 0) return Failed;
  w.Ch = w.Info.Channels;
  w.In = source.Coding();
  w.T = w.Info.SampleCount - w.Info.SampleCount % w.Ch;
  w.O.KeepLast = w.T;
  w.CountedFrom = w.T;
  // A RIFF size field cannot say more than 4 GiB: the rest of a streamed data chunk is not read.
  if (source.IgnoredDataBytes() > 0) w.O.Notes.push_back("data past 4 GiB ignored");
  w.Cuts = CutFramesFor(s, w.Info.SampleRate);
  DecideTarget(s, w.Info.BitsPerSample, w.Info.FormatTag, w.In.IsFloat, w.O);
  const bool formatChanged = w.O.Changed;
  FillFormatFields(w);
  if (s.RemoveBegin) {
    if (int r = ScanBeginning(w)) return r;
  }
  if (s.RemoveEnd && !w.O.Silent) {
    if (int r = ScanEnd(w)) return r;
  }
  w.O.Silent = w.O.Silent || w.O.KeepLast < w.O.KeepFirst || (s.RemoveEnd && !w.O.EndFound);
  w.O.SoundFirst = w.O.KeepFirst;
  w.O.SoundLast = w.O.KeepLast;
  if (!w.O.Silent && NaturalCutsSet(s)) PadKeptRange(w, formatChanged);
  if (s.Normalize && !w.O.Silent) {
    if (int r = ScanPeak(w)) return r;
  }
  if (s.Normalize) DecideGain(w);
  w.O.OutputDue = (s.CreateIfUnchanged || w.O.Changed) && !w.O.Silent;
  FillRange(w);
  if (w.C.Record) {
    const Logfile& rec = *w.C.Record;
    w.C.Record->samples_out = w.O.OutputDue ? rec.endsample - rec.startsample + 1 : 0;
  }
  return Continue;
}

int RunSteps(Work& w, const std::string& inputPath, const std::string& outputPath) {
  const ProcessSettings& s = w.C.Settings;
  WaveReader& source = w.C.File.Reader;
  if (int r = PlanSteps(w, inputPath)) return r;
  const bool writes = w.O.OutputDue && !s.Simulation;
  if (!writes) {
    if (int r = CountRest(w)) return r;
  }
  // Also when simulating: the report then names what the outputs would drop.
  if (w.O.OutputDue && s.KeepMetadata) {
    std::optional<OutputExtras> extras = PrepareKeptMetadata(source, w.Info, w.T, w.O, [&w] { return Pump(w); });
    if (!extras) return Cancel;
    w.Output.Extras = std::move(*extras);
    NoteExtensibleBits(w);
  }
  return writes ? WriteKept(w, outputPath) : Continue;
}

// What stopped the file. A failure the run could not name more closely is the file's own; a
// file that gave no kind either failed a check of its format.
FailureKind StopKind(const Work& w, FileResult result) {
  if (result == FileResult::Cancelled) return FailureKind::Cancelled;
  if (w.Kind != FailureKind::None) return w.Kind;
  const FailureKind own = w.C.File.Reader.FailKind();
  return own != FailureKind::None ? own : FailureKind::Malformed;
}

}  // namespace

void DecideTarget(const ProcessSettings& settings, int32_t bits, int32_t tag, bool floatSamples, FileOutcome& outcome) {
  const int32_t choice = settings.BitsChoice;
  if (choice <= 0 || choice >= static_cast<int32_t>(BitDepthChoices.size())) return;
  const BitDepthChoice& c = BitDepthChoices[static_cast<size_t>(choice)];
  const ConvertWhen when = settings.BitsMode == BitsModeKind::Up     ? c.Up
                           : settings.BitsMode == BitsModeKind::Down ? c.Down
                                                                     : ConvertWhen::Always;
  // By the samples, not the tag: an extensible file's tag says neither integer nor float.
  const bool apply = when == ConvertWhen::Always || (when == ConvertWhen::FewerBits && bits < c.Bits) ||
                     (when == ConvertWhen::MoreBits && bits > c.Bits) ||
                     (when == ConvertWhen::IntegerSamples && !floatSamples) ||
                     (when == ConvertWhen::FloatSamples && floatSamples);
  if (!apply) return;
  outcome.TargetBits = c.Bits;
  outcome.TargetFormat = c.Samples;
  outcome.Changed = bits != c.Bits || tag != static_cast<int32_t>(c.Samples);
}

FileResult ProcessFileSealed(FileContext& context, const std::string& inputPath, const std::string& outputPath,
                             FileOutcome* outcomeOut) {
  Work w(context);
  const int r = RunSteps(w, inputPath, outputPath);
  if (context.Record) context.Record->nonfinite = static_cast<uint64_t>(w.NonFinite);
  if (outcomeOut) *outcomeOut = w.O;
  if (r != Continue) {
    const FileResult result = r == Cancel ? FileResult::Cancelled : FileResult::Failed;
    if (outcomeOut) outcomeOut->Kind = StopKind(w, result);
    if (outcomeOut && result == FileResult::Failed)
      outcomeOut->Reason = w.Reason.empty() ? context.File.Reader.FailReason() : w.Reason;
    return result;
  }
  context.File.Reader.ClearReadPosition();
  return FileResult::Done;
}

FileResult PlanFile(FileContext& context, const std::string& inputPath, FileOutcome& outcome) {
  Work w(context);
  const int r = PlanSteps(w, inputPath);
  outcome = w.O;
  context.File.Reader.ClearReadPosition();
  if (r == Continue) return FileResult::Done;
  const FileResult result = r == Cancel ? FileResult::Cancelled : FileResult::Failed;
  outcome.Kind = StopKind(w, result);
  if (result == FileResult::Failed) outcome.Reason = w.Reason.empty() ? context.File.Reader.FailReason() : w.Reason;
  return result;
}

FadePlan OutputFades(const ProcessSettings& settings, const CutFrames& cuts, const FileOutcome& outcome,
                     int64_t totalSamples, int32_t channels) {
  // Fades only where the kept range cuts something off: a file already tight keeps its ends.
  const int64_t keptSamples = std::min(outcome.KeepLast, totalSamples - 1) - outcome.KeepFirst + 1;
  const bool beginCut = outcome.KeepFirst > 0;
  const bool endCut = settings.RemoveEnd && outcome.KeepLast + 1 < totalSamples;
  return PlanFades(cuts, beginCut, endCut, keptSamples / channels, channels);
}

LoudnessFigures LoudnessAfterGain(const FileOutcome& outcome) {
  LoudnessFigures figures = outcome.Loudness;
  const double gainDb = -LinearToDb(outcome.Gain);
  figures.Lufs += gainDb + outcome.Loudness.GateShift;
  figures.TruePeak = -LinearToDb(outcome.Loudness.TruePeak) + gainDb;
  return figures;
}

FileResult MoveOutput(RowFile& file, const std::string& outputPath, FileOutcome& outcome) {
  WaveWriter& f = file.Writer;
  if (f.Close() == 0) return FileResult::Done;
  if (f.NameTaken()) {
    outcome.Kind = FailureKind::NameTaken;
    return FileResult::NameTaken;
  }
  outcome.Kind = OutputFailureKind(f);
  outcome.Reason = OutputReason(outputPath, f);
  return FileResult::Failed;
}

FileResult ProcessFile(FileContext& context, const std::string& inputPath, const std::string& outputPath,
                       FileOutcome* outcomeOut) {
  FileOutcome outcome;
  const FileResult result = ProcessFileSealed(context, inputPath, outputPath, &outcome);
  const FileResult moved = result == FileResult::Done ? MoveOutput(context.File, outputPath, outcome) : result;
  if (outcomeOut) *outcomeOut = std::move(outcome);
  return moved;
}

FileResult ProcessFileCaught(FileContext& context, const std::string& inputPath, const std::string& outputPath,
                             FileOutcome& outcome) {
  try {
    return ProcessFileSealed(context, inputPath, outputPath, &outcome);
  } catch (const std::bad_alloc&) {
    outcome.Reason = FailureText(FailureKind::NoMemory);
  } catch (const std::exception& e) {
    outcome.Reason = e.what();
  }
  // What the core throws beyond bad_alloc are the containers' length errors: memory too.
  outcome.Kind = FailureKind::NoMemory;
  return FileResult::Failed;
}

}  // namespace tacetix
