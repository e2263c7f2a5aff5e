// Sizes past 2 and 4 GiB on small files: RF64/BW64 headers with ds64, RIFF sizes with the top bit
// set, and the output header's room for 64-bit sizes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "support/WaveClass.h"
#include "wave/WaveReader.h"

using namespace tacetix;
using namespace testsupport;

namespace {

constexpr uint32_t InDs64 = 0xFFFFFFFF;

// A ds64 body whose sample count is that of 16-bit samples.
Bytes Ds64(uint64_t riffSize, uint64_t dataSize, const std::vector<Ds64Entry>& table = {}, int64_t tableLength = -1) {
  return Ds64Body(riffSize, dataSize, dataSize / 2, table, tableLength);
}

const Bytes Samples = Pcm16({100, -200, 300, -400});
const Bytes Fmt = FmtBody(1, 2, 48000, 16);

struct ReadCase {
  const char* name;
  Bytes file;
  bool sizeCheck;
  std::string reason;  // "" = accepted
  int64_t dataBytes;
};

// clang-format off
std::vector<ReadCase> ReadCases() {
  // ds64's RIFF size of a file of 12 + 36 + 24 + 8 + 8 bytes: 80.
  const uint64_t riff = 80;
  Bytes cutDs64 = Rf64().Chunk("ds64", Ds64(riff, 8)).Build();
  cutDs64.resize(30);
  return {
      {"RF64 with its sizes in ds64", Rf64().Chunk("ds64", Ds64(riff, 8)).Chunk("fmt ", Fmt)
           .ChunkDeclared("data", InDs64, Samples).Build(), true, "", 8},
      {"BW64 likewise", Rf64("BW64").Chunk("ds64", Ds64(riff, 8)).Chunk("fmt ", Fmt)
           .ChunkDeclared("data", InDs64, Samples).Build(), true, "", 8},
      {"a 32-bit data size stands", Rf64().Chunk("ds64", Ds64(riff, 999)).Chunk("fmt ", Fmt).Data(Samples).Build(),
       false, "", 8},
      {"a 32-bit data size stands over a smaller ds64 one", Rf64().Chunk("ds64", Ds64(riff, 4)).Chunk("fmt ", Fmt)
           .Data(Samples).Build(), false, "", 8},
      {"ds64 data size past the file is cut", Rf64().Chunk("ds64", Ds64(riff, uint64_t{1} << 40)).Chunk("fmt ", Fmt)
           .ChunkDeclared("data", InDs64, Samples).Build(), false, "", 8},
      {"ds64 data size of 2^64-1", Rf64().Chunk("ds64", Ds64(riff, ~uint64_t{0})).Chunk("fmt ", Fmt)
           .ChunkDeclared("data", InDs64, Samples).Build(), false, "", 8},
      {"a table size for another chunk", Rf64().Chunk("ds64", Ds64(riff, 8, {{"LIST", 6}}))
           .ChunkDeclared("LIST", InDs64, Bytes(6, 'x')).Chunk("fmt ", Fmt).ChunkDeclared("data", InDs64, Samples)
           .Build(), false, "", 8},
      {"RIFF data size with the top bit set", WavBuilder{}.Fmt(1, 2, 48000, 16).ChunkDeclared("data", 0x80000010, Samples)
           .Build(), false, "", 8},
      {"RIFF size check with an unsigned size", [] { WavBuilder w; w.overrideRiff = true; w.riffSizeOverride = 0x80000000;
           return w.Fmt(1, 2, 48000, 16).Data(Samples).Build(); }(), true, "RIFF size does not match the file size", 0},
      {"ds64 RIFF size checked", Rf64().Chunk("ds64", Ds64(riff + 1, 8)).Chunk("fmt ", Fmt)
           .ChunkDeclared("data", InDs64, Samples).Build(), true, "RIFF size does not match the file size", 0},
      {"no ds64", Rf64().Chunk("fmt ", Fmt).Data(Samples).Build(), false, "RF64 file without ds64 chunk", 0},
      {"BW64 without ds64", Rf64("BW64").Chunk("JUNK", Bytes(28, 0)).Chunk("fmt ", Fmt).Data(Samples).Build(), false,
       "BW64 file without ds64 chunk", 0},
      {"ds64 too short", Rf64().Chunk("ds64", Bytes(20, 0)).Chunk("fmt ", Fmt).Data(Samples).Build(), false,
       "ds64 chunk too short", 0},
      {"ds64 cut off", cutDs64, false, "ds64 chunk cut off", 0},
      {"ds64 table longer than its chunk", Rf64().Chunk("ds64", Ds64(riff, 8, {}, 3)).Chunk("fmt ", Fmt)
           .ChunkDeclared("data", InDs64, Samples).Build(), false, "ds64 chunk table longer than the chunk", 0},
      {"form not WAVE", [] { WavBuilder w = Rf64(); w.formType = "AVI "; return w.Chunk("ds64", Ds64(80, 8)).Build(); }(),
       false, "not a WAV file: RF64 form is not WAVE", 0},
      {"ds64 data size 0", Rf64().Chunk("ds64", Ds64(riff, 0)).Chunk("fmt ", Fmt).ChunkDeclared("data", InDs64, Samples)
           .Build(), false, "data chunk empty", 0},
      {"a chunk sized in ds64 past the file", Rf64().Chunk("ds64", Ds64(riff, 8, {{"LIST", uint64_t{1} << 63}}))
           .ChunkDeclared("LIST", InDs64, {}).Chunk("fmt ", Fmt).Data(Samples).Build(), false,
       "fmt chunk missing: chunk 'LIST' runs past the end of the file", 0},
      {"a chunk sized 2^64-1 in ds64", Rf64().Chunk("ds64", Ds64(riff, 8, {{"LIST", ~uint64_t{0}}}))
           .ChunkDeclared("LIST", InDs64, {}).Chunk("fmt ", Fmt).Data(Samples).Build(), false,
       "fmt chunk missing: chunk 'LIST' runs past the end of the file", 0},
      {"a -1 size with no ds64 entry", Rf64().Chunk("ds64", Ds64(riff, 8)).Chunk("fmt ", Fmt)
           .ChunkDeclared("cue ", InDs64, {}).Data(Samples).Build(), false,
       "data chunk missing: chunk 'cue ' runs past the end of the file", 0},
  };
}
// clang-format on

TEST(LongFileTest, Rf64HeadersAreReadOrRefusedWithAReason) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.name);
    ReadOptions options;
    options.SizeCheck = c.sizeCheck;
    WaveReader f;
    const int r = f.OpenMemory(c.file.data(), c.file.size(), options);
    EXPECT_EQ(f.FailReason(), c.reason);
    if (!c.reason.empty()) {
      EXPECT_EQ(r, 1);
      continue;
    }
    ASSERT_EQ(r, 0);
    WaveInfo info{};
    ASSERT_EQ(f.GetInfo(info), 0);
    EXPECT_EQ(info.DataBytes, c.dataBytes);
    std::vector<double> values(4);
    int32_t got = 0;
    ASSERT_EQ(f.SeekSample(0), 0);
    ASSERT_EQ(f.ReadSamples(values.data(), 4, got), 0);
    EXPECT_EQ(got, 4);
    EXPECT_NEAR(values[3], -400 / 32767.0, 1e-9);
  }
}

// Indexes far past the data are refused, none overflows into a valid position.
TEST(LongFileTest, SeeksBeyondTheDataAreRefused) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 2, 48000, 16, Samples));
  PCMFile f;
  ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
  const struct {
    int64_t index;
    int result;
  } seeks[] = {{3, 0}, {4, 1}, {int64_t{1} << 31, 1}, {int64_t{1} << 62, 1}, {INT64_MAX, 1}, {INT64_MAX / 2 + 1, 1}};
  for (const auto& s : seeks) EXPECT_EQ(f.SeekSample(s.index), s.result) << s.index;
}

struct FrontCase {
  const char* name;
  int64_t expectedSamples;  // -1: as the input
  int32_t bits;             // output bits, -1 = as the input (16)
  size_t afterBytes;
  bool reserved;
};

// 16-bit samples behind a 44-byte header: 32-bit sizes end at 0xFFFFFFFF - 36 - 1 data bytes
// (one byte kept for the pad), less what follows the data.
TEST(LongFileTest, OutputsThatMayPassFourGibibytesReserveRoom) {
  const int64_t limit16 = (int64_t{0xFFFFFFFF} - 37) / 2;
  const FrontCase cases[] = {
      {"as the input", -1, -1, 0, false},
      {"at the limit", limit16, -1, 0, false},
      {"one sample past it", limit16 + 1, -1, 0, true},
      {"chunks after the data count", limit16, -1, 2, true},
      {"24 bits grow the data", limit16 * 2 / 3 + 1, 24, 0, true},
      {"8 bits shrink it", limit16 * 2, 8, 0, false},
  };
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 2, 48000, 16, Samples));
  for (const FrontCase& c : cases) {
    SCOPED_TRACE(c.name);
    PCMFile f;
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
    f.SetExpectedOutputSamples(c.expectedSamples);
    OutputExtras extras;
    extras.AfterData.assign(c.afterBytes, 0);
    f.SetOutputExtras(extras);
    ASSERT_EQ(f.CreateOutput(dir.File("out.wav"), c.bits, c.bits == -1 ? -1 : 1, -1), 0);
    EXPECT_EQ(f.OutputReserved(), c.reserved);
    const Bytes front = f.BuildFront(0);
    ASSERT_EQ(front.size(), c.reserved ? 80u : 44u);
    if (c.reserved) {
      EXPECT_EQ(std::string(front.begin() + 12, front.begin() + 16), "JUNK");
      EXPECT_EQ(Le32At(front, 16), 28u);
      EXPECT_EQ(std::string(front.begin() + 48, front.begin() + 52), "fmt ");
    }
    f.DiscardOutput();
  }
}

// The reserved room becomes ds64 once the data passes what 32-bit sizes describe.
TEST(LongFileTest, ReservedRoomBecomesDs64PastFourGibibytes) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 2, 48000, 16, Samples));
  PCMFile f;
  ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
  f.SetExpectedOutputSamples(int64_t{3} << 30);
  OutputExtras extras;
  extras.AfterData.assign(10, 0);
  f.SetOutputExtras(extras);
  ASSERT_EQ(f.CreateOutput(dir.File("out.wav"), -1, -1, -1), 0);
  const struct {
    int64_t dataBytes;
    bool rf64;
  } sizes[] = {{0xFFFFFFFF - 72 - 10 - 1, false}, {0xFFFFFFFF - 72 - 10 + 1, true}, {int64_t{6} << 30, true}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(s.dataBytes);
    const Bytes h = f.BuildFront(s.dataBytes);
    ASSERT_EQ(h.size(), 80u);
    const uint64_t riff = 72 + uint64_t(s.dataBytes) + (s.dataBytes & 1) + 10;
    EXPECT_EQ(std::string(h.begin(), h.begin() + 4), s.rf64 ? "RF64" : "RIFF");
    EXPECT_EQ(std::string(h.begin() + 12, h.begin() + 16), s.rf64 ? "ds64" : "JUNK");
    EXPECT_EQ(Le32At(h, 4), s.rf64 ? InDs64 : riff);
    EXPECT_EQ(Le32At(h, 76), s.rf64 ? InDs64 : uint32_t(s.dataBytes));
    if (!s.rf64) continue;
    auto le64 = [&](size_t at) { return uint64_t{Le32At(h, at)} | uint64_t{Le32At(h, at + 4)} << 32; };
    EXPECT_EQ(le64(20), riff);
    EXPECT_EQ(le64(28), uint64_t(s.dataBytes));
    EXPECT_EQ(le64(36), uint64_t(s.dataBytes) / 4);  // frames of 2 channels x 2 bytes
    EXPECT_EQ(Le32At(h, 44), 0u);                    // no table
  }
  f.DiscardOutput();
}

// ffmpeg's RF64 (written with -rf64 always, so small) holds the same samples as its RIFF twin.
TEST(LongFileTest, FfmpegRf64ReadsLikeItsRiffTwin) {
  if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  TempDir dir;
  std::vector<double> riffValues, rf64Values;
  for (const char* mode : {"never", "always"}) {
    const std::string path = dir.File(std::string(mode) + ".wav");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=0.2 -ac 3 -c:a pcm_s24le -rf64 " +
                         std::string(mode) + " " + ShellQuote(path)),
              0);
    const Bytes file = ReadFile(path);
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), mode[0] == 'a' ? "RF64" : "RIFF");
    int32_t ch = 0, bits = 0, tag = 0;
    ASSERT_TRUE(ReadWav(path, ch, bits, tag, mode[0] == 'a' ? rf64Values : riffValues));
    EXPECT_EQ(ch, 3);
    EXPECT_EQ(bits, 24);
  }
  EXPECT_EQ(rf64Values.size(), 3u * 8820);  // 0.2 s at 44100 Hz
  EXPECT_EQ(rf64Values, riffValues);
}

}  // namespace

// Carried chunks come from their maker as they are written; where the output may become RF64
// the odd-sized ones before the data follow it, after the chunks that point at samples.
TEST(LongFileTest, CarriedChunksAreMadeWhereTheyGo) {
  class TableMaker : public ChunkMaker {
   public:
    explicit TableMaker(std::vector<Bytes> bodies) : Bodies(std::move(bodies)) {}
    bool Make(size_t index, std::vector<uint8_t>& body) override {
      body = Bodies[index];
      return true;
    }
    std::vector<Bytes> Bodies;
  };
  struct Case {
    const char* name;
    int64_t expectedSamples;
    std::vector<Bytes> made;  // what the maker gives, by chunk
    const char* layout;       // the output's chunks, "" = Create fails: a chunk is not as planned
  };
  const std::vector<Bytes> planned = {Bytes(3, 'x'), Bytes(4, 'b'), Bytes(5, 'c')};
  const Case cases[] = {
      {"as planned", 4, planned, "fmt  iXML bext data cue "},
      {"room for 64-bit sizes", int64_t{3} << 30, planned, "JUNK fmt  bext data cue  iXML"},
      {"a body not of its planned size", 4, {Bytes(2, 'x'), Bytes(4, 'b'), Bytes(5, 'c')}, ""},
  };
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 2, 48000, 16, Samples));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PCMFile f;
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
    f.SetExpectedOutputSamples(c.expectedSamples);
    OutputExtras extras;
    extras.Carried = {
        {{'i', 'X', 'M', 'L'}, 3, false}, {{'b', 'e', 'x', 't'}, 4, false}, {{'c', 'u', 'e', ' '}, 5, true}};
    extras.Maker = std::make_shared<TableMaker>(c.made);
    f.SetOutputExtras(extras);
    const int created = f.CreateOutput(dir.File("out.wav"), -1, -1, -1);
    if (c.layout[0] == '\0') {
      EXPECT_EQ(created, 1);
      EXPECT_EQ(f.FailKind(), FailureKind::CannotRead);
      f.DiscardOutput();
      continue;
    }
    ASSERT_EQ(created, 0);
    ASSERT_EQ(f.RewindOutput(), 0);
    const double samples[4] = {0.5, -0.5, 0.25, 0.0};
    int32_t written = 0;
    ASSERT_EQ(f.WriteSamples(samples, 4, written), 0);
    ASSERT_EQ(f.FinishOutput(), 0);
    ASSERT_EQ(f.CloseOutput(), 0);
    const Bytes out = ReadFile(dir.File("out.wav"));
    EXPECT_EQ(Le32At(out, 4), out.size() - 8);
    WaveReader back;
    ASSERT_EQ(back.OpenMemory(out.data(), out.size(), {true, true, nullptr}), 0);
    std::string layout;
    for (const ChunkEntry& e : back.Chunks()) layout += (layout.empty() ? "" : " ") + std::string(e.Id.data(), 4);
    EXPECT_EQ(layout, c.layout);
  }
}
