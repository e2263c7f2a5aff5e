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

// The rates and channel counts the meter measures; outside them a file is not measured at all.
constexpr int32_t MinLoudnessRate = 8000;
constexpr int32_t MaxLoudnessRate = 2822400;
constexpr int32_t MaxLoudnessChannels = 64;

// Why a file was not measured although its kept range was fed.
enum class MeterLimit { None, Rate, Channels };

struct LoudnessFigures {
  bool Measured = false;  // false: shorter than one gating block, all below the absolute gate, or a limit
  MeterLimit Limit = MeterLimit::None;
  double Lufs = 0.0;       // integrated loudness
  double TruePeak = 0.0;   // linear
  double GateShift = 0.0;  // LU: what the gates at the chosen gain add to Lufs plus the gain
};

// The energies (K-weighted mean squares) of the 400 ms gating blocks, 100 ms apart.
using GatingBlocks = std::vector<double>;

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
  // The gating blocks measured, after Finish.
  GatingBlocks TakeBlocks() { return std::move(Blocks); }

 private:
  bool Measure(int64_t frames);
  bool KeepBlock();

  int32_t Ch;
  MeterLimit Limit;
  int64_t Step;     // frames in 100 ms, as the library counts them
  bool WholeSteps;  // 100 ms is a whole number of frames
  int64_t Fed = 0;  // frames given to the library
  struct Library;   // libebur128's state, whose type its header alone names
  std::unique_ptr<Library> State;
  TruePeakMeter Peaks;
  std::vector<double> Pending;  // decoded values not yet measured
  GatingBlocks Blocks;
  double LastSteps[4] = {};  // energies of the last four 100 ms steps
};

// The integrated loudness of blocks with a linear gain applied, gated again: -HUGE_VAL when
// every block falls below the absolute gate.
double GatedLoudness(const GatingBlocks& blocks, double gain);

// The gain that brings figures to target LUFS with the true peak at or below ceiling dBTP:
// 1 when unmeasured; limited is set when the ceiling lowered it. The gated loudness of the
// gained blocks is the one aimed at; figures.GateShift says where the gates moved it.
double LoudnessGain(LoudnessFigures& figures, const GatingBlocks& blocks, double targetLufs, double ceilingDbtp,
                    bool& limited);

}  // namespace tacetix
