#include "cli/TerminalText.h"

#include <cstdint>
#include <cstdio>
#include <iterator>

namespace tacetix {
namespace {

struct Glyph {
  char32_t Code;
  size_t Bytes;  // an invalid byte is a glyph of one byte, shown as the terminal shows it
};

Glyph Decode(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length <= 1 || at + length > text.size()) return {lead, 1};
  char32_t code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {lead, 1};
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  return {code, length};
}

bool IsControl(char32_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

bool Within(char32_t code, const char32_t (*ranges)[2], size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (code >= ranges[i][0] && code <= ranges[i][1]) return true;
  return false;
}

// The blocks a name is likely to hold; a character outside them takes one column.
constexpr char32_t Combining[][2] = {{0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
                                     {0x064B, 0x065F}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E},
                                     {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x20D0, 0x20FF},
                                     {0x302A, 0x302F}, {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}};
constexpr char32_t Wide[][2] = {{0x1100, 0x115F},   {0x2E80, 0x303E},  {0x3041, 0x33FF}, {0x3400, 0x4DBF},
                                {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},  {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
                                {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},  {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
                                {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD}};

size_t Columns(const Glyph& glyph) {
  if (Within(glyph.Code, Combining, std::size(Combining))) return 0;
  return Within(glyph.Code, Wide, std::size(Wide)) ? 2 : 1;
}

// As a shell's $'...' writes the bytes of a control character.
std::string Escaped(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    static const char named[] = "\a\b\t\n\v\f\r";
    static const char letters[] = "abtnvfr";
    const char* at = c != 0 ? std::char_traits<char>::find(named, 7, c) : nullptr;
    if (at) {
      out += '\\';
      out += letters[at - named];
      continue;
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
    out += octal;
  }
  return out;
}

}  // namespace

std::string TerminalName(const std::string& name) {
  bool control = false;
  for (size_t at = 0; at < name.size() && !control; at += Decode(name, at).Bytes)
    control = IsControl(Decode(name, at).Code);
  if (!control) return name;
  // Runs of plain text in single quotes, runs of control characters in $'...', side by side;
  // a name that begins with a control character begins with '' all the same, as ls writes it.
  std::string out = IsControl(Decode(name, 0).Code) ? "''" : "";
  for (size_t at = 0; at < name.size();) {
    const bool controls = IsControl(Decode(name, at).Code);
    size_t end = at;
    while (end < name.size() && IsControl(Decode(name, end).Code) == controls) end += Decode(name, end).Bytes;
    const std::string run = name.substr(at, end - at);
    if (controls) out += "$'" + Escaped(run) + "'";
    else {
      out += '\'';
      for (const char c : run) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
      out += '\'';
    }
    at = end;
  }
  return out;
}

size_t ScreenColumns(const std::string& text, size_t from) {
  size_t columns = 0;
  for (size_t at = from; at < text.size();) {
    const Glyph glyph = Decode(text, at);
    columns += Columns(glyph);
    at += glyph.Bytes;
  }
  return columns;
}

size_t TailStart(const std::string& text, size_t columns) {
  size_t start = 0;
  while (start < text.size() && ScreenColumns(text, start) > columns) start += Decode(text, start).Bytes;
  while (start < text.size() && Columns(Decode(text, start)) == 0) start += Decode(text, start).Bytes;
  return start;
}

}  // namespace tacetix
