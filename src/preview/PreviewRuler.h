// The level scale of a view and the texts of levels, shared by the view's layout and its readout.
#pragma once

#include <string>
#include <vector>

#include "preview/PreviewDrawing.h"

namespace tacetix {

// How far from the middle line a magnitude reaches on either scale, in pixels of a plot.
struct LevelMap {
  LevelMap(PreviewScale scale, double floorDb, int32_t plotHeight);
  double Reach(double magnitude) const;  // 0..1
  int32_t Pixels(double magnitude) const;
  PreviewScale Scale;
  double FloorDb;
  int32_t Mid, Half;
};

// The scale's ticks from the plot's top: both halves, labels that fit (dB from 0 down to the
// floor at the middle line; linear from +1.0 through 0 to -1.0).
std::vector<Tick> LevelTicks(const LevelMap& map, const TextMetrics& metrics);

// The room a label keeps free on either side.
int32_t LabelGap(const TextMetrics& metrics);
// value with decimals places, no sign.
std::string FixedText(double value, int32_t decimals);
// "−60.0 dB".
std::string DbText(double db);

}  // namespace tacetix
