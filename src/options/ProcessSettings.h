// The options of one run, the level sliders' scale and the bit-depth choices.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tacetix {

// Which files a bit-depth choice converts.
enum class BitsModeKind : int32_t { All, Up, Down };
// Noise added before an integer output rounds to fewer bits than its input holds.
enum class DitherKind : int32_t { None, Triangular, Shaped };
// Where the outputs go: a subfolder of each source's folder, or one other folder.
enum class FolderKind : int32_t { Subfolder, OtherFolder };
// The container of the outputs: the source's own, or one for all.
enum class OutputKind : int32_t { Same, Wave, Flac, Aiff };
// The sample type of an output; the values are the format tags that say it.
enum class TargetSamples : int16_t { AsInput = -1, Integer = 1, Float = 3 };

// One value of a choice: as the command line spells it, as the window shows it, and as the log
// states it (null: as the window shows it; "" states nothing).
struct ValueName {
  const char* Word;
  const char* Caption;
  const char* LogWord = nullptr;
  constexpr const char* Logged() const { return LogWord ? LogWord : Caption; }
};

// When "only up" or "only down" converts a file to a depth. At 32 bits the depth alone does not
// tell an integer from a float, so those choices go by the sample type.
enum class ConvertWhen : uint8_t { Always, FewerBits, MoreBits, IntegerSamples, FloatSamples };

struct BitDepthChoice {
  ValueName Name;  // "16", "16 bit signed integer"
  int32_t Bits;    // -1 = as the input
  TargetSamples Samples;
  ConvertWhen Up = ConvertWhen::Always;  // Always: the modes mean nothing for this choice
  ConvertWhen Down = ConvertWhen::Always;
  bool ModesApply() const { return Up != ConvertWhen::Always; }
};

// The entries of the bit-depth list, in list order.
inline constexpr std::array<BitDepthChoice, 9> BitDepthChoices = {{
    {{"same", "same as input"}, -1, TargetSamples::AsInput},
    {{"8", "8 bit unsigned integer"}, 8, TargetSamples::Integer},
    {{"12", "12 bit signed integer"}, 12, TargetSamples::Integer, ConvertWhen::FewerBits, ConvertWhen::MoreBits},
    {{"16", "16 bit signed integer"}, 16, TargetSamples::Integer, ConvertWhen::FewerBits, ConvertWhen::MoreBits},
    {{"20", "20 bit signed integer"}, 20, TargetSamples::Integer, ConvertWhen::FewerBits, ConvertWhen::MoreBits},
    {{"24", "24 bit signed integer"}, 24, TargetSamples::Integer, ConvertWhen::FewerBits, ConvertWhen::MoreBits},
    {{"32", "32 bit signed integer"}, 32, TargetSamples::Integer, ConvertWhen::FewerBits, ConvertWhen::FloatSamples},
    {{"32f", "32 bit float"}, 32, TargetSamples::Float, ConvertWhen::IntegerSamples, ConvertWhen::FloatSamples},
    {{"64f", "64 bit float"}, 64, TargetSamples::Float},
}};

// The choices a run takes as the user made them: the user's choices and the run's settings
// share them, so the one is handed to the other whole.
struct SharedChoices {
  bool Simulation = false;
  bool LogEnabled = false;
  std::string Prefix;
  std::string Suffix;
  FolderKind FolderMode = FolderKind::Subfolder;
  bool Normalize = false;
  bool CreateIfUnchanged = false;
  bool Overwrite = false;
  bool StopOnError = true;
  int32_t BitsChoice = 0;  // index into BitDepthChoices
  BitsModeKind BitsMode = BitsModeKind::All;
  // With Normalize: the kept range to an integrated loudness rather than its peak to a level.
  bool NormalizeLoudness = false;
  DitherKind Dither = DitherKind::None;
  bool KeepMetadata = false;   // outputs carry the input's descriptive chunks and markers
  int32_t IgnoreClicksMs = 0;  // sound shorter than this at either end counts as silence
  // Any machine's temporary outputs in an output folder that nothing wrote to for this long are
  // removed; 0: only those of this machine's ended processes.
  int32_t StaleTemporaryMinutes = 0;
  OutputKind OutputType = OutputKind::Same;
  int32_t FlacLevel = 5;  // libFLAC's compression level of FLAC outputs, 0..8
  // Splitting into parts: at silences of at least SplitGapMs, or at the SplitCount - 1 longest.
  int32_t SplitGapMs = 0;         // 0 with SplitCount 0: no splitting
  int32_t SplitMinPartMs = 0;     // a shorter part joins its neighbour
  int32_t SplitCount = 0;         // 0: every gap splits
  bool SplitGainPerPart = false;  // normalising: each part by itself rather than one gain a source
  bool SplitLabels = false;       // a label file of the parts beside them

  bool operator==(const SharedChoices&) const = default;
};

// Snapshot of the options, taken once when a run starts; the run never reads controls.
struct ProcessSettings : SharedChoices {
  std::string FolderText;
  bool RemoveBegin = true;
  bool RemoveEnd = true;
  double ThresholdBegin = 0.0;  // linear factor; 0.0 = digital zero
  double ThresholdEnd = 0.0;
  double NormalizeTarget = 1.0;   // linear factor
  double NormalizeLevelDb = 0.0;  // the target in dBfs, for the log's gain column
  double LoudnessTarget = -23.0;  // LUFS
  double TruePeakCeiling = -1.0;  // dBTP; the loudness gain is lowered so the true peak stays below
  // Natural cuts, in milliseconds; 0 leaves the cut where the scans put it.
  int32_t KeepBeginMs = 0;  // silence kept before the first sound, 0..MaxKeepFadeMs
  int32_t KeepEndMs = 0;    // and after the last
  int32_t FadeInMs = 0;     // fade over the output's first ms when its beginning was cut
  int32_t FadeOutMs = 0;    // and over its last when its end was cut

  bool operator==(const ProcessSettings&) const = default;
};

constexpr int32_t SliderMax = 1440;
constexpr int32_t MaxKeepFadeMs = 10000;
constexpr int32_t MaxIgnoreClicksMs = 1000;
constexpr int32_t MaxStaleTemporaryMinutes = 10080;  // a week
constexpr int32_t MaxFlacLevel = 8;
constexpr int32_t MaxSplitMs = 3600000;  // an hour
constexpr int32_t MaxSplitCount = 9999;
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
