// Loudness measurement over the kept range, and the gain it asks for.
#include "batch/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

#include "wave/LevelTime.h"
#include "wave/SampleBlock.h"

namespace tacetix {
namespace {
// Values measured at once: libebur128 and the true-peak stretches take whole frames, and the
// true peak skips more of a longer run.
constexpr size_t MeasureValues = 131072;
}  // namespace

struct LoudnessMeter::Library {
  ebur128_state* S = nullptr;
};

// Without memory for its state the meter stays without one, and every Feed fails.
LoudnessMeter::LoudnessMeter(int32_t channels, int32_t sampleRate) : Ch(std::max(channels, 1)), Peaks(Ch, sampleRate) {
  ebur128_state* s =
      ebur128_init(static_cast<unsigned>(Ch), static_cast<unsigned long>(std::max(sampleRate, 1)), EBUR128_MODE_I);
  if (s) State = std::make_unique<Library>(Library{s});
}

LoudnessMeter::~LoudnessMeter() {
  if (State) ebur128_destroy(&State->S);
}

bool LoudnessMeter::Measure(int64_t frames) {
  if (frames < 1) return true;
  const int r = ebur128_add_frames_double(State->S, Pending.data(), static_cast<size_t>(frames));
  Peaks.Feed(Pending.data(), frames);
  Pending.erase(Pending.begin(), Pending.begin() + frames * Ch);
  return r == EBUR128_SUCCESS;
}

bool LoudnessMeter::Feed(const uint8_t* bytes, int32_t count, const SampleCoding& coding) {
  const DecodeFn decode = DecoderFor(coding);
  if (!State || !decode) return false;
  for (int32_t start = 0; start < count; start += PieceSamples) {
    const int32_t n = std::min(PieceSamples, count - start);
    const size_t at = Pending.size();
    Pending.resize(at + static_cast<size_t>(n));
    decode(bytes + static_cast<size_t>(start) * coding.BytesPerSample, Pending.data() + at, n, coding.Bits);
    // A NaN or infinite sample is no sound to the scans either; one would make the whole
    // measure infinite and leave the file without its gain.
    if (coding.IsFloat)
      for (size_t i = at; i < Pending.size(); ++i)
        if (!std::isfinite(Pending[i])) Pending[i] = 0.0;
    if (Pending.size() >= MeasureValues && !Measure(static_cast<int64_t>(Pending.size()) / Ch)) return false;
  }
  return true;
}

LoudnessFigures LoudnessMeter::Finish() {
  LoudnessFigures f;
  if (!State || !Measure(static_cast<int64_t>(Pending.size()) / Ch)) return f;
  double lufs = -HUGE_VAL;
  f.TruePeak = Peaks.Finish();
  f.Measured = ebur128_loudness_global(State->S, &lufs) == EBUR128_SUCCESS && std::isfinite(lufs);
  f.Lufs = f.Measured ? lufs : 0.0;
  return f;
}

double LoudnessGain(const LoudnessFigures& figures, double targetLufs, double ceilingDbtp, bool& limited) {
  limited = false;
  if (!figures.Measured) return 1.0;
  const double gain = DbToLinear(figures.Lufs - targetLufs);
  const double ceiling = DbToLinear(-ceilingDbtp);
  if (figures.TruePeak * gain <= ceiling) return gain;
  limited = true;
  return ceiling / figures.TruePeak;
}

}  // namespace tacetix
