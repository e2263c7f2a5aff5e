// Worker threads of a run: each processes whole files with its own buffer and file object.
#include "run/RowWorkers.h"

#include <new>
#include <system_error>

namespace tacetix {
namespace {

// What a worker's file sees of the run: the cancel, and its own progress for the run to pass
// on. Statuses and the log are the run's, given in list order when each row's turn comes.
class WorkerProgress : public FileProgress {
 public:
  WorkerProgress(const std::atomic<bool>& cancel, std::atomic<int32_t>& percent) : Cancel(cancel), Percent(percent) {}
  bool Cancelled() override { return Cancel.load(std::memory_order_relaxed); }
  void Progress(int32_t) override {}
  void OwnProgress(int32_t percent) override { Percent.store(percent, std::memory_order_relaxed); }

 private:
  const std::atomic<bool>& Cancel;
  std::atomic<int32_t>& Percent;
};

}  // namespace

// Fewer threads than asked for (a limit on threads) still serve every row; none at all is
// the caller's to handle, with nothing left running.
RowWorkers::RowWorkers(int32_t count, int32_t rowCount, const ProcessSettings& settings)
    : Settings(settings), Percents(std::make_unique<std::atomic<int32_t>[]>(static_cast<size_t>(rowCount))) {
  try {
    for (int32_t i = 0; i < count; ++i) Threads.emplace_back([this] { WorkerLoop(); });
  } catch (const std::system_error&) {
    if (Threads.empty()) throw;
  }
}

RowWorkers::~RowWorkers() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Closing = true;
    Jobs.clear();
  }
  CancelFlag.store(true);
  JobReady.notify_all();
  for (std::thread& t : Threads) t.join();
}

void RowWorkers::Submit(RowJob job) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Jobs.push_back(std::move(job));
    ++Unfinished;
  }
  JobReady.notify_one();
}

bool RowWorkers::TryTake(int32_t row, RowDone& done, std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> guard(Lock);
  ResultReady.wait_for(guard, wait, [&] { return Results.count(row) != 0; });
  auto it = Results.find(row);
  if (it == Results.end()) return false;
  done = std::move(it->second);
  Results.erase(it);
  return true;
}

int32_t RowWorkers::Running() const {
  std::lock_guard<std::mutex> guard(Lock);
  return Unfinished;
}

void RowWorkers::WorkerLoop() {
  // Allocated on the worker's first file, so idle workers of a short list cost nothing.
  std::unique_ptr<double[]> buffer;
  for (;;) {
    RowJob job;
    {
      std::unique_lock<std::mutex> guard(Lock);
      JobReady.wait(guard, [&] { return Closing || !Jobs.empty(); });
      if (Closing) return;
      job = std::move(Jobs.front());
      Jobs.pop_front();
    }
    RowDone done = Settle(job, buffer);
    // A taken name is found at the move, in the row's turn: here only a failed file counts.
    if (done.Result == FileResult::Failed) Failed.store(true);
    Percents[static_cast<size_t>(job.Row)].store(100, std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> guard(Lock);
      Results.emplace(job.Row, std::move(done));
      --Unfinished;
    }
    ResultReady.notify_all();
  }
}

// A row's result whatever happens: a row taken after a cancel is not started at all, and one
// without memory for its buffer fails; both keep their record as the run started it.
RowDone RowWorkers::Settle(RowJob& job, std::unique_ptr<double[]>& buffer) {
  RowDone done;
  done.Record = job.Record;
  if (CancelFlag.load()) {
    done.Result = FileResult::Cancelled;
    done.Outcome.Kind = FailureKind::Cancelled;
    return done;
  }
  try {
    if (!buffer) buffer = std::make_unique<double[]>(BlockValues);
    done = Process(job, buffer.get());
    // Its turn may be far off: the source need not stay open till then.
    done.File->CloseInput();
  } catch (const std::bad_alloc&) {
    done.Result = FileResult::Failed;
    done.Outcome.Kind = FailureKind::NoMemory;
    done.Outcome.Reason = FailureText(FailureKind::NoMemory);
  }
  return done;
}

RowDone RowWorkers::Process(RowJob& job, double* buffer) {
  WorkerProgress progress(CancelFlag, Percents[static_cast<size_t>(job.Row)]);
  return ProcessJob(job, Settings, buffer, progress, RowProgress{job.Row, 0.0f}, std::chrono::steady_clock::now());
}

}  // namespace tacetix
