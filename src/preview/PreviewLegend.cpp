// The legend: a sign and a word for each shade and mark, then the level's unit, wrapped to the
// width it is given.
#include "preview/PreviewLegend.h"

#include "preview/PreviewRuler.h"

namespace tacetix {

namespace {

struct LegendItem {
  Ink Colour;
  enum { Swatch, Stroke, Dashes, Triangle } Sign;
  const char* Words;
};
constexpr LegendItem LegendItems[] = {{Ink::CutShade, LegendItem::Swatch, "cut"},
                                      {Ink::KeptSilenceShade, LegendItem::Swatch, "kept silence"},
                                      {Ink::CutEdge, LegendItem::Stroke, "cut point"},
                                      {Ink::FadeCurve, LegendItem::Stroke, "fade"},
                                      {Ink::ClickMark, LegendItem::Triangle, "click passed over"},
                                      {Ink::BeginLine, LegendItem::Dashes, "thresholds"}};

void LegendSign(Drawing& d, const LegendItem& item, int32_t x, int32_t top, int32_t size) {
  const int32_t mid = top + size / 2;
  switch (item.Sign) {
    case LegendItem::Swatch:
      d.Fill(x, top + 1, x + size, top + size, Ink::Text);
      d.Fill(x + 1, top + 2, x + size - 1, top + size - 1, item.Colour);
      break;
    case LegendItem::Stroke: d.Fill(x, mid - 1, x + size, mid + 1, item.Colour); break;
    case LegendItem::Triangle: ClickMark(d, x + size / 2, top + size / 2 - 2, 1); break;
    case LegendItem::Dashes:
      d.Line(x, mid - 2, x + size - 1, mid - 2, Ink::BeginLine, true);
      d.Line(x, mid + 2, x + size - 1, mid + 2, Ink::EndLine, true);
      break;
  }
}

}  // namespace

void ClickMark(Drawing& d, int32_t x, int32_t y, int32_t direction) {
  for (int32_t k = 0; k < 5; ++k)
    d.Line(x - (4 - k), y + direction * k, x + (4 - k), y + direction * k, Ink::ClickMark);
}

int32_t DescribeLegend(Drawing* d, int32_t x, int32_t y, int32_t width, PreviewScale scale,
                       const TextMetrics& metrics) {
  const int32_t size = metrics.Ascent, gap = 2 * LabelGap(metrics), line = metrics.LineHeight() + 2;
  const std::string unit = scale == PreviewScale::Decibels ? "level in dBFS"
                                                           : "level \xC2\xB1"
                                                             "1.0 = 100 %";
  int32_t at = 0, top = 0;
  const auto place = [&](int32_t w) {
    if (at > 0 && at + w > width) at = 0, top += line;
    const int32_t left = at;
    at += w + gap;
    return left;
  };
  for (const LegendItem& item : LegendItems) {
    if (item.Sign == LegendItem::Dashes && scale != PreviewScale::Decibels) continue;  // drawn on the dB scale only
    const int32_t w = metrics.Width(item.Words), left = place(size + 3 + w);
    if (!d) continue;
    LegendSign(*d, item, x + left, y + top, size);
    d->Text(x + left + size + 3, y + top + metrics.Ascent, TextAnchor::Left, item.Words, w, Ink::Text);
  }
  const int32_t w = metrics.Width(unit), left = place(w);
  if (d) d->Text(x + left, y + top + metrics.Ascent, TextAnchor::Left, unit, w, Ink::Text);
  return top + line;
}

}  // namespace tacetix
