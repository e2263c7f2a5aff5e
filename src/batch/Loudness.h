// The loudness of a file's kept range: integrated loudness with gating (ITU-R BS.1770-4, EBU
// R128) measured by libebur128, the true peak and the sample peak, fed block by block from
// the scan the run makes anyway.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "batch/TruePeak.h"
#include "wave/SampleCodecs.h"

namespace tacetix {

struct LoudnessFigures {
  bool Measured = false;  // false: shorter than one gating block, or all below the absolute gate
  double Lufs = 0.0;      // integrated loudness
  double TruePeak = 0.0;  // linear
};

class LoudnessMeter {
 public:
  LoudnessMeter(int32_t channels, int32_t sampleRate);
  ~LoudnessMeter();
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;
  // count stored samples of the block, in file order; a part frame waits for the next block.
  // false: no memory for the measurement.
  bool Feed(const uint8_t* bytes, int32_t count, const SampleCoding& coding);
  LoudnessFigures Finish();

 private:
  bool Measure(int64_t frames);

  int32_t Ch;
  struct Library;  // libebur128's state, whose type its header alone names
  std::unique_ptr<Library> State;
  TruePeakMeter Peaks;
  std::vector<double> Pending;  // decoded values not yet measured
};

// The gain that brings figures to target LUFS with the true peak at or below ceiling dBTP:
// 1 when unmeasured; limited is set when the ceiling lowered it.
double LoudnessGain(const LoudnessFigures& figures, double targetLufs, double ceilingDbtp, bool& limited);

}  // namespace tacetix
