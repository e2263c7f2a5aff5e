// Dither and the clip count of integer outputs.
#include "signal/Dither.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "wave/CodecKernels.h"
#include "wave/SampleBlock.h"
#include "wave/TargetRegion.h"

#if defined(TACETIX_TARGET_REGIONS)
#include <immintrin.h>
#endif

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

// Adding 1.5 * 2^52 leaves a double no fraction bits: the rounding to nearest (ties to even)
// the encoders use, without a library call per sample.
constexpr double RoundingShift = 6755399441055744.0;
inline double RoundToInteger(double x) { return (x + RoundingShift) - RoundingShift; }

namespace {

using Steps = OutputQuantizer::Steps;

// A 32-bit value as a double by its bits (2^52 + x, less 2^52).
inline double ExactDouble(uint64_t x) { return std::bit_cast<double>(0x4330000000000000ULL | x) - 0x1.0p52; }

// The noise and the triangular dither's loop, in plain code and again with AVX2 vectors: the
// same operations in the same order, so both give the same bytes.
namespace base {

// Eight xorshift64 generators side by side: the same sequence on every machine, and no wait for
// one draw to finish before the next. The two 32-bit halves of a draw are two uniform values;
// their difference is triangular over +-1 step.
void FillNoise(uint64_t* rng, double* noise, int32_t n) {
  for (int32_t i = 0; i < n; i += OutputQuantizer::NoiseLanes) {
    for (int32_t lane = 0; lane < OutputQuantizer::NoiseLanes; ++lane) {
      uint64_t x = rng[lane];
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      rng[lane] = x;
      noise[i + lane] = (ExactDouble(x >> 32) - ExactDouble(x & 0xFFFFFFFFULL)) * 0x1.0p-32;
    }
  }
}

// Zeros, infinities and NaN stay as they are: the encoder stores the last two as 0, so they
// neither clip nor take full scale. Returns the samples clipped.
uint64_t Triangular(double* v, const double* noise, int32_t n, const Steps& s) {
  uint64_t clipped = 0;
  for (int32_t i = 0; i < n; ++i) {
    const double x = v[i];
    const bool finite = std::fabs(x) <= std::numeric_limits<double>::max();
    const double k = RoundToInteger(x * s.PerUnit + noise[i]);
    clipped += static_cast<uint64_t>(finite && (k < s.Lowest || k > s.Highest));
    const double q = std::min(std::max(k, s.Lowest), s.Highest) * s.PerStep;
    v[i] = x == 0.0 || !finite ? x : q;
  }
  return clipped;
}

}  // namespace base

#if defined(TACETIX_TARGET_REGIONS)
TACETIX_BEGIN_AVX2
namespace avx2 {

// The eight generators are two vectors, stepped side by side.
inline __m256i Step(__m256i r) {
  r = _mm256_xor_si256(r, _mm256_slli_epi64(r, 13));
  r = _mm256_xor_si256(r, _mm256_srli_epi64(r, 7));
  return _mm256_xor_si256(r, _mm256_slli_epi64(r, 17));
}

inline __m256d Triangle(__m256i r) {
  const __m256i exponent = _mm256_set1_epi64x(0x4330000000000000LL);
  const __m256d two52 = _mm256_set1_pd(0x1.0p52);
  const __m256d high = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(_mm256_srli_epi64(r, 32), exponent)), two52);
  const __m256i lowBits = _mm256_and_si256(r, _mm256_set1_epi64x(0xFFFFFFFFLL));
  const __m256d low = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(lowBits, exponent)), two52);
  return _mm256_mul_pd(_mm256_sub_pd(high, low), _mm256_set1_pd(0x1.0p-32));
}

void FillNoise(uint64_t* rng, double* noise, int32_t n) {
  static_assert(OutputQuantizer::NoiseLanes == 8);
  auto* lanes = reinterpret_cast<__m256i*>(rng);
  __m256i first = _mm256_loadu_si256(lanes), second = _mm256_loadu_si256(lanes + 1);
  for (int32_t i = 0; i < n; i += 8) {
    first = Step(first);
    second = Step(second);
    _mm256_storeu_pd(noise + i, Triangle(first));
    _mm256_storeu_pd(noise + i + 4, Triangle(second));
  }
  _mm256_storeu_si256(lanes, first);
  _mm256_storeu_si256(lanes + 1, second);
}

uint64_t Triangular(double* v, const double* noise, int32_t n, const Steps& s) {
  const __m256d perUnit = _mm256_set1_pd(s.PerUnit), perStep = _mm256_set1_pd(s.PerStep);
  const __m256d lowest = _mm256_set1_pd(s.Lowest), highest = _mm256_set1_pd(s.Highest);
  const __m256d shift = _mm256_set1_pd(RoundingShift), sign = _mm256_set1_pd(-0.0);
  const __m256d largest = _mm256_set1_pd(std::numeric_limits<double>::max()), zero = _mm256_setzero_pd();
  uint64_t clipped = 0;
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d x = _mm256_loadu_pd(v + i);
    const __m256d magnitude = _mm256_andnot_pd(sign, x);
    const __m256d finite = _mm256_cmp_pd(magnitude, largest, _CMP_LE_OQ);
    const __m256d t = _mm256_add_pd(_mm256_mul_pd(x, perUnit), _mm256_loadu_pd(noise + i));
    const __m256d k = _mm256_sub_pd(_mm256_add_pd(t, shift), shift);
    const __m256d out = _mm256_or_pd(_mm256_cmp_pd(k, lowest, _CMP_LT_OQ), _mm256_cmp_pd(k, highest, _CMP_GT_OQ));
    clipped +=
        static_cast<uint64_t>(std::popcount(static_cast<unsigned>(_mm256_movemask_pd(_mm256_and_pd(out, finite)))));
    const __m256d q = _mm256_mul_pd(_mm256_min_pd(_mm256_max_pd(k, lowest), highest), perStep);
    const __m256d keep =
        _mm256_or_pd(_mm256_cmp_pd(x, zero, _CMP_EQ_OQ), _mm256_cmp_pd(magnitude, largest, _CMP_NLE_UQ));
    _mm256_storeu_pd(v + i, _mm256_blendv_pd(q, x, keep));
  }
  return clipped + base::Triangular(v + i, noise + i, n - i, s);
}

}  // namespace avx2
TACETIX_END_TARGET
constexpr bool HasAvx2Loops() { return true; }
#else
namespace avx2 = base;
constexpr bool HasAvx2Loops() { return false; }
#endif

}  // namespace

OutputQuantizer::OutputQuantizer(const SampleCoding& to, DitherKind dither, int32_t channels, SimdLevel level)
    : Dither(dither), Ch(std::max(channels, 1)), Avx2(HasAvx2Loops() && level >= SimdLevel::AVX2),
      Errors(static_cast<size_t>(Ch), std::array<double, 5>{}) {
  const int32_t bits = ScaleBits(to);
  const int32_t depth = DepthOf(to);
  const double scale = std::ldexp(1.0, bits - 1) - 1.0, step = std::ldexp(1.0, bits - depth);
  StepsPerUnit = scale / step;
  UnitsPerStep = step / scale;
  Lowest = -std::ldexp(1.0, depth - 1);
  Highest = std::ldexp(1.0, depth - 1) - 1.0;
}

void OutputQuantizer::FillNoise(double* noise, int32_t n) {
  (Avx2 ? avx2::FillNoise : base::FillNoise)(Rng.data(), noise, n);
}

namespace {

// One value through its channel's error feedback: e holds the channel's last errors, the newest
// first. Infinities and NaN are left to the encoder, which stores them as 0.
inline double Shape(double v, double noise, std::array<double, 5>& e, const Steps& s, uint64_t& clipped) {
  if (v == 0.0 || !std::isfinite(v)) {
    e = {};
    return v;
  }
  // Written out, so that a caller's errors stay in registers: the order of the terms is the filter's.
  double target = v * s.PerUnit;
  target -= ShapingFilter[0] * e[0];
  target -= ShapingFilter[1] * e[1];
  target -= ShapingFilter[2] * e[2];
  target -= ShapingFilter[3] * e[3];
  target -= ShapingFilter[4] * e[4];
  double k = RoundToInteger(target + noise);
  if (!(k >= s.Lowest && k <= s.Highest)) [[unlikely]] {
    ++clipped;
    k = k < s.Lowest ? s.Lowest : s.Highest;
  }
  e = {k - target, e[0], e[1], e[2], e[3]};
  return k * s.PerStep;
}

// Each value waits for its channel's previous error: a product and nine sums in a row, none of
// which may be reordered without changing the bytes. The two channels' chains are independent:
// taken a frame at a time, with their errors in registers, one runs while the other waits.
void ShapeStereo(double* v, const double* noise, int32_t n, int32_t channel, std::array<double, 5>* errors,
                 const Steps& s, uint64_t& clipped) {
  std::array<double, 5> left = errors[0], right = errors[1];
  int32_t i = 0;
  if (channel == 1 && n > 0) v[i] = Shape(v[i], noise[i], right, s, clipped), ++i;
  for (; i + 1 < n; i += 2) {
    v[i] = Shape(v[i], noise[i], left, s, clipped);
    v[i + 1] = Shape(v[i + 1], noise[i + 1], right, s, clipped);
  }
  if (i < n) v[i] = Shape(v[i], noise[i], left, s, clipped);
  errors[0] = left;
  errors[1] = right;
}

}  // namespace

// Counting alone leaves the values to the encoder's own rounding; triangular dither keeps no
// state, so only shaped dither follows the channels.
void OutputQuantizer::Apply(double* values, int32_t n, int64_t firstSample) {
  if (Dither == DitherKind::None) {
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
    const Steps steps{StepsPerUnit, UnitsPerStep, Lowest, Highest};
    if (Dither == DitherKind::Triangular) {
      ClipCount += (Avx2 ? avx2::Triangular : base::Triangular)(v, noise, m, steps);
      continue;
    }
    if (Ch == 2) {
      ShapeStereo(v, noise, m, channel, Errors.data(), steps, ClipCount);
      channel = (channel + m) % 2;
      continue;
    }
    for (int32_t i = 0; i < m; ++i) {
      v[i] = Shape(v[i], noise[i], Errors[static_cast<size_t>(channel)], steps, ClipCount);
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
