// The time ruler and the level scale: which step their ticks take at a zoom, how the labels
// read, where they fit; and the readout of a point.
#include <algorithm>
#include <cmath>

#include "preview/PreviewDrawing.h"
#include "preview/PreviewRuler.h"
#include "wave/LevelTime.h"

namespace tacetix {

namespace {

// Seconds between ticks, finest first: 1-2-5 below a second, then the clock's own divisions.
constexpr double TimeSteps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2,  0.5,  1,    2,     5,     10,
                                15,    30,    60,    120,  300,  600,  900, 1800, 3600, 7200, 10800, 21600, 43200};

int32_t DecimalsFor(double step) { return step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3; }

std::string TickText(double seconds, double step, bool inMilliseconds, bool hours) {
  if (inMilliseconds) return std::to_string(std::llround(seconds * 1000.0)) + " ms";
  return ClockText(seconds, DecimalsFor(step), hours);
}

// The ticks of one step, labels not placed yet; empty when they would crowd the ruler.
std::vector<std::pair<int32_t, std::string>> StepTicks(double start, double span, int32_t width, double step,
                                                       bool inMilliseconds, bool hours, const TextMetrics& metrics) {
  std::vector<std::pair<int32_t, std::string>> ticks;
  const double pixels = step / span * width;
  if (pixels < 2.0) return ticks;
  const double origin = inMilliseconds ? 0.0 : start;
  const double from = inMilliseconds ? 0.0 : std::ceil(start / step - 1e-9) * step;
  int32_t widest = 0;
  for (int64_t k = 0;; ++k) {
    const double t = from + static_cast<double>(k) * step;
    if (t > origin + span + 1e-9 * step) break;
    const auto x = static_cast<int32_t>(std::lround((t - origin) / span * width));
    ticks.emplace_back(std::min(x, width - 1), TickText(t, step, inMilliseconds, hours));
    widest = std::max(widest, metrics.Width(ticks.back().second));
  }
  if (pixels < widest + LabelGap(metrics)) ticks.clear();
  return ticks;
}

// Text of a value with the typographic minus.
std::string Signed(double value, int32_t decimals, bool plus) {
  const double shown = std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
  if (shown == 0) return "0";
  std::string text = FixedText(std::fabs(shown), decimals);
  if (shown < 0) return "\xE2\x88\x92" + text;
  return (plus && shown > 0 ? "+" : "") + text;
}

}  // namespace

int32_t LabelGap(const TextMetrics& metrics) { return std::max(metrics.Ascent / 2, 3); }

std::string FixedText(double value, int32_t decimals) {
  const auto scale = static_cast<int64_t>(std::llround(std::pow(10.0, decimals)));
  const int64_t units = std::llround(value * static_cast<double>(scale));
  std::string text = std::to_string(units / scale);
  if (decimals > 0) text += "." + ZeroPad(units % scale, decimals);
  return text;
}

std::string DbText(double db) { return Signed(db, 1, false) + " dB"; }

std::string ClockText(double seconds, int32_t decimals, bool hours) {
  const auto scale = static_cast<int64_t>(std::llround(std::pow(10.0, decimals)));
  const int64_t units = std::llround(std::max(seconds, 0.0) * static_cast<double>(scale));
  const int64_t whole = units / scale;
  std::string text = hours ? std::to_string(whole / 3600) + ":" + ZeroPad(whole / 60 % 60, 2)
                           : std::to_string(whole / 60);
  text += ":" + ZeroPad(whole % 60, 2);
  if (decimals > 0) text += "." + ZeroPad(units % scale, decimals);
  return text;
}

std::vector<int32_t> PlaceLabels(const std::vector<std::pair<int32_t, std::string>>& wanted, int32_t width,
                                 const TextMetrics& metrics, std::vector<std::pair<int32_t, int32_t>>& taken) {
  std::vector<int32_t> lefts;
  const int32_t gap = LabelGap(metrics);
  for (const auto& [x, text] : wanted) {
    const int32_t w = metrics.Width(text);
    const int32_t left = std::clamp(x - w / 2, 0, std::max(width - w, 0));
    const bool clear = w <= width && std::none_of(taken.begin(), taken.end(), [&](const auto& span) {
                         return left < span.second + gap && span.first < left + w + gap;
                       });
    lefts.push_back(clear ? left : -1);
    if (clear) taken.emplace_back(left, left + w);
  }
  return lefts;
}

std::vector<Tick> RulerTicks(double startSeconds, double spanSeconds, int32_t width, bool inMilliseconds, bool hours,
                             const TextMetrics& metrics, std::vector<std::pair<int32_t, int32_t>> taken) {
  if (!(spanSeconds > 0.0) || width < 1) return {};
  std::vector<std::pair<int32_t, std::string>> ticks;
  for (double step : TimeSteps) {
    ticks = StepTicks(startSeconds, spanSeconds, width, step, inMilliseconds, hours, metrics);
    if (!ticks.empty()) break;
  }
  const std::vector<int32_t> lefts = PlaceLabels(ticks, width, metrics, taken);
  std::vector<Tick> placed;
  for (size_t i = 0; i < ticks.size(); ++i)
    placed.push_back({ticks[i].first, lefts[i] < 0 ? "" : ticks[i].second, lefts[i]});
  return placed;
}

LevelMap::LevelMap(PreviewScale scale, double floorDb, int32_t plotHeight)
    : Scale(scale), FloorDb(floorDb), Mid(plotHeight / 2), Half(std::max(plotHeight / 2 - 2, 1)) {}

double LevelMap::Reach(double magnitude) const {
  if (Scale == PreviewScale::Linear) return std::min(magnitude, 1.0);
  if (!(magnitude > 0.0)) return 0.0;
  return std::clamp((20.0 * std::log10(magnitude) - FloorDb) / -FloorDb, 0.0, 1.0);
}

int32_t LevelMap::Pixels(double magnitude) const { return static_cast<int32_t>(std::lround(Reach(magnitude) * Half)); }

std::vector<Tick> LevelTicks(const LevelMap& map, const TextMetrics& metrics) {
  const bool db = map.Scale == PreviewScale::Decibels;
  const double range = db ? -map.FloorDb : 1.0;
  const double steps[] = {db ? 3.0 : 0.1, db ? 6.0 : 0.2, db ? 12.0 : 0.25, db ? 24.0 : 0.5, db ? 48.0 : 1.0};
  double step = steps[4];
  for (double s : steps)
    if (s / range * map.Half >= metrics.LineHeight() + LabelGap(metrics)) {
      step = s;
      break;
    }
  const int32_t decimals = !db && step == 0.25 ? 2 : db ? 0 : 1;
  // From the loudest down, the upper half before its mirror, so the ends keep their labels.
  std::vector<std::pair<int32_t, std::string>> wanted;
  for (double r = range; r > -1e-9; r -= step) {
    const auto px = static_cast<int32_t>(std::lround(r / range * map.Half));
    const double value = db ? map.FloorDb + r : r;
    wanted.emplace_back(map.Mid - px, db ? Signed(value, 0, false) : Signed(value, decimals, true));
    if (px > 0) wanted.emplace_back(map.Mid + px, db ? wanted.back().second : Signed(-value, decimals, true));
  }
  // The labels at either end may stand half a line beyond the plot, beside the ruler or the caption.
  const int32_t overhang = metrics.LineHeight() / 2;
  std::vector<std::pair<int32_t, std::string>> shifted;
  for (const auto& [y, text] : wanted) shifted.emplace_back(y + overhang, text);
  TextMetrics rows = metrics;
  rows.Width = [&metrics](const std::string&) { return metrics.LineHeight(); };
  std::vector<std::pair<int32_t, int32_t>> taken;
  const std::vector<int32_t> placed = PlaceLabels(shifted, map.Mid * 2 + 1 + 2 * overhang, rows, taken);
  std::vector<Tick> ticks;
  for (size_t i = 0; i < wanted.size(); ++i)
    ticks.push_back(
        {wanted[i].first, placed[i] < 0 ? "" : wanted[i].second, placed[i] < 0 ? -1 : placed[i] - overhang});
  return ticks;
}

std::string PointText(const ViewFrame& frame, int32_t x, int32_t y) {
  const PictureArea& p = frame.Plot;
  if (x < p.X || y < p.Y || x >= p.X + p.Width || y >= p.Y + p.Height || frame.Rate < 1) return "";
  const int64_t at = frame.FirstFrame + frame.FrameCount * (x - p.X) / std::max(p.Width, 1);
  const LevelMap map(frame.Scale, frame.FloorDb, p.Height);
  const double reach = static_cast<double>(map.Mid - (y - p.Y)) / map.Half;
  std::string level;
  if (frame.Scale == PreviewScale::Linear)
    level = Signed(reach, 3, true) + " (" + Signed(reach * 100.0, 1, true) + " %)";
  else level = Signed(frame.FloorDb * (1.0 - std::min(std::fabs(reach), 1.0)), 1, false) + " dBFS";
  return ClockText(static_cast<double>(at) / frame.Rate, 3, frame.Hours) + "  " + level;
}

}  // namespace tacetix
