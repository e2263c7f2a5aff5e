// The preview's decisions: ProcessFile's planning steps on a reader of their own, with the
// figures the run's record would hold.
#include "batch/PreviewPlan.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

#include "batch/RowText.h"
#include "wave/FailureKind.h"

namespace tacetix {

namespace {

class PreviewProgress : public FileProgress {
 public:
  explicit PreviewProgress(const std::function<bool()>& cancelled) : Asked(cancelled) {}
  bool Cancelled() override { return Asked && Asked(); }
  void Progress(int32_t) override {}

 private:
  const std::function<bool()>& Asked;
};

std::string Format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

}  // namespace

PreviewPlan PlanPreview(const std::string& path, const ProcessSettings& settings,
                        const std::function<bool()>& cancelled) {
  PreviewPlan plan;
  plan.Settings = settings;
  auto file = std::make_unique<RowFile>();
  std::vector<double> buffer(BlockValues);
  PreviewProgress progress(cancelled);
  FileContext context{settings, *file, buffer.data(), progress, RowProgress{}, &plan.Figures, &plan.PassedClicks};
  // As the run marks it before the file's turn.
  plan.Figures.peakdb_known = settings.Normalize;
  plan.Result = PlanFile(context, path, plan.Outcome);
  if (plan.Result != FileResult::Done) return plan;
  file->Reader.GetInfo(plan.Info);
  const int32_t ch = plan.Info.Channels;
  const int64_t total = plan.Info.SampleCount - plan.Info.SampleCount % ch;
  plan.Cuts = CutFramesFor(settings, plan.Info.SampleRate);
  if (plan.Outcome.OutputDue) plan.Fades = OutputFades(settings, plan.Cuts, plan.Outcome, total, ch);
  return plan;
}

std::string ClockText(int64_t frames, int64_t rate) {
  if (rate <= 0) return "-";
  // Whole milliseconds, ties to even, as every rounding of the program.
  int64_t ms = frames * 1000 / rate;
  const int64_t rest = frames * 1000 % rate;
  if (2 * rest > rate || (2 * rest == rate && ms % 2 != 0)) ++ms;
  const int64_t h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60;
  if (h > 0) return Format("%" PRId64 ":%02" PRId64 ":%02" PRId64 ".%03" PRId64, h, m, s, ms % 1000);
  return Format("%" PRId64 ":%02" PRId64 ".%03" PRId64, m, s, ms % 1000);
}

std::string PreviewCutText(const PreviewPlan& plan) {
  if (plan.Result == FileResult::Cancelled) return std::string(FailureText(FailureKind::Cancelled));
  if (plan.Result != FileResult::Done)
    return "cannot be read" + (plan.Outcome.Reason.empty() ? std::string() : " (" + plan.Outcome.Reason + ")");
  const Logfile& f = plan.Figures;
  if (plan.Outcome.Silent)
    return std::string(NoOutputWhy(true)) + ": " + std::string(NoOutputWords) + " (" + SilentText(f) + ")";
  const int64_t rate = plan.Info.SampleRate;
  const auto kept = static_cast<int64_t>(f.endsample - f.startsample + 1);
  std::string text = plan.Outcome.OutputDue ? "" : NoOutputText(false) + "; ";
  text += "cut " + ClockText(static_cast<int64_t>(f.startsample), rate) + " at the beginning, " +
          ClockText(static_cast<int64_t>(f.samples_in - 1 - f.endsample), rate) + " at the end; kept " +
          ClockText(kept, rate) + " of " + ClockText(static_cast<int64_t>(f.samples_in), rate) + " (" + FramesText(f) +
          ")";
  if (f.peakdb_known) text += "; " + PeakGainText(f);
  if (plan.Settings.NormalizeLoudness && plan.Outcome.Loudness.Measured) {
    const LoudnessFigures after = LoudnessAfterGain(plan.Outcome);
    text += ", " + LoudnessText(after.Lufs, after.TruePeak);
  }
  const std::string note = DoneNote(plan.Outcome);
  if (!note.empty()) text += " (" + note + ")";
  return text;
}

}  // namespace tacetix
