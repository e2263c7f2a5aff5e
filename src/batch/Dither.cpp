// Dither and the clip count of integer outputs.
#include "batch/Dither.h"

#include <algorithm>
#include <cmath>

#include "wave/SampleBlock.h"

namespace tacetix {
namespace {

// Lipshitz, Vanderkooy and Wannamaker's minimally audible error-feedback filter, designed for
// 44.1 kHz; at other rates its curve moves with the rate.
constexpr std::array<double, 5> ShapingFilter = {2.033, -2.165, 1.959, -1.590, 0.6149};

// The container's scale: 24-bit samples are scaled at 31 bits as the 32-bit ones.
int32_t ScaleBits(const SampleCoding& to) { return to.BytesPerSample == 1 ? 8 : to.BytesPerSample == 2 ? 16 : 32; }

int32_t DepthOf(const SampleCoding& c) {
  const int32_t width = 8 * c.BytesPerSample;
  return c.Bits >= 1 && c.Bits <= width ? c.Bits : width;
}

}  // namespace

bool DitherApplies(const SampleCoding& from, const SampleCoding& to) {
  if (to.IsFloat || to.BytesPerSample < 1 || to.BytesPerSample > 4) return false;
  return from.IsFloat || from.BytesPerSample == 8 || DepthOf(to) < DepthOf(from);
}

OutputQuantizer::OutputQuantizer(const SampleCoding& to, int32_t dither, int32_t channels)
    : Dither(dither), Ch(std::max(channels, 1)), Errors(static_cast<size_t>(Ch), std::array<double, 5>{}) {
  const int32_t bits = ScaleBits(to);
  const int32_t depth = DepthOf(to);
  Scale = std::ldexp(1.0, bits - 1) - 1.0;
  Step = std::ldexp(1.0, bits - depth);
  Lowest = -std::ldexp(1.0, depth - 1);
  Highest = std::ldexp(1.0, depth - 1) - 1.0;
}

// xorshift64*: fast, and the same sequence on every machine.
double OutputQuantizer::Noise() {
  auto uniform = [this] {
    Rng ^= Rng >> 12;
    Rng ^= Rng << 25;
    Rng ^= Rng >> 27;
    return static_cast<double>((Rng * 0x2545F4914F6CDD1DULL) >> 11) * 0x1.0p-53;
  };
  const double a = uniform();
  return a - uniform();
}

double OutputQuantizer::Quantize(double v, int32_t channel) {
  std::array<double, 5>& e = Errors[static_cast<size_t>(channel)];
  if (v == 0.0 || v != v) {
    e = {};
    return v;
  }
  double target = v * Scale / Step;
  if (Dither == ShapedDither) {
    for (size_t k = 0; k < e.size(); ++k) target -= ShapingFilter[k] * e[k];
  }
  double k = std::nearbyint(Dither == NoDither ? target : target + Noise());
  if (k < Lowest || k > Highest) {
    ++ClipCount;
    k = std::clamp(k, Lowest, Highest);
  }
  if (Dither == ShapedDither) {
    std::copy_backward(e.begin(), e.end() - 1, e.end());
    e[0] = k - target;
  }
  // Counting alone leaves the value to the encoder's own rounding.
  return Dither == NoDither ? v : k * Step / Scale;
}

void OutputQuantizer::Apply(double* values, int32_t n, int64_t firstSample) {
  auto channel = static_cast<int32_t>(firstSample % Ch);
  for (int32_t i = 0; i < n; ++i) {
    values[i] = Quantize(values[i], channel);
    if (++channel == Ch) channel = 0;
  }
}

namespace {
struct QuantizeContext {
  const FadePlan* Plan;
  OutputQuantizer* Quantizer;
  int64_t FirstSample;
};

void QuantizePiece(double* values, int32_t start, int32_t n, const void* context) {
  const auto& c = *static_cast<const QuantizeContext*>(context);
  if (c.Plan->Touches(c.FirstSample + start, n)) ApplyFades(values, n, *c.Plan, c.FirstSample + start);
  c.Quantizer->Apply(values, n, c.FirstSample + start);
}
}  // namespace

// Outputs that dither hold no more bytes a sample than their inputs, so the pieces go front to back.
void RecodeQuantized(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                     const long double* gain, const FadePlan& plan, OutputQuantizer& quantizer, int64_t firstSample) {
  const QuantizeContext context{&plan, &quantizer, firstSample};
  RecodeBlockShaped(bytes, count, from, to, gain, QuantizePiece, &context);
}

}  // namespace tacetix
