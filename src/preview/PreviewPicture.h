// The preview's drawing painted into plain RGB pixels for the PNG file, its text in the glyphs
// compiled into the program, so the command line needs no font at run time.
#pragma once

#include <cstdint>
#include <vector>

#include "preview/PreviewDrawing.h"

namespace tacetix {

struct Picture {
  Picture(int32_t width, int32_t height);
  int32_t Width, Height;
  std::vector<uint8_t> Rgb;  // Width * Height * 3 bytes, rows from the top
};

// The metrics of those glyphs: the picture files are laid out with them (the SVG file names a
// font of the same advance).
const TextMetrics& PictureMetrics();

Picture PaintPicture(const Drawing& drawing);

}  // namespace tacetix
