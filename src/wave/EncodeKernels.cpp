// Integer encoders on vectors: one loop per block with no branch per sample. The same loops
// (EncodeLoops.inc) are built for SSE2, the x86-64 baseline, and for AVX2, which the
// processor is asked about at start-up. cvtpd2dq rounds under the default rounding mode,
// to nearest with ties to even, exactly as the scalar encoders do.
#include <cfloat>

#include "wave/CodecKernels.h"
#include "wave/TargetRegion.h"

#if defined(__SSE2__)
#include <immintrin.h>

namespace tacetix {
namespace {

namespace sse2 {

struct Scaling {
  Scaling(double scale, double lo, double hi) : Scale(_mm_set1_pd(scale)), Lo(_mm_set1_pd(lo)), Hi(_mm_set1_pd(hi)) {}
  __m128d Scale, Lo, Hi;
  __m128d Sign = _mm_set1_pd(-0.0), Finite = _mm_set1_pd(DBL_MAX);
};

// NaN and infinities fail the compare of the input's magnitude with the largest finite, so
// the mask clears them to +0.0 before the clamps; a finite input the scale takes past the
// largest finite still saturates.
inline __m128i Round2(__m128d x, const Scaling& s) {
  __m128d v = _mm_mul_pd(x, s.Scale);
  v = _mm_and_pd(v, _mm_cmple_pd(_mm_andnot_pd(s.Sign, x), s.Finite));
  v = _mm_min_pd(_mm_max_pd(v, s.Lo), s.Hi);
  return _mm_cvtpd_epi32(v);
}

inline __m128i Round4(const double* values, const Scaling& s) {
  return _mm_unpacklo_epi64(Round2(_mm_loadu_pd(values), s), Round2(_mm_loadu_pd(values + 2), s));
}

// Without a byte shuffle: each 64-bit half becomes w0 | w1 << 24, then the upper half's
// six bytes move down next to the lower half's.
inline __m128i Pack24(__m128i v) {
  const __m128i w = _mm_srli_epi32(v, 8);
  const __m128i low = _mm_and_si128(w, _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF));
  const __m128i bits24To47 = _mm_set_epi64x(0xFFFFFF000000, 0xFFFFFF000000);
  const __m128i high = _mm_and_si128(_mm_srli_epi64(w, 8), bits24To47);
  const __m128i halves = _mm_or_si128(low, high);
  return _mm_or_si128(_mm_move_epi64(halves), _mm_slli_si128(_mm_srli_si128(halves, 8), 6));
}

#include "wave/EncodeLoops.inc"

}  // namespace sse2

#if defined(TACETIX_TARGET_REGIONS)
TACETIX_BEGIN_AVX2

namespace avx2 {

struct Scaling {
  Scaling(double scale, double lo, double hi)
      : Scale(_mm256_set1_pd(scale)), Lo(_mm256_set1_pd(lo)), Hi(_mm256_set1_pd(hi)) {}
  __m256d Scale, Lo, Hi;
  __m256d Sign = _mm256_set1_pd(-0.0), Finite = _mm256_set1_pd(DBL_MAX);
};

inline __m128i Round4(const double* values, const Scaling& s) {
  const __m256d x = _mm256_loadu_pd(values);
  __m256d v = _mm256_mul_pd(x, s.Scale);
  v = _mm256_and_pd(v, _mm256_cmp_pd(_mm256_andnot_pd(s.Sign, x), s.Finite, _CMP_LE_OQ));
  v = _mm256_min_pd(_mm256_max_pd(v, s.Lo), s.Hi);
  return _mm256_cvtpd_epi32(v);
}

inline __m128i Pack24(__m128i v) {
  const __m128i upperThree = _mm_setr_epi8(1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15, -1, -1, -1, -1);
  return _mm_shuffle_epi8(v, upperThree);
}

#include "wave/EncodeLoops.inc"  // NOLINT(readability-duplicate-include): the same loops, built for AVX2

}  // namespace avx2

TACETIX_END_TARGET
#endif

}  // namespace

void AddEncodeKernels(SimdLevel level, CodecKernels& k) {
  if (level >= SimdLevel::SSE2) {
    k.EncodeUInt8 = sse2::EncodeUInt8;
    k.EncodeInt16 = sse2::EncodeInt16;
    k.EncodeInt24 = sse2::EncodeInt24;
    k.EncodeInt32 = sse2::EncodeInt32;
  }
#if defined(TACETIX_TARGET_REGIONS)
  if (level >= SimdLevel::AVX2) {
    k.EncodeUInt8 = avx2::EncodeUInt8;
    k.EncodeInt16 = avx2::EncodeInt16;
    k.EncodeInt24 = avx2::EncodeInt24;
    k.EncodeInt32 = avx2::EncodeInt32;
  }
#endif
}

}  // namespace tacetix

#else  // no x86 vectors: the scalar loops do everything

namespace tacetix {
void AddEncodeKernels(SimdLevel, CodecKernels&) {}
}  // namespace tacetix

#endif
