// The preview's drawing: per column a shade for what the run does there, the waveform's
// lowest-to-highest stroke, then the lines and marks over it.
#include "preview/PreviewPicture.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "wave/LevelTime.h"

namespace tacetix {

namespace {

struct Colour {
  uint8_t R, G, B;
};
constexpr Colour Paper{250, 250, 250}, CutShade{255, 214, 214}, KeptSilenceShade{214, 232, 255}, Wave{40, 70, 120},
    CutWave{150, 120, 120}, Axis{200, 200, 200}, CutEdge{190, 30, 30}, BeginLine{215, 110, 0}, EndLine{0, 140, 60},
    FadeCurve{150, 0, 150}, ClickMark{240, 140, 0};

// Below this many dB the dB view shows nothing, unless a threshold lies lower.
constexpr double FloorDb = -96.0;

class Painter {
 public:
  Painter(Picture& picture, PictureArea area) : P(picture), A(area) {}
  void Dot(int32_t x, int32_t y, Colour c) {
    if (x < 0 || y < 0 || x >= A.Width || y >= A.Height) return;
    const size_t at = (static_cast<size_t>(A.Y + y) * static_cast<size_t>(P.Width) + static_cast<size_t>(A.X + x)) * 3;
    P.Rgb[at] = c.R, P.Rgb[at + 1] = c.G, P.Rgb[at + 2] = c.B;
  }
  void Column(int32_t x, int32_t top, int32_t bottom, Colour c) {
    for (int32_t y = std::max(top, 0); y <= std::min(bottom, A.Height - 1); ++y) Dot(x, y, c);
  }
  void Row(int32_t y, int32_t from, int32_t to, Colour c) {
    for (int32_t x = from; x < to; ++x) Dot(x, y, c);
  }
  int32_t Width() const { return A.Width; }
  int32_t Height() const { return A.Height; }

 private:
  Picture& P;
  PictureArea A;
};

// How far from the middle line a magnitude reaches, 0..1, on either scale.
struct Scale {
  PreviewScale Kind;
  double Floor;
  double Reach(double magnitude) const {
    if (Kind == PreviewScale::Linear) return std::min(magnitude, 1.0);
    if (!(magnitude > 0.0)) return 0.0;
    return std::clamp((20.0 * std::log10(magnitude) - Floor) / -Floor, 0.0, 1.0);
  }
};

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
                                        [](int64_t frame, const FrameSpan& p) { return frame < p.First; });
    return after != Parts.begin() && f > std::prev(after)->Last && after != Parts.end();
  }
  bool KeptSilence(int64_t f) const { return Known && !Cut(f) && (f < SoundFirst || f > SoundLast); }
};

struct View {
  const WaveOverview& O;
  int32_t Width;
  int64_t FrameAt(int32_t x) const { return O.FirstFrame() + (O.FrameCount() * x + Width / 2) / Width; }
  int32_t XOf(int64_t frame) const {
    return static_cast<int32_t>((frame - O.FirstFrame()) * Width / std::max<int64_t>(O.FrameCount(), 1));
  }
};

void DrawColumns(Painter& p, const View& v, const Ranges& r, const Scale& s) {
  const int32_t mid = p.Height() / 2, half = std::max(p.Height() / 2 - 2, 1), bins = v.O.Bins();
  const int32_t done = v.O.BinsDone();
  for (int32_t x = 0; x < p.Width(); ++x) {
    const int64_t frame = v.FrameAt(x);
    const bool cut = r.Cut(frame);
    p.Column(x, 0, p.Height() - 1, cut ? CutShade : r.KeptSilence(frame) ? KeptSilenceShade : Paper);
    p.Dot(x, mid, Axis);
    const int32_t b0 = static_cast<int32_t>(int64_t{x} * bins / p.Width());
    const int32_t b1 = std::max(b0 + 1, static_cast<int32_t>(int64_t{x + 1} * bins / p.Width()));
    float lo = 0.0f, hi = 0.0f;
    bool any = false;
    for (int32_t b = b0; b < std::min(b1, done); ++b) {
      if (v.O.Lowest(b) > v.O.Highest(b)) continue;
      lo = any ? std::min(lo, v.O.Lowest(b)) : v.O.Lowest(b);
      hi = any ? std::max(hi, v.O.Highest(b)) : v.O.Highest(b);
      any = true;
    }
    if (!any) continue;
    const Colour c = cut ? CutWave : Wave;
    if (s.Kind == PreviewScale::Linear) {
      p.Column(x, mid - static_cast<int32_t>(std::lround(s.Reach(std::max(hi, 0.0f)) * half)),
               mid + static_cast<int32_t>(std::lround(s.Reach(std::max(-lo, 0.0f)) * half)), c);
    } else {
      const auto reach = static_cast<int32_t>(std::lround(s.Reach(std::max(std::fabs(lo), std::fabs(hi))) * half));
      p.Column(x, mid - reach, mid + reach, c);
    }
  }
}

void DrawThresholds(Painter& p, const View& v, const PreviewPlan& plan, const Scale& s) {
  if (s.Kind != PreviewScale::Decibels) return;
  const int32_t mid = p.Height() / 2, half = std::max(p.Height() / 2 - 2, 1);
  // The beginning's line over the first half of the file, the end's over the second.
  const int32_t split = std::clamp(v.XOf(plan.Frames() / 2), 0, p.Width());
  const struct {
    bool On;
    double Level;
    int32_t From, To;
    Colour C;
  } lines[] = {{plan.Settings.RemoveBegin, plan.Settings.ThresholdBegin, 0, split, BeginLine},
               {plan.Settings.RemoveEnd, plan.Settings.ThresholdEnd, split, p.Width(), EndLine}};
  for (const auto& line : lines) {
    if (!line.On || !(line.Level > 0.0)) continue;
    const auto reach = static_cast<int32_t>(std::lround(s.Reach(line.Level) * half));
    for (int32_t x = line.From; x < line.To; x += 4) {
      p.Row(mid - reach, x, std::min(x + 2, line.To), line.C);
      p.Row(mid + reach, x, std::min(x + 2, line.To), line.C);
    }
  }
}

void DrawFades(Painter& p, const View& v, const Ranges& r, const PreviewPlan& plan, const Scale& s) {
  if (!plan.Fades.Active() || r.Silent) return;
  const int32_t mid = p.Height() / 2, half = std::max(p.Height() / 2 - 2, 1);
  for (int32_t x = 0; x < p.Width(); ++x) {
    const int64_t frame = v.FrameAt(x);
    if (frame < r.KeepFirst || frame > r.KeepLast) continue;
    const long double factor = plan.Fades.FactorAt(frame - r.KeepFirst);
    if (factor >= 1.0L) continue;
    const auto reach = static_cast<int32_t>(std::lround(s.Reach(static_cast<double>(factor)) * half));
    p.Column(x, mid - reach - 1, mid - reach, FadeCurve);
    p.Column(x, mid + reach, mid + reach + 1, FadeCurve);
  }
}

void DrawMarks(Painter& p, const View& v, const Ranges& r, const PreviewPlan& plan) {
  const int64_t end = v.O.FirstFrame() + v.O.FrameCount();
  for (const FrameSpan& click : plan.PassedClicks) {
    if (click.Last < v.O.FirstFrame() || click.First >= end) continue;
    const int32_t x = v.XOf(click.First);
    for (int32_t k = 0; k < 5; ++k) {
      p.Row(k, x - (4 - k), x + (4 - k) + 1, ClickMark);
      p.Row(p.Height() - 1 - k, x - (4 - k), x + (4 - k) + 1, ClickMark);
    }
  }
  if (!r.Known || r.Silent) return;
  for (int64_t edge : {r.KeepFirst, r.KeepLast + 1}) {
    if (edge <= v.O.FirstFrame() || edge >= end) continue;
    p.Column(v.XOf(edge), 0, p.Height() - 1, CutEdge);
  }
}

// Digits of three by five cells of two pixels, a row of bits (the leftmost the highest) per line.
constexpr uint8_t DigitRows[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7},
                                      {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2},
                                      {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};

void DrawNumber(Painter& p, int32_t x, int32_t y, size_t number, Colour c) {
  const std::string digits = std::to_string(number);
  for (size_t i = 0; i < digits.size(); ++i)
    for (int32_t row = 0; row < 5; ++row)
      for (int32_t bit = 0; bit < 3; ++bit) {
        if (!(DigitRows[digits[i] - '0'][row] & (4 >> bit))) continue;
        const int32_t left = x + static_cast<int32_t>(i) * 8 + bit * 2;
        p.Row(y + row * 2, left, left + 2, c);
        p.Row(y + row * 2 + 1, left, left + 2, c);
      }
}

// A split file: a line where each part begins and ends, and the part's number by its start.
void DrawParts(Painter& p, const View& v, const Ranges& r) {
  if (!r.Known || r.Silent || r.Parts.empty()) return;
  const int64_t end = v.O.FirstFrame() + v.O.FrameCount();
  for (size_t i = 0; i < r.Parts.size(); ++i) {
    const FrameSpan& part = r.Parts[i];
    for (int64_t edge : {part.First, part.Last + 1})
      if (edge > v.O.FirstFrame() && edge < end) p.Column(v.XOf(edge), 0, p.Height() - 1, CutEdge);
    if (part.Last < v.O.FirstFrame() || part.First >= end) continue;
    DrawNumber(p, std::max(v.XOf(part.First), 0) + 4, 8, i + 1, CutEdge);
  }
}

}  // namespace

Picture::Picture(int32_t width, int32_t height)
    : Width(std::max(width, 1)), Height(std::max(height, 1)),
      Rgb(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3, 255) {}

void DrawPreview(Picture& into, PictureArea area, const WaveOverview& view, const PreviewPlan* plan,
                 PreviewScale scale) {
  area.Width = std::min(area.Width, into.Width - area.X);
  area.Height = std::min(area.Height, into.Height - area.Y);
  if (area.Width < 1 || area.Height < 1) return;
  Painter p(into, area);
  const View v{view, area.Width};
  const Ranges r(plan);
  const bool planned = r.Known;
  const Scale s{scale, planned ? LowestThresholdDb(plan->Settings) : FloorDb};
  DrawColumns(p, v, r, s);
  if (!planned) return;
  DrawThresholds(p, v, *plan, s);
  DrawFades(p, v, r, *plan, s);
  DrawMarks(p, v, r, *plan);
  DrawParts(p, v, r);
}

FrameStretch ZoomStretch(int64_t frames, int32_t rate, bool last) {
  const int64_t count = std::min<int64_t>(frames, std::max(rate, 1));
  return {last ? frames - count : 0, count};
}

Picture DrawPreviewSheet(const WaveOverview& whole, const WaveOverview& first, const WaveOverview& last,
                         const PreviewPlan& plan, PreviewScale scale, int32_t width, int32_t height) {
  Picture sheet(width, height);
  const int32_t gap = 4, top = (sheet.Height - gap) * 2 / 3, below = sheet.Height - top - gap;
  const int32_t halfWidth = (sheet.Width - gap) / 2;
  DrawPreview(sheet, {0, 0, sheet.Width, top}, whole, &plan, scale);
  DrawPreview(sheet, {0, top + gap, halfWidth, below}, first, &plan, scale);
  DrawPreview(sheet, {sheet.Width - halfWidth, top + gap, halfWidth, below}, last, &plan, scale);
  return sheet;
}

}  // namespace tacetix
