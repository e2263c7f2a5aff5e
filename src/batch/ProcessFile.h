// The processing of one file: silence search at both ends, peak, gain, target format, write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/Fades.h"
#include "batch/Loudness.h"
#include "batch/ProcessSettings.h"
#include "batch/RowFile.h"
#include "batch/SoundRegions.h"
#include "log/unit_logging.h"
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

// NameTaken: the output's name was taken between the run's check and the output's move;
// the output was removed.
enum class FileResult { Done, Failed, Cancelled, NameTaken };

// What a loudness gain had to give way to.
enum class GainNote { None, LimitedByTruePeak, NotMeasured };

// The working values of one file.
struct FileOutcome {
  int32_t TargetBits = -1;  // -1 = as the input
  TargetSamples TargetFormat = TargetSamples::AsInput;
  bool Changed = false;
  bool StartFound = false;
  bool EndFound = false;
  bool Silent = false;
  int64_t KeepFirst = 0;   // first kept sample, always the first of a frame
  int64_t KeepLast = 0;    // last kept sample, the last of a frame; T while the end is not searched
  int64_t SoundFirst = 0;  // KeepFirst and KeepLast as the scans found them, before Keep padded them
  int64_t SoundLast = 0;
  double Peak = 0.0;
  double PeakMagnitude = 0.0;
  double Gain = 1.0;
  LoudnessFigures Loudness;  // normalising to a loudness: the kept range's, before the gain
  GainNote Note = GainNote::None;
  uint64_t Clipped = 0;  // output samples the gain, the dither or the conversion saturated
  bool OutputDue = false;
  std::vector<std::string> DroppedChunks;  // with metadata kept and an output due: what it lacks
  std::vector<std::string> Notes;          // what the user should know of a file that was read
  std::string Reason;                      // after a failure: why, as a user may read it; "" when unknown
  FailureKind Kind = FailureKind::None;    // what stopped the file: a failure, a cancel, a taken name
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
