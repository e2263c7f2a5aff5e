// The preview's drawing as an SVG file: its texts stay text, so it scales and can be searched.
#pragma once

#include <string>

#include "preview/PreviewDrawing.h"

namespace tacetix {

// The drawing as SVG, laid out for PictureMetrics (a monospaced font of the same size).
std::string SvgText(const Drawing& drawing);

// 0 when the file was written; 1 with why ("" when the system gave no reason) when not.
int WriteSvg(const std::string& path, const Drawing& drawing, std::string& why);

}  // namespace tacetix
