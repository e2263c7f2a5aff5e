// How a run's rows get their files processed: one at a time in the run's own turn for each,
// or on worker threads ahead of it. The run asks in list order, settles every row itself and
// moves every output onto its name, so both give the same statuses, records, counts and files.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "options/ProcessSettings.h"
#include "run/OutputPath.h"
#include "run/RowJob.h"
#include "run/RunFrontEnd.h"

namespace tacetix {

class RowExecutor {
 public:
  using Clock = std::chrono::steady_clock;

  virtual ~RowExecutor() = default;
  // The row's turn has come (every earlier row is settled): its placement.
  virtual OutputPath Placement(int32_t row) = 0;
  // The file of a row placed for writing, processed. rowStart: the start of the row's turn,
  // from which the one-thread run counts its seconds (a worker counts from taking the file).
  virtual RowDone Take(int32_t row, const OutputPath& out, Clock::time_point rowStart) = 0;
  // The run ends before the turn of row `first`: the rows placed from it on are left as one
  // job leaves rows it never starts (see RowAhead::DiscardFrom).
  virtual void DiscardFrom(int32_t first) = 0;
};

// The run's front end as a file's progress: its pump asks for the cancel, the write moves its bar.
class FrontEndProgress final : public FileProgress {
 public:
  explicit FrontEndProgress(RunFrontEnd& frontEnd) : Fe(frontEnd) {}
  void ForRow(int32_t row) { Row = row; }
  bool Cancelled() override { return Fe.Pump(); }
  void Progress(int32_t percent) override { Fe.SetProgress(percent); }
  void OwnProgress(int32_t percent) override { Fe.SetFileProgress(Row, percent); }

 private:
  RunFrontEnd& Fe;
  int32_t Row = 0;
};

// Workers with more than one job and more than one row (the one-thread run when no thread
// can be started), else the run's own thread with its transfer buffer.
std::unique_ptr<RowExecutor> MakeRowExecutor(int32_t jobs, int32_t rowCount, const ProcessSettings& settings,
                                             RunFrontEnd& frontEnd, PlaceFn place, JobFn job);

}  // namespace tacetix
