// One view of the preview: per column a shade for what the run does there and the waveform's
// lowest-to-highest stroke, the plan's lines and marks over it, the scale at its left, the ruler
// under it, a caption above a zoomed second and the legend above the main view.
#include "preview/PreviewDrawing.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "preview/PreviewLegend.h"
#include "preview/PreviewRuler.h"

namespace tacetix {

namespace {

// Below this many dB the dB view shows nothing, unless a threshold lies lower.
constexpr double FloorDb = -96.0;
constexpr int32_t TickLength = 4;

double LowestThresholdDb(const ProcessSettings& s) {
  double lowest = FloorDb;
  for (double t : {s.ThresholdBegin, s.ThresholdEnd})
    if (t > 0.0) lowest = std::min(lowest, 20.0 * std::log10(t) - 12.0);
  return std::max(lowest, -150.0);
}

// The plan's ranges in frames; frames outside every range are as the file has them.
struct Ranges {
  bool Known = false, Silent = false;
  int64_t KeepFirst = 0, KeepLast = 0, SoundFirst = 0, SoundLast = 0;
  explicit Ranges(const PreviewPlan* plan) {
    if (!plan || plan->Result != FileResult::Done || plan->Info.Channels < 1) return;
    const int64_t ch = plan->Info.Channels, last = plan->Frames() - 1;
    const FileOutcome& o = plan->Outcome;
    Known = true;
    Silent = o.Silent;
    KeepFirst = o.KeepFirst / ch, SoundFirst = o.SoundFirst / ch;
    KeepLast = std::min(o.KeepLast / ch, last), SoundLast = std::min(o.SoundLast / ch, last);
    for (const PartOutcome& part : o.Parts) Parts.push_back({part.First / ch, part.Last / ch});
  }
  std::vector<FrameSpan> Parts;  // split: each part's frames; the gaps between them are cut
  bool Cut(int64_t f) const { return Known && (Silent || f < KeepFirst || f > KeepLast || InGap(f)); }
  bool InGap(int64_t f) const {
    if (Parts.size() < 2) return false;
    const auto after = std::upper_bound(Parts.begin(), Parts.end(), f,
                                        [](int64_t frame, const FrameSpan& part) { return frame < part.First; });
    return after != Parts.begin() && after != Parts.end() && f > std::prev(after)->Last;
  }
  bool KeptSilence(int64_t f) const { return Known && !Cut(f) && (f < SoundFirst || f > SoundLast); }
  Ink Shade(int64_t f) const { return Cut(f) ? Ink::CutShade : KeptSilence(f) ? Ink::KeptSilenceShade : Ink::Paper; }
};

// The plot of one view: its place in the drawing and the frames its columns stand for.
struct Plot {
  Drawing& D;
  PictureArea A;
  const WaveOverview& O;
  const LevelMap& Map;
  int64_t FrameAt(int32_t x) const { return O.FirstFrame() + (O.FrameCount() * x + A.Width / 2) / A.Width; }
  int32_t XOf(int64_t frame) const {
    return static_cast<int32_t>((frame - O.FirstFrame()) * A.Width / std::max<int64_t>(O.FrameCount(), 1));
  }
  int32_t Top() const { return A.Y + Map.Mid; }
  void Column(int32_t x, int32_t up, int32_t down, Ink ink) const {
    D.Line(A.X + x, A.Y + std::max(Map.Mid - up, 0), A.X + x, A.Y + std::min(Map.Mid + down, A.Height - 1), ink);
  }
};

void DescribeShades(const Plot& p, const Ranges& r) {
  int32_t from = 0;
  for (int32_t x = 1; x <= p.A.Width; ++x) {
    const Ink shade = r.Shade(p.FrameAt(from));
    if (x < p.A.Width && r.Shade(p.FrameAt(x)) == shade) continue;
    p.D.Fill(p.A.X + from, p.A.Y, p.A.X + x, p.A.Y + p.A.Height, shade);
    from = x;
  }
}

void DescribeGrid(const Plot& p, const std::vector<Tick>& levels) {
  for (const Tick& t : levels) p.D.Line(p.A.X, p.A.Y + t.At, p.A.X + p.A.Width - 1, p.A.Y + t.At, Ink::Grid);
  p.D.Line(p.A.X, p.Top(), p.A.X + p.A.Width - 1, p.Top(), Ink::Axis);
}

void DescribeWave(const Plot& p, const Ranges& r) {
  const int32_t bins = p.O.Bins(), done = p.O.BinsDone();
  for (int32_t x = 0; x < p.A.Width; ++x) {
    const int32_t b0 = static_cast<int32_t>(int64_t{x} * bins / p.A.Width);
    const int32_t b1 = std::max(b0 + 1, static_cast<int32_t>(int64_t{x + 1} * bins / p.A.Width));
    float lo = 0.0f, hi = 0.0f;
    bool any = false;
    for (int32_t b = b0; b < std::min(b1, done); ++b) {
      if (p.O.Lowest(b) > p.O.Highest(b)) continue;
      lo = any ? std::min(lo, p.O.Lowest(b)) : p.O.Lowest(b);
      hi = any ? std::max(hi, p.O.Highest(b)) : p.O.Highest(b);
      any = true;
    }
    if (!any) continue;
    const Ink ink = r.Cut(p.FrameAt(x)) ? Ink::CutWave : Ink::Wave;
    if (p.Map.Scale == PreviewScale::Linear) {
      p.Column(x, p.Map.Pixels(std::max(hi, 0.0f)), p.Map.Pixels(std::max(-lo, 0.0f)), ink);
    } else {
      const int32_t reach = p.Map.Pixels(std::max(std::fabs(lo), std::fabs(hi)));
      p.Column(x, reach, reach, ink);
    }
  }
}

// A label over the waveform, on a patch of paper so the strokes under it do not hide it.
void BackedText(Drawing& d, int32_t x, int32_t baseline, TextAnchor anchor, const std::string& words, Ink ink,
                const TextMetrics& metrics) {
  const int32_t w = metrics.Width(words);
  const int32_t left = anchor == TextAnchor::Left ? x : anchor == TextAnchor::Right ? x - w : x - w / 2;
  d.Fill(left - 1, baseline - metrics.Ascent, left + w + 1, baseline + metrics.Descent, Ink::Paper);
  d.Text(x, baseline, anchor, words, w, ink);
}

void DescribeThresholds(const Plot& p, const PreviewPlan& plan, const TextMetrics& metrics) {
  if (p.Map.Scale != PreviewScale::Decibels) return;
  // The beginning's line over the first half of the file, the end's over the second.
  const int32_t split = std::clamp(p.XOf(plan.Frames() / 2), 0, p.A.Width);
  const struct {
    bool On;
    double Level;
    int32_t From, To;
    Ink Colour;
    const char* Name;
  } lines[] = {{plan.Settings.RemoveBegin, plan.Settings.ThresholdBegin, 0, split, Ink::BeginLine, "begin "},
               {plan.Settings.RemoveEnd, plan.Settings.ThresholdEnd, split, p.A.Width, Ink::EndLine, "end "}};
  for (const auto& line : lines) {
    if (!line.On || !(line.Level > 0.0) || line.From >= line.To) continue;
    const int32_t reach = p.Map.Pixels(line.Level);
    for (int32_t y : {p.Top() - reach, p.Top() + reach})
      p.D.Line(p.A.X + line.From, y, p.A.X + line.To - 1, y, line.Colour, true);
    const std::string label = line.Name + DbText(20.0 * std::log10(line.Level));
    if (metrics.Width(label) + 8 > line.To - line.From) continue;
    const int32_t above = p.Top() - reach - 2;
    const int32_t baseline = above - metrics.Ascent >= p.A.Y ? above : p.Top() - reach + 2 + metrics.Ascent;
    const bool begin = line.Colour == Ink::BeginLine;
    BackedText(p.D, p.A.X + (begin ? line.From + 4 : line.To - 4), baseline,
               begin ? TextAnchor::Left : TextAnchor::Right, label, line.Colour, metrics);
  }
}

void DescribeFades(const Plot& p, const Ranges& r, const PreviewPlan& plan) {
  if (!plan.Fades.Active() || r.Silent) return;
  for (int32_t x = 0; x < p.A.Width; ++x) {
    const int64_t frame = p.FrameAt(x);
    if (frame < r.KeepFirst || frame > r.KeepLast) continue;
    const long double factor = plan.Fades.FactorAt(frame - r.KeepFirst);
    if (factor >= 1.0L) continue;
    const int32_t reach = p.Map.Pixels(static_cast<double>(factor));
    p.D.Line(p.A.X + x, p.Top() - reach - 1, p.A.X + x, p.Top() - reach, Ink::FadeCurve);
    p.D.Line(p.A.X + x, p.Top() + reach, p.A.X + x, p.Top() + reach + 1, Ink::FadeCurve);
  }
}

// The cut edges in view: their x in the plot and the frame.
std::vector<std::pair<int32_t, int64_t>> CutEdges(const Plot& p, const Ranges& r) {
  std::vector<std::pair<int32_t, int64_t>> edges;
  if (!r.Known || r.Silent) return edges;
  const int64_t end = p.O.FirstFrame() + p.O.FrameCount();
  std::vector<int64_t> frames = {r.KeepFirst, r.KeepLast + 1};
  // A split file's inner cuts: where each part but the last ends and the next begins.
  for (size_t i = 0; i + 1 < r.Parts.size(); ++i) {
    frames.push_back(r.Parts[i].Last + 1);
    frames.push_back(r.Parts[i + 1].First);
  }
  std::sort(frames.begin(), frames.end());
  for (int64_t edge : frames)
    if (edge > p.O.FirstFrame() && edge < end) edges.emplace_back(std::min(p.XOf(edge), p.A.Width - 1), edge);
  return edges;
}

void DescribeMarks(const Plot& p, const Ranges& r, const PreviewPlan& plan) {
  const int64_t end = p.O.FirstFrame() + p.O.FrameCount();
  for (const FrameSpan& click : plan.PassedClicks) {
    if (click.Last < p.O.FirstFrame() || click.First >= end) continue;
    const int32_t x = p.A.X + p.XOf(click.First);
    ClickMark(p.D, x, p.A.Y, 1);
    ClickMark(p.D, x, p.A.Y + p.A.Height - 1, -1);
  }
  for (const auto& [x, frame] : CutEdges(p, r))
    p.D.Line(p.A.X + x, p.A.Y, p.A.X + x, p.A.Y + p.A.Height - 1, Ink::CutEdge);
  // Each part's number by its start.
  for (size_t i = 0; r.Parts.size() > 1 && i < r.Parts.size(); ++i) {
    if (r.Parts[i].Last < p.O.FirstFrame() || r.Parts[i].First >= end) continue;
    const std::string number = std::to_string(i + 1);
    p.D.Text(p.A.X + std::max(p.XOf(r.Parts[i].First), 0) + 3, p.A.Y + 12, TextAnchor::Left, number,
             static_cast<int32_t>(8 * number.size()), Ink::CutEdge);
  }
}

void DescribeScale(const Plot& p, const std::vector<Tick>& levels, const TextMetrics& metrics) {
  for (const Tick& t : levels) {
    const int32_t y = p.A.Y + t.At;
    p.D.Line(p.A.X - TickLength, y, p.A.X - 1, y, Ink::Text);
    if (t.Label.empty()) continue;
    const int32_t baseline = p.A.Y + t.Left + metrics.Ascent;
    p.D.Text(p.A.X - TickLength - 2, baseline, TextAnchor::Right, t.Label, metrics.Width(t.Label), Ink::Text);
  }
}

bool WholeFile(const ViewRequest& q) {
  return q.Overview->FirstFrame() == 0 && q.Overview->FrameCount() >= q.FileFrames;
}
bool InHours(const ViewRequest& q) { return q.Rate > 0 && q.FileFrames / q.Rate >= 3600; }

// The ruler: the cut times first (their labels have the place), then the ticks around them.
void DescribeRuler(const Plot& p, const ViewRequest& q, const Ranges& r, const TextMetrics& metrics) {
  const int32_t y = p.A.Y + p.A.Height, baseline = y + TickLength + metrics.Ascent;
  p.D.Line(p.A.X, y, p.A.X + p.A.Width - 1, y, Ink::Text);
  if (q.Rate < 1) return;
  std::vector<std::pair<int32_t, std::string>> cuts;
  for (const auto& [x, frame] : CutEdges(p, r))
    cuts.emplace_back(x, ClockText(static_cast<double>(frame) / q.Rate, 3, InHours(q)));
  std::vector<std::pair<int32_t, int32_t>> taken;
  const std::vector<int32_t> lefts = PlaceLabels(cuts, p.A.Width, metrics, taken);
  for (size_t i = 0; i < cuts.size(); ++i) {
    p.D.Line(p.A.X + cuts[i].first, y, p.A.X + cuts[i].first, y + TickLength, Ink::CutEdge);
    if (lefts[i] >= 0)
      p.D.Text(p.A.X + lefts[i], baseline, TextAnchor::Left, cuts[i].second, metrics.Width(cuts[i].second),
               Ink::CutEdge);
  }
  const double start = static_cast<double>(p.O.FirstFrame()) / q.Rate;
  const double span = static_cast<double>(p.O.FrameCount()) / q.Rate;
  for (const Tick& t : RulerTicks(start, span, p.A.Width, !WholeFile(q), InHours(q), metrics, taken)) {
    p.D.Line(p.A.X + t.At, y, p.A.X + t.At, y + TickLength - 1, Ink::Text);
    if (!t.Label.empty())
      p.D.Text(p.A.X + t.Left, baseline, TextAnchor::Left, t.Label, metrics.Width(t.Label), Ink::Text);
  }
}

// Where a zoomed second sits in the file; "" for the whole file.
std::string Caption(const ViewRequest& q) {
  if (!q.Overview || WholeFile(q) || q.Rate < 1) return "";
  const double from = static_cast<double>(q.Overview->FirstFrame()) / q.Rate;
  const double to = static_cast<double>(q.Overview->FirstFrame() + q.Overview->FrameCount()) / q.Rate;
  return std::string(q.Overview->FirstFrame() == 0 ? "first second, " : "last second, ") +
         ClockText(from, 3, InHours(q)) + "\xE2\x80\x93" + ClockText(to, 3, InHours(q));
}

int32_t ScaleWidth(const ViewRequest& q, const TextMetrics& metrics) {
  const char* widest = q.Scale == PreviewScale::Decibels ? "\xE2\x88\x92"
                                                           "150"
                                                         : "\xE2\x88\x92"
                                                           "0.25";
  return metrics.Width(widest) + TickLength + 4;
}

int32_t HeadHeight(const ViewRequest& q, int32_t width, const TextMetrics& metrics) {
  int32_t head = q.Legend ? DescribeLegend(nullptr, 0, 0, width - ScaleWidth(q, metrics) - 2, q.Scale, metrics) : 0;
  if (!Caption(q).empty()) head += metrics.LineHeight() + 2;
  // Room for the top label of the scale, which stands half a line above the plot.
  return std::max(head, metrics.LineHeight() / 2 + 1);
}

}  // namespace

Rgb InkRgb(Ink ink) {
  static constexpr Rgb Colours[] = {{255, 255, 255}, {30, 30, 30},    {250, 250, 250}, {255, 214, 214}, {214, 232, 255},
                                    {40, 70, 120},   {150, 120, 120}, {200, 200, 200}, {232, 232, 232}, {190, 30, 30},
                                    {215, 110, 0},   {0, 140, 60},    {150, 0, 150},   {240, 140, 0}};
  return Colours[static_cast<size_t>(ink)];
}

void Drawing::Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Ink ink) {
  if (x1 > x0 && y1 > y0) Shapes.push_back({Shape::Kind::Fill, ink, x0, y0, x1, y1, TextAnchor::Left, {}});
}

void Drawing::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Ink ink, bool dashed) {
  Shapes.push_back({dashed ? Shape::Kind::DashedLine : Shape::Kind::Line, ink, x0, y0, x1, y1, TextAnchor::Left, {}});
}

void Drawing::Text(int32_t x, int32_t baseline, TextAnchor anchor, std::string words, int32_t width, Ink ink) {
  Shapes.push_back({Shape::Kind::Text, ink, x, baseline, width, 0, anchor, std::move(words)});
}

int32_t ViewFrameHeight(const ViewRequest& request, int32_t width, const TextMetrics& metrics) {
  return HeadHeight(request, width, metrics) + TickLength + metrics.LineHeight() + 2;
}

ViewFrame DescribeView(Drawing& into, const ViewRequest& q, const TextMetrics& metrics) {
  const PictureArea& a = q.Area;
  into.Fill(a.X, a.Y, a.X + a.Width, a.Y + a.Height, Ink::Margin);
  ViewFrame frame;
  if (!q.Overview || a.Width < 2 || a.Height < 2) return frame;
  const int32_t head = HeadHeight(q, a.Width, metrics), left = ScaleWidth(q, metrics);
  // Over the plot, not the scale, whose top label stands half a line above the plot.
  if (q.Legend) DescribeLegend(&into, a.X + left, a.Y + 1, a.Width - left - 2, q.Scale, metrics);
  const std::string caption = Caption(q);
  if (!caption.empty())
    into.Text(a.X + left, a.Y + head - metrics.Descent - 2, TextAnchor::Left, caption, metrics.Width(caption),
              Ink::Text);
  const PictureArea plot{a.X + left, a.Y + head, std::max(a.Width - left - 2, 1),
                         std::max(a.Height - ViewFrameHeight(q, a.Width, metrics), 2)};
  const Ranges r(q.Plan);
  const LevelMap map(q.Scale, r.Known ? LowestThresholdDb(q.Plan->Settings) : FloorDb, plot.Height);
  const Plot p{into, plot, *q.Overview, map};
  const std::vector<Tick> levels = LevelTicks(map, metrics);
  DescribeShades(p, r);
  DescribeGrid(p, levels);
  DescribeWave(p, r);
  if (r.Known) {
    DescribeFades(p, r, *q.Plan);
    DescribeMarks(p, r, *q.Plan);
    DescribeThresholds(p, *q.Plan, metrics);
  }
  DescribeScale(p, levels, metrics);
  DescribeRuler(p, q, r, metrics);
  return {plot, q.Overview->FirstFrame(), q.Overview->FrameCount(), q.Rate, InHours(q), q.Scale, map.FloorDb};
}

FrameStretch ZoomStretch(int64_t frames, int32_t rate, bool last) {
  const int64_t count = std::min<int64_t>(frames, std::max(rate, 1));
  return {last ? frames - count : 0, count};
}

}  // namespace tacetix
