// The last step before an integer output's encoder: dither when the output holds fewer bits
// than its input, and the count of samples the output's range saturates.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "options/ProcessSettings.h"
#include "signal/Fades.h"
#include "wave/CodecKernels.h"
#include "wave/SampleCodecs.h"

namespace tacetix {

// Whether the write from one coding to the other dithers: an integer output of fewer bits
// than the input, or of any integer depth below a float input.
bool DitherApplies(const SampleCoding& from, const SampleCoding& to);

// Works on the values after the gain and the fades, in output order, and leaves them on the
// output's grid so the encoder stores exactly what was chosen. Triangular dither adds the sum
// of two uniform values of one step each (+-1 step at most); shaped dither feeds the rounding
// error back through Lipshitz's five-tap E-weighted filter, moving the noise towards the top
// of the band where the ear is least sensitive. A value of exactly 0 stays 0 and clears its
// channel's error, so digital silence stays digital silence. The noise is drawn from a fixed
// seed: two runs write the same bytes.
class OutputQuantizer {
 public:
  // dither: None counts only.
  // level: the vector instructions its loops may use (tests compare the levels).
  OutputQuantizer(const SampleCoding& to, DitherKind dither, int32_t channels, SimdLevel level = DetectedSimdLevel());
  // n values, the first of which is output sample firstSample (its channel is firstSample % channels).
  void Apply(double* values, int32_t n, int64_t firstSample);
  uint64_t Clipped() const { return ClipCount; }

  static constexpr int32_t NoiseLanes = 8;
  // The output's depth as the dither's loops see it.
  struct Steps {
    double PerUnit;  // steps of the output's depth in 1.0, as the encoder scales
    double PerStep;  // the value of one step
    double Lowest;   // smallest and largest integer the depth holds, in steps
    double Highest;
  };

 private:
  static constexpr int32_t NoiseBlock = 2048;  // a multiple of NoiseLanes
  void FillNoise(double* noise, int32_t n);

  DitherKind Dither;
  int32_t Ch;
  bool Avx2;
  double StepsPerUnit;  // steps of the output's depth in 1.0, as the encoder scales
  double UnitsPerStep;  // the value of one step
  double Lowest;        // smallest and largest integer the depth holds, in steps
  double Highest;
  std::array<uint64_t, NoiseLanes> Rng = {0x9E3779B97F4A7C15ULL, 0xBF58476D1CE4E5B9ULL, 0x94D049BB133111EBULL,
                                          0x2545F4914F6CDD1DULL, 0xD6E8FEB86659FD93ULL, 0xA0761D6478BD642FULL,
                                          0xE7037ED1A0B428DBULL, 0x8EBC6AF09C88C6E3ULL};
  std::vector<std::array<double, 5>> Errors;  // per channel, the newest first
  uint64_t ClipCount = 0;
};

// RecodeBlock with the fades and then the quantizer applied after the gain; count samples,
// the first of which is output sample firstSample, in output order.
void RecodeQuantized(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                     const long double* gain, const FadePlan& plan, OutputQuantizer& quantizer, int64_t firstSample);

}  // namespace tacetix
