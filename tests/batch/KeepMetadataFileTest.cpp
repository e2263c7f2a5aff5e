// Metadata kept through whole files: ProcessFile's outputs, and what peers read from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "ChunkLayout.h"
#include "OneFileFixture.h"
#include "batch/ProcessFile.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;
using namespace chunklayout;

namespace {

class KeepMetadataFileTest : public OneFileTest {
 protected:
  FileResult Run(const ProcessSettings& s, const std::string& in, const std::string& out) {
    return RunFile(s, in, out, nullptr);
  }
  // The first and last whole-file bytes of the data chunk, whatever stands around it.
  static Bytes DataOf(const Bytes& file) {
    for (size_t at = 12; at + 8 <= file.size(); at += 8 + Le32At(file, at + 4) + (Le32At(file, at + 4) & 1))
      if (std::string(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4) == "data")
        return Bytes(file.begin() + static_cast<long>(at) + 8,
                     file.begin() + static_cast<long>(at + 8 + Le32At(file, at + 4)));
    return {};
  }
};

// A stereo 16-bit recording of 1000 frames, sound in frames 100..899, with markers at 50, 150,
// 600 and the end, a loop over 200..499, a time stamp of 1000 frames, and a chunk no output carries.
Bytes Recording() {
  std::vector<int16_t> samples(2000, 0);
  for (size_t f = 100; f < 900; ++f) samples[2 * f] = samples[2 * f + 1] = static_cast<int16_t>(f);
  WavBuilder b;
  b.Fmt(1, 2, 48000, 16)
      .Chunk("LIST", List("INFO", Entry("INAM", Text("take 1"))))
      .Chunk("bext", Bext(1000))
      .Chunk("PEAK", Bytes(24))
      .Chunk("iXML", Text(Ixml("1000", "0")))
      .Data(Pcm16(samples))
      .Chunk("cue ", Cue({{1, 50}, {2, 150}, {3, 600}, {4, 1000}}))
      .Chunk("LIST", List("adtl", Label("labl", 2)))
      .Chunk("smpl", Smpl({{200, 499}}));
  return b.Build();
}

}  // namespace

TEST_F(KeepMetadataFileTest, OutputsCarryTheChunksMovedWithTheCut) {
  struct Case {
    const char* Name;
    void (*Adjust)(ProcessSettings&);
    const char* Layout;  // "" = no output
    const char* Dropped;
  };
  const Case cases[] = {
      {"both ends cut", [](ProcessSettings&) {},
       "fmt16 LIST/INFO bext@1100 iXML@1100/0 data cue[2@50 3@500] adtl[labl2] smpl[100-399]", "PEAK"},
      {"end cut only", [](ProcessSettings& s) { s.RemoveBegin = false; },
       "fmt16 LIST/INFO bext@1000 iXML@1000/0 data cue[1@50 2@150 3@600] adtl[labl2] smpl[200-499]", "PEAK"},
      {"beginning cut only", [](ProcessSettings& s) { s.RemoveEnd = false; },
       "fmt16 LIST/INFO bext@1100 iXML@1100/0 data cue[2@50 3@500 4@900] adtl[labl2] smpl[100-399]", "PEAK"},
      {"nothing cut, written anyway",
       [](ProcessSettings& s) {
         s.RemoveBegin = s.RemoveEnd = false;
         s.CreateIfUnchanged = true;
       },
       "fmt16 LIST/INFO bext@1000 iXML@1000/0 data cue[1@50 2@150 3@600 4@1000] adtl[labl2] smpl[200-499]", "PEAK"},
      {"normalised to 24 bits: the same metadata, the speakers named",
       [](ProcessSettings& s) {
         s.BitsChoice = 5;
         s.Normalize = true;
         s.NormalizeTarget = 0.5;
       },
       "fmt40/0x3 LIST/INFO bext@1100 iXML@1100/0 data cue[2@50 3@500] adtl[labl2] smpl[100-399]", "PEAK"},
      {"simulated: nothing written, the drop still named", [](ProcessSettings& s) { s.Simulation = true; }, "", "PEAK"},
      {"option off: the canonical file", [](ProcessSettings& s) { s.KeepMetadata = false; }, "fmt16 data", ""},
  };
  WriteFile(In(), Recording());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(Out());
    ProcessSettings s;
    s.KeepMetadata = true;
    c.Adjust(s);
    ASSERT_EQ(Run(s, In(), Out()), FileResult::Done);
    EXPECT_EQ(Joined(Outcome.DroppedChunks), c.Dropped);
    if (c.Layout[0] == '\0') {
      EXPECT_FALSE(std::filesystem::exists(Out()));
      continue;
    }
    const Bytes out = ReadFile(Out());
    EXPECT_EQ(Layout(Bytes(out.begin() + 12, out.end())), c.Layout);
    EXPECT_EQ(Le32At(out, 4), out.size() - 8) << "the RIFF size counts every chunk";
  }
}

TEST_F(KeepMetadataFileTest, TheSamplesAreTheSameWithOrWithoutTheOption) {
  WriteFile(In(), Recording());
  ProcessSettings s;
  s.BitsChoice = 5;
  ASSERT_EQ(Run(s, In(), Out()), FileResult::Done);
  const Bytes plain = ReadFile(Out());
  EXPECT_EQ(plain.size(), 44u + 800u * 6u);
  s.KeepMetadata = true;
  s.Overwrite = true;
  ASSERT_EQ(Run(s, In(), Out()), FileResult::Done);
  const Bytes kept = ReadFile(Out());
  EXPECT_EQ(DataOf(kept), Bytes(plain.begin() + 44, plain.end()));
  int32_t ch = 0, bits = 0, tag = 0;
  std::vector<double> samples;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, samples));
  EXPECT_EQ(samples.size(), 1600u);
}

// An output cut short by a cancel holds fewer frames than the markers were moved for: it ends
// with its data, and what stands before the data is as in a whole output. A cancel while the
// chunks are chosen is honoured before the next one is read: no output is begun.
TEST_F(KeepMetadataFileTest, AnOutputCutShortCarriesNoChunksAfterItsData) {
  const size_t n = 3 * BlockValues;
  std::vector<int16_t> samples(n, 1000);
  samples[0] = 0;
  WavBuilder b;
  b.Fmt(1, 1, 48000, 16)
      .Chunk("bext", Bext(0))
      .Data(Pcm16(samples))
      .Chunk("cue ", Cue({{1, 10}, {2, static_cast<uint32_t>(n - 5)}}))
      .Chunk("smpl", Smpl({{100, static_cast<uint32_t>(n - 10)}}));
  WriteFile(In(), b.Build());
  ProcessSettings s;
  s.KeepMetadata = true;
  const struct {
    const char* Name;
    int CancelAtPump;
    FileResult Result;
    const char* Layout;
  } cases[] = {
      {"whole", -1, FileResult::Done, "fmt16 bext@1 data cue[1@9 2@786426] smpl[99-786421]"},
      // Two pumps of the scans, one after each chunk the output may carry (the cue is read
      // first for its points), one before each block written.
      {"cancelled after its first block", 8, FileResult::Cancelled, "fmt16 bext@1 data"},
      {"cancelled while its chunks are chosen", 4, FileResult::Cancelled, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(Out());
    Fe.Pumps = 0;
    Fe.CancelAtPump = c.CancelAtPump;
    EXPECT_EQ(Run(s, In(), Out()), c.Result);  // the file object is released on return
    if (c.Layout[0] == '\0') {
      EXPECT_FALSE(std::filesystem::exists(Out()));
      continue;
    }
    const Bytes out = ReadFile(Out());
    ASSERT_GT(out.size(), 12u);
    EXPECT_EQ(Layout(Bytes(out.begin() + 12, out.end())), c.Layout);
    EXPECT_EQ(Le32At(out, 4), out.size() - 8);
  }
}
