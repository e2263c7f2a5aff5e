// One file's output: the kept range recoded block by block (gain, fades, dither) into a new
// file under a temporary name, and its move onto its name in the row's turn.
#include "run/FileWork.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "run/OutputPath.h"
#include "signal/Dither.h"
#include "signal/Fades.h"
#include "wave/OutputFormat.h"

namespace tacetix {
namespace steps {

namespace {

int FailOutput(Work& w, const std::string& outputPath) {
  w.Reason = OutputReason(outputPath, w.Writer());
  w.Kind = OutputFailureKind(w.Writer());
  return Failed;
}

// Another run sharing the output folder (a shard of a scaled-out job) removes it when it made it
// for files that failed and it is empty; placed there meanwhile, the output makes it again, its
// last level only, as the placement did.
void MakeFolderAgain(const std::string& outputPath) {
  const std::filesystem::path folder = std::filesystem::path(outputPath).parent_path();
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) std::filesystem::create_directory(folder, ec);
}

int32_t WriteProgress(const Work& w, int64_t pos) {
  const long double kept = static_cast<long double>(w.ProgressLast()) - w.ProgressFirst() + 1;
  const long double share = (static_cast<long double>(pos) - w.ProgressFirst() + 1) / kept + w.C.Row.RowIndex;
  const long double pct = std::nearbyint(share * static_cast<long double>(w.C.Row.PerFileShare));
  return static_cast<int32_t>(std::clamp<long double>(pct, 0, 100));
}

int32_t FilePercent(const Work& w, int64_t pos) {
  const long double kept = static_cast<long double>(w.ProgressLast()) - w.ProgressFirst() + 1;
  const long double pct = std::nearbyint((static_cast<long double>(pos) - w.ProgressFirst() + 1) / kept * 100.0L);
  return static_cast<int32_t>(std::clamp<long double>(pct, 0, 100));
}

// The gain the write applies in extended precision; a gain too large for a double stays extended.
long double WriteGain(const Work& w) {
  const long double gain = w.O.Gain;
  const long double exact = static_cast<long double>(w.C.Settings.NormalizeTarget) / w.O.PeakMagnitude;
  return (std::isfinite(w.O.Gain) || w.O.Peak == 0.0) ? gain : exact;
}

int StartOutput(Work& w, const std::string& outputPath, int64_t keptSamples) {
  const SampleSource& source = w.C.File.Reader;
  WaveWriter& f = w.Writer();
  OutputDescription& d = w.Output;
  d.Format = DeriveOutputFormat(source.Format(), source.IsFloat(), TargetChoice(w.O));
  d.ExpectedSamples = keptSamples;
  d.Replace = w.C.Settings.Overwrite;
  // The extension the placement gave the output names its container.
  d.Container = OutputContainer(outputPath, OutputKind::Same);
  d.FlacLevel = w.C.Settings.FlacLevel;
  if (d.Container == AudioContainer::Flac && d.Format.Ok() && d.Format.Body.FormatTag == TagFloat) {
    w.Reason = "float samples: FLAC holds integers; choose an integer bit depth for this file";
    w.Kind = FailureKind::Unsupported;
    return Failed;
  }
  MakeFolderAgain(outputPath);
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

// Integer outputs go through the quantizer when they dither, or when some value may pass their
// range and be counted: floats, or a gain that lifts the peak above full scale.
std::optional<OutputQuantizer> QuantizerFor(const Work& w, const SampleCoding& to, const long double* gain) {
  const DitherKind dither = DitherApplies(w.In, to) ? w.C.Settings.Dither : DitherKind::None;
  const bool mayClip = w.In.IsFloat || w.In.BytesPerSample == 8 || (gain && *gain * w.O.PeakMagnitude > 1.0L);
  if (to.IsFloat || (dither == DitherKind::None && !mayClip)) return std::nullopt;
  return OutputQuantizer(to, dither, w.Ch);
}

}  // namespace

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

int WriteKept(Work& w, const std::string& outputPath) {
  WaveWriter& f = w.Writer();
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

}  // namespace steps

using namespace steps;

FadePlan OutputFades(const ProcessSettings& settings, const CutFrames& cuts, const FileOutcome& outcome,
                     int64_t totalSamples, int32_t channels) {
  // Fades only where the kept range cuts something off: a file already tight keeps its ends.
  const int64_t keptSamples = std::min(outcome.KeepLast, totalSamples - 1) - outcome.KeepFirst + 1;
  const bool beginCut = outcome.KeepFirst > 0;
  const bool endCut = settings.RemoveEnd && outcome.KeepLast + 1 < totalSamples;
  return PlanFades(cuts, beginCut, endCut, keptSamples / channels, channels);
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

}  // namespace tacetix
