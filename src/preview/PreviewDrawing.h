// What the preview draws and where, decided once for the window and the picture files: the
// shades, the waveform, the lines and marks of the plan, the time ruler, the level scale, the
// labels and the legend. The window paints it with its own font and palette, the picture writers
// with theirs; neither decides a position.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "preview/PreviewPlan.h"
#include "preview/WaveOverview.h"

namespace tacetix {

enum class PreviewScale { Linear, Decibels };

struct PictureArea {
  int32_t X, Y, Width, Height;
};

// Margin and Text are the surroundings: the window takes them from its palette.
enum class Ink : uint8_t {
  Margin,
  Text,
  Paper,
  CutShade,
  KeptSilenceShade,
  Wave,
  CutWave,
  Axis,
  Grid,
  CutEdge,
  BeginLine,
  EndLine,
  FadeCurve,
  ClickMark
};

struct Rgb {
  uint8_t R, G, B;
};
// The picture files' colours.
Rgb InkRgb(Ink ink);

enum class TextAnchor : uint8_t { Left, Centre, Right };

// One thing to paint, in paint order. A fill covers X0..X1-1 by Y0..Y1-1; a line runs from
// (X0, Y0) to (X1, Y1), both ends included, and is level or upright (a dashed one level); a text stands on the
// baseline Y0 at X0 as Anchor says, X1 being its width as the layout measured it.
struct Shape {
  enum class Kind : uint8_t { Fill, Line, DashedLine, Text } What;
  Ink Colour;
  int32_t X0, Y0, X1, Y1;
  TextAnchor Anchor = TextAnchor::Left;
  std::string Words;
  int32_t Left() const { return Anchor == TextAnchor::Left ? X0 : Anchor == TextAnchor::Right ? X0 - X1 : X0 - X1 / 2; }
};

struct Drawing {
  int32_t Width = 0, Height = 0;
  std::vector<Shape> Shapes;
  void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Ink ink);
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Ink ink, bool dashed = false);
  void Text(int32_t x, int32_t baseline, TextAnchor anchor, std::string words, int32_t width, Ink ink);
};

// The font the drawing is laid out for: its line's parts and the width of a text.
struct TextMetrics {
  int32_t Ascent = 11, Descent = 3;
  std::function<int32_t(const std::string&)> Width;
  int32_t LineHeight() const { return Ascent + Descent; }
};

// A tick of the ruler or the scale with the label placed for it ("" when it had no room).
struct Tick {
  int32_t At;  // x on the ruler, y on the scale (from the plot's top)
  std::string Label;
  int32_t Left = -1;  // the label's left edge on the ruler (its top on the scale)
  bool operator==(const Tick&) const = default;
};

// Times as the ruler writes them: h:mm:ss once a view reaches an hour, m:ss below, with as many
// decimals as given.
std::string ClockText(double seconds, int32_t decimals, bool hours);

// The ruler of a view of span seconds over width pixels: the finest step whose labels keep
// apart. From zero (startSeconds into the file) when inSeconds is false, labelled in ms from the
// view's start when it is true. Labels collide with none of taken (the cut times' left and right
// edges, placed first) and none leaves 0..width.
std::vector<Tick> RulerTicks(double startSeconds, double spanSeconds, int32_t width, bool inMilliseconds, bool hours,
                             const TextMetrics& metrics, std::vector<std::pair<int32_t, int32_t>> taken = {});

// Places texts centred on their x in a strip of width pixels, shifted inside it, in order; a
// text that would touch one placed before is dropped. Returns each one's left edge (-1 dropped).
std::vector<int32_t> PlaceLabels(const std::vector<std::pair<int32_t, std::string>>& wanted, int32_t width,
                                 const TextMetrics& metrics, std::vector<std::pair<int32_t, int32_t>>& taken);

// Where a view's pixels sit in the file and on the scale, for the hover's readout.
struct ViewFrame {
  PictureArea Plot{0, 0, 0, 0};
  int64_t FirstFrame = 0, FrameCount = 0;
  int32_t Rate = 0;
  bool Hours = false;
  PreviewScale Scale = PreviewScale::Decibels;
  double FloorDb = -96.0;
};
// The time and the level under a point of the view ("" outside its plot).
std::string PointText(const ViewFrame& frame, int32_t x, int32_t y);

struct ViewRequest {
  PictureArea Area;
  const WaveOverview* Overview = nullptr;  // null: the view is empty
  const PreviewPlan* Plan = nullptr;       // null while none is made; a failed one draws no cut
  PreviewScale Scale = PreviewScale::Decibels;
  int32_t Rate = 0;        // of the file, for the times
  int64_t FileFrames = 0;  // of the whole file: a view of less is a zoomed second
  bool Legend = false;     // a line naming the shades and marks above the view
};

// Adds one view to into; returns where its pixels sit.
ViewFrame DescribeView(Drawing& into, const ViewRequest& request, const TextMetrics& metrics);

// The height a view needs around its plot (legend, caption, ruler) at width.
int32_t ViewFrameHeight(const ViewRequest& request, int32_t width, const TextMetrics& metrics);

// The picture file's sheet: the file name, the legend, the whole file with its first and last
// second below it, and the line of numbers.
Drawing DescribeSheet(const std::string& name, const WaveOverview& whole, const WaveOverview& first,
                      const WaveOverview& last, const PreviewPlan& plan, PreviewScale scale, int32_t width,
                      int32_t height, const TextMetrics& metrics);

// The first second of a file of frames at rate (last: its last second), as a first frame and a count.
struct FrameStretch {
  int64_t First = 0;
  int64_t Count = 0;
};
FrameStretch ZoomStretch(int64_t frames, int32_t rate, bool last);

}  // namespace tacetix
