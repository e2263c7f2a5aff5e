// The batch run over a list of files, reporting to a front end (the window or the CLI).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/ProcessSettings.h"
#include "batch/RowStatus.h"
#include "log/unit_logging.h"
#include "wave/FailureKind.h"

namespace tacetix {

// How a started file ended: what its status alone cannot tell a front end.
struct RowResult {
  RowStatus Status = RowStatus::NotStarted;  // the row's final status
  FailureKind Kind = FailureKind::None;      // what stopped the file; None when it is done
  std::string Reason;                        // what the system said, or why the file was refused; "" when nothing
  std::string OutputPath;                    // the output worked out for the file; "" when none could be
  bool OutputMade = false;                   // done with an output written (simulating: one that would be)
  bool Silent = false;                       // done without output: no sample above the thresholds
  bool FiguresKnown = false;                 // done: Figures holds the file's record, as the log has it
  Logfile Figures;
  double Seconds = 0.0;                    // from the row's start to the end of its work
  std::vector<std::string> DroppedChunks;  // with metadata kept: the source's chunks its output lacks
  std::string PartialOutput;               // cancelled: the output cut short, kept under its name; "" when none
  // Temporary files that killed processes of this machine left in the output's folder, removed
  // in this row's turn (the first that wrote into that folder).
  std::vector<std::string> RemovedTemporaries;
  // Normalising to a loudness, done: the kept range's figures with the gain applied (before fades).
  bool LoudnessKnown = false;
  double LoudnessLufs = 0.0;
  double TruePeakDbtp = 0.0;
  uint64_t Clipped = 0;            // output samples the gain, the dither or the conversion saturated
  std::vector<std::string> Notes;  // done: what the user should know of how it was read
};

// What a run needs from its front end. Everything is called on the run's own thread.
class RunFrontEnd {
 public:
  virtual ~RunFrontEnd() = default;
  // The Status cell of a row.
  virtual void SetRowStatus(int32_t row, RowStatus status) = 0;
  // Status text with the progress bar back at 0, painted at once.
  virtual void SetStatus(const std::string& text) = 0;
  // Status text and progress percent (0..100), painted at the next pump.
  virtual void SetStatusProgress(const std::string& text, int32_t percent) = 0;
  virtual void SetProgress(int32_t percent) = 0;
  // The current file's own progress (0..100) as its write moves; the run's thread only.
  virtual void SetFileProgress(int32_t percent) { (void)percent; }
  // Lets the front end handle its events once; true when a cancel has been requested.
  virtual bool Pump() = 0;
  // The output path worked out for a row (also when the row is then refused).
  virtual void SetRowOutput(int32_t row, const std::string& path) { (void)row, (void)path; }
  // Right after the final word of a row that started: the details of how it ended.
  virtual void SetRowResult(int32_t row, const RowResult& result) { (void)row, (void)result; }
  // The run becomes busy (clears any earlier cancel) / idle again. rowsTouched: some file started.
  virtual void BeginBusy() {}
  virtual void EndBusy(bool rowsTouched) { (void)rowsTouched; }
};

struct RunRequest {
  std::vector<std::string> Files;  // full paths, in display order
  ProcessSettings Settings;
  LogSettings Log;
  std::string LogName;
  LogHeaderSnapshot Header;
  // Files processed at once on worker threads; 1 is the one-thread run of the window.
  // Statuses, records and the summary come in list order whatever the count.
  int32_t Jobs = 1;
};

struct RunResult {
  bool Started = false;  // false: the log could not be opened, nothing happened
  int32_t OkCount = 0;
  int32_t ErrorCount = 0;
  bool Cancelled = false;
  bool LogWriteError = false;  // a write to the log failed after it was opened
  std::string LogRefusal;      // why the log was refused before it was opened ("" if it was not)
  std::string LogOpenReason;   // the system's reason when the log could not be created
  std::string Summary;         // the final status text
};

// Runs the whole batch.
RunResult RunBatch(const RunRequest& request, RunFrontEnd& frontEnd);

// Why a file written beside the outputs (the log, a report) would cost the user a file: it is
// a listed source, an output this run will write, or an audio file of any kind. "" when it is none of these;
// `what` names it in the text ("log" gives "the log file is one of the input files: NAME").
std::string SideFileConflict(const RunRequest& request, const std::string& name, const std::string& what);

// "3 files processed ok, 1 with errors", with "Processing cancelled, " in front when cancelled.
std::string SummaryText(int32_t okCount, int32_t errorCount, bool cancelled);

}  // namespace tacetix
