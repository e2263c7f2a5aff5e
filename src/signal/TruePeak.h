// The true peak of interleaved samples: the largest magnitude of the signal between its samples,
// found by oversampling with a polyphase interpolator.
#pragma once

#include <cstdint>
#include <vector>

namespace tacetix {

// Oversamples 4x below 96 kHz and 2x below 192 kHz, as loudness meters do; above that the
// samples are the signal. A stretch of frames whose sample peak times the interpolator's bound
// (the largest sum of one phase's coefficient magnitudes) stays at or below the peak found so
// far cannot raise it and is not oversampled: the result is the one of oversampling everything.
class TruePeakMeter {
 public:
  // everywhere: oversample every stretch (the reference the skipping is measured against).
  TruePeakMeter(int32_t channels, int32_t sampleRate, bool everywhere = false);
  // frames whole frames of interleaved values; the more at once, the more stretches are skipped.
  void Feed(const double* values, int64_t frames);
  // Flushes the interpolator's tail (the signal is taken as silent after the last frame) and
  // gives the linear true peak; Feed must not follow.
  double Finish();
  // Stretches oversampled and in all, for the bench.
  int64_t StretchesOversampled() const { return Oversampled; }
  int64_t StretchesSeen() const { return Seen; }

 private:
  void Stretch(const double* values, int32_t frames);
  double Interpolated(const double* window) const;

  int32_t Ch;
  int32_t Phases;  // oversampling factor; phase 0 is the sample itself
  bool Everywhere;
  std::vector<double> Coeffs;  // Taps values for each of phases 1..Phases-1
  double Bound = 1.0;
  std::vector<std::vector<double>> History;  // per channel: the last Taps - 1 values, then the stretch
  double Peak = 0.0;
  int64_t Oversampled = 0;
  int64_t Seen = 0;
};

}  // namespace tacetix
