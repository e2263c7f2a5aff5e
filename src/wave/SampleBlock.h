// Passes over one block of sample bytes as a data chunk holds them: the silence scans, the
// peak and the re-coding for the output. Samples are decoded a piece at a time, so the
// values never leave the first-level cache and no block of doubles is stored.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include "wave/SampleCodecs.h"

namespace tacetix {

// Samples per piece: a piece's doubles and bytes stay in the first-level cache together.
constexpr int32_t PieceSamples = 2048;

// A sample is sound when its magnitude is above the threshold. NaN and the infinities never
// are: they carry no level, and one of them must not make a silent file sound.
inline bool Audible(double value, double threshold) {
  const double magnitude = std::fabs(value);
  return magnitude > threshold && magnitude <= DBL_MAX;
}

// How many of count samples are NaN or infinite; 0 for integer codings, which hold none.
int64_t CountNonFinite(const uint8_t* bytes, int32_t count, const SampleCoding& coding);

// Index of the first sample of count that is Audible above threshold, or -1.
int32_t FirstAbove(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double threshold);
// Index of the last such sample, or -1.
int32_t LastAbove(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double threshold);

// Carries the peak scan over count more samples: a sample replaces the peak (its decoded
// value) and magnitude only when its magnitude is strictly larger, so of equal magnitudes
// the first stays; NaN and the infinities never do.
void UpdatePeak(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double& peak, double& magnitude);

// Rewrites count samples in place from one coding to the other, each multiplied by *gain
// in extended precision (the product rounded to a double) when gain is not null. bytes has
// room for count samples of the larger container. A no-op when RecodingKeepsBytes.
void RecodeBlock(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                 const long double* gain);
// Reshapes n decoded values (after the gain) that are samples start.. of the block.
using PieceShaper = void (*)(double* values, int32_t start, int32_t n, const void* context);
// RecodeBlock that always decodes and encodes, with shaper (when not null) applied to every
// piece between the gain and the encoder.
void RecodeBlockShaped(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                       const long double* gain, PieceShaper shaper, const void* context);
// True when recoding gives every stored value back unchanged: the same format both ways and
// no gain (or a gain of exactly 1 on integers), with no low bits for the encoder to clear.
bool RecodingKeepsBytes(const SampleCoding& from, const SampleCoding& to, const long double* gain);

// The write's recoding of one file, set up once. 8- and 16-bit inputs of many samples get a
// table of the output bytes of every value their container can hold, made by RecodeBlock
// itself, and each sample is looked up; other inputs are recoded by RecodeBlock.
class BlockRecoder {
 public:
  // sampleCount: about how many samples the file will recode (decides whether a table pays).
  BlockRecoder(const SampleCoding& from, const SampleCoding& to, const long double* gain, int64_t sampleCount);
  // As RecodeBlock with the codings and gain given at construction.
  void Recode(uint8_t* bytes, int32_t count) const;
  bool UsesTable() const { return !Table.empty(); }

 private:
  SampleCoding From, To;
  bool HasGain = false;
  long double Gain = 1.0L;
  bool Keeps = false;
  std::vector<uint8_t> Table;  // To.BytesPerSample bytes for each stored input value, in value order
};

}  // namespace tacetix
