// Which bit depth and sample format a file is written with, from the bit-depth choice and its mode.
#include "run/ProcessFile.h"

namespace tacetix {

void DecideTarget(const ProcessSettings& settings, int32_t bits, int32_t tag, bool floatSamples, FileOutcome& outcome) {
  const int32_t choice = settings.BitsChoice;
  if (choice <= 0 || choice >= static_cast<int32_t>(BitDepthChoices.size())) return;
  const BitDepthChoice& c = BitDepthChoices[static_cast<size_t>(choice)];
  bool apply = true;
  if (c.ModesApply && settings.BitsMode != ConvertAll) {
    const bool up = settings.BitsMode == OnlyUp;
    // By the samples, not the tag: an extensible file's tag says neither integer nor float.
    if (choice == 6) apply = up ? bits < 32 : floatSamples;           // 32-bit integer
    else if (choice == 7) apply = up ? !floatSamples : floatSamples;  // 32-bit float
    else apply = up ? bits < c.Bits : bits > c.Bits;
  }
  if (!apply) return;
  outcome.TargetBits = c.Bits;
  outcome.TargetFormat = c.Tag;
  outcome.Changed = bits != c.Bits || tag != c.Tag;
}

}  // namespace tacetix
