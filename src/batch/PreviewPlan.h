// What the run would do to one file, decided by the run's own steps without writing anything:
// the cut, the kept silence, the fades, the clicks passed over and the gain (RowText words it).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/ProcessFile.h"

namespace tacetix {

struct PreviewPlan {
  FileResult Result = FileResult::Failed;  // Done, or what stopped the scans
  FileOutcome Outcome;                     // the kept range in samples, the gain; Kind and Reason on failure
  Logfile Figures;                         // the record the log and -v would show
  WaveInfo Info{};
  CutFrames Cuts;
  FadePlan Fades;                       // over the kept range, in its frames
  std::vector<FrameSpan> PassedClicks;  // sound the click filter did not count, in file frames
  ProcessSettings Settings;             // what the plan was made for (thresholds, ends, normalising)
  int64_t Frames() const { return Info.Channels > 0 ? Info.SampleCount / Info.Channels : 0; }
};

// Opens path and decides as ProcessFile does; cancelled is asked between blocks.
PreviewPlan PlanPreview(const std::string& path, const ProcessSettings& settings,
                        const std::function<bool()>& cancelled = {});

}  // namespace tacetix
