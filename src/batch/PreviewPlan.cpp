// The preview's decisions: ProcessFile's planning steps on a reader of their own, with the
// figures the run's record would hold.
#include "batch/PreviewPlan.h"

#include <memory>

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

}  // namespace tacetix
