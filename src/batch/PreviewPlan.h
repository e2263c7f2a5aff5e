// What the run would do to one file, decided by the run's own steps without writing anything:
// the cut, the kept silence, the fades, the clicks passed over and the gain, and the line that
// says it in numbers.
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

// "cut 0:00.512 at the beginning, 0:01.204 at the end; kept 0:42.118 of 0:43.834 (frames
// 22579..1880054 of 1933079); peak -3.20 dBfs, gain +3.10 dB", or "silent: no output (...)",
// "nothing to cut, no output (...)", or the reason a file could not be read.
std::string PreviewCutText(const PreviewPlan& plan);

// frames at rate as m:ss.mmm (h:mm:ss.mmm from an hour on), rounded to the millisecond.
std::string ClockText(int64_t frames, int64_t rate);

}  // namespace tacetix
