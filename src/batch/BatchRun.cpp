// The run over the whole list: statuses, counters, log and summary.
#include "batch/BatchRun.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "batch/FileIdentity.h"
#include "batch/OutputPath.h"
#include "batch/ProcessFile.h"

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
  std::unique_ptr<PCMFile> Pending;  // the file of a row that started and did not reach done
  int32_t PendingRow = -1;
  std::string PendingOutput;  // the output path of that file, once it has one
  bool PendingRefused = false;  // its row already shows a refusal word
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
std::string Run::LogConflict() const {
  const std::string& log = Req.LogName;
  FileId logId;
  const bool logExists = IdentityOf(log, logId);
  if ((logExists && SourceIds.Contains(logId)) || IsListedSource(log))
    return "the log file is one of the input files: " + log;
  const std::string resolved = ResolvedPath(log);
  const std::string resolvedName = FileNamePart(resolved);
  for (const std::string& file : Req.Files) {
    const OutputPath out = PlanOutputPath(file, S);
    FileId outId;
    // Names are compared first: resolving every output's folder would cost a long list dear.
    if ((logExists && IdentityOf(out.Path, outId) && outId == logId) ||
        (out.FileName == resolvedName && ResolvedPath(out.Path) == resolved))
      return "the log file is one of the output files: " + log;
  }
  if (LooksLikeWave(log)) return "the log file is a wave file: " + log;
  return "";
}

// Releasing the object finishes a partial output and moves it onto its name.
void Run::ReleasePending() {
  if (!Pending) return;
  Pending->CloseOutput();
  FileId id;
  if (Pending->OutputMoved() && IdentityOf(PendingOutput, id)) WrittenIds.Add(id);
  Pending.reset();
}

// The previous row's file did not reach done: release it.
void Run::SettlePending(int32_t nextRow) {
  if (Pending) {
    ReleasePending();
    ++Res.ErrorCount;
    if (LastResult != 0) EndRow(PendingRow, "I/O error");
  }
  Pending = std::make_unique<PCMFile>();
  PendingRow = nextRow;
  PendingOutput.clear();
  PendingRefused = false;
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

bool Run::ProcessRow(int32_t row) {
  const std::string& file = Req.Files[static_cast<size_t>(row)];
  SettlePending(row);
  const long double pct = std::nearbyint(static_cast<long double>(row) / RowCount * 100.0L);
  Fe.SetStatusProgress("Processing \"" + file + "\"", static_cast<int32_t>(pct));
  Fe.SetRowStatus(row, "processing");
  Record.Clear();
  Record.peakdb_known = S.Normalize;
  Record.infile = Req.Log.PathInfile ? file : FileNamePart(file);
  const OutputPath out = PlaceOutput(file);
  Current.OutputPath = out.Path.empty() ? out.Folder + BackslashIfNeeded(out.Folder) + out.FileName : out.Path;
  Fe.SetRowOutput(row, Current.OutputPath);
  if (out.Verdict != PathVerdict::Ok) {
    StopClock();
    Current.Reason = out.Reason;
    PendingRefused = true;
    EndRow(row, RefusalWord(out.Verdict));
    return !S.StopOnError;
  }
  Record.outfile = Req.Log.PathOutfile ? out.Path : out.FileName;
  PendingOutput = out.Path;
  FileContext context{S, *Pending, Buffer, Fe, RowProgress{row, PerFileShare}, &Record};
  int32_t code = 0;
  FileResult result;
  FileOutcome outcome;
  try {
    result = ProcessFile(context, file, out.Path, code, &outcome);
  } catch (const std::bad_alloc&) {  // no memory for a transfer buffer: this file fails
    result = FileResult::Failed;
    code = 1;
    outcome.Reason = "not enough memory";
  } catch (const std::exception& e) {
    result = FileResult::Failed;
    code = 1;
    outcome.Reason = e.what();
  }
  StopClock();
  Current.Reason = outcome.Reason;
  return TakeResult(result, row, code, outcome);
}

// false: leave the loop.
bool Run::TakeResult(FileResult result, int32_t row, int32_t code, const FileOutcome& outcome) {
  if (result == FileResult::Cancelled) {
    Res.Cancelled = true;
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
  for (int32_t row = 0; row < RowCount; ++row) {
    if (Fe.Pump()) {
      Res.Cancelled = true;
      break;
    }
    if (!ProcessRow(row)) break;
  }
  FinishPending();
  Fe.EndBusy(Res.OkCount + Res.ErrorCount > 0);
  Res.Summary = SummaryText(Res.OkCount, Res.ErrorCount, Res.Cancelled);
  CloseLog();
  Fe.SetStatus(Res.LogWriteError ? Res.Summary + " (error writing to Logfile)" : Res.Summary);
  return Res;
}

}  // namespace

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
