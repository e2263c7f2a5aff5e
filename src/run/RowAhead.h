// Rows placed and handed to worker threads ahead of the run's turn for them, so that the
// run itself still gives every status, record and count in list order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "run/OutputPath.h"
#include "run/RowWorkers.h"

namespace tacetix {

class RowAhead {
 public:
  RowAhead(int32_t jobs, int32_t rowCount, const ProcessSettings& settings, PlaceFn place, JobFn job);

  // The row's turn has come (every earlier row is settled): its placement.
  OutputPath Placement(int32_t row);
  // The result of a row placed for writing; pump is the front end's, asked between waits.
  RowDone Wait(int32_t row, const std::function<bool()>& pump);
  // Every running file stops at its next block and no row is handed out any more.
  void Cancel() {
    Stopped = true;
    Workers.Cancel();
  }
  // The last row handed to a worker, -1 when none.
  int32_t LastSubmitted() const { return LastJob; }
  // How far a worker is through the row's file, 0..100 (100 once its work is over).
  int32_t PercentOf(int32_t row) const { return Workers.PercentOf(row); }
  // The run ends before the turn of row `first`: every running file stops at its next block,
  // each row handed out from first on is waited for and its output removed, and a folder that
  // placing such a row made goes again once empty. Nothing is left of them on disk.
  void DiscardFrom(int32_t first);

 private:
  void HandOut();
  // Places row Next; false when an unsettled earlier row writes the same name, so it waits.
  bool PlaceNext();
  bool ClaimedEarlier(const std::string& key) const;

  const int32_t Jobs;
  const int32_t RowCount;
  const bool StopOnError;
  PlaceFn Place;
  JobFn MakeJob;
  RowWorkers Workers;
  std::map<int32_t, OutputPath> Placed;
  std::map<int32_t, std::string> Claimed;  // rows handed out -> their resolved output name
  int32_t Turn = 0;
  int32_t Next = 0;
  int32_t LastJob = -1;
  bool Stopped = false;
};

}  // namespace tacetix
