#include "cli/PreviewCommand.h"

#include <algorithm>
#include <cctype>

#include "cli/TerminalText.h"
#include "preview/PngFile.h"
#include "preview/PreviewPicture.h"
#include "preview/SvgFile.h"
#include "run/RowText.h"

namespace tacetix {

namespace {

// The columns of one stretch, read through a reader of its own.
bool ScanStretch(const std::string& path, WaveOverview& view) {
  SourceReader reader;
  return reader.Open(path) == 0 && view.Scan(reader, {}) == 0;
}

bool EndsWith(const std::string& name, std::string_view end) {
  return name.size() >= end.size() && std::equal(end.rbegin(), end.rend(), name.rbegin(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

// A name ending in .svg gets SVG, any other a PNG.
int WriteSheet(const std::string& path, const Drawing& sheet, std::string& why) {
  return EndsWith(path, ".svg") ? WriteSvg(path, sheet, why) : WritePng(path, PaintPicture(sheet), why);
}

}  // namespace

int WritePreview(const CliConfig& config, std::ostream& lines, std::ostream& errors) {
  const PreviewPlan plan = PlanPreview(config.PreviewFile, config.Request.Settings);
  const std::string shown = TerminalName(config.PreviewFile);
  if (plan.Result != FileResult::Done) {
    errors << "tacetix-cli: " << shown << ": " << PreviewCutText(plan) << '\n';
    return 1;
  }
  const int64_t frames = plan.Frames();
  const FrameStretch first = ZoomStretch(frames, plan.Info.SampleRate, false);
  const FrameStretch last = ZoomStretch(frames, plan.Info.SampleRate, true);
  // The whole file at a column a pixel; the seconds at the sheet's half width.
  WaveOverview whole(0, frames, config.PreviewWidth);
  WaveOverview begin(first.First, first.Count, config.PreviewWidth / 2);
  WaveOverview end(last.First, last.Count, config.PreviewWidth / 2);
  if (!ScanStretch(config.PreviewFile, whole) || !ScanStretch(config.PreviewFile, begin) ||
      !ScanStretch(config.PreviewFile, end)) {
    errors << "tacetix-cli: " << shown << ": cannot be read\n";
    return 1;
  }
  const PreviewScale scale = config.PreviewDecibels ? PreviewScale::Decibels : PreviewScale::Linear;
  const Drawing sheet = DescribeSheet(config.PreviewFile, whole, begin, end, plan, scale, config.PreviewWidth,
                                      config.PreviewHeight, PictureMetrics());
  std::string why;
  if (WriteSheet(config.PreviewOut, sheet, why) != 0) {
    errors << "tacetix-cli: " << TerminalName(config.PreviewOut) << ": "
           << (why.empty() ? FailureText(FailureKind::CannotWrite) : why) << '\n';
    return 1;
  }
  lines << shown << ": " << PreviewCutText(plan) << '\n';
  return 0;
}

}  // namespace tacetix
