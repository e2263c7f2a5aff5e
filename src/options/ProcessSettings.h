// The options of one run, the level sliders' scale and the bit-depth choices.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tacetix {

enum BitsModeKind : int32_t { ConvertAll = 0, OnlyUp = 1, OnlyDown = 2 };
// Noise added before an integer output rounds to fewer bits than its input holds.
enum DitherKind : int32_t { NoDither = 0, TriangularDither = 1, ShapedDither = 2 };

struct BitDepthChoice {
  const char* Text;
  int32_t Bits;     // -1 = as the input
  int16_t Tag;      // 1 integer PCM, 3 IEEE float, -1 = as the input
  bool ModesApply;  // "only up" / "only down" mean something for this choice
};

// The nine entries of the bit-depth list, in list order.
extern const std::array<BitDepthChoice, 9> BitDepthChoices;

// Snapshot of the options, taken once when a run starts; the run never reads controls.
struct ProcessSettings {
  bool Simulation = false;
  bool LogEnabled = false;
  std::string Prefix;
  std::string Suffix;
  int32_t FolderMode = 1;  // 1 subfolder of the source folder, 2 one other folder
  std::string FolderText;
  bool Normalize = false;
  bool CreateIfUnchanged = false;
  bool Overwrite = false;
  bool StopOnError = true;
  int32_t BitsChoice = 0;
  int32_t BitsMode = ConvertAll;
  bool RemoveBegin = true;
  bool RemoveEnd = true;
  double ThresholdBegin = 0.0;  // linear factor; 0.0 = digital zero
  double ThresholdEnd = 0.0;
  double NormalizeTarget = 1.0;   // linear factor
  double NormalizeLevelDb = 0.0;  // the target in dBfs, for the log's gain column
  // With Normalize: the kept range to an integrated loudness rather than its peak to a level.
  bool NormalizeLoudness = false;
  double LoudnessTarget = -23.0;  // LUFS
  double TruePeakCeiling = -1.0;  // dBTP; the loudness gain is lowered so the true peak stays below
  int32_t Dither = NoDither;
  bool KeepMetadata = false;  // outputs carry the input's descriptive chunks and markers
  // Natural cuts, in milliseconds; 0 leaves the cut where the scans put it.
  int32_t KeepBeginMs = 0;     // silence kept before the first sound, 0..MaxKeepFadeMs
  int32_t KeepEndMs = 0;       // and after the last
  int32_t FadeInMs = 0;        // fade over the output's first ms when its beginning was cut
  int32_t FadeOutMs = 0;       // and over its last when its end was cut
  int32_t IgnoreClicksMs = 0;  // sound shorter than this at either end counts as silence

  bool operator==(const ProcessSettings&) const = default;
};

constexpr int32_t SliderMax = 1440;
constexpr int32_t MaxKeepFadeMs = 10000;
constexpr int32_t MaxIgnoreClicksMs = 1000;
// Loudness targets and true-peak ceilings in tenths: -70.0..0.0 LUFS and -9.0..0.0 dBTP.
constexpr int32_t MinLoudnessTenths = -700;
constexpr int32_t MinTruePeakTenths = -90;

// Slider position 0..1440 to dBfs, -144.0..0.0 (0.1 dB steps, single-precision 0.1).
double SliderToDb(int32_t position);
// Attenuation below full scale in dB, 144..0.
double SliderAttenuation(int32_t position);
// Linear factor of the position; exactly 1.0 at 1440.
double SliderFactor(int32_t position);
// The display text of a position: "-96.0 dBfs", always with a full stop.
std::string SliderText(int32_t position);

}  // namespace tacetix
