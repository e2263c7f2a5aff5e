// Sample codecs: stored bytes of a data chunk to doubles at full scale about +-1.0 and back,
// one tight loop per block, and the choice of the codec for a file's coding. The vector
// kernels behind them are in CodecKernels.h.
#pragma once

#include <cstdint>

namespace tacetix {

// How one side of a file stores its samples; the container size and, for 4-byte containers,
// integer or float choose the codec, and the masked encoders keep the top Bits.
struct SampleCoding {
  int32_t BytesPerSample = 0;  // 0: unknown (no format read, no output)
  int32_t Bits = 0;
  bool IsFloat = false;
};

using DecodeFn = void (*)(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
using EncodeFn = void (*)(uint8_t* bytes, const double* values, int32_t count, int32_t bits);

// The codec of a coding (the container size, and integer or float for 4 bytes); null for none.
DecodeFn DecoderFor(const SampleCoding& coding);
EncodeFn EncoderFor(const SampleCoding& coding);

// Count < 1 or a null byte pointer does nothing.
void DecodeUInt8(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeInt16(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeInt24(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeInt32(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeFloat32(const uint8_t* bytes, double* values, int32_t count);
void DecodeFloat64(const uint8_t* bytes, double* values, int32_t count);
// Integer encoders saturate at the container's extremes and store NaN and infinities as 0,
// then clear the low bits that a depth below the container width does not hold.
void EncodeUInt8(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeInt16(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeInt24(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeInt32(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
// Finite values past the float range saturate to the largest float; NaN and infinities stay.
void EncodeFloat32(uint8_t* bytes, const double* values, int32_t count);
void EncodeFloat64(uint8_t* bytes, const double* values, int32_t count);

}  // namespace tacetix
