// The run over the whole list: statuses, counters, log and summary.
#include "run/BatchRun.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "run/AudioSignature.h"
#include "run/FileIdentity.h"
#include "run/OutputPath.h"
#include "run/PartOutputs.h"
#include "run/RowExecutor.h"
#include "run/RowText.h"
#include "signal/SplitGaps.h"
#include "wave/AtomicOutput.h"

namespace tacetix {
namespace {

const char* const LogOpenFailed = "Error writing to Logfile. Processing stopped.";

RowStatus RefusalStatus(PathVerdict verdict) {
  switch (verdict) {
    case PathVerdict::FolderRefused: return RowStatus::FolderRefused;
    case PathVerdict::ExistsRefused: return RowStatus::ExistsRefused;
    default: return RowStatus::SameAsInput;
  }
}

FailureKind RefusalKind(PathVerdict verdict) {
  switch (verdict) {
    case PathVerdict::FolderRefused: return FailureKind::CannotWrite;
    case PathVerdict::ExistsRefused: return FailureKind::NameTaken;
    default: return FailureKind::SameAsInput;
  }
}

// The started row that has no final word yet. A refused, failed or cancelled row keeps it
// until the next row starts or the run ends, so that every word comes in list order.
struct PendingRow {
  enum class End { Open, Done, Refused, Failed, Cancelled };
  int32_t Row = -1;
  bool Active = false;
  End How = End::Open;
  std::unique_ptr<RowFile> File;  // the row's file object, holding any partial output
  std::string Output;             // the output path, once the row has one
  std::string Folder;             // the output folder, once the row is placed
  bool FolderMade = false;        // the row's placement created Folder
};

class Run {
 public:
  Run(const RunRequest& request, RunFrontEnd& frontEnd) : Req(request), S(request.Settings), Fe(frontEnd) {}

  RunResult Execute();

 private:
  using End = PendingRow::End;
  using Clock = std::chrono::steady_clock;

  bool OpenLog();
  std::string LogConflict() const;
  // false: leave the loop.
  bool ProcessRow(int32_t row);
  bool Refuse(int32_t row, const OutputPath& out);
  bool TakeResult(const RowDone& done);
  void NoteLoudness(const FileOutcome& outcome);
  void StartRecord(Logfile& record, const std::string& file) const;
  void NameOutput(Logfile& record, const OutputPath& out) const;
  void StartExecutor();
  void MoveInTurn(RowDone& done);
  void MovePartsInTurn(RowDone& done);
  PathVerdict PartVerdict(const std::string& path) const;
  void SettleParts();
  void WriteLabels();
  void DiscardHandedOut();
  OutputPath PlaceOutput(const std::string& file) const;
  bool SimulatedName(const std::string& path) const;
  void StartRow(int32_t row);
  void Settle(bool runEnds);
  std::optional<RowStatus> ErrorStatus(bool runEnds) const;
  void ReleaseOutput();
  void NoteFolder();
  void RemoveFoldersOfFailures();
  std::vector<std::string> SweepFolderOf(const std::string& outputPath);
  void CloseLog();
  // Gives a started row its final status and its result.
  void EndRow(int32_t row, RowStatus status);
  void StopClock() { Current.Seconds = std::chrono::duration<double>(Clock::now() - RowStart).count(); }

  const RunRequest& Req;
  const ProcessSettings& S;
  RunFrontEnd& Fe;
  RunResult Res;
  LogStream Log;
  bool LogOpen = false;
  // Filled for every file, with or without a log: the front end's result shows its figures.
  // Also the start of every row's record (its separator).
  Logfile Record;
  Clock::time_point RowStart;
  RowResult Current;  // the started row that has no final word yet
  PendingRow Pending;
  int32_t RowCount = 0;
  // Every row's file as the hash of its resolved path and its row, sorted: a few bytes a
  // row however long the paths, so a long list costs the run next to nothing.
  std::vector<std::pair<size_t, int32_t>> SourceKeys;
  FileIdSet SourceIds;   // the same files by device and inode, which hard links share
  FileIdSet WrittenIds;  // the outputs this run has moved onto their names
  // Simulating, the resolved names of the outputs the run would have written: taken for the
  // rows after, as a written output's name is.
  std::set<std::string> SimulatedNames;
  // Output folders cleared of what killed runs left.
  std::set<std::string> SweptFolders;
  // Output folders made for rows that then failed, and the folders of rows done.
  std::set<std::string> FoldersOfFailures;
  std::set<std::string> FoldersOfDone;
  void IndexSources();
  bool IsListedSource(const std::string& path) const;
  std::unique_ptr<RowExecutor> Exec;
  // Splitting: the part whose name the row's turn refused.
  PartsMoved PartRefusal;
};

bool Run::OpenLog() {
  if (!S.LogEnabled) return true;
  if (WriteLogHeader(Log, Req.LogName, Req.Log, Req.Header) != 0) return false;
  LogOpen = true;
  Record.separator = Req.Log.SepaField;
  Record.clipped_column = CountsClipped(S);
  Record.WriteColumnHeader(Log);
  return true;
}

// The log is created (or emptied) before any file is touched: a name that is a source, an
// output of this run or an audio file of any kind would lose that file. "" when none of these.
std::string Run::LogConflict() const { return SideFileConflict(Req, Req.LogName, "log"); }

// The one place the row's file object is let go. A done output is on its name by now; a
// cancelled row's output cut short is kept where its name is free, and never replaces a file;
// any other row's output is removed, so no file cut short by a failure stands under its name.
void Run::ReleaseOutput() {
  if (!Pending.File) return;
  if (!Pending.File->Parts.empty() && Pending.How == End::Cancelled)
    Current.KeptParts = Pending.File->KeepPartialParts();
  for (const std::string& part : Current.KeptParts) {
    FileId id;
    if (IdentityOf(part, id)) WrittenIds.Add(id);
  }
  bool moved = false;
  if (Pending.How == End::Done) moved = Pending.File->ReleaseOutput();
  else if (Pending.How == End::Cancelled) moved = Pending.File->KeepPartialOutput();
  else Pending.File->DiscardOutput();
  if (moved && Pending.How == End::Cancelled) Current.PartialOutput = Pending.Output;
  FileId id;
  if (moved && IdentityOf(Pending.Output, id)) WrittenIds.Add(id);
  Pending.File.reset();
}

// The first row that writes into a folder clears it of the temporary files that killed runs
// left there (any machine's, with an age given). In the row's turn, so that the rows reported
// name them as one job would.
std::vector<std::string> Run::SweepFolderOf(const std::string& outputPath) {
  if (S.Simulation) return {};
  const std::string folder = std::filesystem::path(outputPath).parent_path().string();
  if (!SweptFolders.insert(folder).second) return {};
  return RemoveOrphanedTemporaries(folder, int64_t{S.StaleTemporaryMinutes} * 60);
}

void Run::StartRow(int32_t row) {
  Pending = PendingRow{};
  Pending.Row = row;
  Pending.Active = true;
  Current = RowResult{};
  PartRefusal = PartsMoved{};
  RowStart = Clock::now();
}

// The word of a row that did not reach done, if it has none yet. At the run's end a cancel
// overtakes a failure: the failure's reason would mislead.
std::optional<RowStatus> Run::ErrorStatus(bool runEnds) const {
  if (Pending.How == End::Refused) return std::nullopt;  // its refusal was its word
  if (runEnds && Res.Cancelled) return RowStatus::Cancelled;
  if (Pending.How == End::Failed) return RowStatus::IoError;
  if (Pending.How == End::Cancelled) return RowStatus::Cancelled;
  if (runEnds) return RowStatus::InternalError;
  return std::nullopt;
}

// Ends the pending row: its output released, its count, its word and, when done, its record.
// runEnds: no row follows it.
void Run::Settle(bool runEnds) {
  if (!Pending.Active) return;
  Pending.Active = false;
  ReleaseOutput();
  NoteFolder();
  if (Pending.How == End::Done && !Current.Parts.empty()) {
    SettleParts();
    return;
  }
  if (Pending.How == End::Done) {
    if (S.Simulation && Current.OutputMade) SimulatedNames.insert(ResolvedPath(Pending.Output));
    EndRow(Pending.Row, RowStatus::Done);
    if (LogOpen) Record.WriteRecord(Log, Req.Log.SepaDeci);
    ++Res.OkCount;
    return;
  }
  ++Res.ErrorCount;
  const std::optional<RowStatus> status = ErrorStatus(runEnds);
  if (!status) return;
  if (*status == RowStatus::Cancelled) {
    Current.Reason = Current.PartialOutput.empty() ? "" : PartialOutputNote(Current.PartialOutput);
    if (!Current.KeptParts.empty()) Current.Reason = KeptPartsNote(Current.KeptParts);
    Current.Kind = FailureKind::Cancelled;
  }
  EndRow(Pending.Row, *status);
}

// A done row keeps its folder, with or without an output; one that failed had its folder made
// for nothing, unless it keeps what a cancel cut short there.
void Run::NoteFolder() {
  if (Pending.How == End::Done) FoldersOfDone.insert(Pending.Folder);
  else if (Pending.FolderMade && Current.PartialOutput.empty()) FoldersOfFailures.insert(Pending.Folder);
}

// Once every row has settled and no worker writes: a folder made only for rows that failed goes
// again, if nothing was written into it (an empty folder is all a removal takes).
void Run::RemoveFoldersOfFailures() {
  for (const std::string& folder : FoldersOfFailures) {
    std::error_code ec;
    if (FoldersOfDone.count(folder) == 0) std::filesystem::remove(folder, ec);
  }
}

void Run::EndRow(int32_t row, RowStatus status) {
  Fe.SetRowStatus(row, status);
  Current.Status = status;
  Fe.SetRowResult(row, Current);
}

void Run::IndexSources() {
  SourceKeys.reserve(Req.Files.size());
  for (size_t i = 0; i < Req.Files.size(); ++i) {
    SourceKeys.emplace_back(std::hash<std::string>{}(ResolvedPath(Req.Files[i])), static_cast<int32_t>(i));
    FileId id;
    if (IdentityOf(Req.Files[i], id)) SourceIds.Add(id);
  }
  std::sort(SourceKeys.begin(), SourceKeys.end());
}

bool Run::IsListedSource(const std::string& path) const {
  const std::string resolved = ResolvedPath(path);
  const size_t key = std::hash<std::string>{}(resolved);
  auto it = std::lower_bound(SourceKeys.begin(), SourceKeys.end(), std::pair<size_t, int32_t>{key, INT32_MIN});
  // Equal hashes are only a hint: the paths themselves decide.
  for (; it != SourceKeys.end() && it->first == key; ++it)
    if (ResolvedPath(Req.Files[static_cast<size_t>(it->second)]) == resolved) return true;
  return false;
}

bool Run::SimulatedName(const std::string& path) const {
  return !SimulatedNames.empty() && SimulatedNames.count(ResolvedPath(path)) != 0;
}

OutputPath Run::PlaceOutput(const std::string& file) const {
  OutputPath out = BuildOutputPath(file, S);
  // Split, the name itself is never written: its parts' names are checked in the row's turn.
  if (SplittingSet(S) && out.Verdict != PathVerdict::FolderRefused) {
    out.Verdict = PathVerdict::Ok;
    out.Reason.clear();
    return out;
  }
  if (out.Verdict != PathVerdict::Ok) return out;
  // With Overwrite on, an output named like another row's source (or a hard link to one)
  // would replace that source, and one named like an earlier row's output that output.
  if (IsListedSource(out.Path) || SourceIds.HoldsFileAt(out.Path)) out.Verdict = PathVerdict::SameAsInput;
  else if (WrittenIds.HoldsFileAt(out.Path) || SimulatedName(out.Path)) out.Verdict = PathVerdict::ExistsRefused;
  if (out.Verdict != PathVerdict::Ok) out.Reason = out.Path;
  return out;
}

// A row's record at its start: its source only.
void Run::StartRecord(Logfile& record, const std::string& file) const {
  record.Clear();
  record.peakdb_known = S.Normalize;
  record.infile = Req.Log.PathInfile ? file : FileNamePart(file);
}

// The output's name in the record, once the row's output is placed.
void Run::NameOutput(Logfile& record, const OutputPath& out) const {
  record.outfile = Req.Log.PathOutfile ? out.Path : out.FileName;
}

bool Run::ProcessRow(int32_t row) {
  const std::string& file = Req.Files[static_cast<size_t>(row)];
  Settle(false);
  StartRow(row);
  const long double pct = std::nearbyint(static_cast<long double>(row) / RowCount * 100.0L);
  Fe.SetStatusProgress("Processing \"" + file + "\"", static_cast<int32_t>(pct));
  Fe.SetRowStatus(row, RowStatus::Processing);
  const OutputPath out = Exec->Placement(row);
  Current.OutputPath = out.Path.empty() ? out.Folder + BackslashIfNeeded(out.Folder) + out.FileName : out.Path;
  Fe.SetRowOutput(row, Current.OutputPath);
  Pending.Folder = out.Folder;
  Pending.FolderMade = out.FolderMade;
  if (out.Verdict != PathVerdict::Ok) return Refuse(row, out);
  Current.RemovedTemporaries = SweepFolderOf(out.Path);
  Pending.Output = out.Path;
  RowDone done = Exec->Take(row, out, RowStart);
  MoveInTurn(done);
  // The file object becomes the row's own, so a partial output is finished and moved onto its
  // name in the row's turn, whichever thread wrote it.
  Pending.File = std::move(done.File);
  Record = std::move(done.Record);
  Current.Seconds = done.Seconds;
  Current.Reason = done.Outcome.Reason;
  Current.Kind = done.Outcome.Kind;
  return TakeResult(done);
}

// A row whose output cannot be placed: its refusal is its word at once.
bool Run::Refuse(int32_t row, const OutputPath& out) {
  StopClock();
  Current.Reason = out.Reason;
  Current.Kind = RefusalKind(out.Verdict);
  Pending.How = End::Refused;
  EndRow(row, RefusalStatus(out.Verdict));
  return !S.StopOnError;
}

void Run::StartExecutor() {
  auto place = [this](int32_t row) { return PlaceOutput(Req.Files[static_cast<size_t>(row)]); };
  auto job = [this](int32_t row, const OutputPath& out) {
    RowJob j{row, Req.Files[static_cast<size_t>(row)], out.Path, Record};
    StartRecord(j.Record, j.Input);
    NameOutput(j.Record, out);
    return j;
  };
  Exec = MakeRowExecutor(Req.Jobs, RowCount, S, Fe, place, job);
}

// A done output moves onto its name in its row's turn, so outputs appear in list order
// whichever thread wrote them. A name that holds an earlier output of the run by now (two
// spellings of one folder that path resolution cannot join) is taken, as it is for one job.
void Run::MoveInTurn(RowDone& done) {
  if (done.Result != FileResult::Done || !done.File) return;
  if (!done.Outcome.Parts.empty()) return MovePartsInTurn(done);
  if (done.File->Writer.IsSealed() && WrittenIds.HoldsFileAt(Pending.Output)) {
    done.File->DiscardOutput();
    done.Result = FileResult::NameTaken;
    done.Outcome.Kind = FailureKind::NameTaken;
    return;
  }
  done.Result = MoveOutput(*done.File, Pending.Output, done.Outcome);
}

// A part may not replace a source, an output of this run or (without Overwrite) any file.
PathVerdict Run::PartVerdict(const std::string& path) const {
  if (IsListedSource(path) || SourceIds.HoldsFileAt(path)) return PathVerdict::SameAsInput;
  if (WrittenIds.HoldsFileAt(path) || SimulatedName(path)) return PathVerdict::ExistsRefused;
  std::error_code ec;
  if (!S.Overwrite && std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
    return PathVerdict::ExistsRefused;
  return PathVerdict::Ok;
}

// A split file's parts take their names together, or none does; simulating, their names are
// checked as a run would check them.
void Run::MovePartsInTurn(RowDone& done) {
  if (!done.Outcome.OutputDue) return;
  PartCheck check = [this](const std::string& path) { return PartVerdict(path); };
  if (S.Simulation) {
    for (size_t i = 0; i < done.Outcome.Parts.size(); ++i)
      done.File->PartPaths.push_back(PartPath(Pending.Output, i, done.Outcome.Parts.size()));
  }
  PartRefusal = MoveParts(*done.File, check, done.Outcome);
  done.Result = PartRefusal.Result;
  if (done.Result == FileResult::Failed) PartRefusal = PartsMoved{};
}

// The label file beside the parts; a file it may not replace, or a failed write, is a note.
void Run::WriteLabels() {
  const std::string path = LabelPath(Pending.Output);
  std::string why;
  const bool isLog = S.LogEnabled && ResolvedPath(path) == ResolvedPath(Req.LogName);
  if (isLog || IsListedSource(path) || SourceIds.HoldsFileAt(path))
    why = path + ": " + (isLog ? std::string("the log") : std::string(FailureText(FailureKind::SameAsInput)));
  else if (!S.Simulation) why = WriteSplitLabels(path, LabelText(Current.Parts), S.Overwrite);
  if (!why.empty()) Current.Notes.push_back("no labels: " + why);
}

// A split file done: a record a part, every part's name taken, and its labels.
void Run::SettleParts() {
  for (size_t i = 0; i < Current.Parts.size(); ++i) {
    const std::string path = PartPath(Pending.Output, i, Current.Parts.size());
    FileId id;
    if (S.Simulation) SimulatedNames.insert(ResolvedPath(path));
    else if (IdentityOf(path, id)) WrittenIds.Add(id);
  }
  if (S.SplitLabels) WriteLabels();
  EndRow(Pending.Row, RowStatus::Done);
  if (LogOpen)
    for (const Logfile& part : Current.Parts) part.WriteRecord(Log, Req.Log.SepaDeci);
  ++Res.OkCount;
}

// After a stop or a cancel, the rows placed ahead end as one job leaves rows it never started:
// unreported, with nothing of theirs on disk.
void Run::DiscardHandedOut() {
  Exec->DiscardFrom(Pending.Row + 1);
  Exec.reset();
}

// A done row's reason is what its figures alone do not tell: a limited or missing loudness
// gain, samples clipped.
void Run::NoteLoudness(const FileOutcome& o) {
  Current.Reason = DoneNote(o);
  Current.Clipped = o.Clipped;
  Current.LoudnessKnown = S.NormalizeLoudness && o.Loudness.Measured;
  if (!Current.LoudnessKnown) return;
  const LoudnessFigures after = LoudnessAfterGain(o);
  Current.LoudnessLufs = after.Lufs;
  Current.TruePeakDbtp = after.TruePeak;
}

// false: leave the loop.
bool Run::TakeResult(const RowDone& done) {
  if (done.Result == FileResult::Cancelled) {
    Res.Cancelled = true;
    Pending.How = End::Cancelled;
    return false;
  }
  if (done.Result == FileResult::Failed) {
    Pending.How = End::Failed;
    return !S.StopOnError;
  }
  if (done.Result == FileResult::NameTaken) {  // the rename is the last word on an existing name
    Current.Reason = Pending.Output;           // as for a name found taken before the file started
    Pending.How = End::Refused;
    if (!PartRefusal.Name.empty()) Current.Reason = PartRefusal.Name;
    EndRow(Pending.Row, PartRefusal.Name.empty() ? RowStatus::ExistsRefused : RefusalStatus(PartRefusal.Verdict));
    return !S.StopOnError;
  }
  Current.OutputMade = done.Outcome.OutputDue;
  Current.Silent = done.Outcome.Silent;
  Current.FiguresKnown = true;
  Current.Figures = Record;
  Current.DroppedChunks = done.Outcome.DroppedChunks;
  NoteLoudness(done.Outcome);
  Current.Notes = done.Outcome.Notes;
  if (done.Outcome.OutputDue) {
    for (size_t i = 0; i < done.Outcome.Parts.size(); ++i)
      Current.Parts.push_back(PartRecord(Record, done.Outcome.Parts, i,
                                         static_cast<int32_t>(std::max<uint32_t>(Record.channels_in, 1)),
                                         S.Normalize && S.SplitGainPerPart));
  }
  Pending.How = End::Done;
  Settle(false);
  return true;
}

void Run::CloseLog() {
  if (!LogOpen) return;
  if (!Req.Log.ProcInfOnly) {
    Log.Line("");
    Log.Line(Res.Summary);
  }
  Res.LogWriteError = WriteLogFooter(Log, Req.Log) != 0;
  if (Log.WriteError != 0) Res.LogWriteReason = std::strerror(Log.WriteError);
  LogOpen = false;
}

RunResult Run::Execute() {
  IndexSources();
  if (S.LogEnabled) Res.LogRefusal = LogConflict();
  if (!Res.LogRefusal.empty() || !OpenLog()) {
    if (Res.LogRefusal.empty()) Res.LogOpenReason = std::strerror(errno);
    Res.Summary = LogOpenFailed;
    Fe.SetStatus(LogOpenFailed);
    return Res;
  }
  Res.Started = true;
  Fe.BeginBusy();
  RowCount = static_cast<int32_t>(Req.Files.size());
  StartExecutor();
  for (int32_t row = 0; row < RowCount; ++row) {
    if (Fe.Pump()) {
      Res.Cancelled = true;
      break;
    }
    if (!ProcessRow(row)) break;
  }
  DiscardHandedOut();
  Settle(true);
  RemoveFoldersOfFailures();
  Fe.EndBusy(Res.OkCount + Res.ErrorCount > 0);
  Res.Summary = SummaryText(Res.OkCount, Res.ErrorCount, Res.Cancelled);
  CloseLog();
  const std::string reason = Res.LogWriteReason.empty() ? "" : ": " + Res.LogWriteReason;
  Fe.SetStatus(Res.LogWriteError ? Res.Summary + " (error writing to Logfile" + reason + ")" : Res.Summary);
  return Res;
}

}  // namespace

std::string SideFileConflict(const RunRequest& request, const std::string& name, const std::string& what) {
  const std::string lead = "the " + what + " file is ";
  FileId id, other;
  const bool exists = IdentityOf(name, id);
  const std::string resolved = ResolvedPath(exists ? name : LinkTarget(name));
  const std::string resolvedName = FileNamePart(resolved);
  // Names are compared first: resolving every source's and output's folder would cost a long
  // list dear, and a name that exists is matched by its identity anyway.
  const auto same = [&](const std::string& path, const std::string& fileName) {
    return (exists && IdentityOf(path, other) && other == id) ||
           (fileName == resolvedName && ResolvedPath(path) == resolved);
  };
  for (const std::string& file : request.Files)
    if (same(file, FileNamePart(file))) return lead + "one of the input files: " + name;
  for (const std::string& file : request.Files) {
    const OutputPath out = PlanOutputPath(file, request.Settings);
    if (same(out.Path, out.FileName)) return lead + "one of the output files: " + name;
  }
  return AudioFileRefusal(name, what);
}

std::string SummaryText(int32_t okCount, int32_t errorCount, bool cancelled) {
  std::string text = cancelled ? "Processing cancelled, " : "";
  text += std::to_string(okCount) + " file" + (okCount == 1 ? "" : "s") + " processed ok";
  if (errorCount != 0) text += ", " + std::to_string(errorCount) + " with errors";
  return text;
}

RunResult RunBatch(const RunRequest& request, RunFrontEnd& frontEnd) { return Run(request, frontEnd).Execute(); }

}  // namespace tacetix
