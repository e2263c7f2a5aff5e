// The run over the whole list: statuses, counters, log and summary.
#include "batch/BatchRun.h"

#include <cmath>
#include <memory>
#include <new>
#include <optional>

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
  // false: leave the loop.
  bool ProcessRow(int32_t row);
  void SettlePending(int32_t nextRow);
  void FinishPending();
  void CloseLog();

  const RunRequest& Req;
  const ProcessSettings& S;
  double* Buffer;
  RunFrontEnd& Fe;
  RunResult Res;
  LogStream Log;
  std::optional<Logfile> Record;
  std::unique_ptr<PCMFile> Pending;  // the file of a row that started and did not reach done
  int32_t PendingRow = -1;
  bool PendingRefused = false;  // its row already shows a refusal word
  int32_t LastResult = 0;
  int32_t RowCount = 0;
  float PerFileShare = 0.0f;
};

bool Run::OpenLog() {
  if (!S.LogEnabled) return true;
  if (WriteLogHeader(Log, Req.LogName, Req.Log, Req.Header) != 0) return false;
  Record.emplace();
  Record->separator = Req.Log.SepaField;
  Record->WriteColumnHeader(Log);
  return true;
}

// The previous row's file did not reach done: release it (finishing a partial output).
void Run::SettlePending(int32_t nextRow) {
  if (Pending) {
    Pending.reset();
    ++Res.ErrorCount;
    if (LastResult != 0) Fe.SetRowStatus(PendingRow, "I/O error");
  }
  Pending = std::make_unique<PCMFile>();
  PendingRow = nextRow;
  PendingRefused = false;
  LastResult = 0;
}

bool Run::ProcessRow(int32_t row) {
  const std::string& file = Req.Files[static_cast<size_t>(row)];
  SettlePending(row);
  const long double pct = std::nearbyint(static_cast<long double>(row) / RowCount * 100.0L);
  Fe.SetStatusProgress("Processing \"" + file + "\"", static_cast<int32_t>(pct));
  Fe.SetRowStatus(row, "processing");
  if (Record) {
    Record->Clear();
    Record->peakdb_known = S.Normalize;
    Record->infile = Req.Log.PathInfile ? file : FileNamePart(file);
  }
  const OutputPath out = BuildOutputPath(file, S);
  Fe.SetRowOutput(row, out.Path.empty() ? out.Folder + BackslashIfNeeded(out.Folder) + out.FileName : out.Path);
  if (out.Verdict != PathVerdict::Ok) {
    Fe.SetRowStatus(row, RefusalWord(out.Verdict));
    PendingRefused = true;
    return !S.StopOnError;
  }
  if (Record) Record->outfile = Req.Log.PathOutfile ? out.Path : out.FileName;
  FileContext context{S, *Pending, Buffer, Fe, RowProgress{row, PerFileShare}, Record ? &*Record : nullptr};
  int32_t code = 0;
  FileResult result;
  try {
    result = ProcessFile(context, file, out.Path, code);
  } catch (const std::exception&) {  // e.g. no memory for a transfer buffer: this file fails
    result = FileResult::Failed;
    code = 1;
  }
  if (result == FileResult::Cancelled) {
    Res.Cancelled = true;
    return false;
  }
  if (result == FileResult::Failed) {
    LastResult = code;
    return !S.StopOnError;
  }
  Pending.reset();
  Fe.SetRowStatus(row, "done");
  if (Record) Record->WriteRecord(Log, Req.Log.SepaDeci);
  ++Res.OkCount;
  return true;
}

void Run::FinishPending() {
  if (!Pending) return;
  ++Res.ErrorCount;
  Pending.reset();
  if (PendingRefused) return;
  const char* word = Res.Cancelled ? "cancelled" : LastResult != 0 ? "I/O error" : "Internal error 3";
  Fe.SetRowStatus(PendingRow, word);
}

void Run::CloseLog() {
  if (!Record) return;
  if (!Req.Log.ProcInfOnly) {
    Log.Line("");
    Log.Line(Res.Summary);
  }
  Res.LogWriteError = WriteLogFooter(Log, Req.Log) != 0;
  Record.reset();
}

RunResult Run::Execute() {
  if (!OpenLog()) {
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
