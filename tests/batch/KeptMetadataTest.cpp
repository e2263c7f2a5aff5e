// The chunks an output carries for a cut: which, in which order, moved by how much.
#include "batch/KeptMetadata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/TestSupport.h"

namespace {

using tacetix::KeptFrames;
using tacetix::SourceChunk;
using testsupport::Bytes;
using testsupport::Le32At;
using testsupport::Put16;
using testsupport::Put32;
using testsupport::PutId;

SourceChunk Chunk(const char* id, const Bytes& body) {
  SourceChunk c;
  std::memcpy(c.Id.data(), id, 4);
  c.Body = body;
  return c;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes List(const char* type, const Bytes& entries) {
  Bytes b;
  PutId(b, type);
  b.insert(b.end(), entries.begin(), entries.end());
  return b;
}

Bytes Entry(const char* id, const Bytes& body) {
  Bytes b;
  PutId(b, id);
  Put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
  return b;
}

Bytes Bext(uint64_t timeReference, size_t size = 602) {
  Bytes b(size, 0);
  for (int i = 0; i < 8 && 338 + i < static_cast<int>(size); ++i) b[338 + i] = static_cast<uint8_t>(timeReference >> (8 * i));
  return b;
}

Bytes Cue(const std::vector<std::pair<uint32_t, uint32_t>>& points, uint32_t declared = 0) {
  Bytes b;
  Put32(b, declared != 0 ? declared : static_cast<uint32_t>(points.size()));
  for (const auto& [id, offset] : points) {
    Put32(b, id);
    Put32(b, offset);
    PutId(b, "data");
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, offset);
  }
  return b;
}

Bytes Label(const char* kind, uint32_t id, uint32_t length = 0) {
  Bytes b;
  Put32(b, id);
  if (std::strcmp(kind, "ltxt") == 0) {
    Put32(b, length);
    PutId(b, "rgn ");
    for (int i = 0; i < 4; ++i) Put16(b, 0);
  }
  const Bytes text = {'m', 0};
  b.insert(b.end(), text.begin(), text.end());
  return Entry(kind, b);
}

Bytes Smpl(const std::vector<std::pair<uint32_t, uint32_t>>& loops, uint32_t declared = 0) {
  Bytes b;
  for (int i = 0; i < 7; ++i) Put32(b, i == 3 ? 60 : 0);  // unity note 60
  Put32(b, declared != 0 ? declared : static_cast<uint32_t>(loops.size()));
  Put32(b, 0);
  for (const auto& [start, end] : loops) {
    for (uint32_t v : {0u, 0u, start, end, 0u, 0u}) Put32(b, v);
  }
  return b;
}

std::string Ixml(const std::string& low, const std::string& high) {
  return "<BWFXML><BEXT><BWF_TIME_REFERENCE_LOW>" + low + "</BWF_TIME_REFERENCE_LOW><BWF_TIME_REFERENCE_HIGH>" +
         high + "</BWF_TIME_REFERENCE_HIGH></BEXT></BWFXML>";
}

// "id" or a summary of the positions a chunk holds, e.g. "cue[2@0 3@400]", "bext@5100".
std::string Describe(const char* id, const Bytes& body) {
  std::string d(id, 4);
  if (d == "bext") return "bext@" + std::to_string(Le32At(body, 338) | uint64_t{Le32At(body, 342)} << 32);
  if (d == "iXML") {
    const std::string xml(body.begin(), body.end());
    const size_t at = xml.find("_LOW>") + 5;
    const size_t hi = xml.find("_HIGH>") + 6;
    return "iXML@" + xml.substr(at, xml.find('<', at) - at) + "/" + xml.substr(hi, xml.find('<', hi) - hi);
  }
  std::string parts;
  if (d == "cue ") {
    for (uint32_t i = 0; i < Le32At(body, 0); ++i) {
      const size_t p = 4 + 24 * i;
      parts += " " + std::to_string(Le32At(body, p)) + "@" + std::to_string(Le32At(body, p + 20));
      if (Le32At(body, p + 4) != Le32At(body, p + 20)) parts += "!position";
    }
    return "cue[" + parts.substr(parts.empty() ? 0 : 1) + "]";
  }
  if (d == "smpl") {
    for (uint32_t i = 0; i < Le32At(body, 28); ++i)
      parts += " " + std::to_string(Le32At(body, 44 + 24 * i)) + "-" + std::to_string(Le32At(body, 48 + 24 * i));
    return "smpl[" + parts.substr(parts.empty() ? 0 : 1) + "]";
  }
  if (d == "LIST") {
    const std::string type(body.begin(), body.begin() + 4);
    if (type != "adtl") return "LIST/" + type;
    for (size_t at = 4; at + 8 <= body.size();) {
      const uint32_t size = Le32At(body, at + 4);
      parts += " " + std::string(body.begin() + at, body.begin() + at + 4) + std::to_string(Le32At(body, at + 8));
      if (std::string(body.begin() + at, body.begin() + at + 4) == "ltxt") parts += "/" + std::to_string(Le32At(body, at + 12));
      at += 8 + size + (size & 1);
    }
    return "adtl[" + parts.substr(1) + "]";
  }
  return d;
}

// The chunks of written bytes, described one by one, separated by blanks.
std::string Layout(const Bytes& bytes) {
  std::string out;
  for (size_t at = 0; at + 8 <= bytes.size();) {
    const uint32_t size = Le32At(bytes, at + 4);
    const Bytes body(bytes.begin() + static_cast<long>(at) + 8, bytes.begin() + static_cast<long>(at + 8 + size));
    out += (out.empty() ? "" : " ") + Describe(reinterpret_cast<const char*>(bytes.data() + at), body);
    at += 8 + size + (size & 1);
  }
  return out;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// A recorder's file of 1000 frames: markers at 0, 100, 500 and at the end (1000), a region of
// 450 frames from marker 2, three loops, and chunks no output carries.
std::vector<SourceChunk> RecorderFile() {
  return {Chunk("fmt ", Bytes(16)),
          Chunk("LIST", List("INFO", Entry("INAM", Text("take 1")))),
          Chunk("bext", Bext(5000)),
          Chunk("JUNK", Bytes(28)),
          Chunk("data", {}),
          Chunk("cue ", Cue({{1, 0}, {2, 100}, {3, 500}, {4, 1000}})),
          Chunk("LIST", List("adtl", [] {
                  Bytes e = Label("labl", 1);
                  for (const Bytes& more : {Label("labl", 3), Label("ltxt", 2, 450), Label("note", 4)})
                    e.insert(e.end(), more.begin(), more.end());
                  return e;
                }())),
          Chunk("smpl", Smpl({{100, 499}, {0, 999}, {200, 300}})),
          Chunk("PEAK", {}),
          Chunk("LIST", List("exif", {})),
          Chunk("iXML", Text(Ixml("5000", "0")))};
}

TEST(KeptMetadataTest, LayoutsFollowTheCut) {
  struct Case {
    const char* Name;
    KeptFrames Frames;
    const char* Before;
    const char* After;
  };
  const Case cases[] = {
      {"nothing cut", {0, 999}, "LIST/INFO bext@5000 iXML@5000/0",
       "cue[1@0 2@100 3@500 4@1000] adtl[labl1 labl3 ltxt2/450 note4] smpl[100-499 0-999 200-300]"},
      {"beginning cut", {100, 999}, "LIST/INFO bext@5100 iXML@5100/0",
       "cue[2@0 3@400 4@900] adtl[labl3 ltxt2/450 note4] smpl[0-399 100-200]"},
      {"end cut", {0, 499}, "LIST/INFO bext@5000 iXML@5000/0",
       "cue[1@0 2@100 3@500] adtl[labl1 labl3 ltxt2/400] smpl[100-499 200-300]"},
      {"both cut", {100, 499}, "LIST/INFO bext@5100 iXML@5100/0", "cue[2@0 3@400] adtl[labl3 ltxt2/400] smpl[0-399 100-200]"},
      {"markers all cut away", {600, 700}, "LIST/INFO bext@5600 iXML@5600/0", "cue[] smpl[]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const tacetix::KeptChunks kept = tacetix::ChooseKeptChunks(RecorderFile(), c.Frames);
    EXPECT_EQ(Layout(kept.BeforeData), c.Before);
    EXPECT_EQ(Layout(kept.AfterData), c.After);
    EXPECT_EQ(Joined(kept.Dropped), "PEAK, LIST/exif");
  }
}

TEST(KeptMetadataTest, BrokenOrSurplusChunksAreDroppedAndNamed) {
  SourceChunk huge = Chunk("iXML", {});
  huge.NotRead = "too large";
  struct Case {
    const char* Name;
    std::vector<SourceChunk> Chunks;
    const char* Before;
    const char* After;
    const char* Dropped;
  };
  const Case cases[] = {
      {"short bext", {Chunk("bext", Bext(7, 345)), Chunk("iXML", Text(Ixml("7", "0")))}, "iXML@17/0", "",
       "bext (malformed)"},
      {"second bext", {Chunk("bext", Bext(7)), Chunk("bext", Bext(9))}, "bext@17", "", "bext (repeated)"},
      {"cue count past its size, its labels go with it",
       {Chunk("cue ", Cue({{1, 20}}, 2)), Chunk("LIST", List("adtl", Label("labl", 1)))}, "", "", "cue (malformed)"},
      {"a good cue after a broken one", {Chunk("cue ", Bytes(3)), Chunk("cue ", Cue({{5, 20}})),
        Chunk("LIST", List("adtl", Label("labl", 5)))}, "", "cue[5@10] adtl[labl5]", "cue (malformed)"},
      {"label entry past the list", {Chunk("cue ", Cue({{1, 20}})), Chunk("LIST", [] {
         Bytes b = List("adtl", Label("labl", 1));
         b.resize(b.size() - 3);
         return b;
       }())}, "", "cue[1@10]", "LIST/adtl (malformed)"},
      {"loop count past its size", {Chunk("smpl", Smpl({{10, 20}}, 3))}, "", "", "smpl (malformed)"},
      {"loop running backwards", {Chunk("smpl", Smpl({{30, 20}, {12, 14}}))}, "", "smpl[2-4]", ""},
      {"time reference that is no number", {Chunk("iXML", Text(Ixml("12x", "0")))}, "", "", "iXML (malformed)"},
      {"iXML too large to read", {huge}, "", "", "iXML (too large)"},
      {"list without a type, odd ids", {Chunk("LIST", Bytes(2)), Chunk("a\x01 b", {}), Chunk("fact", Bytes(4)),
        Chunk("ds64", Bytes(28)), Chunk("PAD ", {}), Chunk("acid", Bytes(24))}, "acid", "", "LIST (malformed), a? b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const tacetix::KeptChunks kept = tacetix::ChooseKeptChunks(c.Chunks, {10, 59});
    EXPECT_EQ(Layout(kept.BeforeData), c.Before);
    EXPECT_EQ(Layout(kept.AfterData), c.After);
    EXPECT_EQ(Joined(kept.Dropped), c.Dropped);
  }
}

TEST(KeptMetadataTest, IxmlTimeReferenceCarriesAcrossItsHalves) {
  struct Case {
    std::string In;
    uint64_t Cut;
    std::string Out;  // "" = malformed
  };
  const std::string low = "<BWF_TIME_REFERENCE_LOW>";
  const std::string lowEnd = "</BWF_TIME_REFERENCE_LOW>";
  const std::string high = "<BWF_TIME_REFERENCE_HIGH>";
  const std::string highEnd = "</BWF_TIME_REFERENCE_HIGH>";
  const Case cases[] = {
      {"<X/>", 500, "<X/>"},  // no reference: untouched
      {Ixml("4294967295", "1"), 1, Ixml("0", "2")},
      {Ixml(" 10\n", "0"), 5, Ixml("15", "0")},
      {high + "3" + highEnd + low + "4294967290" + lowEnd, 10, high + "4" + highEnd + low + "4" + lowEnd},
      {low + "4294967295" + lowEnd + "<Y/>", 1, low + "0" + lowEnd + high + "1" + highEnd + "<Y/>"},
      {high + "3" + highEnd, 1, ""},
      {Ixml("-1", "0"), 1, ""},
      {Ixml("4294967296", "0"), 1, ""},
      {low + "12", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.In);
    Bytes body = Text(c.In);
    const bool ok = tacetix::ShiftIxmlTimeReference(body, c.Cut);
    EXPECT_EQ(ok, !c.Out.empty());
    if (ok) {
      EXPECT_EQ(std::string(body.begin(), body.end()), c.Out);
    }
  }
}

TEST(KeptMetadataTest, ChannelMaskOfTheOutput) {
  struct Case {
    uint32_t Input;
    int32_t Channels;
    uint32_t Out;
  };
  const Case cases[] = {
      {0, 6, 0x3F},    {0, 3, 0xB},    {0, 8, 0x63F}, {0, 1, 0x4}, {0, 12, 0},
      {0x60F, 6, 0x60F},  // 5.1 with side speakers stays so
      {0x3, 4, 0x3},      // fewer speakers than channels is allowed
      {0x7, 2, 0x3},      // more is not: the default instead
  };
  for (const Case& c : cases) EXPECT_EQ(tacetix::OutputChannelMask(c.Input, c.Channels), c.Out) << c.Input << " " << c.Channels;
}

}  // namespace
