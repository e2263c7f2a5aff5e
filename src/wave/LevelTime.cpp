// Level conversions (dB below full scale <-> linear factor) and the length text of a file.
#include <cmath>

#include "wave/LevelTime.h"

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

std::string ZeroPad(int64_t n, int32_t width) {
  std::string text = std::to_string(n);
  if (width > 0 && text.size() < static_cast<size_t>(width))
    text.insert(0, static_cast<size_t>(width) - text.size(), '0');
  return text;
}

int64_t DurationMilliseconds(const WaveInfo& info) {
  if ((info.FormatTag != 1 && info.FormatTag != 3) || info.Channels <= 0 || info.SampleRate <= 0 ||
      info.SampleCount < 0)
    return -1;
  const auto rate = static_cast<uint64_t>(info.SampleRate);
  const uint64_t frames = static_cast<uint64_t>(info.SampleCount) / static_cast<uint64_t>(info.Channels);
  const uint64_t rest = frames % rate;
  // A rest just short of a second rounds up into the next second.
  const auto ms = static_cast<uint64_t>(std::nearbyint(static_cast<long double>(rest) / rate * 1000.0L));
  return static_cast<int64_t>(frames / rate * 1000 + ms);
}

std::string DurationText(const WaveInfo& info) {
  const int64_t total = DurationMilliseconds(info);
  if (total < 0) return "--:--:--.---";
  const int64_t seconds = total / 1000;
  return ZeroPad(seconds / 3600, 2) + ":" + ZeroPad((seconds / 60) % 60, 2) + ":" + ZeroPad(seconds % 60, 2) + "." +
         ZeroPad(total % 1000, 3);
}

}  // namespace tacetix
