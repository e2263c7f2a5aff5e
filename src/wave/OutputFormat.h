// The format an output is written in: the source's format, or the source's converted to the
// depth and sample type a run asks for, made fit for a plain or extensible fmt chunk.
#pragma once

#include <cstdint>
#include <string>

#include "wave/FailureKind.h"
#include "wave/WaveFormat.h"

namespace tacetix {

// What a run asks of the output. Bits -1 keeps the source's format; otherwise Tag (-1, 1 or 3)
// and the container size (BytesPerSample, -1 = derived from Bits) replace the source's.
struct FormatChoice {
  int32_t Bits = -1;
  int16_t Tag = -1;
  int32_t BytesPerSample = -1;
};

// The derived format, or why there is none: Kind is None when Body may be written.
struct OutputFormat {
  FormatBody Body{};
  FailureKind Kind = FailureKind::None;
  std::string Reason;  // "" for a choice no caller makes (a tag or depth out of range)
  bool Ok() const { return Kind == FailureKind::None; }
};

// The depth of the samples f describes: its bits, or the container's where the container cannot
// hold them (below 8, more bits than it has, a float not of its size), as samples are coded by
// their container alone. isFloat: the samples are float (by tag or sub-format).
int32_t CodedBits(const FormatBody& f, bool isFloat);

// source: the source's fmt; sourceIsFloat: its samples are float (by tag or sub-format).
OutputFormat DeriveOutputFormat(const FormatBody& source, bool sourceIsFloat, const FormatChoice& choice);

}  // namespace tacetix
