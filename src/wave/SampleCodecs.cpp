// The codec of a coding: the container size, and integer or float for 4 bytes.
#include "wave/SampleCodecs.h"

namespace tacetix {
namespace {

void DecodeFloat32Bits(const uint8_t* b, double* v, int32_t n, int32_t) { DecodeFloat32(b, v, n); }
void DecodeFloat64Bits(const uint8_t* b, double* v, int32_t n, int32_t) { DecodeFloat64(b, v, n); }
void EncodeFloat32Bits(uint8_t* b, const double* v, int32_t n, int32_t) { EncodeFloat32(b, v, n); }
void EncodeFloat64Bits(uint8_t* b, const double* v, int32_t n, int32_t) { EncodeFloat64(b, v, n); }

}  // namespace

DecodeFn DecoderFor(const SampleCoding& coding) {
  switch (coding.BytesPerSample) {
    case 1: return DecodeUInt8;
    case 2: return DecodeInt16;
    case 3: return DecodeInt24;
    case 4: return coding.IsFloat ? DecodeFloat32Bits : DecodeInt32;
    case 8: return DecodeFloat64Bits;
    default: return nullptr;
  }
}

EncodeFn EncoderFor(const SampleCoding& coding) {
  switch (coding.BytesPerSample) {
    case 1: return EncodeUInt8;
    case 2: return EncodeInt16;
    case 3: return EncodeInt24;
    case 4: return coding.IsFloat ? EncodeFloat32Bits : EncodeInt32;
    case 8: return EncodeFloat64Bits;
    default: return nullptr;
  }
}

}  // namespace tacetix
