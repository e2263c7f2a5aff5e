// One row's file processed, whichever thread takes it: the job the run starts for the row,
// and how the file ended.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "run/OutputPath.h"
#include "run/ProcessFile.h"

namespace tacetix {

// One row to process: its source, its placed output and its log record so far.
struct RowJob {
  int32_t Row = 0;
  std::string Input;
  std::string Output;
  Logfile Record;
};

// The run's own placement of a row's output, with all its checks and its folder.
using PlaceFn = std::function<OutputPath(int32_t row)>;
// The job of a placed row: its source, output and log record as the run starts them.
using JobFn = std::function<RowJob(int32_t row, const OutputPath& out)>;

// How a row's file ended, short of its output's move: the file object may hold a done output
// under its temporary name or a partial one, which the run moves onto its name (or discards)
// in the row's turn. No file object: the file never started.
struct RowDone {
  FileResult Result = FileResult::Failed;
  FileOutcome Outcome;
  Logfile Record;
  std::unique_ptr<RowFile> File;
  double Seconds = 0.0;
};

// Processes the job's file in a file object of its own with the given transfer buffer
// (BlockValues doubles); its seconds count from start.
RowDone ProcessJob(RowJob& job, const ProcessSettings& settings, double* buffer, FileProgress& progress,
                   RowProgress row, std::chrono::steady_clock::time_point start);

}  // namespace tacetix
