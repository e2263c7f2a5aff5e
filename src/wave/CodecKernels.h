// Vector kernels behind the sample codecs and the block scans, per instruction set, chosen
// once from what the processor offers. Internal to the wave files layer and its tests.
#pragma once

#include <cstdint>

namespace tacetix {

// Reciprocals of the full scales, as the nearest doubles: the decoders multiply by them.
constexpr double Recip8 = 1.0 / 127.0;
constexpr double Recip16 = 1.0 / 32767.0;
constexpr double Recip32 = 1.0 / 2147483647.0;

// Instruction sets the kernels are written for, in increasing order; each includes the ones
// before it. Scalar is the portable code every target has.
enum class SimdLevel : int32_t { Scalar = 0, SSE2 = 1, SSSE3 = 2, AVX2 = 3 };

// The best level this processor runs; looked up once, on the first call.
SimdLevel DetectedSimdLevel();

// A bulk kernel handles a leading part of the count and returns how many samples that was;
// the caller finishes the rest with the scalar loop. Never reads or writes past count samples.
using BulkEncoder = int32_t (*)(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
using BulkDecoder = int32_t (*)(const uint8_t* bytes, double* values, int32_t count);

// Smallest and largest integer of count samples: the stored unsigned bytes for 8 bits, the
// signed values for 16, 24 and 32 bits.
struct IntRange {
  int32_t Min;
  int32_t Max;
};
using RangeKernel = IntRange (*)(const uint8_t* bytes, int32_t count);
// Largest finite |value| of count doubles, NaN and infinities never counted; 0.0 for none.
using MaxMagnitudeKernel = double (*)(const double* values, int32_t count);

// The bulk codecs are null where a level has no vector kernel; the scans are always set.
struct CodecKernels {
  BulkEncoder EncodeUInt8 = nullptr;
  BulkEncoder EncodeInt16 = nullptr;
  BulkEncoder EncodeInt24 = nullptr;
  BulkEncoder EncodeInt32 = nullptr;
  BulkDecoder DecodeInt16 = nullptr;
  BulkDecoder DecodeInt24 = nullptr;
  RangeKernel RangeUInt8 = nullptr;
  RangeKernel RangeInt16 = nullptr;
  RangeKernel RangeInt24 = nullptr;
  RangeKernel RangeInt32 = nullptr;
  MaxMagnitudeKernel MaxMagnitude = nullptr;
};

// Fill in the kernels each file has for a level (nothing on targets without x86 vectors).
void AddEncodeKernels(SimdLevel level, CodecKernels& kernels);
void AddScanKernels(SimdLevel level, CodecKernels& kernels);

// The kernels of one level (a level above the detected one must not be run).
const CodecKernels& KernelsFor(SimdLevel level);
// The kernels of the detected level, chosen once.
const CodecKernels& ActiveKernels();

// The integer encoders (1 to 4 bytes per sample) and the 16- and 24-bit decoders with the
// kernels of the table given, the scalar loop finishing each block; the public codecs use
// ActiveKernels.
void EncodeIntWith(const CodecKernels& kernels, int32_t bytesPerSample, uint8_t* bytes, const double* values,
                   int32_t count, int32_t bits);
void DecodeInt16With(const CodecKernels& kernels, const uint8_t* bytes, double* values, int32_t count);
void DecodeInt24With(const CodecKernels& kernels, const uint8_t* bytes, double* values, int32_t count);

// Mask that keeps the top `bits` of a `width`-bit container; a depth outside 1..width keeps
// the whole container.
inline uint32_t HighBitsMask(int32_t bits, int32_t width) {
  const uint64_t full = (uint64_t{1} << width) - 1;
  if (bits < 1 || bits > width) return static_cast<uint32_t>(full);
  return static_cast<uint32_t>((full << (width - bits)) & full);
}

}  // namespace tacetix
