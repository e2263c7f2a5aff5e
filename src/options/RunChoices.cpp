// The user's choices to the settings of a run and its log header.
#include "options/RunChoices.h"

#include <algorithm>
#include <cmath>

namespace tacetix {
namespace {

double ThresholdOf(const EndChoices& end) { return end.DigitalZero ? 0.0 : SliderFactor(end.Position); }

// Tenths to the value the log and the meter use, always with a full stop.
std::string TenthsText(int32_t tenths, const char* unit) {
  const int32_t magnitude = tenths < 0 ? -tenths : tenths;
  return (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10) + " " + unit;
}

const char* const DitherNames[] = {"", "triangular", "shaped"};

ProcessSettings SettingsOf(const RunChoices& c) {
  // Linked, the end's own choices wait unused until it is set apart again.
  const EndChoices& end = c.Linked ? c.Begin : c.End;
  ProcessSettings s;
  s.Simulation = c.Simulation;
  s.LogEnabled = c.LogEnabled;
  s.Prefix = c.Prefix;
  s.Suffix = c.Suffix;
  s.FolderMode = c.FolderSubfolder ? 1 : 2;
  s.FolderText = c.FolderSubfolder ? c.SubfolderText : c.OtherFolderText;
  s.Normalize = c.Normalize;
  s.CreateIfUnchanged = c.CreateIfUnchanged;
  s.Overwrite = c.Overwrite;
  s.StopOnError = c.StopOnError;
  s.BitsChoice = c.BitsChoice;
  s.BitsMode = c.BitsMode;
  s.RemoveBegin = c.Begin.Remove;
  s.RemoveEnd = end.Remove;
  s.ThresholdBegin = ThresholdOf(c.Begin);
  s.ThresholdEnd = ThresholdOf(end);
  s.NormalizeTarget = SliderFactor(c.NormalizePosition);
  s.NormalizeLevelDb = SliderToDb(c.NormalizePosition);
  s.NormalizeLoudness = c.Normalize && c.NormalizeLoudness;
  s.LoudnessTarget = std::clamp(c.LoudnessTenths, MinLoudnessTenths, 0) / 10.0;
  s.TruePeakCeiling = std::clamp(c.TruePeakTenths, MinTruePeakTenths, 0) / 10.0;
  s.Dither = c.Dither == TriangularDither || c.Dither == ShapedDither ? c.Dither : NoDither;
  s.KeepMetadata = c.KeepMetadata;
  s.KeepBeginMs = c.Begin.KeepMs;
  s.KeepEndMs = end.KeepMs;
  s.FadeInMs = c.Begin.FadeMs;
  s.FadeOutMs = end.FadeMs;
  s.IgnoreClicksMs = c.IgnoreClicksMs;
  return s;
}

// The header states what the run does, so a linked end shows the beginning's choices.
LogHeaderSnapshot HeaderOf(const RunChoices& c, const ProcessSettings& s) {
  const EndChoices& end = c.Linked ? c.Begin : c.End;
  LogHeaderSnapshot h;
  h.RemoveBegin = s.RemoveBegin;
  h.DigitalZeroBegin = c.Begin.DigitalZero;
  h.ThresholdBeginText = SliderText(c.Begin.Position);
  h.RemoveEnd = s.RemoveEnd;
  h.DigitalZeroEnd = end.DigitalZero;
  h.ThresholdEndText = SliderText(end.Position);
  h.KeepBeginMs = s.KeepBeginMs;
  h.FadeInMs = s.FadeInMs;
  h.KeepEndMs = s.KeepEndMs;
  h.FadeOutMs = s.FadeOutMs;
  h.IgnoreClicksMs = s.IgnoreClicksMs;
  h.Normalize = s.Normalize;
  h.NormalizeText = SliderText(c.NormalizePosition);
  if (s.NormalizeLoudness) {
    h.NormalizeLoudnessText = TenthsText(static_cast<int32_t>(std::lround(s.LoudnessTarget * 10)), "LUFS") +
                              " (true peak " +
                              TenthsText(static_cast<int32_t>(std::lround(s.TruePeakCeiling * 10)), "dBTP") + ")";
  }
  h.DitherText = DitherNames[s.Dither];
  // A choice outside the list converts nothing (as the run treats it): the header says so.
  const bool knownBits = c.BitsChoice >= 0 && c.BitsChoice < static_cast<int32_t>(BitDepthChoices.size());
  h.BitsText = BitDepthChoices[knownBits ? static_cast<size_t>(c.BitsChoice) : 0].Text;
  h.BitsChoice = c.BitsChoice;
  h.BitsMode = c.BitsMode;
  h.Prefix = c.Prefix;
  h.Suffix = c.Suffix;
  h.FolderSubfolder = c.FolderSubfolder;
  h.SubfolderText = c.SubfolderText;
  h.OtherFolderText = c.OtherFolderText;
  h.CreateIfUnchanged = c.CreateIfUnchanged;
  h.Overwrite = c.Overwrite;
  h.StopOnError = c.StopOnError;
  h.KeepMetadata = c.KeepMetadata;
  return h;
}

}  // namespace

RunDescription DescribeRun(const RunChoices& choices) {
  RunDescription run;
  run.Settings = SettingsOf(choices);
  run.Header = HeaderOf(choices, run.Settings);
  return run;
}

}  // namespace tacetix
