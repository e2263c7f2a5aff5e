// What the user chose for a run, as both front ends hold it (slider positions, ticks,
// milliseconds, names), and the rules that join them into the run's settings and the
// header its log states.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "log/unit_logging.h"
#include "options/ProcessSettings.h"

namespace tacetix {

// The choices for one end of the sound.
struct EndChoices {
  bool Remove = true;
  bool DigitalZero = true;  // "-inf (digital zero)" rather than the slider's level
  int32_t Position = 480;   // threshold slider, 0..SliderMax
  int32_t KeepMs = 0;
  int32_t FadeMs = 0;  // in at the beginning, out at the end
};

struct RunChoices : SharedChoices {
  EndChoices Begin;
  EndChoices End;      // whatever the end's controls hold; unused while linked
  bool Linked = true;  // the end removes, thresholds, keeps and fades as the beginning does
  int32_t NormalizePosition = SliderMax;
  int32_t LoudnessTenths = -230;  // target, tenths of a LUFS
  int32_t TruePeakTenths = -10;   // ceiling, tenths of a dBTP
  std::string SubfolderText;
  std::string OtherFolderText;
};

struct OptionRow;

struct RunDescription {
  ProcessSettings Settings;
  LogHeaderSnapshot Header;
  std::string Refusal;  // why the options given do not go together; "" when they do
};

// given: the rows the user named (the command line's options), for the rules that refuse a
// value that would be dropped without a word; the window's controls cannot contradict.
RunDescription DescribeRun(const RunChoices& choices, std::span<const OptionRow* const> given = {});

}  // namespace tacetix
