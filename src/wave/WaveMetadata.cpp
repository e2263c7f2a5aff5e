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

// One occurrence of an element in an XML body: its text [Begin, End), or for an empty element
// (<X/>) the "/>" at Begin, End then being Begin + 2 and Empty set.
struct Element {
  size_t Begin = 0;
  size_t End = 0;
  bool Empty = false;
};

// The first occurrence of what in xml at or after from, counting the bytes passed over: every
// search starts where the one before it ended, so a body is passed over once for each name.
size_t Find(std::string_view xml, std::string_view what, size_t from, uint64_t& work) {
  const size_t at = xml.find(what, from);
  work += (at == std::string_view::npos ? xml.size() : at + what.size()) - std::min(from, xml.size());
  return at;
}

// Every occurrence of the element name in xml, in order; false when one is not closed. The
// search goes on after each element found: a name inside another's text or tag makes that
// one no number anyway, and going back to it would pass over the rest of the body again.
bool FindElements(std::string_view xml, std::string_view name, std::vector<Element>& found, uint64_t& work) {
  const std::string open = std::string("<").append(name);
  const std::string close = std::string("</").append(name).append(">");
  for (size_t at = Find(xml, open, 0, work); at != std::string::npos;) {
    const size_t after = at + open.size();
    // <NAMEX> is another element; <NAME>, <NAME attr="..."> and <NAME/> are this one.
    if (after >= xml.size() || std::string_view(">/ \t\r\n").find(xml[after]) == std::string::npos) {
      at = Find(xml, open, at + 1, work);
      continue;
    }
    const size_t tagEnd = Find(xml, ">", after, work);
    if (tagEnd == std::string::npos) return false;
    if (xml[tagEnd - 1] == '/') {
      found.push_back({tagEnd - 1, tagEnd + 1, true});
      at = Find(xml, open, tagEnd + 1, work);
      continue;
    }
    const size_t end = Find(xml, close, tagEnd + 1, work);
    if (end == std::string::npos) return false;
    found.push_back({tagEnd + 1, end, false});
    at = Find(xml, open, end + close.size(), work);
  }
  return true;
}

// A decimal value of 32 bits, blanks around it allowed; all blank reads as 0.
bool ParseHalf(std::string_view text, uint64_t& value, bool& blank) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  const size_t last = text.find_last_not_of(" \t\r\n");
  value = 0;
  blank = first == std::string::npos;
  if (blank) return true;
  const char* b = text.data() + first;
  const char* e = text.data() + last + 1;
  uint32_t v = 0;
  const auto [ptr, ec] = std::from_chars(b, e, v);
  if (ec != std::errc() || ptr != e) return false;
  value = v;
  return true;
}

// The one value every occurrence of a half holds; false when they disagree or one is no number.
bool HalfValue(std::string_view xml, const std::vector<Element>& halves, uint64_t& value, bool& allBlank) {
  allBlank = true;
  value = 0;
  for (size_t i = 0; i < halves.size(); ++i) {
    const Element& e = halves[i];
    uint64_t v = 0;
    bool blank = e.Empty;
    if (!e.Empty && !ParseHalf(xml.substr(e.Begin, e.End - e.Begin), v, blank)) return false;
    if (i > 0 && v != value) return false;
    value = v;
    allBlank = allBlank && blank;
  }
  return true;
}

// A replacement of body[Begin, End) by one of the few texts a rewrite writes: a body of many
// references holds one edit of 24 bytes for each, not a text of its own.
struct Edit {
  size_t Begin;
  size_t End;
  size_t Text;
};

struct Edits {
  std::vector<Edit> List;
  std::vector<std::string> Texts;
  size_t AddText(std::string text) {
    Texts.push_back(std::move(text));
    return Texts.size() - 1;
  }
};

// Every occurrence of a half set to value: in place of its text, or an empty element opened
// and closed around it.
void SetHalves(const std::vector<Element>& found, std::string_view name, const std::string& value, Edits& edits) {
  const size_t plain = edits.AddText(value);
  const size_t filled = edits.AddText(">" + value + "</" + std::string(name) + ">");
  for (const Element& e : found) edits.List.push_back({e.Begin, e.End, e.Empty ? filled : plain});
}

// One pair of halves: LOW (or LO) and HIGH (or HI), by their element names.
struct HalfNames {
  std::string_view Low;
  std::string_view High;
};

TimeShift ShiftPair(std::string_view xml, const HalfNames& names, uint64_t framesCut, Edits& edits, uint64_t& work) {
  std::vector<Element> lows;
  std::vector<Element> highs;
  if (!FindElements(xml, names.Low, lows, work) || !FindElements(xml, names.High, highs, work))
    return TimeShift::Malformed;
  if (lows.empty() && highs.empty()) return TimeShift::Moved;
  // A high half alone gives no reference to advance.
  if (lows.empty()) return TimeShift::Malformed;
  uint64_t low = 0;
  uint64_t high = 0;
  bool lowBlank = true;
  bool highBlank = true;
  if (!HalfValue(xml, lows, low, lowBlank) || !HalfValue(xml, highs, high, highBlank)) return TimeShift::Malformed;
  if (lowBlank && highBlank) return TimeShift::Moved;
  const uint64_t reference = high << 32 | low;
  if (reference > UINT64_MAX - framesCut) return TimeShift::OutOfRange;
  const uint64_t shifted = reference + framesCut;
  const std::string lowText = std::to_string(shifted & 0xFFFFFFFFu);
  const std::string highText = std::to_string(shifted >> 32);
  SetHalves(lows, names.Low, lowText, edits);
  SetHalves(highs, names.High, highText, edits);
  // A reference that outgrows 32 bits needs the high half the file did not have.
  if (highs.empty() && shifted >> 32 != 0) {
    const size_t added =
        edits.AddText("<" + std::string(names.High) + ">" + highText + "</" + std::string(names.High) + ">");
    for (const Element& e : lows) {
      const size_t after = e.Empty ? e.End : e.End + names.Low.size() + 3;
      edits.List.push_back({after, after, added});
    }
  }
  return TimeShift::Moved;
}

// The body with the edits made, copied once from front to back: an edit made in place would
// move the rest of the body each time. Edits that overlap would make one element of two, so
// the body is malformed.
bool ApplyEdits(std::vector<uint8_t>& body, Edits& edits, uint64_t& work) {
  std::vector<Edit>& list = edits.List;
  if (list.empty()) return true;
  std::stable_sort(list.begin(), list.end(), [](const Edit& a, const Edit& b) { return a.Begin < b.Begin; });
  size_t at = 0;
  size_t size = body.size();
  for (const Edit& e : list) {
    if (e.Begin < at) return false;
    size += edits.Texts[e.Text].size() - (e.End - e.Begin);
    at = e.End;
  }
  std::vector<uint8_t> out;
  out.reserve(size);
  at = 0;
  for (const Edit& e : list) {
    const std::string& text = edits.Texts[e.Text];
    out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
               body.begin() + static_cast<std::ptrdiff_t>(e.Begin));
    out.insert(out.end(), text.begin(), text.end());
    at = e.End;
  }
  out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(at), body.end());
  work += out.size();
  body = std::move(out);
  return true;
}

// The kept part of a ltxt's range [start, start + length): its end clipped to the kept frames.
uint32_t ClippedLength(uint64_t start, uint32_t length, const KeptFrames& frames) {
  const uint64_t end = std::min(start + length, frames.Last + 1);
  return end > start ? static_cast<uint32_t>(end - start) : 0;
}

}  // namespace

TimeShift ShiftBextTimeReference(std::vector<uint8_t>& body, uint64_t framesCut) {
  if (body.size() < BextFixedSize) return TimeShift::Malformed;
  uint8_t* p = body.data() + BextTimeReferenceAt;
  const uint64_t reference = Load64(p);
  if (reference > UINT64_MAX - framesCut) return TimeShift::OutOfRange;
  Store64(p, reference + framesCut);
  return TimeShift::Moved;
}

TimeShift ShiftIxmlTimeReference(std::vector<uint8_t>& body, uint64_t framesCut, uint64_t* work) {
  const std::string_view xml(reinterpret_cast<const char*>(body.data()), body.size());
  uint64_t steps = 0;
  Edits edits;
  TimeShift r = TimeShift::Moved;
  for (const HalfNames& names :
       {HalfNames{"BWF_TIME_REFERENCE_LOW", "BWF_TIME_REFERENCE_HIGH"},
        HalfNames{"TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO", "TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI"}})
    if (r == TimeShift::Moved) r = ShiftPair(xml, names, framesCut, edits, steps);
  if (r == TimeShift::Moved && !ApplyEdits(body, edits, steps)) r = TimeShift::Malformed;
  if (work != nullptr) *work = steps;
  return r;
}

const KeptCuePoint* FindKeptCuePoint(const KeptCuePoints& kept, uint32_t id) {
  const auto at =
      std::lower_bound(kept.begin(), kept.end(), id, [](const KeptCuePoint& p, uint32_t v) { return p.Id < v; });
  return at != kept.end() && at->Id == id ? &*at : nullptr;
}

bool CutCuePoints(std::vector<uint8_t>& body, const KeptFrames& frames, KeptCuePoints* kept) {
  if (kept != nullptr) kept->clear();
  if (body.size() < 4) return false;
  const uint64_t count = Load32(body.data());
  if (count > (body.size() - 4) / CuePointSize) return false;
  // The kept points move towards the front of the body itself: a second body of a cue chunk's
  // size would double what it costs.
  size_t end = 4;
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* point = body.data() + 4 + i * CuePointSize;
    const uint32_t offset = Load32(point + 20);
    if (offset < frames.First || offset > frames.Last + 1) continue;
    if (kept != nullptr) kept->push_back({Load32(point), offset});
    uint8_t* out = body.data() + end;
    std::memmove(out, point, CuePointSize);
    const auto moved = static_cast<uint32_t>(offset - frames.First);
    Store32(out + 4, moved);
    std::memcpy(out + 8, "data", 4);
    Store32(out + 12, 0);
    Store32(out + 16, 0);
    Store32(out + 20, moved);
    end += CuePointSize;
  }
  body.resize(end);
  Store32(body.data(), static_cast<uint32_t>((end - 4) / CuePointSize));
  if (kept != nullptr) {
    std::stable_sort(kept->begin(), kept->end(),
                     [](const KeptCuePoint& a, const KeptCuePoint& b) { return a.Id < b.Id; });
    kept->erase(std::unique(kept->begin(), kept->end(),
                            [](const KeptCuePoint& a, const KeptCuePoint& b) { return a.Id == b.Id; }),
                kept->end());
  }
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
    const KeptCuePoint* point = labelled ? FindKeptCuePoint(kept, Load32(entry + 8)) : nullptr;
    const uint64_t whole = std::min<uint64_t>(8 + size + (size & 1), body.size() - at);
    if (point != nullptr) {
      const size_t start = out.size();
      out.insert(out.end(), entry, entry + whole);
      if (ltxt) Store32(out.data() + start + 12, ClippedLength(point->Position, Load32(entry + 12), frames));
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
