// The ruler's step at each zoom and where its labels go; the level scale's likewise. Laid out
// for the picture files' font: 7 pixels a character, 11 above the baseline, 3 below.
#include <gtest/gtest.h>

#include "preview/PreviewPicture.h"
#include "preview/PreviewRuler.h"

namespace tacetix {
void PrintTo(const Tick& t, std::ostream* out) { *out << "{" << t.At << ", \"" << t.Label << "\", " << t.Left << "}"; }
}  // namespace tacetix

namespace {

using tacetix::Tick;

TEST(PreviewRulerTest, StepLabelsAndPlacementFollowTheZoom) {
  const struct {
    const char* Zoom;
    double Start, Span;
    int32_t Width;
    bool Milliseconds, Hours;
    std::vector<std::pair<int32_t, int32_t>> Taken;
    std::vector<Tick> Expected;
  } rows[] = {
      // 3 hours in 400 px: labels of 49 px need 54 between ticks, so half-hours; the second label
      // would touch the first (pushed inside at the left edge), the last the one before it.
      {"three hours",
       0,
       10800,
       400,
       false,
       true,
       {},
       {{0, "0:00:00", 0},
        {67, "", -1},
        {133, "1:00:00", 109},
        {200, "1:30:00", 176},
        {267, "2:00:00", 243},
        {333, "2:30:00", 309},
        {399, "", -1}}},
      // Ten minutes in 600 px: minutes, no hours; the last label pushed inside at the right edge.
      {"ten minutes",
       0,
       600,
       600,
       false,
       false,
       {},
       {{0, "0:00", 0},
        {60, "1:00", 46},
        {120, "2:00", 106},
        {180, "3:00", 166},
        {240, "4:00", 226},
        {300, "5:00", 286},
        {360, "6:00", 346},
        {420, "7:00", 406},
        {480, "8:00", 466},
        {540, "9:00", 526},
        {599, "10:00", 565}}},
      // A zoomed second in 300 px: milliseconds from the view's start.
      {"one second",
       7200.5,
       1,
       300,
       true,
       true,
       {},
       {{0, "0 ms", 0},
        {60, "200 ms", 39},
        {120, "400 ms", 99},
        {180, "600 ms", 159},
        {240, "800 ms", 219},
        {299, "", -1}}},
      // 3.2 s in 320 px with a cut's time at 72..127: half seconds with a decimal; the labels near
      // the cut's give way to it, the ticks stay.
      {"a short file with a cut",
       0,
       3.2,
       320,
       false,
       false,
       {{72, 128}},
       {{0, "0:00.0", 0},
        {50, "", -1},
        {100, "", -1},
        {150, "", -1},
        {200, "0:02.0", 179},
        {250, "0:02.5", 229},
        {300, "0:03.0", 278}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Zoom);
    EXPECT_EQ(tacetix::RulerTicks(row.Start, row.Span, row.Width, row.Milliseconds, row.Hours,
                                  tacetix::PictureMetrics(), row.Taken),
              row.Expected);
  }
}

// The scale's ticks from the plot's top, each label's top half a line above its tick.
TEST(PreviewRulerTest, LevelScaleStepsAndLabels) {
  using tacetix::PreviewScale;
  const struct {
    PreviewScale Scale;
    double Floor;
    int32_t Height;
    std::vector<Tick> Expected;
  } rows[] = {
      // 96 dB over 88 px a half: 24 dB steps (22 px) are the finest that keep 14 px lines apart.
      {PreviewScale::Decibels,
       -96,
       180,
       {{2, "0", -5},
        {178, "0", 171},
        {24,
         "\xE2\x88\x92"
         "24",
         17},
        {156,
         "\xE2\x88\x92"
         "24",
         149},
        {46,
         "\xE2\x88\x92"
         "48",
         39},
        {134,
         "\xE2\x88\x92"
         "48",
         127},
        {68,
         "\xE2\x88\x92"
         "72",
         61},
        {112,
         "\xE2\x88\x92"
         "72",
         105},
        {90,
         "\xE2\x88\x92"
         "96",
         83}}},
      // Linear over 48 px a half: halves.
      {PreviewScale::Linear,
       -96,
       100,
       {{2, "+1.0", -5},
        {98,
         "\xE2\x88\x92"
         "1.0",
         91},
        {26, "+0.5", 19},
        {74,
         "\xE2\x88\x92"
         "0.5",
         67},
        {50, "0", 43}}},
      // A low threshold lowers the floor: 150 dB over 28 px a half. No step keeps the lines apart,
      // so the coarsest; labels that would touch one placed before are dropped, their ticks stay.
      {PreviewScale::Decibels,
       -150,
       60,
       {{2, "0", -5},
        {58, "0", 51},
        {11, "", -1},
        {49, "", -1},
        {20, "", -1},
        {40, "", -1},
        {29,
         "\xE2\x88\x92"
         "144",
         22},
        {31, "", -1}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Height);
    EXPECT_EQ(tacetix::LevelTicks(tacetix::LevelMap(row.Scale, row.Floor, row.Height), tacetix::PictureMetrics()),
              row.Expected);
  }
}

}  // namespace
