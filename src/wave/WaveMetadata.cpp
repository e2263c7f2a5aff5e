// Rewriting the bodies of bext, iXML, cue, adtl and smpl chunks for a cut.
#include "wave/WaveMetadata.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

#include "wave/ByteOrder.h"

namespace tacetix {
namespace {

// Description, originator, its reference, date and time come before the time reference;
// the version, UMID, loudness fields and the reserved bytes after it.
constexpr size_t BextTimeReferenceAt = 338;
constexpr size_t BextFixedSize = 602;
constexpr size_t CuePointSize = 24;
constexpr size_t SmplFixedSize = 36;
constexpr size_t SmplLoopCountAt = 28;
constexpr size_t SmplLoopSize = 24;
constexpr size_t LtxtFixedSize = 20;

// Where one element's text lies in an XML body: [Begin, End), or Begin == npos when absent.
struct ElementText {
  size_t Begin = std::string::npos;
  size_t End = std::string::npos;
};

ElementText FindElement(std::string_view xml, std::string_view name) {
  const std::string open = std::string("<").append(name).append(">");
  const std::string close = std::string("</").append(name).append(">");
  const size_t at = xml.find(open);
  if (at == std::string::npos) return {};
  const size_t begin = at + open.size();
  const size_t end = xml.find(close, begin);
  if (end == std::string::npos) return {begin, std::string::npos};
  return {begin, end};
}

// A decimal value of 32 bits, blanks around it allowed.
bool ParseHalf(std::string_view text, uint64_t& value) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  const size_t last = text.find_last_not_of(" \t\r\n");
  if (first == std::string::npos) return false;
  const char* b = text.data() + first;
  const char* e = text.data() + last + 1;
  uint32_t v = 0;
  const auto [ptr, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || ptr != e) return false;
  value = v;
  return true;
}

void Replace(std::vector<uint8_t>& body, const ElementText& at, const std::string& text) {
  body.erase(body.begin() + static_cast<std::ptrdiff_t>(at.Begin), body.begin() + static_cast<std::ptrdiff_t>(at.End));
  body.insert(body.begin() + static_cast<std::ptrdiff_t>(at.Begin), text.begin(), text.end());
}

// The kept part of a ltxt's range [start, start + length): its end clipped to the kept frames.
uint32_t ClippedLength(uint64_t start, uint32_t length, const KeptFrames& frames) {
  const uint64_t end = std::min(start + length, frames.Last + 1);
  return end > start ? static_cast<uint32_t>(end - start) : 0;
}

}  // namespace

bool ShiftBextTimeReference(std::vector<uint8_t>& body, uint64_t framesCut) {
  if (body.size() < BextFixedSize) return false;
  uint8_t* p = body.data() + BextTimeReferenceAt;
  Store64(p, Load64(p) + framesCut);
  return true;
}

bool ShiftIxmlTimeReference(std::vector<uint8_t>& body, uint64_t framesCut) {
  const std::string_view xml(reinterpret_cast<const char*>(body.data()), body.size());
  const ElementText low = FindElement(xml, "BWF_TIME_REFERENCE_LOW");
  const ElementText high = FindElement(xml, "BWF_TIME_REFERENCE_HIGH");
  if (low.Begin == std::string::npos && high.Begin == std::string::npos) return true;
  // A high half alone gives no reference to advance.
  if (low.Begin == std::string::npos || low.End == std::string::npos ||
      (high.Begin != std::string::npos && high.End == std::string::npos))
    return false;
  uint64_t lowValue = 0;
  uint64_t highValue = 0;
  if (!ParseHalf(xml.substr(low.Begin, low.End - low.Begin), lowValue)) return false;
  if (high.Begin != std::string::npos && !ParseHalf(xml.substr(high.Begin, high.End - high.Begin), highValue))
    return false;
  const uint64_t shifted = (highValue << 32 | lowValue) + framesCut;
  const std::string lowText = std::to_string(shifted & 0xFFFFFFFFu);
  const std::string highText = std::to_string(shifted >> 32);
  // The later element first, so that the earlier one's offsets stay valid.
  if (high.Begin == std::string::npos) {
    Replace(body, low, lowText);
    if (shifted >> 32 == 0) return true;
    // A reference that outgrows 32 bits needs the high half the file did not have.
    const std::string tag = "</BWF_TIME_REFERENCE_LOW>";
    const std::string added = "<BWF_TIME_REFERENCE_HIGH>" + highText + "</BWF_TIME_REFERENCE_HIGH>";
    const size_t after = low.Begin + lowText.size() + tag.size();
    body.insert(body.begin() + static_cast<std::ptrdiff_t>(after), added.begin(), added.end());
  } else if (low.Begin < high.Begin) {
    Replace(body, high, highText);
    Replace(body, low, lowText);
  } else {
    Replace(body, low, lowText);
    Replace(body, high, highText);
  }
  return true;
}

bool CutCuePoints(std::vector<uint8_t>& body, const KeptFrames& frames, KeptCuePoints& kept) {
  kept.clear();
  if (body.size() < 4) return false;
  const uint64_t count = Load32(body.data());
  if (count > (body.size() - 4) / CuePointSize) return false;
  std::vector<uint8_t> out(4);
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* point = body.data() + 4 + i * CuePointSize;
    const uint64_t offset = Load32(point + 20);
    if (offset < frames.First || offset > frames.Last + 1) continue;
    const size_t at = out.size();
    out.insert(out.end(), point, point + CuePointSize);
    const auto moved = static_cast<uint32_t>(offset - frames.First);
    Store32(out.data() + at + 4, moved);
    std::memcpy(out.data() + at + 8, "data", 4);
    Store32(out.data() + at + 12, 0);
    Store32(out.data() + at + 16, 0);
    Store32(out.data() + at + 20, moved);
    kept.emplace(Load32(point), offset);
  }
  Store32(out.data(), static_cast<uint32_t>((out.size() - 4) / CuePointSize));
  body = std::move(out);
  return true;
}

bool CutAssociatedData(std::vector<uint8_t>& body, const KeptFrames& frames, const KeptCuePoints& kept) {
  if (body.size() < 4) return false;
  std::vector<uint8_t> out(body.begin(), body.begin() + 4);
  for (size_t at = 4; at < body.size();) {
    if (body.size() - at < 8) return false;
    const uint8_t* entry = body.data() + at;
    const uint64_t size = Load32(entry + 4);
    if (size > body.size() - at - 8) return false;
    const bool ltxt = std::memcmp(entry, "ltxt", 4) == 0;
    const bool labelled = ltxt || std::memcmp(entry, "labl", 4) == 0 || std::memcmp(entry, "note", 4) == 0;
    if (size < (ltxt ? LtxtFixedSize : 4)) return false;
    const auto point = labelled ? kept.find(Load32(entry + 8)) : kept.end();
    const uint64_t whole = std::min<uint64_t>(8 + size + (size & 1), body.size() - at);
    if (point != kept.end()) {
      const size_t start = out.size();
      out.insert(out.end(), entry, entry + whole);
      if (ltxt) Store32(out.data() + start + 12, ClippedLength(point->second, Load32(entry + 12), frames));
      if (whole < 8 + size + (size & 1)) out.push_back(0);
    }
    at += whole;
  }
  body = std::move(out);
  return true;
}

bool InfoEntriesFit(const std::vector<uint8_t>& body) {
  if (body.size() < 4) return false;
  for (size_t at = 4; at < body.size();) {
    if (body.size() - at < 8) return false;
    const uint64_t size = Load32(body.data() + at + 4);
    if (size > body.size() - at - 8) return false;
    at += static_cast<size_t>(std::min<uint64_t>(8 + size + (size & 1), body.size() - at));
  }
  return true;
}

bool CutSamplerLoops(std::vector<uint8_t>& body, const KeptFrames& frames) {
  if (body.size() < SmplFixedSize) return false;
  const uint64_t count = Load32(body.data() + SmplLoopCountAt);
  if (count > (body.size() - SmplFixedSize) / SmplLoopSize) return false;
  std::vector<uint8_t> out(body.begin(), body.begin() + SmplFixedSize);
  const size_t loopsEnd = SmplFixedSize + count * SmplLoopSize;
  for (size_t at = SmplFixedSize; at < loopsEnd; at += SmplLoopSize) {
    const uint8_t* loop = body.data() + at;
    const uint64_t start = Load32(loop + 8);
    const uint64_t end = Load32(loop + 12);
    if (start < frames.First || end > frames.Last || end < start) continue;
    const size_t kept = out.size();
    out.insert(out.end(), loop, loop + SmplLoopSize);
    Store32(out.data() + kept + 8, static_cast<uint32_t>(start - frames.First));
    Store32(out.data() + kept + 12, static_cast<uint32_t>(end - frames.First));
  }
  Store32(out.data() + SmplLoopCountAt, static_cast<uint32_t>((out.size() - SmplFixedSize) / SmplLoopSize));
  out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(loopsEnd), body.end());  // sampler data
  body = std::move(out);
  return true;
}

uint32_t DefaultChannelMask(int32_t channels) {
  static constexpr uint32_t Masks[] = {0x4, 0x3, 0xB, 0x107, 0x37, 0x3F, 0x70F, 0x63F};
  return channels >= 1 && channels <= 8 ? Masks[channels - 1] : 0;
}

void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  uint8_t header[8];
  std::memcpy(header, id, 4);
  Store32(header + 4, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), header, header + 8);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

}  // namespace tacetix
