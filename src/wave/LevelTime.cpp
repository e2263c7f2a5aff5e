// Level conversions (dB below full scale <-> linear factor) and the length text of a file.
#include <cmath>

#include "wave/WaveClass.h"

namespace tacetix {
namespace {
// Decibels of a factor of two.
double DecibelsPerOctave() { return 20.0 * std::log10(2.0); }
}  // namespace

double DbToLinear(double d) {
  if (d == 0.0) return 1.0;  // full scale must stay exact
  return std::exp(std::log(0.5) * d / DecibelsPerOctave());
}

double LinearToDb(double v) { return DecibelsPerOctave() * std::log(v) / std::log(0.5); }

std::string ZeroPad(int32_t n, int32_t width) {
  std::string text = std::to_string(n);
  if (width > 0 && text.size() < static_cast<size_t>(width)) text.insert(0, static_cast<size_t>(width) - text.size(), '0');
  return text;
}

std::string DurationText(const WaveInfo& info) {
  if ((info.FormatTag != 1 && info.FormatTag != 3) || info.Channels <= 0 || info.SampleRate <= 0 ||
      info.SampleCount < 0)
    return "--:--:--.---";
  const auto rate = static_cast<uint32_t>(info.SampleRate);
  const uint32_t frames = static_cast<uint32_t>(info.SampleCount) / static_cast<uint32_t>(info.Channels);
  uint32_t seconds = frames / rate;
  const uint32_t rest = frames % rate;
  auto ms = static_cast<uint32_t>(std::nearbyint(static_cast<long double>(rest) / rate * 1000.0L));
  if (ms >= 1000) {  // a rest just short of a second rounds up into the next second
    ms -= 1000;
    ++seconds;
  }
  const uint32_t hours = seconds / 3600;
  return ZeroPad(static_cast<int32_t>(hours), 2) + ":" + ZeroPad(static_cast<int32_t>((seconds / 60) % 60), 2) +
         ":" + ZeroPad(static_cast<int32_t>(seconds % 60), 2) + "." + ZeroPad(static_cast<int32_t>(ms), 3);
}

}  // namespace tacetix
