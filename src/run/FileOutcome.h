// How one file's processing ended and what it decided: the kept range, the gain, the notes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "options/ProcessSettings.h"
#include "signal/Loudness.h"
#include "wave/FailureKind.h"

namespace tacetix {

// NameTaken: the output's name was taken between the run's check and the output's move;
// the output was removed.
enum class FileResult { Done, Failed, Cancelled, NameTaken };

// What a loudness gain had to give way to.
enum class GainNote { None, LimitedByTruePeak, NotMeasured };

// Splitting: one part of the output, in the source's samples, with its own gain.
struct PartOutcome {
  int64_t First = 0;  // first sample, the first of a frame
  int64_t Last = 0;   // last sample, the last of a frame
  double Peak = 0.0;
  double PeakMagnitude = 0.0;
  double Gain = 1.0;
  double PeakDb = 0.0;  // the record's figures of the part
  double AmpDb = 0.0;
  uint64_t Clipped = 0;
};

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
  // Splitting a file that is not silent: its parts in order (at least one); empty otherwise.
  std::vector<PartOutcome> Parts;
  std::vector<std::string> DroppedChunks;  // with metadata kept and an output due: what it lacks
  std::vector<std::string> Notes;          // what the user should know of a file that was read
  std::string Reason;                      // after a failure: why, as a user may read it; "" when unknown
  FailureKind Kind = FailureKind::None;    // what stopped the file: a failure, a cancel, a taken name
};

}  // namespace tacetix
