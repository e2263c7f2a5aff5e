// Files of a run processed on worker threads ahead of the run's own turn for them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "run/RowJob.h"

namespace tacetix {

// A fixed set of threads, each with its own transfer buffer, taking rows in the order given.
class RowWorkers {
 public:
  // rowCount: the run's rows, each of which may be submitted once.
  RowWorkers(int32_t count, int32_t rowCount, const ProcessSettings& settings);
  ~RowWorkers();  // cancels the files still running and waits for every thread
  RowWorkers(const RowWorkers&) = delete;
  RowWorkers& operator=(const RowWorkers&) = delete;

  void Submit(RowJob job);
  // The row's result once a worker has it, waiting at most `wait`; false meanwhile.
  bool TryTake(int32_t row, RowDone& done, std::chrono::milliseconds wait);
  // Every running file stops at its next block, as a cancelled file of the run does.
  void Cancel() { CancelFlag.store(true); }
  // Some file failed since the start: with stop on error no new row is handed out.
  bool FailureSeen() const { return Failed.load(); }
  // Rows submitted whose result is not yet there.
  int32_t Running() const;
  // How far the row's file is, 0..100: 0 until a worker writes it, 100 once its work is over.
  int32_t PercentOf(int32_t row) const { return Percents[static_cast<size_t>(row)].load(std::memory_order_relaxed); }

 private:
  void WorkerLoop();
  RowDone Settle(RowJob& job, std::unique_ptr<double[]>& buffer);
  RowDone Process(RowJob& job, double* buffer);

  const ProcessSettings& Settings;
  std::atomic<bool> CancelFlag{false};
  std::atomic<bool> Failed{false};
  std::unique_ptr<std::atomic<int32_t>[]> Percents;  // a row each, written by the worker that has it
  mutable std::mutex Lock;
  std::condition_variable JobReady;
  std::condition_variable ResultReady;
  std::deque<RowJob> Jobs;
  std::map<int32_t, RowDone> Results;
  int32_t Unfinished = 0;
  bool Closing = false;
  std::vector<std::thread> Threads;
};

}  // namespace tacetix
