// The two ways of processing a run's rows: here, in each row's turn, or handed to workers.
#include "run/RowExecutor.h"

#include <algorithm>
#include <system_error>
#include <utility>

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

// Rows handed to workers ahead of their turn; the run's wait for one pumps its front end.
class WorkerExecutor final : public RowExecutor {
 public:
  WorkerExecutor(int32_t jobs, int32_t rowCount, const ProcessSettings& settings, RunFrontEnd& frontEnd, PlaceFn place,
                 JobFn job)
      : Fe(frontEnd), Ahead(jobs, rowCount, settings, std::move(place), std::move(job)) {}

  OutputPath Placement(int32_t row) override { return Ahead.Placement(row); }
  RowDone Take(int32_t row, const OutputPath&, Clock::time_point) override {
    return Ahead.Wait(row, [this] { return Fe.Pump(); });
  }
  void DiscardFrom(int32_t first) override { Ahead.DiscardFrom(first); }

 private:
  RunFrontEnd& Fe;
  RowAhead Ahead;
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
