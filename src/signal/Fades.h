// The fades at a natural cut: their plan in frames of the output, their raised-cosine curve,
// and the write's recoding that applies them.
#pragma once

#include <cstdint>
#include <vector>

#include "signal/NaturalCuts.h"
#include "wave/SampleBlock.h"

namespace tacetix {

// The fades of one output, in frames of the output (frame 0 is its first).
struct FadePlan {
  int64_t InFrames = 0;
  int64_t OutFrames = 0;
  int64_t TotalFrames = 0;
  int32_t Channels = 1;
  bool Active() const { return InFrames > 0 || OutFrames > 0; }
  // Whether any of count output samples from firstSample lies in a fade.
  bool Touches(int64_t firstSample, int64_t count) const;
  // The factor of output frame f: 1 outside the fades.
  long double FactorAt(int64_t frame) const;
};

// A fade is planned only at an end where the kept range cuts something off; when the two
// fades together are longer than the output, each is shortened to half of it.
FadePlan PlanFades(const CutFrames& frames, bool beginCut, bool endCut, int64_t totalFrames, int32_t channels);

// The raised-cosine (half-Hann) rise: 0 at step 0, approaching 1 at step length.
long double FadeCurve(int64_t step, int64_t length);

// The fades on n decoded values (after the gain), the first of which is output sample firstSample.
void ApplyFades(double* values, int32_t n, const FadePlan& plan, int64_t firstSample);

// RecodeBlock with the fades applied after the gain: count samples, the first of which is
// output sample firstSample; each value in a fade becomes the product of its factor and the
// value after the gain, in extended precision, rounded to a double.
void RecodeFaded(uint8_t* bytes, int32_t count, const SampleCoding& from, const SampleCoding& to,
                 const long double* gain, const FadePlan& plan, int64_t firstSample);

// The write's recoding with the fades: the samples of a block that lie in a fade are put
// aside, the whole block goes through the fused recoder, and the samples aside are recoded
// with their fade and put back. So only the fades leave the fused path.
class FadedRecoder {
 public:
  // recoder, from, to and gain: those of the write; they must outlive this object.
  FadedRecoder(const BlockRecoder& recoder, const SampleCoding& from, const SampleCoding& to, const long double* gain,
               const FadePlan& plan);
  // As BlockRecoder::Recode for count samples, the first of which is output sample firstSample.
  void Recode(uint8_t* bytes, int32_t count, int64_t firstSample);

 private:
  const BlockRecoder& Fused;
  SampleCoding From, To;
  const long double* Gain;
  FadePlan Plan;
  std::vector<uint8_t> Aside;
};

}  // namespace tacetix
