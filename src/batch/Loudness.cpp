// Loudness measurement over the kept range, and the gain it asks for.
#include "batch/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "wave/LevelTime.h"
#include "wave/SampleBlock.h"

namespace tacetix {
namespace {
// Values measured at once: libebur128 and the true-peak stretches take whole frames, and the
// true peak skips more of a longer run.
constexpr size_t MeasureValues = 131072;

// BS.1770's gates: blocks below -70 LUFS, then blocks 10 LU below the mean of the rest.
const double AbsoluteGate = std::pow(10.0, (-70.0 + 0.691) / 10.0);
constexpr double RelativeGate = 0.1;

// libebur128 takes 1 to 64 channels and 16 Hz to 2822400 Hz, but it designs the K-weighting
// for each rate by the bilinear transform, which holds only while the weighting's shelf
// (1681.97 Hz) lies below Nyquist: up to 3364 Hz the shelf's poles sit on or outside the unit
// circle and the filter diverges (gains of hundreds of dB), and at some rates below 20 Hz its
// 400 ms ring buffer is shorter than a gating block (a heap overflow). Just above 3364 Hz the weighting
// still bends by up to 1.5 dB against the standard's; from 8000 Hz, the lowest rate in common
// use, it stays within 0.6 dB of it across the band, so that is the lowest rate measured.
MeterLimit LimitFor(int32_t channels, int32_t sampleRate) {
  if (sampleRate < MinLoudnessRate || sampleRate > MaxLoudnessRate) return MeterLimit::Rate;
  if (channels < 1 || channels > MaxLoudnessChannels) return MeterLimit::Channels;
  return MeterLimit::None;
}

double EnergyToLufs(double energy) { return 10.0 * std::log10(energy) - 0.691; }
double LufsToEnergy(double lufs) { return std::pow(10.0, (lufs + 0.691) / 10.0); }
}  // namespace

struct LoudnessMeter::Library {
  ebur128_state* S = nullptr;
};

// Without memory for its state the meter stays without one, and every Feed fails. The
// library gates by itself as well: its integrated loudness is the figure of the input, and
// the blocks kept here are for the gains it cannot see.
LoudnessMeter::LoudnessMeter(int32_t channels, int32_t sampleRate)
    : Ch(std::max(channels, 1)), Limit(LimitFor(channels, sampleRate)),
      Step((static_cast<int64_t>(sampleRate) + 5) / 10),  // the library's 100 ms, rounded half up
      WholeSteps(sampleRate % 10 == 0), Peaks(Ch, sampleRate) {
  if (Limit != MeterLimit::None) return;
  ebur128_state* s = ebur128_init(static_cast<unsigned>(Ch), static_cast<unsigned long>(sampleRate), EBUR128_MODE_I);
  if (s) State = std::make_unique<Library>(Library{s});
}

LoudnessMeter::~LoudnessMeter() {
  if (State) ebur128_destroy(&State->S);
}

// Called at every 100 ms step; keeps the block the step completed once there are four. Where
// 100 ms is a whole number of frames the library's 100 ms window is the step, and a block is the
// mean of its four steps: a quarter of the summing the momentary loudness (the block itself)
// costs, which is left to the other rates. -HUGE_VAL, for silence, is an energy of 0.
bool LoudnessMeter::KeepBlock() {
  double lufs = -HUGE_VAL;
  if (WholeSteps) {
    if (ebur128_loudness_window(State->S, 100, &lufs) != EBUR128_SUCCESS) return false;
    LastSteps[static_cast<size_t>(Fed / Step % 4)] = LufsToEnergy(lufs);
  }
  if (Fed < 4 * Step) return true;
  if (!WholeSteps && ebur128_loudness_momentary(State->S, &lufs) != EBUR128_SUCCESS) return false;
  const double energy = WholeSteps ? (LastSteps[0] + LastSteps[1] + LastSteps[2] + LastSteps[3]) / 4.0
                                   : LufsToEnergy(lufs);
  try {
    Blocks.push_back(energy);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Fed up to each 100 ms boundary in turn, so that every gating block the library completes
// is read as it completes.
bool LoudnessMeter::Measure(int64_t frames) {
  const double* values = Pending.data();
  for (int64_t left = frames; left > 0;) {
    const int64_t n = std::min(left, Step - Fed % Step);
    if (ebur128_add_frames_double(State->S, values, static_cast<size_t>(n)) != EBUR128_SUCCESS) return false;
    values += n * Ch;
    left -= n;
    Fed += n;
    if (Fed % Step == 0 && !KeepBlock()) return false;
  }
  Peaks.Feed(Pending.data(), frames);
  Pending.erase(Pending.begin(), Pending.begin() + frames * Ch);
  return true;
}

bool LoudnessMeter::Feed(const uint8_t* bytes, int32_t count, const SampleCoding& coding) {
  if (Limit != MeterLimit::None) return true;
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
  f.Limit = Limit;
  if (!State || !Measure(static_cast<int64_t>(Pending.size()) / Ch)) return f;
  double lufs = -HUGE_VAL;
  f.TruePeak = Peaks.Finish();
  f.Measured = ebur128_loudness_global(State->S, &lufs) == EBUR128_SUCCESS && std::isfinite(lufs);
  f.Lufs = f.Measured ? lufs : 0.0;
  return f;
}

double GatedLoudness(const GatingBlocks& blocks, double gain) {
  const double scale = gain * gain;
  double sum = 0.0;
  size_t kept = 0;
  for (double e : blocks)
    if (e * scale >= AbsoluteGate) {
      sum += e * scale;
      ++kept;
    }
  if (kept == 0) return -HUGE_VAL;
  const double relative = sum / static_cast<double>(kept) * RelativeGate;
  sum = 0.0;
  kept = 0;
  for (double e : blocks)
    if (e * scale >= AbsoluteGate && e * scale >= relative) {
      sum += e * scale;
      ++kept;
    }
  return EnergyToLufs(sum / static_cast<double>(kept));
}

namespace {
// Below this the gated loudness of the gained blocks and the input's plus the gain differ by
// the rounding of their sums alone, not by a block that crossed a gate.
constexpr double SameLoudness = 1e-6;
constexpr int MaxSteps = 32;

// The absolute gate stays at -70 LUFS while a gain moves the blocks against it, so near it
// the input's loudness plus the gain misses. Each step aims at the target from the blocks the
// last gain kept; where those no longer change it is met. A gain on the edge of a block may
// swing between two sets: the nearest gain seen is kept.
double GainToTarget(const GatingBlocks& blocks, double gain, double targetLufs) {
  double best = gain;
  double bestMiss = HUGE_VAL;
  for (int step = 0; step < MaxSteps; ++step) {
    const double lufs = GatedLoudness(blocks, gain);
    if (!std::isfinite(lufs)) break;
    const double miss = std::abs(lufs - targetLufs);
    if (miss < bestMiss) {
      best = gain;
      bestMiss = miss;
    }
    if (miss <= SameLoudness) break;
    gain *= DbToLinear(lufs - targetLufs);
  }
  return best;
}
}  // namespace

double LoudnessGain(LoudnessFigures& figures, const GatingBlocks& blocks, double targetLufs, double ceilingDbtp,
                    bool& limited) {
  limited = false;
  if (!figures.Measured) return 1.0;
  double gain = GainToTarget(blocks, DbToLinear(figures.Lufs - targetLufs), targetLufs);
  const double ceiling = DbToLinear(-ceilingDbtp);
  if (figures.TruePeak * gain > ceiling) {
    limited = true;
    gain = ceiling / figures.TruePeak;
  }
  const double shift = GatedLoudness(blocks, gain) - (figures.Lufs - LinearToDb(gain));
  figures.GateShift = std::abs(shift) > SameLoudness ? shift : 0.0;
  return gain;
}

}  // namespace tacetix
