// Handing rows to workers ahead of their turn: in list order, never two unsettled rows on
// one output name, none after a stop or a cancel; and undoing those a stop leaves behind.
#include "run/RowAhead.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "run/FileIdentity.h"

namespace tacetix {
namespace {
// How far ahead of the run's turn rows are placed: enough to keep every worker busy behind
// one long file, few enough that a stop leaves little placed for nothing.
constexpr int32_t RowsAheadPerJob = 4;
constexpr std::chrono::milliseconds PumpInterval{10};
}  // namespace

RowAhead::RowAhead(int32_t jobs, int32_t rowCount, const ProcessSettings& settings, PlaceFn place, JobFn job)
    : Jobs(jobs), RowCount(rowCount), StopOnError(settings.StopOnError), Place(std::move(place)),
      MakeJob(std::move(job)), Workers(jobs, rowCount, settings) {}

bool RowAhead::ClaimedEarlier(const std::string& key) const {
  for (auto it = Claimed.lower_bound(Turn); it != Claimed.end(); ++it)
    if (it->second == key) return true;
  return false;
}

bool RowAhead::PlaceNext() {
  OutputPath out = Place(Next);
  if (out.Verdict == PathVerdict::Ok) {
    // Compared once the folder exists, so that two spellings of one folder meet, and without
    // letter case, so that two names of one file on a case-blind disk (FAT, exFAT) meet too:
    // a row that waits for nothing only loses a little time.
    std::string key = ResolvedPath(out.Path);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ClaimedEarlier(key)) return false;
    Claimed.emplace(Next, std::move(key));
    Workers.Submit(MakeJob(Next, out));
    LastJob = Next;
  } else if (StopOnError) {
    Stopped = true;
  }
  Placed.emplace(Next, std::move(out));
  ++Next;
  return true;
}

void RowAhead::HandOut() {
  Claimed.erase(Claimed.begin(), Claimed.lower_bound(Turn));
  while (!Stopped && Next < RowCount && Next - Turn < Jobs * RowsAheadPerJob && Workers.Running() < Jobs) {
    if (StopOnError && Workers.FailureSeen()) {
      Stopped = true;
      break;
    }
    if (!PlaceNext()) break;
  }
}

OutputPath RowAhead::Placement(int32_t row) {
  Turn = row;
  HandOut();
  // Not handed out yet (waiting on a name, or past a stop): placed now, in its own turn.
  if (Next == row) PlaceNext();
  auto it = Placed.find(row);
  OutputPath out = std::move(it->second);
  Placed.erase(it);
  return out;
}

RowDone RowAhead::Wait(int32_t row, const std::function<bool()>& pump) {
  RowDone done;
  while (!Workers.TryTake(row, done, PumpInterval)) {
    if (pump()) {
      Workers.Cancel();
      Stopped = true;
    }
    HandOut();
  }
  return done;
}

void RowAhead::DiscardFrom(int32_t first) {
  Cancel();
  for (int32_t row = first; row <= LastJob; ++row) {
    if (Claimed.count(row) == 0) continue;  // refused ahead: never handed out
    RowDone done = Wait(row, [] { return false; });
    if (done.File) done.File->DiscardOutput();
  }
  // Every file of these rows is gone by now: only a folder holding nothing else is removed.
  for (const auto& [row, out] : Placed) {
    std::error_code ec;
    if (row >= first && out.FolderMade) std::filesystem::remove(out.Folder, ec);
  }
  Placed.clear();
}

}  // namespace tacetix
