// Passes over one block of sample bytes as a data chunk holds them: the silence scans, the
// peak and the re-coding for the output. Samples are decoded a piece at a time, so the
// values never leave the first-level cache and no block of doubles is stored.
#pragma once

#include <cstdint>

#include "wave/WaveClass.h"

namespace tacetix {

// Samples per piece: a piece's doubles and bytes stay in the first-level cache together.
constexpr int32_t PieceSamples = 2048;

using DecodeFn = void (*)(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
using EncodeFn = void (*)(uint8_t* bytes, const double* values, int32_t count, int32_t bits);

// The codec of a coding (the container size, and integer or float for 4 bytes); null for none.
DecodeFn DecoderFor(const SampleCoding& coding);
EncodeFn EncoderFor(const SampleCoding& coding);

// Index of the first sample of count whose magnitude is above threshold, or -1.
int32_t FirstAbove(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double threshold);
// Index of the last such sample, or -1.
int32_t LastAbove(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double threshold);

// Carries the peak scan over count more samples: a sample replaces the peak (its decoded
// value) and magnitude only when its magnitude is strictly larger, so of equal magnitudes
// the first stays; NaN never does.
void UpdatePeak(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double& peak, double& magnitude);

// Rewrites count samples in place from one coding to the other, each multiplied by *gain
// in extended precision (the product rounded to a double) when gain is not null. bytes has
// room for count samples of the larger container. A no-op when both codings are equal and
// the trip through doubles gives every stored value back.
void RecodeBlock(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                 const long double* gain);

}  // namespace tacetix
