// Dither and the clip count of integer outputs.
#include "batch/Dither.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "wave/SampleBlock.h"

namespace tacetix {
namespace {

// Lipshitz, Vanderkooy and Wannamaker's minimally audible error-feedback filter, designed for
// 44.1 kHz; at other rates its curve moves with the rate.
constexpr std::array<double, 5> ShapingFilter = {2.033, -2.165, 1.959, -1.590, 0.6149};

// The container's scale: 24-bit samples are scaled at 31 bits as the 32-bit ones.
int32_t ScaleBits(const SampleCoding& to) { return to.BytesPerSample == 1 ? 8 : to.BytesPerSample == 2 ? 16 : 32; }

int32_t DepthOf(const SampleCoding& c) {
  const int32_t width = 8 * c.BytesPerSample;
  return c.Bits >= 1 && c.Bits <= width ? c.Bits : width;
}

}  // namespace

bool DitherApplies(const SampleCoding& from, const SampleCoding& to) {
  if (to.IsFloat || to.BytesPerSample < 1 || to.BytesPerSample > 4) return false;
  return from.IsFloat || from.BytesPerSample == 8 || DepthOf(to) < DepthOf(from);
}

OutputQuantizer::OutputQuantizer(const SampleCoding& to, int32_t dither, int32_t channels)
    : Dither(dither), Ch(std::max(channels, 1)), Errors(static_cast<size_t>(Ch), std::array<double, 5>{}) {
  const int32_t bits = ScaleBits(to);
  const int32_t depth = DepthOf(to);
  const double scale = std::ldexp(1.0, bits - 1) - 1.0, step = std::ldexp(1.0, bits - depth);
  StepsPerUnit = scale / step;
  UnitsPerStep = step / scale;
  Lowest = -std::ldexp(1.0, depth - 1);
  Highest = std::ldexp(1.0, depth - 1) - 1.0;
}

// Adding 1.5 * 2^52 leaves a double no fraction bits: the rounding to nearest (ties to even)
// the encoders use, without a library call per sample.
constexpr double RoundingShift = 6755399441055744.0;
inline double RoundToInteger(double x) { return (x + RoundingShift) - RoundingShift; }

// A 32-bit value as a double by its bits (2^52 + x, less 2^52): unlike a conversion
// instruction, this vectorises on every x86-64.
inline double ExactDouble(uint64_t x) { return std::bit_cast<double>(0x4330000000000000ULL | x) - 0x1.0p52; }

// Four xorshift64 generators side by side: the same sequence on every machine, and no wait for
// one draw to finish before the next. The two 32-bit halves of a draw are two uniform values;
// their difference is triangular over +-1 step.
void OutputQuantizer::FillNoise(double* noise, int32_t n) {
  for (int32_t i = 0; i < n; i += NoiseLanes) {
    for (int32_t lane = 0; lane < NoiseLanes; ++lane) {
      uint64_t x = Rng[static_cast<size_t>(lane)];
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      Rng[static_cast<size_t>(lane)] = x;
      noise[i + lane] = (ExactDouble(x >> 32) - ExactDouble(x & 0xFFFFFFFFULL)) * 0x1.0p-32;
    }
  }
}

// k steps, saturated to the depth's range and counted when it had to be.
inline double OutputQuantizer::Saturated(double k) {
  if (k >= Lowest && k <= Highest) [[likely]]
    return k;
  ++ClipCount;
  return k < Lowest ? Lowest : Highest;
}

double OutputQuantizer::Quantize(double v, double noise, int32_t channel) {
  std::array<double, 5>& e = Errors[static_cast<size_t>(channel)];
  // Infinities and NaN are left to the encoder, which stores them as 0.
  if (v == 0.0 || !std::isfinite(v)) {
    e = {};
    return v;
  }
  double target = v * StepsPerUnit;
  for (size_t k = 0; k < e.size(); ++k) target -= ShapingFilter[k] * e[k];
  const double k = Saturated(RoundToInteger(target + noise));
  std::copy_backward(e.begin(), e.end() - 1, e.end());
  e[0] = k - target;
  return k * UnitsPerStep;
}

// Counting alone leaves the values to the encoder's own rounding; triangular dither keeps no
// state, so only shaped dither follows the channels.
void OutputQuantizer::Apply(double* values, int32_t n, int64_t firstSample) {
  if (Dither == NoDither) {
    for (int32_t i = 0; i < n; ++i) {
      const double k = RoundToInteger(values[i] * StepsPerUnit);
      if (std::isfinite(k) && (k < Lowest || k > Highest)) ++ClipCount;
    }
    return;
  }
  double noise[NoiseBlock];
  auto channel = static_cast<int32_t>(firstSample % Ch);
  for (int32_t start = 0; start < n; start += NoiseBlock) {
    const int32_t m = std::min(NoiseBlock, n - start);
    FillNoise(noise, m);
    double* v = values + start;
    if (Dither == TriangularDither) {
      // Without a branch, so that it vectorises. Zeros, infinities and NaN stay as they are: the
      // encoder stores the last two as 0, so they neither clip nor take full scale.
      uint64_t clipped = 0;
      for (int32_t i = 0; i < m; ++i) {
        const double x = v[i];
        const bool finite = std::fabs(x) <= std::numeric_limits<double>::max();
        const double k = RoundToInteger(x * StepsPerUnit + noise[i]);
        clipped += static_cast<uint64_t>(finite & ((k < Lowest) | (k > Highest)));
        const double q = std::min(std::max(k, Lowest), Highest) * UnitsPerStep;
        v[i] = x == 0.0 || !finite ? x : q;
      }
      ClipCount += clipped;
      continue;
    }
    for (int32_t i = 0; i < m; ++i) {
      v[i] = Quantize(v[i], noise[i], channel);
      if (++channel == Ch) channel = 0;
    }
  }
}

namespace {
struct QuantizeContext {
  const FadePlan* Plan;
  OutputQuantizer* Quantizer;
  int64_t FirstSample;
};

void QuantizePiece(double* values, int32_t start, int32_t n, const void* context) {
  const auto& c = *static_cast<const QuantizeContext*>(context);
  if (c.Plan->Touches(c.FirstSample + start, n)) ApplyFades(values, n, *c.Plan, c.FirstSample + start);
  c.Quantizer->Apply(values, n, c.FirstSample + start);
}
}  // namespace

// Dither only narrows, so its pieces go front to back, in output order; counting alone minds no order.
void RecodeQuantized(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                     const long double* gain, const FadePlan& plan, OutputQuantizer& quantizer, int64_t firstSample) {
  const QuantizeContext context{&plan, &quantizer, firstSample};
  RecodeBlockShaped(bytes, count, from, to, gain, QuantizePiece, &context);
}

}  // namespace tacetix
