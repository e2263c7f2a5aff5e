// The wave layer's hooks for carrying chunks: the input's chunk list and bytes, its channel mask,
// and outputs with an extensible fmt and whole chunks before and after the data.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "support/WaveClass.h"
#include "wave/RiffLayout.h"

using namespace tacetix;
using namespace testsupport;

namespace {

std::string Ids(const std::vector<ChunkEntry>& chunks) {
  std::string ids;
  for (const ChunkEntry& c : chunks) ids += std::string(c.Id.data(), 4) + "=" + std::to_string(c.Size) + " ";
  return ids;
}

Bytes WithTail(Bytes file, const char* tail) {
  file.insert(file.end(), tail, tail + std::strlen(tail));
  return file;
}

TEST(WaveHooksTest, InputChunkListStopsQuietlyAfterTheData) {
  struct Case {
    const char* name;
    Bytes file;
    bool list;
    std::string ids;
    uint32_t mask;
  };
  const Bytes data = Pcm16({1, 2, 3, 4});
  const Case cases[] = {
      {"off: nothing listed", WavBuilder{}.Fmt(1, 2, 44100, 16).Data(data).Chunk("LIST", Bytes(4, 'x')).Build(), false,
       "", 0},
      {"every chunk in order",
       WavBuilder{}
           .Chunk("bext", Bytes(3, 1))
           .Fmt(1, 2, 44100, 16)
           .Data(data)
           .Chunk("cue ", Bytes(4, 2))
           .Chunk("LIST", Bytes(5, 3))
           .Build(),
       true, "bext=3 fmt =16 data=8 cue =4 LIST=5 ", 0},
      {"a chunk past the end ends the list",
       WavBuilder{}
           .Fmt(1, 2, 44100, 16)
           .Data(data)
           .Chunk("cue ", Bytes(4, 2))
           .ChunkDeclared("smpl", 100, Bytes(10, 0))
           .Build(),
       true, "fmt =16 data=8 cue =4 ", 0},
      {"an empty last chunk is listed", WavBuilder{}.Fmt(1, 2, 44100, 16).Data(data).Chunk("id3 ", {}).Build(), true,
       "fmt =16 data=8 id3 =0 ", 0},
      {"a cut-off header ends the list", WithTail(WavBuilder{}.Fmt(1, 2, 44100, 16).Data(data).Build(), "ID3 "), true,
       "fmt =16 data=8 ", 0},
      {"extensible fmt gives its mask",
       WavBuilder{}.Chunk("fmt ", ExtensibleFmtBody(1, 6, 48000, 24, 0x3F)).Data(Bytes(18, 0)).Build(), true,
       "fmt =40 data=18 ", 0x3F},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes& file = c.file;
    WriteFile(dir.File("in.wav"), file);
    PCMFile f;
    f.SetListChunks(c.list);
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0) << f.FailReason();
    EXPECT_EQ(Ids(f.InputChunks()), c.ids);
    EXPECT_EQ(f.InputChannelMask(), c.mask);
    for (const ChunkEntry& e : f.InputChunks()) {  // each body is where the entry says
      Bytes head(8);
      ASSERT_EQ(f.ReadInputBytes(e.BodyOffset - 8, head.data(), 8), 0);
      EXPECT_EQ(std::memcmp(head.data(), e.Id.data(), 4), 0);
    }
    uint8_t byte = 0;
    EXPECT_EQ(f.ReadInputBytes(static_cast<int64_t>(file.size()) - 1, &byte, 1), 0);
    EXPECT_EQ(f.ReadInputBytes(static_cast<int64_t>(file.size()), &byte, 1), 1);  // past the end
  }
}

TEST(WaveHooksTest, OutputExtrasAreCountedInTheSizes) {
  struct Case {
    const char* name;
    bool extensible;
    Bytes before, after;
    int32_t bits;  // output bits, -1 = as the input (16)
  };
  const Bytes bext = ChunkBytes("bext", {7, 8, 9});
  const Bytes cue = ChunkBytes("cue ", Bytes(4, 0));
  const Case cases[] = {
      {"extensible only", true, {}, {}, -1},
      {"chunks around the data", false, bext, cue, -1},
      {"all of it, 24 bits", true, bext, cue, 24},
  };
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 3, 48000, 16, Pcm16({1, -1, 2, 3, 4, 5})));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PCMFile f;
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
    f.SetOutputExtras({c.extensible, 0x7, c.before, c.after, {}, nullptr});
    ASSERT_EQ(f.CreateOutput(dir.File("out.wav"), c.bits, c.bits == -1 ? -1 : 1, -1), 0);
    ASSERT_EQ(f.RewindOutput(), 0);
    const double samples[3] = {0.5, -0.5, 0.25};  // one frame: odd byte count at 24 bits
    int32_t written = 0;
    ASSERT_EQ(f.WriteSamples(samples, 3, written), 0);
    ASSERT_EQ(f.FinishOutput(), 0);
    ASSERT_EQ(f.CloseOutput(), 0);
    const Bytes out = ReadFile(dir.File("out.wav"));
    const size_t fmtSize = c.extensible ? 40 : 16;
    const size_t dataOffset = 12 + 8 + fmtSize + c.before.size() + 8;
    const size_t dataBytes = c.bits == 24 ? 9 : 6;
    EXPECT_EQ(out.size(), dataOffset + dataBytes + (dataBytes & 1) + c.after.size());
    EXPECT_EQ(Le32At(out, 4), out.size() - 8);
    EXPECT_EQ(Le32At(out, 16), fmtSize);
    EXPECT_EQ(Le16At(out, 20), c.extensible ? 0xFFFEu : 1u);
    if (c.extensible) {
      EXPECT_EQ(Le16At(out, 34), c.bits == 24 ? 24u : 16u);  // container width
      EXPECT_EQ(Le16At(out, 38), c.bits == 24 ? 24u : 16u);  // valid bits
      EXPECT_EQ(Le32At(out, 40), 7u);
      EXPECT_EQ(Le32At(out, 44), 1u);  // PCM sub-format
    }
    EXPECT_TRUE(std::equal(c.before.begin(), c.before.end(), out.begin() + 12 + 8 + fmtSize));
    EXPECT_EQ(std::string(out.begin() + dataOffset - 8, out.begin() + dataOffset - 4), "data");
    EXPECT_EQ(Le32At(out, dataOffset - 4), dataBytes);
    EXPECT_TRUE(std::equal(c.after.begin(), c.after.end(), out.end() - static_cast<long>(c.after.size())));
    // Read back: the chunks are where the header says, the mask and the samples come through.
    PCMFile back;
    back.SetListChunks(true);
    ASSERT_EQ(back.OpenInput(dir.File("out.wav"), true), 0) << back.FailReason();
    EXPECT_EQ(back.InputChunks().size(), 2 + (c.before.empty() ? 0u : 1u) + (c.after.empty() ? 0u : 1u));
    EXPECT_EQ(back.InputChannelMask(), c.extensible ? 7u : 0u);
    int32_t ch = 0, bits = 0, tag = 0;
    std::vector<double> values;
    ASSERT_TRUE(ReadWav(dir.File("out.wav"), ch, bits, tag, values));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_NEAR(values[1], -0.5, 1e-4);
  }
}

}  // namespace
