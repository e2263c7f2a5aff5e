// The level sliders' scale.
#include "options/ProcessSettings.h"

#include <charconv>

#include "wave/LevelTime.h"

namespace tacetix {

namespace {
// The slider step is the single-precision 0.1, multiplied in extended precision,
// so position 480 is 96.00000143051147 dB, not exactly 96.
constexpr long double SliderStep = static_cast<long double>(0.1f);
}  // namespace

double SliderToDb(int32_t position) {
  return static_cast<double>(static_cast<long double>(position - SliderMax) * SliderStep);
}

double SliderAttenuation(int32_t position) {
  return static_cast<double>(static_cast<long double>(SliderMax - position) * SliderStep);
}

double SliderFactor(int32_t position) { return DbToLinear(SliderAttenuation(position)); }

std::string SliderText(int32_t position) {
  // The display holds the level in single precision and always shows a full stop,
  // whatever the process locale says (to_chars ignores it).
  char text[32];
  const auto level = static_cast<float>(SliderToDb(position));
  const auto end = std::to_chars(text, text + sizeof text, level, std::chars_format::fixed, 1).ptr;
  return std::string(text, end) + " dBfs";
}

}  // namespace tacetix
