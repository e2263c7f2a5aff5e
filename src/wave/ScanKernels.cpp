// Vector kernels of the read side: the 24-bit decoder with byte shuffles, a 16-bit decoder
// for AVX2, the value range of raw integer samples, and the largest magnitude of decoded
// values. SSE2 is the x86-64 baseline; SSSE3 and AVX2 are used where the processor
// has them. The scalar versions serve other targets and the tails.
#include "wave/CodecKernels.h"
#include "wave/TargetRegion.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "wave/ByteOrder.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tacetix {
namespace {

IntRange RangeUInt8Scalar(const uint8_t* bytes, int32_t count) {
  IntRange r{255, 0};
  for (int32_t i = 0; i < count; ++i) r = {std::min<int32_t>(r.Min, bytes[i]), std::max<int32_t>(r.Max, bytes[i])};
  return r;
}

IntRange RangeInt16Scalar(const uint8_t* bytes, int32_t count) {
  IntRange r{32767, -32768};
  for (int32_t i = 0; i < count; ++i) {
    const int32_t v = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8));
    r = {std::min(r.Min, v), std::max(r.Max, v)};
  }
  return r;
}

IntRange RangeInt24Scalar(const uint8_t* bytes, int32_t count) {
  IntRange r{INT32_MAX, INT32_MIN};
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* p = bytes + 3 * i;
    const int32_t v = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) >> 8;
    r = {std::min(r.Min, v), std::max(r.Max, v)};
  }
  return r;
}

IntRange RangeInt32Scalar(const uint8_t* bytes, int32_t count) {
  IntRange r{INT32_MAX, INT32_MIN};
  for (int32_t i = 0; i < count; ++i) {
    const auto v = static_cast<int32_t>(Load32(bytes + 4 * i));
    r = {std::min(r.Min, v), std::max(r.Max, v)};
  }
  return r;
}

double MaxMagnitudeScalar(const double* values, int32_t count) {
  double m = 0.0;
  for (int32_t i = 0; i < count; ++i) {
    const double a = values[i] < 0 ? -values[i] : values[i];
    m = a > m && a <= DBL_MAX ? a : m;  // NaN compares false, infinity is past the largest finite
  }
  return m;
}

IntRange Merge(IntRange a, IntRange b) { return {std::min(a.Min, b.Min), std::max(a.Max, b.Max)}; }

#if defined(__SSE2__)

// The lanes (of type T) of a min and a max register, folded into the range of the tail.
template <typename T, typename V>
IntRange FoldLanes(const V& lo, const V& hi, IntRange tail) {
  constexpr size_t Lanes = sizeof(V) / sizeof(T);
  T mins[Lanes], maxs[Lanes];
  std::memcpy(mins, &lo, sizeof lo);
  std::memcpy(maxs, &hi, sizeof hi);
  for (size_t k = 0; k < Lanes; ++k) tail = Merge(tail, IntRange{mins[k], maxs[k]});
  return tail;
}

IntRange RangeUInt8Sse2(const uint8_t* bytes, int32_t count) {
  __m128i lo = _mm_set1_epi8(-1), hi = _mm_setzero_si128();
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    lo = _mm_min_epu8(lo, v);
    hi = _mm_max_epu8(hi, v);
  }
  return FoldLanes<uint8_t>(lo, hi, RangeUInt8Scalar(bytes + i, count - i));
}

IntRange RangeInt16Sse2(const uint8_t* bytes, int32_t count) {
  __m128i lo = _mm_set1_epi16(32767), hi = _mm_set1_epi16(-32768);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * i));
    lo = _mm_min_epi16(lo, v);
    hi = _mm_max_epi16(hi, v);
  }
  return FoldLanes<int16_t>(lo, hi, RangeInt16Scalar(bytes + 2 * i, count - i));
}

// maxpd hands back its second operand when either is NaN, so the running maximum stays.
// A magnitude past the largest finite (infinity) or unordered (NaN) fails the compare and
// is masked to 0, which never wins.
double MaxMagnitudeSse2(const double* values, int32_t count) {
  const __m128d sign = _mm_set1_pd(-0.0), finite = _mm_set1_pd(DBL_MAX);
  __m128d m = _mm_setzero_pd();
  int32_t i = 0;
  for (; i + 2 <= count; i += 2) {
    const __m128d a = _mm_andnot_pd(sign, _mm_loadu_pd(values + i));
    m = _mm_max_pd(_mm_and_pd(a, _mm_cmple_pd(a, finite)), m);
  }
  double lanes[2];
  _mm_storeu_pd(lanes, m);
  return std::max({lanes[0], lanes[1], MaxMagnitudeScalar(values + i, count - i)});
}

#if defined(TACETIX_TARGET_REGIONS)
TACETIX_BEGIN_SSSE3

// Four 3-byte samples, each moved to the upper bytes of an int32 (its low byte zero).
inline __m128i Widen24(const uint8_t* p) {
  const __m128i toUpper = _mm_setr_epi8(-1, 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), toUpper);
}

// A 16-byte load covers four samples and four bytes more: the loops stop two samples early.
int32_t DecodeInt24Ssse3(const uint8_t* bytes, double* values, int32_t count) {
  const __m128d scale = _mm_set1_pd(Recip32);
  int32_t i = 0;
  for (; i + 6 <= count; i += 4) {
    const __m128i w = Widen24(bytes + 3 * i);
    _mm_storeu_pd(values + i, _mm_mul_pd(_mm_cvtepi32_pd(w), scale));
    _mm_storeu_pd(values + i + 2, _mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(w, 8)), scale));
  }
  return i;
}

TACETIX_END_TARGET
TACETIX_BEGIN_AVX2

int32_t DecodeInt24Avx2(const uint8_t* bytes, double* values, int32_t count) {
  const __m256d scale = _mm256_set1_pd(Recip32);
  int32_t i = 0;
  for (; i + 10 <= count; i += 8) {
    const __m256d a = _mm256_cvtepi32_pd(Widen24(bytes + 3 * i));
    const __m256d b = _mm256_cvtepi32_pd(Widen24(bytes + 3 * i + 12));
    _mm256_storeu_pd(values + i, _mm256_mul_pd(a, scale));
    _mm256_storeu_pd(values + i + 4, _mm256_mul_pd(b, scale));
  }
  return i;
}

int32_t DecodeInt16Avx2(const uint8_t* bytes, double* values, int32_t count) {
  const __m256d scale = _mm256_set1_pd(Recip16);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i w = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * i)));
    _mm256_storeu_pd(values + i, _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(w)), scale));
    _mm256_storeu_pd(values + i + 4, _mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(w, 1)), scale));
  }
  return i;
}

IntRange RangeUInt8Avx2(const uint8_t* bytes, int32_t count) {
  __m256i lo = _mm256_set1_epi8(-1), hi = _mm256_setzero_si256();
  int32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
    lo = _mm256_min_epu8(lo, v);
    hi = _mm256_max_epu8(hi, v);
  }
  return FoldLanes<uint8_t>(lo, hi, RangeUInt8Scalar(bytes + i, count - i));
}

IntRange RangeInt16Avx2(const uint8_t* bytes, int32_t count) {
  __m256i lo = _mm256_set1_epi16(32767), hi = _mm256_set1_epi16(-32768);
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 2 * i));
    lo = _mm256_min_epi16(lo, v);
    hi = _mm256_max_epi16(hi, v);
  }
  return FoldLanes<int16_t>(lo, hi, RangeInt16Scalar(bytes + 2 * i, count - i));
}

IntRange RangeInt24Avx2(const uint8_t* bytes, int32_t count) {
  __m256i lo = _mm256_set1_epi32(INT32_MAX), hi = _mm256_set1_epi32(INT32_MIN);
  int32_t i = 0;
  for (; i + 10 <= count; i += 8) {
    const __m256i wide = _mm256_set_m128i(Widen24(bytes + 3 * i + 12), Widen24(bytes + 3 * i));
    const __m256i v = _mm256_srai_epi32(wide, 8);
    lo = _mm256_min_epi32(lo, v);
    hi = _mm256_max_epi32(hi, v);
  }
  return FoldLanes<int32_t>(lo, hi, RangeInt24Scalar(bytes + 3 * i, count - i));
}

IntRange RangeInt32Avx2(const uint8_t* bytes, int32_t count) {
  __m256i lo = _mm256_set1_epi32(INT32_MAX), hi = _mm256_set1_epi32(INT32_MIN);
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 4 * i));
    lo = _mm256_min_epi32(lo, v);
    hi = _mm256_max_epi32(hi, v);
  }
  return FoldLanes<int32_t>(lo, hi, RangeInt32Scalar(bytes + 4 * i, count - i));
}

double MaxMagnitudeAvx2(const double* values, int32_t count) {
  const __m256d sign = _mm256_set1_pd(-0.0), finite = _mm256_set1_pd(DBL_MAX);
  __m256d m = _mm256_setzero_pd();
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m256d a = _mm256_andnot_pd(sign, _mm256_loadu_pd(values + i));
    m = _mm256_max_pd(_mm256_and_pd(a, _mm256_cmp_pd(a, finite, _CMP_LE_OQ)), m);
  }
  double lanes[4];
  _mm256_storeu_pd(lanes, m);
  return std::max({lanes[0], lanes[1], lanes[2], lanes[3], MaxMagnitudeScalar(values + i, count - i)});
}

TACETIX_END_TARGET
#endif

#endif  // __SSE2__

}  // namespace

void AddScanKernels(SimdLevel level, CodecKernels& k) {
  k.RangeUInt8 = RangeUInt8Scalar;
  k.RangeInt16 = RangeInt16Scalar;
  k.RangeInt24 = RangeInt24Scalar;
  k.RangeInt32 = RangeInt32Scalar;
  k.MaxMagnitude = MaxMagnitudeScalar;
#if defined(__SSE2__)
  if (level >= SimdLevel::SSE2) {
    k.RangeUInt8 = RangeUInt8Sse2;
    k.RangeInt16 = RangeInt16Sse2;
    k.MaxMagnitude = MaxMagnitudeSse2;
  }
#endif
#if defined(TACETIX_TARGET_REGIONS)
  if (level >= SimdLevel::SSSE3) k.DecodeInt24 = DecodeInt24Ssse3;
  if (level >= SimdLevel::AVX2) {
    k.DecodeInt16 = DecodeInt16Avx2;
    k.DecodeInt24 = DecodeInt24Avx2;
    k.RangeUInt8 = RangeUInt8Avx2;
    k.RangeInt16 = RangeInt16Avx2;
    k.RangeInt24 = RangeInt24Avx2;
    k.RangeInt32 = RangeInt32Avx2;
    k.MaxMagnitude = MaxMagnitudeAvx2;
  }
#endif
}

}  // namespace tacetix
