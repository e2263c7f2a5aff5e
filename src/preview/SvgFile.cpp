// Fills as rectangles, the lines of one colour as one path (the waveform is a stroke a column),
// texts as text in a monospaced font whose advance the layout counted with.
#include "preview/SvgFile.h"

#include "preview/PngFile.h"
#include "preview/PreviewPicture.h"

namespace tacetix {

namespace {

std::string Colour(Ink ink) {
  const Rgb c = InkRgb(ink);
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.R, c.G, c.B);
  return text;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Lines are drawn through the middle of their pixels.
std::string Segment(const Shape& s) {
  const bool level = s.Y0 == s.Y1;
  return "M" + std::to_string(s.X0) + (level ? "" : ".5") + " " + std::to_string(s.Y0) + (level ? ".5" : "") +
         (level ? "H" + std::to_string(s.X1 + 1) : "V" + std::to_string(s.Y1 + 1));
}

// A run of lines of one colour and kind as one path.
size_t PathFrom(const std::vector<Shape>& shapes, size_t at, std::string& out) {
  const Shape& first = shapes[at];
  out += "<path fill=\"none\" stroke=\"" + Colour(first.Colour) + "\"";
  if (first.What == Shape::Kind::DashedLine) out += " stroke-dasharray=\"2 2\"";
  out += " d=\"";
  size_t next = at;
  for (; next < shapes.size() && shapes[next].What == first.What && shapes[next].Colour == first.Colour; ++next)
    out += Segment(shapes[next]);
  out += "\"/>\n";
  return next;
}

void Text(const Shape& s, std::string& out) {
  const char* anchors[] = {"start", "middle", "end"};
  out += "<text x=\"" + std::to_string(s.X0) + "\" y=\"" + std::to_string(s.Y0) + "\" fill=\"" + Colour(s.Colour) +
         "\" text-anchor=\"" + anchors[static_cast<int>(s.Anchor)] + "\">" + Escaped(s.Words) + "</text>\n";
}

}  // namespace

std::string SvgText(const Drawing& drawing) {
  const std::string w = std::to_string(drawing.Width), h = std::to_string(drawing.Height);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
                    "\" shape-rendering=\"crispEdges\" font-family=\"DejaVu Sans Mono, monospace\" font-size=\"" +
                    std::to_string(PictureMetrics().Ascent) + "px\" stroke-width=\"1\">\n";
  for (size_t at = 0; at < drawing.Shapes.size();) {
    const Shape& s = drawing.Shapes[at];
    if (s.What == Shape::Kind::Line || s.What == Shape::Kind::DashedLine) {
      at = PathFrom(drawing.Shapes, at, out);
      continue;
    }
    if (s.What == Shape::Kind::Fill)
      out += "<rect x=\"" + std::to_string(s.X0) + "\" y=\"" + std::to_string(s.Y0) + "\" width=\"" +
             std::to_string(s.X1 - s.X0) + "\" height=\"" + std::to_string(s.Y1 - s.Y0) + "\" fill=\"" +
             Colour(s.Colour) + "\"/>\n";
    else Text(s, out);
    ++at;
  }
  return out + "</svg>\n";
}

int WriteSvg(const std::string& path, const Drawing& drawing, std::string& why) {
  return WriteWholeFile(path, SvgText(drawing), why);
}

}  // namespace tacetix
