// Sample decoders: bytes of a WAV data chunk to doubles at full scale about +-1.0.
// Built with full vectorisation: these loops carry every block a run reads.
#include <bit>

#include "wave/ByteOrder.h"
#include "wave/CodecKernels.h"
#include "wave/SampleCodecs.h"

namespace tacetix {

void DecodeUInt8(const uint8_t* bytes, double* values, int32_t count, int32_t) {
  if (!bytes || count < 1) return;
  for (int32_t i = 0; i < count; ++i) values[i] = (int32_t{bytes[i]} - 128) * Recip8;
}

void DecodeInt16With(const CodecKernels& kernels, const uint8_t* bytes, double* values, int32_t count) {
  if (!bytes || count < 1) return;
  const int32_t done = kernels.DecodeInt16 ? kernels.DecodeInt16(bytes, values, count) : 0;
  for (int32_t i = done; i < count; ++i) {
    const uint8_t* p = bytes + 2 * i;
    auto s = static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
    values[i] = s * Recip16;
  }
}

void DecodeInt16(const uint8_t* bytes, double* values, int32_t count, int32_t) {
  DecodeInt16With(ActiveKernels(), bytes, values, count);
}

// A 24-bit sample is taken as the upper three bytes of a 32-bit integer. Byte shuffles
// (SSSE3) do that four or eight samples at a time; this loop does the rest.
void DecodeInt24With(const CodecKernels& kernels, const uint8_t* bytes, double* values, int32_t count) {
  if (!bytes || count < 1) return;
  const int32_t done = kernels.DecodeInt24 ? kernels.DecodeInt24(bytes, values, count) : 0;
  for (int32_t i = done; i < count; ++i) {
    const uint8_t* p = bytes + 3 * i;
    uint32_t u = uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24;
    values[i] = static_cast<int32_t>(u) * Recip32;
  }
}

void DecodeInt24(const uint8_t* bytes, double* values, int32_t count, int32_t) {
  DecodeInt24With(ActiveKernels(), bytes, values, count);
}

void DecodeInt32(const uint8_t* bytes, double* values, int32_t count, int32_t) {
  if (!bytes || count < 1) return;
  for (int32_t i = 0; i < count; ++i) values[i] = static_cast<int32_t>(Load32(bytes + 4 * i)) * Recip32;
}

void DecodeFloat32(const uint8_t* bytes, double* values, int32_t count) {
  if (!bytes || count < 1) return;
  for (int32_t i = 0; i < count; ++i) values[i] = std::bit_cast<float>(Load32(bytes + 4 * i));
}

void DecodeFloat64(const uint8_t* bytes, double* values, int32_t count) {
  if (!bytes || count < 1) return;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* p = bytes + 8 * i;
    uint64_t u = Load64(p);
    values[i] = std::bit_cast<double>(u);
  }
}

}  // namespace tacetix
