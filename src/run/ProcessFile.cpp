// One file's steps in their order: open, target format, the scans, the kept range, the gain,
// the output decision and the write, and what stopped the file when it did not get through.
#include "run/ProcessFile.h"

#include <exception>
#include <new>
#include <optional>
#include <string>

#include "run/FileWork.h"
#include "run/OutputMetadata.h"
#include "run/OutputPath.h"
#include "run/PartOutputs.h"
#include "signal/NaturalCuts.h"
#include "wave/OutputFormat.h"

namespace tacetix {
namespace steps {
namespace {

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

// Padding moves the cut outwards and may swallow it: whether the file changed is judged on
// the range written.
void PadKeptRange(Work& w, bool formatChanged) {
  const ProcessSettings& s = w.C.Settings;
  if (s.RemoveBegin) w.O.KeepFirst = PadBefore(w.O.KeepFirst, w.Cuts.KeepBegin, w.Ch);
  if (s.RemoveEnd) w.O.KeepLast = PadAfter(w.O.KeepLast, w.Cuts.KeepEnd, w.Ch, w.T);
  w.O.Changed = formatChanged || w.O.KeepFirst != 0 || (s.RemoveEnd && w.O.KeepLast + 1 != w.T);
}

void FillFormatFields(Work& w) {
  Logfile* rec = w.C.Record;
  if (!rec) return;
  rec->channels_in = static_cast<uint32_t>(w.Info.Channels);
  // The depths the samples are read and written with, which a fmt at odds with its container
  // does not say.
  const SampleSource& source = w.C.File.Reader;
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
  const SampleSource& source = w.C.File.Reader;
  const FormatBody f = DeriveOutputFormat(source.Format(), source.IsFloat(), TargetChoice(w.O)).Body;
  if (f.Channels != 0) w.C.Record->bits_out = 8u * (f.BlockAlign / f.Channels);
}

// Everything up to the output: the scans, the kept range, the gain and whether an output is due.
// writing: a FLAC source is checked whole first, so that nothing is written from a broken one; a
// plan alone (the preview, replanned at every change of the options) reads only what it scans.
int PlanSteps(Work& w, const std::string& inputPath, bool writing) {
  const ProcessSettings& s = w.C.Settings;
  SourceReader& source = w.C.File.Reader;
  // A long chunk walk pumps too, so that a cancel need not wait for it.
  const int opened = source.Open(inputPath, {false, s.KeepMetadata, [&w] { return Pump(w); }, writing});
  if (opened != 0) return source.WalkCancelled() ? Cancel : Failed;
  if (source.GetInfo(w.Info) != 0) return Failed;
  w.Ch = w.Info.Channels;
  w.In = source.Coding();
  w.T = w.Info.SampleCount - w.Info.SampleCount % w.Ch;
  w.O.KeepLast = w.T;
  w.CountedFrom = w.T;
  // A RIFF size field cannot say more than 4 GiB: the rest of a streamed data chunk is not read.
  if (source.IgnoredDataBytes() > 0) w.O.Notes.push_back("data past 4 GiB ignored");
  if (source.MissingDataBytes() > 0)
    w.O.Notes.push_back("data chunk ends " + std::to_string(source.MissingDataBytes()) + " bytes early");
  w.Cuts = CutFramesFor(s, w.Info.SampleRate);
  DecideTarget(s, w.Info.BitsPerSample, w.Info.FormatTag, w.In.IsFloat, w.O);
  // A file written in another type than its own changes, as one converted to another depth does.
  w.O.Changed = w.O.Changed || OutputContainer(inputPath, s.OutputType) != source.Container();
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
  const bool split = SplittingSet(s) && !w.O.Silent;
  // With one gain a file the peak scan reads the sound anyway: it finds the gaps as it goes.
  if (split && s.Normalize && !s.SplitGainPerPart)
    w.Gaps.emplace(SplitFramesFor(s, w.Cuts, w.Info.SampleRate), w.Cuts, w.Ch);
  if (s.Normalize && !w.O.Silent && !(split && s.SplitGainPerPart)) {
    if (int r = ScanPeak(w)) return r;
  }
  if (s.Normalize) DecideGain(w);
  if (split) {
    if (int r = PlanSplit(w)) return r;
  }
  w.O.OutputDue = (s.CreateIfUnchanged || w.O.Changed) && !w.O.Silent;
  FillRange(w);
  if (w.C.Record) {
    const Logfile& rec = *w.C.Record;
    w.C.Record->samples_out = w.O.OutputDue ? rec.endsample - rec.startsample + 1 : 0;
    if (w.O.OutputDue && split) w.C.Record->samples_out = PartFrames(w.O.Parts, w.Ch);
  }
  return Continue;
}

// A FLAC output of a FLAC source carries its comments, pictures and application blocks, an AIFF
// output of an AIFF source its text chunks; other pairs of types carry nothing yet, and say so.
void KeepOtherMetadata(Work& w, AudioContainer output) {
  const std::shared_ptr<const FlacBlocks> blocks = w.C.File.Reader.FlacMetadata();
  const std::shared_ptr<const AiffChunks> chunks = w.C.File.Reader.AiffMetadata();
  if (output == AudioContainer::Flac && blocks) {
    w.Output.Carried.Flac = blocks;
    w.O.DroppedChunks = blocks->Dropped;
    return;
  }
  if (output == AudioContainer::Aiff && chunks) {
    w.Output.Carried.Aiff = chunks;
    w.O.DroppedChunks = chunks->Dropped;
    return;
  }
  if (blocks) w.O.DroppedChunks = blocks->All;
  if (chunks) w.O.DroppedChunks = chunks->All;
  w.O.Notes.push_back("metadata not carried into this type");
}

int RunSteps(Work& w, const std::string& inputPath, const std::string& outputPath) {
  const ProcessSettings& s = w.C.Settings;
  SourceReader& source = w.C.File.Reader;
  if (int r = PlanSteps(w, inputPath, true)) return r;
  const bool writes = w.O.OutputDue && !s.Simulation;
  if (!writes) {
    if (int r = CountRest(w)) return r;
  }
  // Also when simulating: the report then names what the outputs would drop.
  const AudioContainer output = OutputContainer(outputPath, OutputKind::Same);
  if (w.O.OutputDue && s.KeepMetadata && output != AudioContainer::Wave) KeepOtherMetadata(w, output);
  if (w.O.OutputDue && s.KeepMetadata && output == AudioContainer::Wave) {
    std::optional<OutputExtras> extras = PrepareKeptMetadata(source, w.Info, w.T, w.O, [&w] { return Pump(w); });
    if (!extras) return Cancel;
    w.Output.Extras = std::move(*extras);
    NoteExtensibleBits(w);
    // A FLAC source's blocks and an AIFF source's chunks have no place in a WAV output.
    if (const auto blocks = source.FlacMetadata())
      w.O.DroppedChunks.insert(w.O.DroppedChunks.end(), blocks->All.begin(), blocks->All.end());
    if (const auto chunks = source.AiffMetadata())
      w.O.DroppedChunks.insert(w.O.DroppedChunks.end(), chunks->All.begin(), chunks->All.end());
  }
  if (!writes) return Continue;
  return w.O.Parts.empty() ? WriteKept(w, outputPath) : WriteParts(w, outputPath);
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
}  // namespace steps

using namespace steps;

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
  const int r = PlanSteps(w, inputPath, false);
  outcome = w.O;
  context.File.Reader.ClearReadPosition();
  if (r == Continue) return FileResult::Done;
  const FileResult result = r == Cancel ? FileResult::Cancelled : FileResult::Failed;
  outcome.Kind = StopKind(w, result);
  if (result == FileResult::Failed) outcome.Reason = w.Reason.empty() ? context.File.Reader.FailReason() : w.Reason;
  return result;
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
