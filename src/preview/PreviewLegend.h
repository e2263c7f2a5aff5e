// The legend of the preview's shades and marks, and the click mark it shares with the views.
#pragma once

#include "preview/PreviewDrawing.h"

namespace tacetix {

// A small triangle pointing into the plot from its top (direction 1, down) or bottom (-1, up).
void ClickMark(Drawing& d, int32_t x, int32_t y, int32_t direction);

// The legend's items left to right from (x, y), on as many lines as width needs; returns its
// height. With d null it only measures.
int32_t DescribeLegend(Drawing* d, int32_t x, int32_t y, int32_t width, PreviewScale scale, const TextMetrics& metrics);

}  // namespace tacetix
