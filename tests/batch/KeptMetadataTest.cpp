// The chunks an output carries for a cut: which, in which order, moved by how much.
#include "batch/KeptMetadata.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ChunkLayout.h"
#include "support/TestSupport.h"

namespace {

using tacetix::KeptFrames;
using tacetix::SourceChunk;
using testsupport::Bytes;
using namespace chunklayout;

SourceChunk Chunk(const char* id, const Bytes& body) {
  SourceChunk c;
  std::memcpy(c.Id.data(), id, 4);
  c.Body = body;
  return c;
}

// A recorder's file of 1000 frames: markers at 0, 100, 500 and at the end (1000), a region of
// 450 frames from marker 2, three loops, and chunks no output carries.
// clang-format off
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
// clang-format on

TEST(KeptMetadataTest, LayoutsFollowTheCut) {
  struct Case {
    const char* Name;
    KeptFrames Frames;
    const char* Before;
    const char* After;
  };
  // clang-format off
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
  // clang-format on
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
  huge.NotRead = tacetix::ChunkDrop::TooLarge;
  struct Case {
    const char* Name;
    std::vector<SourceChunk> Chunks;
    const char* Before;
    const char* After;
    const char* Dropped;
  };
  // clang-format off
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
      {"INFO entry past the list", {Chunk("LIST", [] {
         Bytes b = List("INFO", Entry("INAM", Text("take 1")));
         b.resize(b.size() - 3);
         return b;
       }()), Chunk("LIST", List("INFO", Entry("IART", Text("odd"))))},
       "LIST/INFO", "", "LIST/INFO (malformed)"},
      {"INFO entry header cut off", {Chunk("LIST", List("INFO", Bytes{'I', 'N', 'A', 'M', 2}))}, "", "",
       "LIST/INFO (malformed)"},
      {"loop count past its size", {Chunk("smpl", Smpl({{10, 20}}, 3))}, "", "", "smpl (malformed)"},
      {"loop running backwards", {Chunk("smpl", Smpl({{30, 20}, {12, 14}}))}, "", "smpl[2-4]", ""},
      {"loop ending on the last kept frame stays, one past it goes", {Chunk("smpl", Smpl({{20, 59}, {20, 60}}))}, "",
       "smpl[10-49]", ""},
      {"label entry too short for its cue id", {Chunk("cue ", Cue({{1, 20}})),
        Chunk("LIST", List("adtl", Entry("labl", Bytes{1, 0})))}, "", "cue[1@10]", "LIST/adtl (malformed)"},
      {"ltxt entry too short for its length", {Chunk("cue ", Cue({{1, 20}})),
        Chunk("LIST", List("adtl", Entry("ltxt", Bytes{1, 0, 0, 0, 9, 0, 0, 0})))}, "", "cue[1@10]",
       "LIST/adtl (malformed)"},
      {"time reference that is no number", {Chunk("iXML", Text(Ixml("12x", "0")))}, "", "", "iXML (malformed)"},
      {"iXML too large to read", {huge}, "", "", "iXML (too large)"},
      {"time references that would pass 2^64", {Chunk("bext", Bext(UINT64_MAX - 5)),
        Chunk("iXML", Text(Ixml("4294967295", "4294967295")))}, "", "",
       "bext (time reference out of range), iXML (time reference out of range)"},
      {"list without a type, odd ids", {Chunk("LIST", Bytes(2)), Chunk("a\x01 b", {}), Chunk("fact", Bytes(4)),
        Chunk("ds64", Bytes(28)), Chunk("PAD ", {}), Chunk("acid", Bytes(24))}, "acid", "", "LIST (malformed), a? b"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const tacetix::KeptChunks kept = tacetix::ChooseKeptChunks(c.Chunks, {10, 59});
    EXPECT_EQ(Layout(kept.BeforeData), c.Before);
    EXPECT_EQ(Layout(kept.AfterData), c.After);
    EXPECT_EQ(Joined(kept.Dropped), c.Dropped);
  }
}

// One chunk of every kind in one file: each lands where its kind belongs, in file order. The
// kinds are named here apart from the chunk table, and every row of the table must be among them.
TEST(KeptMetadataTest, EachKindOfChunkLandsWhereItBelongs) {
  enum Place { Left, Before, After, Dropped };  // Left: the writer makes its own, nothing is said
  struct Case {
    const char* Id;
    Bytes Body;
    Place Expected;
    std::string Seen;  // how it shows in the layout or the dropped list
  };
  // clang-format off
  const Case cases[] = {
      {"fmt ", Bytes(16), Left, ""},
      {"bext", Bext(5000), Before, "bext@5010"},
      {"cue ", Cue({{1, 20}}), After, "cue[1@10]"},
      {"fact", Bytes(4), Left, ""},
      {"LIST", List("INFO", Entry("INAM", Text("take"))), Before, "LIST/INFO"},
      {"JUNK", Bytes(28), Left, ""},
      {"PEAK", Bytes(8), Dropped, "PEAK"},
      {"smpl", Smpl({{20, 30}}), After, "smpl[10-20]"},
      {"axml", Bytes(6), Before, "axml"},
      {"ds64", Bytes(28), Left, ""},
      {"cart", Bytes(6), Before, "cart"},
      {"LIST", List("adtl", Label("labl", 1)), After, "adtl[labl1]"},
      {"umid", Bytes(6), Before, "umid"},
      {"data", {}, Left, ""},
      {"LIST", List("exif", {}), Dropped, "LIST/exif"},
      {"inst", Bytes(8), Before, "inst"},
      {"PAD ", {}, Left, ""},
      {"acid", Bytes(24), Before, "acid"},
      {"ID3 ", Bytes(10), Before, "ID3 "},
      {"id3 ", Bytes(10), Before, "id3 "},
      {"iXML", Text(Ixml("5000", "0")), Before, "iXML@5010/0"},
  };
  // clang-format on
  std::vector<SourceChunk> file;
  std::string expected[4];
  for (const Case& c : cases) {
    file.push_back(Chunk(c.Id, c.Body));
    std::string& into = expected[c.Expected];
    into += (into.empty() || c.Expected == Left ? "" : c.Expected == Dropped ? ", " : " ") + c.Seen;
    EXPECT_EQ(tacetix::StructuralId(file.back().Id), c.Expected == Left) << c.Id;
    if (std::string(c.Id) != "LIST") {
      EXPECT_EQ(tacetix::CarriedId(file.back().Id), c.Expected == Before || c.Expected == After) << c.Id;
    }
  }
  const tacetix::KeptChunks kept = tacetix::ChooseKeptChunks(file, {10, 59});
  EXPECT_EQ(Layout(kept.BeforeData), expected[Before]);
  EXPECT_EQ(Layout(kept.AfterData), expected[After]);
  EXPECT_EQ(Joined(kept.Dropped), expected[Dropped]);

  const Place roles[] = {Left, Before, After};  // in the order of tacetix::ChunkRole
  for (const tacetix::ChunkRule& rule : tacetix::ChunkRules()) {
    const std::string name = std::string(rule.Id) + (rule.ListType ? rule.ListType : "");
    const Case* match = nullptr;
    for (const Case& c : cases) {
      const bool typed = rule.ListType && c.Body.size() >= 4;
      if (std::string(c.Id) + (typed ? std::string(c.Body.begin(), c.Body.begin() + 4) : "") == name) match = &c;
    }
    ASSERT_NE(match, nullptr) << name << " has no case";
    EXPECT_EQ(match->Expected, roles[static_cast<int>(rule.Role)]) << name;
  }
}

TEST(KeptMetadataTest, IxmlTimeReferenceCarriesAcrossItsHalves) {
  struct Case {
    std::string In;
    uint64_t Cut;
    std::string Out;  // "" = not moved: malformed, or out of range
    bool OutOfRange = false;
  };
  const std::string low = "<BWF_TIME_REFERENCE_LOW>";
  const std::string lowEnd = "</BWF_TIME_REFERENCE_LOW>";
  const std::string high = "<BWF_TIME_REFERENCE_HIGH>";
  const std::string highEnd = "</BWF_TIME_REFERENCE_HIGH>";
  // clang-format off
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
      {low + "5" + lowEnd + "<X>" + low + "5" + lowEnd + "</X>", 2, low + "7" + lowEnd + "<X>" + low + "7" + lowEnd + "</X>"},
      {low + "5" + lowEnd + low + "6" + lowEnd, 2, ""},  // occurrences that disagree
      {low + "4294967295" + lowEnd + "<BWF_TIME_REFERENCE_HIGH/>", 1, low + "0" + lowEnd + high + "1" + highEnd},
      {"<BWF_TIME_REFERENCE_LOW/>", 5, "<BWF_TIME_REFERENCE_LOW/>"},  // no reference given
      {"<TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI>0</TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI>"
       "<TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO>100</TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO>", 5,
       "<TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI>0</TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_HI>"
       "<TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO>105</TIMESTAMP_SAMPLES_SINCE_MIDNIGHT_LO>"},
      {Ixml("4294967295", "4294967295"), 1, "", true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.In);
    Bytes body = Text(c.In);
    const tacetix::TimeShift shift = tacetix::ShiftIxmlTimeReference(body, c.Cut);
    const bool ok = shift == tacetix::TimeShift::Moved;
    EXPECT_EQ(ok, !c.Out.empty());
    EXPECT_EQ(shift == tacetix::TimeShift::OutOfRange, c.OutOfRange);
    if (ok) {
      EXPECT_EQ(std::string(body.begin(), body.end()), c.Out);
    }
  }
}

// A recorder's iXML may repeat its reference thousands of times in a body of megabytes: the
// rewrite passes over it a few times, not once for each reference.
TEST(KeptMetadataTest, IxmlRewriteWorkGrowsWithTheBodyAlone) {
  const std::string low = "<BWF_TIME_REFERENCE_LOW>";
  const std::string lowEnd = "</BWF_TIME_REFERENCE_LOW>";
  const std::string high = "<BWF_TIME_REFERENCE_HIGH>1</BWF_TIME_REFERENCE_HIGH>";
  auto times = [](const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
  };
  struct Case {
    const char* Name;
    std::string In;
    std::string Out;  // "" = malformed
  };
  constexpr int N = 20000;
  // clang-format off
  const Case cases[] = {
      {"each low gains a high half", times(low + "4294967295" + lowEnd + "\n", N),
       times(low + "0" + lowEnd + high + "\n", N)},
      {"empty halves filled in", times("<BWF_TIME_REFERENCE_LOW/>", N) + high,
       times(low + "1" + lowEnd, N) + high},
      {"names that only begin like a half", times("<BWF_TIME_REFERENCE_LOWER>", N) + low + "1" + lowEnd,
       times("<BWF_TIME_REFERENCE_LOWER>", N) + low + "2" + lowEnd},
      {"opened many times, closed once", times(low, N) + "1" + lowEnd, ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bytes body = Text(c.In);
    uint64_t work = 0;
    const tacetix::TimeShift shift = tacetix::ShiftIxmlTimeReference(body, 1, &work);
    EXPECT_EQ(shift == tacetix::TimeShift::Moved, !c.Out.empty());
    if (!c.Out.empty()) {
      EXPECT_EQ(std::string(body.begin(), body.end()), c.Out);
    }
    EXPECT_LE(work, 4 * (c.In.size() + c.Out.size()));
  }
}

TEST(KeptMetadataTest, ChannelMaskOfTheOutput) {
  struct Case {
    uint32_t Input;
    int32_t Channels;
    uint32_t Out;
  };
  // clang-format off
  const Case cases[] = {
      {0, 6, 0x3F},    {0, 3, 0xB},    {0, 8, 0x63F}, {0, 1, 0x4}, {0, 12, 0},
      {0x60F, 6, 0x60F},  // 5.1 with side speakers stays so
      {0x3, 4, 0x3},      // fewer speakers than channels is allowed
      {0x7, 2, 0x3},      // more is not: the default instead
  };
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(tacetix::OutputChannelMask(c.Input, c.Channels), c.Out) << c.Input << " " << c.Channels;
}

}  // namespace
