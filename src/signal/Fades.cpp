// The fades at the cut, and the write pass that applies them.
#include "signal/Fades.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "wave/SampleBlock.h"

namespace tacetix {

FadePlan PlanFades(const CutFrames& frames, bool beginCut, bool endCut, int64_t totalFrames, int32_t channels) {
  FadePlan plan;
  plan.TotalFrames = std::max<int64_t>(totalFrames, 0);
  plan.Channels = std::max(channels, 1);
  plan.InFrames = beginCut ? std::min(frames.FadeIn, plan.TotalFrames) : 0;
  plan.OutFrames = endCut ? std::min(frames.FadeOut, plan.TotalFrames) : 0;
  if (plan.InFrames + plan.OutFrames > plan.TotalFrames) {
    const int64_t half = plan.TotalFrames / 2;
    plan.InFrames = std::min(plan.InFrames, half);
    plan.OutFrames = std::min(plan.OutFrames, half);
  }
  return plan;
}

long double FadeCurve(int64_t step, int64_t length) {
  if (length <= 0 || step >= length) return 1.0L;
  if (step <= 0) return 0.0L;
  const long double phase = std::numbers::pi_v<long double> * static_cast<long double>(step) / length;
  return 0.5L * (1.0L - std::cos(phase));
}

bool FadePlan::Touches(int64_t firstSample, int64_t count) const {
  if (count < 1) return false;
  const int64_t firstFrame = firstSample / Channels;
  const int64_t lastFrame = (firstSample + count - 1) / Channels;
  return firstFrame < InFrames || lastFrame >= TotalFrames - OutFrames;
}

long double FadePlan::FactorAt(int64_t frame) const {
  if (frame < InFrames) return FadeCurve(frame, InFrames);
  const int64_t fromEnd = TotalFrames - 1 - frame;
  if (fromEnd < OutFrames) return FadeCurve(fromEnd, OutFrames);
  return 1.0L;
}

// One factor per frame, for all its channels; values outside the fades are left as they are.
// One factor per frame, for all its channels; values outside the fades are left as they are.
// A NaN or infinite value in a fade becomes 0: a factor would keep it infinite or make it NaN,
// and the fade is there to bring the output's edge to silence.
void ApplyFades(double* values, int32_t n, const FadePlan& plan, int64_t firstSample) {
  for (int32_t k = 0; k < n;) {
    const int64_t frame = (firstSample + k) / plan.Channels;
    const auto inFrame =
        static_cast<int32_t>(std::min<int64_t>((frame + 1) * plan.Channels - (firstSample + k), n - k));
    const long double factor = plan.FactorAt(frame);
    if (factor != 1.0L) {
      for (int32_t i = k; i < k + inFrame; ++i)
        values[i] = std::isfinite(values[i]) ? static_cast<double>(factor * values[i]) : 0.0;
    }
    k += inFrame;
  }
}

namespace {

struct FadeContext {
  const FadePlan* Plan;
  int64_t FirstSample;
};

void ShapePiece(double* values, int32_t start, int32_t n, const void* context) {
  const auto& c = *static_cast<const FadeContext*>(context);
  ApplyFades(values, n, *c.Plan, c.FirstSample + start);
}

}  // namespace

void RecodeFaded(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                 const long double* gain, const FadePlan& plan, int64_t firstSample) {
  const FadeContext context{&plan, firstSample};
  RecodeBlockShaped(bytes, count, from, to, gain, ShapePiece, &context);
}

FadedRecoder::FadedRecoder(const BlockRecoder& recoder, const SampleCoding& from, const SampleCoding& to,
                           const long double* gain, const FadePlan& plan)
    : Fused(recoder), From(from), To(to), Gain(gain), Plan(plan) {}

void FadedRecoder::Recode(uint8_t* bytes, int32_t count, int64_t firstSample) {
  if (!Plan.Touches(firstSample, count)) return Fused.Recode(bytes, count);
  // The block's samples in the fade in, [0, headEnd), and in the fade out, [tailStart, count).
  const int64_t ch = Plan.Channels;
  const auto headEnd = static_cast<int32_t>(std::clamp<int64_t>(Plan.InFrames * ch - firstSample, 0, count));
  const auto tailStart =
      static_cast<int32_t>(std::clamp<int64_t>((Plan.TotalFrames - Plan.OutFrames) * ch - firstSample, headEnd, count));
  const auto inBytes = static_cast<size_t>(From.BytesPerSample), outBytes = static_cast<size_t>(To.BytesPerSample);
  const size_t width = std::max(inBytes, outBytes);
  const size_t headSize = width * static_cast<size_t>(headEnd);
  Aside.resize(headSize + width * static_cast<size_t>(count - tailStart));
  std::memcpy(Aside.data(), bytes, inBytes * headEnd);
  std::memcpy(Aside.data() + headSize, bytes + inBytes * tailStart, inBytes * (count - tailStart));
  Fused.Recode(bytes, count);
  RecodeFaded(Aside.data(), headEnd, From, To, Gain, Plan, firstSample);
  RecodeFaded(Aside.data() + headSize, count - tailStart, From, To, Gain, Plan, firstSample + tailStart);
  std::memcpy(bytes, Aside.data(), outBytes * headEnd);
  std::memcpy(bytes + outBytes * tailStart, Aside.data() + headSize, outBytes * (count - tailStart));
}

}  // namespace tacetix
