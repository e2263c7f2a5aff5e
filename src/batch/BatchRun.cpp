// The run over the whole list: statuses, counters, log and summary.
#include "batch/BatchRun.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

#include "batch/FileIdentity.h"
#include "batch/OutputPath.h"
#include "batch/ProcessFile.h"
#include "batch/RowAhead.h"

namespace tacetix {
namespace {

const char* const LogOpenFailed = "Error writing to Logfile. Processing stopped.";

const char* RefusalWord(PathVerdict verdict) {
  switch (verdict) {
    case PathVerdict::FolderRefused: return "error creating output folder";
    case PathVerdict::ExistsRefused: return "output file already exists";
    case PathVerdict::SameAsInput: return "output file is input file";
    default: return "";
  }
}

class Run {
 public:
  Run(const RunRequest& request, double* buffer, RunFrontEnd& frontEnd)
      : Req(request), S(request.Settings), Buffer(buffer), Fe(frontEnd) {}

  RunResult Execute();

 private:
  bool OpenLog();
  std::string LogConflict() const;
  // false: leave the loop.
  bool ProcessRow(int32_t row);
  bool TakeResult(FileResult result, int32_t row, int32_t code, const FileOutcome& outcome);
  FileResult ProcessHere(int32_t row, const std::string& file, const OutputPath& out, int32_t& code,
                         FileOutcome& outcome);
  FileResult TakeFromWorker(int32_t row, int32_t& code, FileOutcome& outcome);
  void StartRecord(Logfile& record, const std::string& file) const;
  void NameOutput(Logfile& record, const OutputPath& out) const;
  void StartWorkers();
  void DrainWorkers();
  void SettlePending(int32_t nextRow);
  void ReleasePending();
  OutputPath PlaceOutput(const std::string& file) const;
  void FinishPending();
  void CloseLog();
  // Gives a started row its final word and its result.
  void EndRow(int32_t row, const std::string& word);
  void StopClock() { Current.Seconds = std::chrono::duration<double>(Clock::now() - RowStart).count(); }

  const RunRequest& Req;
  const ProcessSettings& S;
  double* Buffer;
  RunFrontEnd& Fe;
  RunResult Res;
  LogStream Log;
  bool LogOpen = false;
  // Filled for every file, with or without a log: the front end's result shows its figures.
  Logfile Record;
  using Clock = std::chrono::steady_clock;
  Clock::time_point RowStart;
  RowResult Current;  // the started row that has no final word yet
  std::unique_ptr<RowFile> Pending;  // the file of a row that started and did not reach done
  int32_t PendingRow = -1;
  std::string PendingOutput;  // the output path of that file, once it has one
  bool PendingRefused = false;  // its row already shows a refusal word
  bool PendingCancelled = false;  // its file stopped at a cancel (rows that ran ahead of the turn)
  int32_t LastResult = 0;
  int32_t RowCount = 0;
  float PerFileShare = 0.0f;
  // Every row's file as the hash of its resolved path and its row, sorted: a few bytes a
  // row however long the paths, so a long list costs the run next to nothing.
  std::vector<std::pair<size_t, int32_t>> SourceKeys;
  FileIdSet SourceIds;   // the same files by device and inode, which hard links share
  FileIdSet WrittenIds;  // the outputs this run has moved onto their names
  void IndexSources();
  bool IsListedSource(const std::string& path) const;
  std::unique_ptr<RowAhead> Ahead;  // with more than one job: rows processed ahead of their turn
};

bool Run::OpenLog() {
  if (!S.LogEnabled) return true;
  if (WriteLogHeader(Log, Req.LogName, Req.Log, Req.Header) != 0) return false;
  LogOpen = true;
  Record.separator = Req.Log.SepaField;
  Record.WriteColumnHeader(Log);
  return true;
}

// The log is created (or emptied) before any file is touched: a name that is a source, an
// output of this run or a wave file of any kind would lose that file. "" when none of these.
std::string Run::LogConflict() const { return SideFileConflict(Req, Req.LogName, "log"); }

// Releasing the object finishes a partial output and moves it onto its name.
void Run::ReleasePending() {
  if (!Pending) return;
  const bool moved = Pending->ReleaseOutput();
  FileId id;
  if (moved && IdentityOf(PendingOutput, id)) WrittenIds.Add(id);
  Pending.reset();
}

// The previous row's file did not reach done: release it.
void Run::SettlePending(int32_t nextRow) {
  if (Pending) {
    ReleasePending();
    ++Res.ErrorCount;
    if (LastResult != 0) EndRow(PendingRow, "I/O error");
    else if (PendingCancelled) {
      Current.Reason.clear();
      EndRow(PendingRow, "cancelled");
    }
  }
  Pending = std::make_unique<RowFile>();
  PendingRow = nextRow;
  PendingOutput.clear();
  PendingRefused = false;
  PendingCancelled = false;
  LastResult = 0;
  Current = RowResult{};
  RowStart = Clock::now();
}

void Run::EndRow(int32_t row, const std::string& word) {
  Fe.SetRowStatus(row, word);
  Current.Word = word;
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

OutputPath Run::PlaceOutput(const std::string& file) const {
  OutputPath out = BuildOutputPath(file, S);
  if (out.Verdict != PathVerdict::Ok) return out;
  // With Overwrite on, an output named like another row's source (or a hard link to one)
  // would replace that source, and one named like an earlier row's output that output.
  if (IsListedSource(out.Path) || SourceIds.HoldsFileAt(out.Path))
    out.Verdict = PathVerdict::SameAsInput;
  else if (WrittenIds.HoldsFileAt(out.Path))
    out.Verdict = PathVerdict::ExistsRefused;
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
  SettlePending(row);
  const long double pct = std::nearbyint(static_cast<long double>(row) / RowCount * 100.0L);
  Fe.SetStatusProgress("Processing \"" + file + "\"", static_cast<int32_t>(pct));
  Fe.SetRowStatus(row, "processing");
  StartRecord(Record, file);
  const OutputPath out = Ahead ? Ahead->Placement(row) : PlaceOutput(file);
  Current.OutputPath = out.Path.empty() ? out.Folder + BackslashIfNeeded(out.Folder) + out.FileName : out.Path;
  Fe.SetRowOutput(row, Current.OutputPath);
  if (out.Verdict != PathVerdict::Ok) {
    StopClock();
    Current.Reason = out.Reason;
    PendingRefused = true;
    EndRow(row, RefusalWord(out.Verdict));
    return !S.StopOnError;
  }
  NameOutput(Record, out);
  PendingOutput = out.Path;
  int32_t code = 0;
  FileOutcome outcome;
  const FileResult result =
      Ahead ? TakeFromWorker(row, code, outcome) : ProcessHere(row, file, out, code, outcome);
  Current.Reason = outcome.Reason;
  return TakeResult(result, row, code, outcome);
}

FileResult Run::ProcessHere(int32_t row, const std::string& file, const OutputPath& out, int32_t& code,
                            FileOutcome& outcome) {
  FileContext context{S, *Pending, Buffer, Fe, RowProgress{row, PerFileShare}, &Record};
  const FileResult result = ProcessFileCaught(context, file, out.Path, code, outcome);
  StopClock();
  return result;
}

// The worker's file object becomes the row's own, so a partial output is finished and
// moved onto its name in the row's turn, exactly as in the one-thread run.
FileResult Run::TakeFromWorker(int32_t row, int32_t& code, FileOutcome& outcome) {
  RowDone done = Ahead->Wait(row, [this] { return Fe.Pump(); });
  // A row the worker never started (a cancel, no memory) still ends as a pending file does.
  Pending = done.File ? std::move(done.File) : std::make_unique<RowFile>();
  Record = std::move(done.Record);
  Current.Seconds = done.Seconds;
  code = done.Code;
  outcome = std::move(done.Outcome);
  return done.Result;
}

void Run::StartWorkers() {
  if (Req.Jobs <= 1 || RowCount <= 1) return;
  auto place = [this](int32_t row) { return PlaceOutput(Req.Files[static_cast<size_t>(row)]); };
  auto job = [this](int32_t row, const OutputPath& out) {
    RowJob j{row, Req.Files[static_cast<size_t>(row)], out.Path, Record};
    StartRecord(j.Record, j.Input);
    NameOutput(j.Record, out);
    return j;
  };
  try {
    Ahead = std::make_unique<RowAhead>(std::min(Req.Jobs, RowCount), RowCount, S, place, job);
  } catch (const std::system_error&) {  // no thread could be started: the one-thread run
  }
}

// After a stop or a cancel, the rows already handed to workers end in list order with their
// own words: a file written in the meantime is reported, never left unmentioned.
void Run::DrainWorkers() {
  if (!Ahead) return;
  if (Res.Cancelled) Ahead->Cancel();
  Ahead->StopHandingOut();
  for (int32_t row = PendingRow + 1; row <= Ahead->LastSubmitted(); ++row) ProcessRow(row);
  Ahead.reset();
}

// false: leave the loop.
bool Run::TakeResult(FileResult result, int32_t row, int32_t code, const FileOutcome& outcome) {
  if (result == FileResult::Cancelled) {
    Res.Cancelled = true;
    PendingCancelled = true;
    return false;
  }
  if (result == FileResult::Failed) {
    LastResult = code;
    return !S.StopOnError;
  }
  if (result == FileResult::NameTaken) {  // the rename is the last word on an existing name
    Current.Reason = PendingOutput;  // as for a name found taken before the file started
    PendingRefused = true;
    EndRow(row, RefusalWord(PathVerdict::ExistsRefused));
    return !S.StopOnError;
  }
  ReleasePending();
  Current.OutputMade = outcome.OutputDue;
  Current.Silent = outcome.Silent;
  Current.FiguresKnown = true;
  Current.Figures = Record;
  Current.DroppedChunks = outcome.DroppedChunks;
  EndRow(row, "done");
  if (LogOpen) Record.WriteRecord(Log, Req.Log.SepaDeci);
  ++Res.OkCount;
  return true;
}

void Run::FinishPending() {
  if (!Pending) return;
  ++Res.ErrorCount;
  ReleasePending();
  if (PendingRefused) return;
  const char* word = Res.Cancelled ? "cancelled" : LastResult != 0 ? "I/O error" : "Internal error 3";
  // A failed file that the cancel overtakes shows "cancelled": its failure's reason would mislead.
  if (Res.Cancelled) Current.Reason.clear();
  EndRow(PendingRow, word);
}

void Run::CloseLog() {
  if (!LogOpen) return;
  if (!Req.Log.ProcInfOnly) {
    Log.Line("");
    Log.Line(Res.Summary);
  }
  Res.LogWriteError = WriteLogFooter(Log, Req.Log) != 0;
  LogOpen = false;
}

RunResult Run::Execute() {
  IndexSources();
  if (S.LogEnabled) Res.LogRefusal = LogConflict();
  if (!Res.LogRefusal.empty() || !OpenLog()) {
    Res.Summary = LogOpenFailed;
    Fe.SetStatus(LogOpenFailed);
    return Res;
  }
  Res.Started = true;
  Fe.BeginBusy();
  RowCount = static_cast<int32_t>(Req.Files.size());
  PerFileShare = RowCount > 0 ? 100.0f / static_cast<float>(RowCount) : 0.0f;
  StartWorkers();
  for (int32_t row = 0; row < RowCount; ++row) {
    if (Fe.Pump()) {
      Res.Cancelled = true;
      break;
    }
    if (!ProcessRow(row)) break;
  }
  DrainWorkers();
  FinishPending();
  Fe.EndBusy(Res.OkCount + Res.ErrorCount > 0);
  Res.Summary = SummaryText(Res.OkCount, Res.ErrorCount, Res.Cancelled);
  CloseLog();
  Fe.SetStatus(Res.LogWriteError ? Res.Summary + " (error writing to Logfile)" : Res.Summary);
  return Res;
}

}  // namespace

namespace {
// Where a dangling link leads: opening it for writing would create that file, which path
// resolution alone does not tell. The name itself when it is no link.
std::string LinkTarget(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path path(name);
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hops) {
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path.string();
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
  if (LooksLikeWave(name)) return lead + "a wave file: " + name;
  return "";
}

std::string SummaryText(int32_t okCount, int32_t errorCount, bool cancelled) {
  std::string text = cancelled ? "Processing cancelled, " : "";
  text += std::to_string(okCount) + " file" + (okCount == 1 ? "" : "s") + " processed ok";
  if (errorCount != 0) text += ", " + std::to_string(errorCount) + " with errors";
  return text;
}

RunResult RunBatch(const RunRequest& request, double* sampleBuffer, RunFrontEnd& frontEnd) {
  return Run(request, sampleBuffer, frontEnd).Execute();
}

}  // namespace tacetix
