// The picture file's sheet: the name and the legend on top, the whole file, its first and last
// second side by side, the line of numbers at the foot (wrapped, never cut).
#include <algorithm>

#include "preview/PreviewDrawing.h"
#include "preview/PreviewText.h"

namespace tacetix {

namespace {

// Words on as many lines as width needs.
std::vector<std::string> Wrapped(const std::string& text, int32_t width, const TextMetrics& metrics) {
  std::vector<std::string> lines(1);
  size_t at = 0;
  while (at < text.size()) {
    const size_t space = text.find(' ', at);
    const std::string word = text.substr(at, space == std::string::npos ? std::string::npos : space - at);
    at = space == std::string::npos ? text.size() : space + 1;
    const std::string joined = lines.back().empty() ? word : lines.back() + " " + word;
    if (lines.back().empty() || metrics.Width(joined) <= width) lines.back() = joined;
    else lines.push_back(word);
  }
  return lines;
}

}  // namespace

Drawing DescribeSheet(const std::string& name, const WaveOverview& whole, const WaveOverview& first,
                      const WaveOverview& last, const PreviewPlan& plan, PreviewScale scale, int32_t width,
                      int32_t height, const TextMetrics& metrics) {
  Drawing d;
  d.Width = std::max(width, 1), d.Height = std::max(height, 1);
  d.Fill(0, 0, d.Width, d.Height, Ink::Margin);
  const int32_t line = metrics.LineHeight() + 2, inner = d.Width - 4;
  const std::string shown = ElideMiddle(Printable(name), inner, metrics);
  d.Text(2, 1 + metrics.Ascent, TextAnchor::Left, shown, metrics.Width(shown), Ink::Text);
  const std::vector<std::string> numbers = Wrapped(PreviewCutText(plan), inner, metrics);
  const int32_t foot = static_cast<int32_t>(numbers.size()) * line;
  for (size_t i = 0; i < numbers.size(); ++i)
    d.Text(2, d.Height - foot + static_cast<int32_t>(i) * line + 1 + metrics.Ascent, TextAnchor::Left, numbers[i],
           metrics.Width(numbers[i]), Ink::Text);
  // The views share what is left between the name and the numbers: two thirds for the whole file.
  const int32_t gap = 6, top = line + 2, room = std::max(d.Height - top - foot - gap, 2);
  const int32_t upper = room * 2 / 3, lower = room - upper, half = (d.Width - gap) / 2;
  const int32_t rate = plan.Info.SampleRate;
  const int64_t frames = plan.Frames();
  DescribeView(d, {{0, top, d.Width, upper}, &whole, &plan, scale, rate, frames, true}, metrics);
  DescribeView(d, {{0, top + upper + gap, half, lower}, &first, &plan, scale, rate, frames, false}, metrics);
  DescribeView(d, {{d.Width - half, top + upper + gap, half, lower}, &last, &plan, scale, rate, frames, false},
               metrics);
  return d;
}

}  // namespace tacetix
