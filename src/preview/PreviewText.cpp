#include "preview/PreviewText.h"

namespace tacetix {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The character at text[at] and its length; Replacement and 1 when the bytes are not one.
std::pair<char32_t, size_t> Decode(const std::string& text, size_t at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  if (lead < 0x80) return {lead, 1};
  const size_t length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return {Replacement, 1};
  char32_t point = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<uint8_t>(text[at + k]);
    if ((next & 0xC0) != 0x80) return {Replacement, 1};
    point = (point << 6) | (next & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)) return {Replacement, 1};
  return {point, length};
}

}  // namespace

std::vector<char32_t> CodePoints(const std::string& text) {
  std::vector<char32_t> points;
  for (size_t at = 0; at < text.size();) {
    const auto [point, length] = Decode(text, at);
    points.push_back(point);
    at += length;
  }
  return points;
}

std::string Utf8(const std::vector<char32_t>& points) {
  std::string text;
  for (char32_t p : points) {
    if (p < 0x80) {
      text += static_cast<char>(p);
      continue;
    }
    const int extra = p < 0x800 ? 1 : p < 0x10000 ? 2 : 3;
    const char32_t leads[] = {0, 0xC0, 0xE0, 0xF0};
    text += static_cast<char>(leads[extra] | (p >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) text += static_cast<char>(0x80 | ((p >> (6 * k)) & 0x3F));
  }
  return text;
}

std::string Printable(const std::string& text) {
  std::vector<char32_t> points = CodePoints(text);
  for (char32_t& p : points)
    if (p < 0x20 || (p >= 0x7F && p < 0xA0)) p = Replacement;
  return Utf8(points);
}

std::string ElideMiddle(const std::string& text, int32_t width, const TextMetrics& metrics) {
  if (metrics.Width(text) <= width) return text;
  const std::vector<char32_t> points = CodePoints(text);
  for (size_t keep = points.size(); keep-- > 0;) {
    std::vector<char32_t> shown(points.begin(), points.begin() + static_cast<std::ptrdiff_t>((keep + 1) / 2));
    shown.push_back(0x2026);
    shown.insert(shown.end(), points.end() - static_cast<std::ptrdiff_t>(keep / 2), points.end());
    if (metrics.Width(Utf8(shown)) <= width) return Utf8(shown);
  }
  return "";
}

}  // namespace tacetix
