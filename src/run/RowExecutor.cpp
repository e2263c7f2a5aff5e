// The two ways of processing a run's rows: here, in each row's turn, or handed to workers.
#include "run/RowExecutor.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "run/RowAhead.h"

namespace tacetix {
namespace {

// Each file in its own turn, on the run's thread: its pumps and progress are the front end's.
class SingleThreadExecutor final : public RowExecutor {
 public:
  SingleThreadExecutor(int32_t rowCount, const ProcessSettings& settings, RunFrontEnd& frontEnd, PlaceFn place,
                       JobFn job)
      : Settings(settings), Progress(frontEnd),
        PerFileShare(rowCount > 0 ? 100.0f / static_cast<float>(rowCount) : 0.0f), Place(std::move(place)),
        MakeJob(std::move(job)), Buffer(std::make_unique<double[]>(BlockValues)) {}

  OutputPath Placement(int32_t row) override { return Place(row); }
  RowDone Take(int32_t row, const OutputPath& out, Clock::time_point rowStart) override {
    RowJob job = MakeJob(row, out);
    Progress.ForRow(row);
    return ProcessJob(job, Settings, Buffer.get(), Progress, RowProgress{row, PerFileShare}, rowStart);
  }
  void DiscardFrom(int32_t) override {}

 private:
  const ProcessSettings& Settings;
  FrontEndProgress Progress;
  const float PerFileShare;  // 100 / row count, single precision
  PlaceFn Place;
  JobFn MakeJob;
  std::unique_ptr<double[]> Buffer;
};

// Rows handed to workers ahead of their turn; the run's wait for one pumps its front end and
// passes on how far each file in the workers' hands has come.
class WorkerExecutor final : public RowExecutor {
 public:
  WorkerExecutor(int32_t jobs, int32_t rowCount, const ProcessSettings& settings, RunFrontEnd& frontEnd, PlaceFn place,
                 JobFn job)
      : Fe(frontEnd), Ahead(jobs, rowCount, settings, std::move(place), std::move(job)),
        Shown(static_cast<size_t>(rowCount), 0) {}

  OutputPath Placement(int32_t row) override { return Ahead.Placement(row); }
  RowDone Take(int32_t row, const OutputPath&, Clock::time_point) override {
    // The row in turn is shown at once, though a worker may have finished it long ago.
    Shown[static_cast<size_t>(row)] = -1;
    RowDone done = Ahead.Wait(row, [this, row] {
      ShowProgress(row);
      return Fe.Pump();
    });
    ShowProgress(row);
    return done;
  }
  void DiscardFrom(int32_t first) override { Ahead.DiscardFrom(first); }

 private:
  // Only what moved since it was last shown: the wait asks a hundred times a second.
  void ShowProgress(int32_t from) {
    for (int32_t row = from; row <= Ahead.LastSubmitted(); ++row) {
      const int32_t percent = Ahead.PercentOf(row);
      int32_t& shown = Shown[static_cast<size_t>(row)];
      if (percent == shown) continue;
      shown = percent;
      Fe.SetFileProgress(row, percent);
    }
  }

  RunFrontEnd& Fe;
  RowAhead Ahead;
  std::vector<int32_t> Shown;  // each row's percent as the front end last got it
};

}  // namespace

std::unique_ptr<RowExecutor> MakeRowExecutor(int32_t jobs, int32_t rowCount, const ProcessSettings& settings,
                                             RunFrontEnd& frontEnd, PlaceFn place, JobFn job) {
  if (jobs > 1 && rowCount > 1) {
    try {
      return std::make_unique<WorkerExecutor>(std::min(jobs, rowCount), rowCount, settings, frontEnd, place, job);
    } catch (const std::system_error&) {  // no thread could be started
    }
  }
  return std::make_unique<SingleThreadExecutor>(rowCount, settings, frontEnd, std::move(place), std::move(job));
}

}  // namespace tacetix
