// Level conversions (dB below full scale <-> linear factor) and the length of a file as a
// user reads it.
#pragma once

#include <cstdint>
#include <string>

#include "wave/WaveFormat.h"

namespace tacetix {

// Attenuation in dB (positive = quieter) to a linear factor; exactly 1.0 for 0.
double DbToLinear(double d);
// Linear factor (> 0) to attenuation in dB: -20 log10 v.
double LinearToDb(double v);
// Length as hh:mm:ss.mmm, or "--:--:--.---" when the format or its rate is unknown.
std::string DurationText(const WaveInfo& info);
// The length DurationText shows, in milliseconds; -1 when it shows none.
int64_t DurationMilliseconds(const WaveInfo& info);
// Decimal text of n, zero-padded on the left to at least width characters.
std::string ZeroPad(int64_t n, int32_t width);

}  // namespace tacetix
