// The batch run over a list of files, reporting to a front end (the window or the CLI).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/unit_logging.h"
#include "options/ProcessSettings.h"
#include "run/RunFrontEnd.h"

namespace tacetix {

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
  std::string LogWriteReason;  // the system's reason for that failure; "" when it gave none
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
