// Fills, level and upright lines (dashed two on, two off) and texts blended by the glyphs' coverage.
#include "preview/PreviewPicture.h"

#include <algorithm>

#include "preview/PreviewText.h"

namespace tacetix {

namespace {

struct Glyph {
  char32_t Point;
  const char* Coverage;
};
#include "preview/PreviewFontGlyphs.inc"

const Glyph* GlyphOf(char32_t point) {
  const auto* end = std::end(Glyphs);
  const auto* found =
      std::lower_bound(std::begin(Glyphs), end, point, [](const Glyph& g, char32_t p) { return g.Point < p; });
  if (found != end && found->Point == point) return found;
  return point == 0xFFFD ? nullptr : GlyphOf(0xFFFD);
}

class Canvas {
 public:
  explicit Canvas(Picture& p) : P(p) {}
  void Blend(int32_t x, int32_t y, Rgb c, int32_t alpha) {
    if (x < 0 || y < 0 || x >= P.Width || y >= P.Height) return;
    uint8_t* at = &P.Rgb[(static_cast<size_t>(y) * static_cast<size_t>(P.Width) + static_cast<size_t>(x)) * 3];
    for (uint8_t part : {c.R, c.G, c.B}) *at = static_cast<uint8_t>((part * alpha + *at * (15 - alpha) + 7) / 15), ++at;
  }
  void Fill(const Shape& s) {
    const Rgb c = InkRgb(s.Colour);
    for (int32_t y = std::max(s.Y0, 0); y < std::min(s.Y1, P.Height); ++y)
      for (int32_t x = std::max(s.X0, 0); x < std::min(s.X1, P.Width); ++x) Blend(x, y, c, 15);
  }
  void Line(const Shape& s) {
    const Rgb c = InkRgb(s.Colour);
    const bool dashed = s.What == Shape::Kind::DashedLine;
    int32_t step = 0;
    for (int32_t y = std::min(s.Y0, s.Y1); y <= std::max(s.Y0, s.Y1); ++y)
      for (int32_t x = std::min(s.X0, s.X1); x <= std::max(s.X0, s.X1); ++x, ++step)
        if (!dashed || step % 4 < 2) Blend(x, y, c, 15);
  }
  void Text(const Shape& s) {
    const Rgb c = InkRgb(s.Colour);
    int32_t x = s.Left();
    for (char32_t point : CodePoints(s.Words)) {
      if (const Glyph* g = GlyphOf(point)) PaintGlyph(*g, x, s.Y0 - GlyphAscent, c);
      x += GlyphWidth;
    }
  }

 private:
  void PaintGlyph(const Glyph& g, int32_t left, int32_t top, Rgb c) {
    for (int32_t row = 0; row < GlyphAscent + GlyphDescent; ++row)
      for (int32_t col = 0; col < GlyphWidth; ++col) {
        const char digit = g.Coverage[row * GlyphWidth + col];
        const int32_t alpha = digit <= '9' ? digit - '0' : digit - 'a' + 10;
        if (alpha > 0) Blend(left + col, top + row, c, alpha);
      }
  }
  Picture& P;
};

}  // namespace

Picture::Picture(int32_t width, int32_t height)
    : Width(std::max(width, 1)), Height(std::max(height, 1)),
      Rgb(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3, 255) {}

const TextMetrics& PictureMetrics() {
  static const TextMetrics metrics{GlyphAscent, GlyphDescent, [](const std::string& text) {
                                     return static_cast<int32_t>(CodePoints(text).size()) * GlyphWidth;
                                   }};
  return metrics;
}

Picture PaintPicture(const Drawing& drawing) {
  Picture picture(drawing.Width, drawing.Height);
  Canvas canvas(picture);
  for (const Shape& s : drawing.Shapes) {
    switch (s.What) {
      case Shape::Kind::Fill: canvas.Fill(s); break;
      case Shape::Kind::Line:
      case Shape::Kind::DashedLine: canvas.Line(s); break;
      case Shape::Kind::Text: canvas.Text(s); break;
    }
  }
  return picture;
}

}  // namespace tacetix
