// Text as the picture files carry it: whole characters of UTF-8, nothing a reader cannot print.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "preview/PreviewDrawing.h"

namespace tacetix {

// The characters of text; a byte that starts no valid UTF-8 character is U+FFFD.
std::vector<char32_t> CodePoints(const std::string& text);
std::string Utf8(const std::vector<char32_t>& points);
// text with control characters and broken bytes as U+FFFD, so that a name shows and parses.
std::string Printable(const std::string& text);
// text, or its start and end around "…" when it is wider than width.
std::string ElideMiddle(const std::string& text, int32_t width, const TextMetrics& metrics);

}  // namespace tacetix
