// Block passes: each decodes a piece at a time into a small array on the stack, so a second
// worker with its own block and file can run the same passes beside the first.
#include "wave/SampleBlock.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "wave/ByteOrder.h"
#include "wave/CodecKernels.h"

namespace tacetix {
namespace {

enum class Kind { None, UInt8, Int16, Int24, Int32, Float32, Float64 };

Kind KindOf(const SampleCoding& c) {
  switch (c.BytesPerSample) {
    case 1: return Kind::UInt8;
    case 2: return Kind::Int16;
    case 3: return Kind::Int24;
    case 4: return c.IsFloat ? Kind::Float32 : Kind::Int32;
    case 8: return Kind::Float64;
    default: return Kind::None;
  }
}

// The value one stored container decodes to, by the block's own decoder.
double DecodedValue(const SampleCoding& c, uint32_t stored) {
  const uint8_t b[4] = {static_cast<uint8_t>(stored), static_cast<uint8_t>(stored >> 8),
                        static_cast<uint8_t>(stored >> 16), static_cast<uint8_t>(stored >> 24)};
  double v = 0.0;
  DecoderFor(c)(b, &v, 1, c.Bits);
  return v;
}

// A sample as the integer its container holds: unsigned for 8 bits, signed for the others.
template <int Width>
int32_t IntegerAt(const uint8_t* bytes, int32_t i) {
  const uint8_t* p = bytes + static_cast<size_t>(i) * Width;
  if constexpr (Width == 1) return p[0];
  if constexpr (Width == 2) return static_cast<int16_t>(Load16(p));
  if constexpr (Width == 3)
    return static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24) >> 8;
  if constexpr (Width == 4) return static_cast<int32_t>(Load32(p));
}

// Index of the first sample holding a or b, or count.
template <int Width>
int32_t FirstOf(const uint8_t* bytes, int32_t count, int32_t a, int32_t b) {
  for (int32_t i = 0; i < count; ++i) {
    const int32_t v = IntegerAt<Width>(bytes, i);
    if (v == a || v == b) return i;
  }
  return count;
}

// Integer samples: the range of the raw integers gives the block's largest magnitude; only a
// block that beats the running peak is searched for its first sample of that size. Decoding
// is monotonic and keeps distinct integers distinct, so this finds what a scan of the decoded
// values finds.
void UpdatePeakOnIntegers(const uint8_t* bytes, int32_t count, const SampleCoding& c, double& peak, double& magnitude) {
  const CodecKernels& k = ActiveKernels();
  const RangeKernel ranges[] = {k.RangeUInt8, k.RangeInt16, k.RangeInt24, k.RangeInt32};
  const IntRange r = ranges[c.BytesPerSample - 1](bytes, count);
  const double low = std::fabs(DecodedValue(c, static_cast<uint32_t>(r.Min)));
  const double high = std::fabs(DecodedValue(c, static_cast<uint32_t>(r.Max)));
  if (std::max(low, high) <= magnitude) return;
  // Of a tie between the extremes (-x and +x) the first one met wins.
  const int32_t a = low >= high ? r.Min : r.Max, b = high >= low ? r.Max : r.Min;
  using Search = int32_t (*)(const uint8_t*, int32_t, int32_t, int32_t);
  const Search searches[] = {FirstOf<1>, FirstOf<2>, FirstOf<3>, FirstOf<4>};
  const int32_t i = searches[c.BytesPerSample - 1](bytes, count, a, b);
  uint8_t stored[4] = {};
  std::memcpy(stored, bytes + static_cast<size_t>(i) * c.BytesPerSample, c.BytesPerSample);
  DecoderFor(c)(stored, &peak, 1, c.Bits);
  magnitude = std::fabs(peak);
}

// Other formats: the largest magnitude of each decoded piece, searched where it beats the peak.
void UpdatePeakOnPieces(const uint8_t* bytes, int32_t count, const SampleCoding& c, double& peak, double& magnitude) {
  const DecodeFn decode = DecoderFor(c);
  const MaxMagnitudeKernel maxMagnitude = ActiveKernels().MaxMagnitude;
  double piece[PieceSamples];
  for (int32_t start = 0; start < count; start += PieceSamples) {
    const int32_t n = std::min(PieceSamples, count - start);
    decode(bytes + static_cast<size_t>(start) * c.BytesPerSample, piece, n, c.Bits);
    const double m = maxMagnitude(piece, n);
    if (m <= magnitude) continue;
    const double* first = std::find_if(piece, piece + n, [m](double v) { return std::fabs(v) == m; });
    peak = *first;
    magnitude = std::fabs(peak);
  }
}

// The product is formed in extended precision and rounded once to a double.
void ApplyGain(double* values, int32_t count, long double gain) {
  for (int32_t k = 0; k < count; ++k) values[k] = static_cast<double>(gain * values[k]);
}

// A float is non-finite when its exponent bits are all set. They lie in its last two bytes,
// which alone are looked at: no decode, and a loop the compiler turns into vector code.
template <int Width>
int32_t CountExponentAllOnes(const uint8_t* bytes, int32_t count, uint32_t exponent) {
  int32_t n = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* top = bytes + static_cast<size_t>(i) * Width + Width - 2;
    n += static_cast<int32_t>(((top[0] | uint32_t{top[1]} << 8) & exponent) == exponent);
  }
  return n;
}

}  // namespace

// Decoding and encoding again in the same integer format gives back every stored value (the
// trip's error stays far below half a step), unless the encoder's mask clears low bits that
// the input holds; 64-bit floats are copied bit for bit, but a multiply would quiet their
// signalling NaNs; 32-bit floats go through doubles, which quiets them too.
bool RecodingKeepsBytes(const SampleCoding& from, const SampleCoding& to, const long double* gain) {
  const Kind kind = KindOf(from);
  if (kind != KindOf(to)) return false;
  switch (kind) {
    case Kind::UInt8: return !gain || *gain == 1.0L;
    case Kind::Int16:
    case Kind::Int24:
    case Kind::Int32: {
      const int32_t width = 8 * to.BytesPerSample;
      const bool fullMask = HighBitsMask(to.Bits, width) == HighBitsMask(width, width);
      return fullMask && (!gain || *gain == 1.0L);
    }
    case Kind::Float64: return !gain;
    default: return false;
  }
}

int64_t CountNonFinite(const uint8_t* bytes, int32_t count, const SampleCoding& coding) {
  if (!bytes || count < 1 || (!coding.IsFloat && coding.BytesPerSample != 8)) return 0;
  if (coding.BytesPerSample == 4) return CountExponentAllOnes<4>(bytes, count, 0x7F80);
  return coding.BytesPerSample == 8 ? CountExponentAllOnes<8>(bytes, count, 0x7FF0) : 0;
}

int32_t FirstAbove(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double threshold) {
  const DecodeFn decode = DecoderFor(coding);
  if (!decode) return -1;
  double piece[PieceSamples];
  for (int32_t start = 0; start < count; start += PieceSamples) {
    const int32_t n = std::min(PieceSamples, count - start);
    decode(bytes + static_cast<size_t>(start) * coding.BytesPerSample, piece, n, coding.Bits);
    for (int32_t k = 0; k < n; ++k)
      if (Audible(piece[k], threshold)) return start + k;
  }
  return -1;
}

int32_t LastAbove(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double threshold) {
  const DecodeFn decode = DecoderFor(coding);
  if (!decode) return -1;
  double piece[PieceSamples];
  for (int32_t end = count; end > 0;) {
    const int32_t n = std::min(PieceSamples, end);
    end -= n;
    decode(bytes + static_cast<size_t>(end) * coding.BytesPerSample, piece, n, coding.Bits);
    for (int32_t k = n - 1; k >= 0; --k)
      if (Audible(piece[k], threshold)) return end + k;
  }
  return -1;
}

void UpdatePeak(const uint8_t* bytes, int32_t count, const SampleCoding& coding, double& peak, double& magnitude) {
  if (!bytes || count < 1 || !DecoderFor(coding)) return;
  if (coding.IsFloat || coding.BytesPerSample == 8) UpdatePeakOnPieces(bytes, count, coding, peak, magnitude);
  else UpdatePeakOnIntegers(bytes, count, coding, peak, magnitude);
}

// In place: a narrower output is written front to back, a wider one back to front, so no
// piece's bytes are overwritten before they are decoded.
void RecodeBlock(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                 const long double* gain) {
  if (RecodingKeepsBytes(from, to, gain)) return;
  RecodeBlockShaped(bytes, count, from, to, gain, nullptr, nullptr);
}

void RecodeBlockShaped(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                       const long double* gain, PieceShaper shaper, const void* context) {
  const DecodeFn decode = DecoderFor(from);
  const EncodeFn encode = EncoderFor(to);
  if (!bytes || count < 1 || !decode || !encode) return;
  const auto inBytes = static_cast<size_t>(from.BytesPerSample);
  const auto outBytes = static_cast<size_t>(to.BytesPerSample);
  double piece[PieceSamples];
  auto recode = [&](int32_t start, int32_t n) {
    decode(bytes + start * inBytes, piece, n, from.Bits);
    if (gain) ApplyGain(piece, n, *gain);
    if (shaper) shaper(piece, start, n, context);
    encode(bytes + start * outBytes, piece, n, to.Bits);
  };
  if (outBytes <= inBytes) {
    for (int32_t start = 0; start < count; start += PieceSamples) recode(start, std::min(PieceSamples, count - start));
  } else {
    for (int32_t end = count; end > 0;) {
      const int32_t n = std::min(PieceSamples, end);
      end -= n;
      recode(end, n);
    }
  }
}

}  // namespace tacetix
