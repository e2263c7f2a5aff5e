// Which bit depth and sample format a file is written with, from the bit-depth choice and its mode.
#include "run/ProcessFile.h"

namespace tacetix {

void DecideTarget(const ProcessSettings& settings, int32_t bits, int32_t tag, bool floatSamples, FileOutcome& outcome) {
  const int32_t choice = settings.BitsChoice;
  if (choice <= 0 || choice >= static_cast<int32_t>(BitDepthChoices.size())) return;
  const BitDepthChoice& c = BitDepthChoices[static_cast<size_t>(choice)];
  const ConvertWhen when = settings.BitsMode == BitsModeKind::Up     ? c.Up
                           : settings.BitsMode == BitsModeKind::Down ? c.Down
                                                                     : ConvertWhen::Always;
  // By the samples, not the tag: an extensible file's tag says neither integer nor float.
  const bool apply = when == ConvertWhen::Always || (when == ConvertWhen::FewerBits && bits < c.Bits) ||
                     (when == ConvertWhen::MoreBits && bits > c.Bits) ||
                     (when == ConvertWhen::IntegerSamples && !floatSamples) ||
                     (when == ConvertWhen::FloatSamples && floatSamples);
  if (!apply) return;
  outcome.TargetBits = c.Bits;
  outcome.TargetFormat = c.Samples;
  outcome.Changed = bits != c.Bits || tag != static_cast<int32_t>(c.Samples);
}

}  // namespace tacetix
