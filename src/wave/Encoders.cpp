// Sample encoders: doubles to the bytes of a WAV data chunk. Integer containers and 32-bit
// floats saturate.
#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>

#include "wave/ByteOrder.h"
#include "wave/CodecKernels.h"
#include "wave/SampleCodecs.h"

namespace tacetix {
namespace {

// Adding 1.5 * 2^52 leaves a double no fraction bits, so the FPU's default rounding
// (ties to even) does what lrint would, without a library call per sample; the calls to
// lrint, fmin and fmax made the integer encoders an order of magnitude slower than the decoders.
// The trick needs doubles evaluated at double precision, not in x87 extended registers.
static_assert(FLT_EVAL_METHOD == 0, "RoundSaturated needs strict double arithmetic");
constexpr double RoundingShift = 6755399441055744.0;

// Scaled value to the nearest integer (ties to even), saturated to [lo, hi]; NaN and the
// infinities give 0: no level can be read from them. Clamping before rounding keeps the sum
// inside the range where the trick is exact.
inline int64_t RoundSaturated(double x, double scale, double lo, double hi) {
  double s = (x < 0 ? -x : x) <= DBL_MAX ? x * scale : 0.0;
  s = s < lo ? lo : s;
  s = s > hi ? hi : s;
  return static_cast<int64_t>((s + RoundingShift) - RoundingShift);
}

// 8-bit samples are unsigned with 128 as zero; the depth is always the full byte.
void ScalarUInt8(uint8_t* bytes, const double* values, int32_t count, int32_t) {
  for (int32_t i = 0; i < count; ++i)
    bytes[i] = static_cast<uint8_t>(RoundSaturated(values[i], 127.0, -128.0, 127.0) + 128);
}

void ScalarInt16(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  const uint32_t mask = HighBitsMask(bits, 16);
  for (int32_t i = 0; i < count; ++i) {
    uint32_t v = static_cast<uint32_t>(RoundSaturated(values[i], 32767.0, -32768.0, 32767.0)) & mask;
    bytes[2 * i] = static_cast<uint8_t>(v);
    bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
}

// Scaled at 31 bits like the 32-bit codec; the low byte is dropped, not rounded.
void ScalarInt24(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  const uint32_t mask = HighBitsMask(bits, 24) << 8;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t v = static_cast<uint32_t>(RoundSaturated(values[i], 2147483647.0, -2147483648.0, 2147483647.0)) & mask;
    uint8_t* p = bytes + 3 * i;
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 24);
  }
}

void ScalarInt32(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  const uint32_t mask = HighBitsMask(bits, 32);
  for (int32_t i = 0; i < count; ++i) {
    uint32_t v = static_cast<uint32_t>(RoundSaturated(values[i], 2147483647.0, -2147483648.0, 2147483647.0));
    Store32(bytes + 4 * i, v & mask);
  }
}

using ScalarEncoder = void (*)(uint8_t*, const double*, int32_t, int32_t);

// The vector kernel takes what it can of the block; the scalar loop finishes it.
void Encode(BulkEncoder bulk, ScalarEncoder scalar, int32_t width, uint8_t* bytes, const double* values, int32_t count,
            int32_t bits) {
  const int32_t done = bulk ? bulk(bytes, values, count, bits) : 0;
  scalar(bytes + static_cast<size_t>(width) * done, values + done, count - done, bits);
}

}  // namespace

void EncodeIntWith(const CodecKernels& k, int32_t bytesPerSample, uint8_t* bytes, const double* values, int32_t count,
                   int32_t bits) {
  if (!bytes || count < 1) return;
  switch (bytesPerSample) {
    case 1: return Encode(k.EncodeUInt8, ScalarUInt8, 1, bytes, values, count, bits);
    case 2: return Encode(k.EncodeInt16, ScalarInt16, 2, bytes, values, count, bits);
    case 3: return Encode(k.EncodeInt24, ScalarInt24, 3, bytes, values, count, bits);
    case 4: return Encode(k.EncodeInt32, ScalarInt32, 4, bytes, values, count, bits);
    default: return;
  }
}

void EncodeUInt8(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  EncodeIntWith(ActiveKernels(), 1, bytes, values, count, bits);
}

void EncodeInt16(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  EncodeIntWith(ActiveKernels(), 2, bytes, values, count, bits);
}

void EncodeInt24(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  EncodeIntWith(ActiveKernels(), 3, bytes, values, count, bits);
}

void EncodeInt32(uint8_t* bytes, const double* values, int32_t count, int32_t bits) {
  EncodeIntWith(ActiveKernels(), 4, bytes, values, count, bits);
}

// A finite value past the float range saturates, as the integer encoders do; NaN and the
// infinities are stored as they are.
void EncodeFloat32(uint8_t* bytes, const double* values, int32_t count) {
  if (!bytes || count < 1) return;
  for (int32_t i = 0; i < count; ++i) {
    const double v = values[i];
    const double stored = std::isinf(v) ? v : std::clamp(v, -double{FLT_MAX}, double{FLT_MAX});
    Store32(bytes + 4 * i, std::bit_cast<uint32_t>(static_cast<float>(stored)));
  }
}

void EncodeFloat64(uint8_t* bytes, const double* values, int32_t count) {
  if (!bytes || count < 1) return;
  for (int32_t i = 0; i < count; ++i) {
    uint64_t u = std::bit_cast<uint64_t>(values[i]);
    Store32(bytes + 8 * i, static_cast<uint32_t>(u));
    Store32(bytes + 8 * i + 4, static_cast<uint32_t>(u >> 32));
  }
}

}  // namespace tacetix
