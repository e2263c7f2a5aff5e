// What a run tells its front end (the window or the CLI) as it goes, and how each started row ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/unit_logging.h"
#include "run/RowStatus.h"
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
  // Split into parts, done: each part's record, in order (its outfile the part's name).
  std::vector<Logfile> Parts;
  // Split into parts, cancelled: the parts kept under their names, the last maybe cut short.
  std::vector<std::string> KeptParts;
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
  // A file's own progress (0..100) as its write moves: the row in turn's, or that of a row a
  // worker took ahead of its turn (reaching 100 when its work is over). The run's thread only.
  virtual void SetFileProgress(int32_t row, int32_t percent) { (void)row, (void)percent; }
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

}  // namespace tacetix
