// The user's choices to the settings of a run and its log header, with the rules that join
// options: the linked end, peak or loudness, and the true peak under the loudness.
#include "options/RunChoices.h"

#include <algorithm>

#include "options/OptionTable.h"

namespace tacetix {
namespace {

double ThresholdOf(const EndChoices& end) { return end.DigitalZero ? 0.0 : SliderFactor(end.Position); }

const OptionRow* Named(std::span<const OptionRow* const> given, std::string_view name) {
  const OptionRow* row = nullptr;  // the last one, as the last given counts
  for (const OptionRow* r : given)
    if (name == r->Long) row = r;
  return row;
}

std::string RefusalOf(const RunChoices& c, std::span<const OptionRow* const> given) {
  // One gain per file: to a peak level or to a loudness, not both.
  if (Named(given, "loudness") && Named(given, "normalize")) return "--loudness and --normalize exclude each other";
  if (Named(given, "true-peak") && !Named(given, "loudness"))
    return "--true-peak: the ceiling of --loudness; give --loudness LUFS";
  // FLAC holds integers only.
  if (c.OutputType == OutputKind::Flac && c.BitsChoice > 0 &&
      c.BitsChoice < static_cast<int32_t>(BitDepthChoices.size()) &&
      BitDepthChoices[static_cast<size_t>(c.BitsChoice)].Samples == TargetSamples::Float)
    return "--format flac: FLAC holds integer samples; choose an integer --bits";
  // Linked, the end keeps and fades as the beginning does; a value for the end alone would
  // be dropped without a word.
  const OptionRow* endOnly = nullptr;
  for (const OptionRow* r : given)
    if (r == FindOption("keep-end") || r == FindOption("fade-out")) endOnly = r;
  if (c.Linked && endOnly)
    return "--" + std::string(endOnly->Long) + ": the end follows the beginning; give --end LEVEL to set it apart";
  return "";
}

// What the run does: a linked end does what the beginning does, a loudness is normalised to
// only with normalising on, and every value is held within its row's range.
RunChoices Joined(const RunChoices& choices) {
  RunChoices c = choices;
  if (c.Linked) c.End = c.Begin;
  c.NormalizeLoudness = c.Normalize && c.NormalizeLoudness;
  ClampToRows(c);
  return c;
}

ProcessSettings SettingsOf(const RunChoices& c) {
  ProcessSettings s;
  static_cast<SharedChoices&>(s) = c;
  s.FolderText = c.FolderMode == FolderKind::Subfolder ? c.SubfolderText : c.OtherFolderText;
  s.RemoveBegin = c.Begin.Remove;
  s.RemoveEnd = c.End.Remove;
  s.ThresholdBegin = ThresholdOf(c.Begin);
  s.ThresholdEnd = ThresholdOf(c.End);
  s.NormalizeTarget = SliderFactor(c.NormalizePosition);
  s.NormalizeLevelDb = SliderToDb(c.NormalizePosition);
  s.LoudnessTarget = c.LoudnessTenths / 10.0;
  s.TruePeakCeiling = c.TruePeakTenths / 10.0;
  s.KeepBeginMs = c.Begin.KeepMs;
  s.KeepEndMs = c.End.KeepMs;
  s.FadeInMs = c.Begin.FadeMs;
  s.FadeOutMs = c.End.FadeMs;
  return s;
}

// Every row states its own lines, in the header's order.
LogHeaderSnapshot HeaderOf(const RunChoices& c) {
  std::vector<const OptionRow*> stating;
  for (const OptionRow& row : AllOptions())
    if (row.State) stating.push_back(&row);
  std::stable_sort(stating.begin(), stating.end(),
                   [](const OptionRow* a, const OptionRow* b) { return a->Log < b->Log; });
  LogHeaderSnapshot h;
  for (const OptionRow* row : stating)
    row->State(c, row->Log.Section == LogSection::Processing ? h.Processing : h.Output);
  return h;
}

}  // namespace

RunDescription DescribeRun(const RunChoices& choices, std::span<const OptionRow* const> given) {
  RunDescription run;
  run.Refusal = RefusalOf(choices, given);
  const RunChoices joined = Joined(choices);
  run.Settings = SettingsOf(joined);
  run.Header = HeaderOf(joined);
  return run;
}

}  // namespace tacetix
