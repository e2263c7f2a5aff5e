// The processing of one file: silence search at both ends, peak, gain, target format, write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/unit_logging.h"
#include "options/ProcessSettings.h"
#include "run/FileOutcome.h"
#include "run/RowFile.h"
#include "signal/Fades.h"
#include "signal/Loudness.h"
#include "signal/SoundRegions.h"
#include "wave/FailureKind.h"
#include "wave/WaveFormat.h"

namespace tacetix {

constexpr int32_t BlockValues = 262144;  // doubles in a file's transfer buffer

// What the processing of one file sees of whoever runs it: a cancel asked for between blocks,
// and the progress of its write. Statuses and the log stay with the run.
class FileProgress {
 public:
  virtual ~FileProgress() = default;
  // true: the file stops here.
  virtual bool Cancelled() = 0;
  // The run's progress (0..100) as the write of this file moves it.
  virtual void Progress(int32_t percent) = 0;
  // How far the write is through this file itself (0..100), for a line that names the file.
  virtual void OwnProgress(int32_t percent) { (void)percent; }
};

// Where one file stands in the run, for the progress bar.
struct RowProgress {
  int32_t RowIndex = 0;
  float PerFileShare = 100.0f;  // 100 / row count, single precision
};

struct FileContext {
  const ProcessSettings& Settings;
  RowFile& File;
  double* Buffer;  // BlockValues doubles
  FileProgress& Progress;
  RowProgress Row;
  Logfile* Record;  // null when the run writes no log
  // With clicks ignored: receives the short sound regions the scans passed over (the preview
  // marks them); null when nobody asks.
  std::vector<FrameSpan>* PassedClicks = nullptr;
};

// Processes one file. Unless it is Done, the outcome's Kind says what stopped it.
// Leaves the output closed, finished and moved onto its name on Done; on Failed or Cancelled
// the caller releases the object, which finishes a partly written output.
FileResult ProcessFile(FileContext& context, const std::string& inputPath, const std::string& outputPath,
                       FileOutcome* outcomeOut = nullptr);

// ProcessFile up to the move: a Done file's output waits finished under its temporary name.
FileResult ProcessFileSealed(FileContext& context, const std::string& inputPath, const std::string& outputPath,
                             FileOutcome* outcomeOut);

// The decisions of ProcessFile without any output: opens the source, scans both ends, pads the
// kept range, scans the peak and decides the gain and whether an output is due, filling the
// record as the run does. Done, or Failed/Cancelled with the outcome's kind and reason.
FileResult PlanFile(FileContext& context, const std::string& inputPath, FileOutcome& outcome);

// The fades the write applies to the kept range of outcome, in frames of the output.
FadePlan OutputFades(const ProcessSettings& settings, const CutFrames& cuts, const FileOutcome& outcome,
                     int64_t totalSamples, int32_t channels);

// Moves a Done file's waiting output onto its name: Done, NameTaken (the output removed) or
// Failed, with the outcome's kind and reason.
FileResult MoveOutput(RowFile& file, const std::string& outputPath, FileOutcome& outcome);

// ProcessFileSealed, with an exception of the file's own (no memory for a transfer buffer)
// made its failure, with the reason.
FileResult ProcessFileCaught(FileContext& context, const std::string& inputPath, const std::string& outputPath,
                             FileOutcome& outcome);

// A file normalised to a loudness: its kept range's figures with the gain applied (before fades).
LoudnessFigures LoudnessAfterGain(const FileOutcome& outcome);

// Which bit depth and format tag a choice gives a file of bits B and tag F, or -1/-1; the
// modes "only up"/"only down" of the 32-bit choices go by whether its samples are floats.
void DecideTarget(const ProcessSettings& settings, int32_t bits, int32_t tag, bool floatSamples, FileOutcome& outcome);

}  // namespace tacetix
