// RIFF walking, WAVE header acceptance, sample reading and the canonical output header.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <vector>

#include "support/TestSupport.h"
#include "support/WaveClass.h"
#include "wave/LevelTime.h"
#include "wave/RiffLayout.h"

using namespace tacetix;
using namespace testsupport;

namespace {

class WaveFileTest : public ::testing::Test {
 protected:
  TempDir Dir;
  std::string Path() const { return Dir.File("t.wav"); }
  int Open(const Bytes& bytes, PCMFile& f, bool sizeCheck = false) {
    WriteFile(Path(), bytes);
    return f.OpenInput(Path(), sizeCheck);
  }
  WaveInfo Info(const Bytes& bytes) {
    PCMFile f;
    WaveInfo info{};
    EXPECT_EQ(Open(bytes, f), 0);
    EXPECT_EQ(f.GetInfo(info), 0);
    return info;
  }
};

}  // namespace

TEST_F(WaveFileTest, ChunkWalkingSkipsBodiesAndPadBytes) {
  Bytes riff = WavBuilder{}.Chunk("abcd", Bytes(7, 1)).Chunk("efgh", Bytes(4, 2)).Build();
  WriteFile(Path(), riff);
  RIFFFile r;
  ASSERT_EQ(r.OpenInput(Path(), true), 0);
  ChunkHeader c{};
  ASSERT_EQ(r.NextChunk(c), 0);
  EXPECT_EQ(std::memcmp(c.id, "abcd", 4), 0);
  EXPECT_EQ(c.size, 7u);
  ASSERT_EQ(r.NextChunk(c), 0);  // header at body start + 8: the pad byte is skipped
  EXPECT_EQ(std::memcmp(c.id, "efgh", 4), 0);
  EXPECT_EQ(r.NextChunk(c), 1);  // end of file
  r.CloseInput();
  EXPECT_EQ(r.NextChunk(c), 1);
}

TEST_F(WaveFileTest, RiffHeaderChecks) {
  RIFFFile r;
  WriteFile(Path(), Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'});  // 11 bytes
  EXPECT_EQ(r.OpenInput(Path(), false), 1);
  Bytes wrongSize = WavBuilder{}.Chunk("abcd", Bytes(2)).Build();
  wrongSize[4] += 1;
  WriteFile(Path(), wrongSize);
  EXPECT_EQ(r.OpenInput(Path(), false), 0);  // the RIFF size is only checked on request
  EXPECT_EQ(r.OpenInput(Path(), true), 1);
  EXPECT_EQ(r.OpenInput(Dir.File("missing.wav"), false), 1);
  EXPECT_EQ(r.OpenInput(Dir.Path().string(), false), 1);  // a folder is no file
}

TEST_F(WaveFileTest, MalformedHeadersAreRefused) {
  const Bytes fmt16 = FmtBody(1, 2, 44100, 16);
  const Bytes data = Pcm16({1, 2, 3, 4});
  struct Case {
    const char* name;
    Bytes bytes;
  };
  WavBuilder notRiff;
  notRiff.riffId = "RIFX";
  WavBuilder notWave;
  notWave.formType = "AVI ";
  Bytes truncated = SimpleWav(1, 2, 44100, 16, data);
  truncated.resize(30);
  const Case cases[] = {
      {"empty", {}},
      {"truncated in fmt", truncated},
      {"not RIFF", notRiff.Fmt(1, 2, 44100, 16).Data(data).Build()},
      {"not WAVE", notWave.Fmt(1, 2, 44100, 16).Data(data).Build()},
      {"no fmt", WavBuilder{}.Data(data).Build()},
      {"data before fmt", WavBuilder{}.Data(data).Fmt(1, 2, 44100, 16).Build()},
      {"no data", WavBuilder{}.Fmt(1, 2, 44100, 16).Build()},
      {"data size 0", WavBuilder{}.Fmt(1, 2, 44100, 16).Chunk("data", {}).Build()},
      {"fmt shorter than 16", WavBuilder{}.Chunk("fmt ", Bytes(fmt16.begin(), fmt16.begin() + 14)).Data(data).Build()},
      {"fmt size past the end", WavBuilder{}.ChunkDeclared("fmt ", 1000, fmt16).Build()},
      {"0 channels", WavBuilder{}.Fmt(1, 0, 44100, 16, 4).Data(data).Build()},
      {"block align not a multiple", WavBuilder{}.Fmt(1, 2, 44100, 16, 5).Data(data).Build()},
      {"5-byte containers", WavBuilder{}.Fmt(1, 1, 44100, 40, 5).Data(Bytes(10)).Build()},
  };
  for (const Case& c : cases) {
    PCMFile f;
    WaveInfo info{};
    EXPECT_EQ(Open(c.bytes, f), 1) << c.name;
    EXPECT_EQ(f.GetInfo(info), 1) << c.name;
  }
}

TEST_F(WaveFileTest, AcceptedHeadersAndTheirInfo) {
  // An odd-sized chunk between fmt and data is skipped with its pad byte.
  WaveInfo w =
      Info(WavBuilder{}.Fmt(1, 2, 44100, 16).Chunk("LIST", Bytes(5, 'x')).Data(Pcm16({1, 2, 3, 4, 5, 6})).Build());
  EXPECT_EQ(w.FormatTag, 1);
  EXPECT_EQ(w.Channels, 2);
  EXPECT_EQ(w.BytesPerSample, 2);
  EXPECT_EQ(w.DataBytes, 12);
  EXPECT_EQ(w.SampleCount, 6);

  // A data chunk claiming more than the file holds is cut to the file; a top-bit size too.
  Bytes part = {1, 0, 2, 0, 3};
  w = Info(WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 1000, part).Build());
  EXPECT_EQ(w.DataBytes, 5);
  EXPECT_EQ(w.SampleCount, 2);
  w = Info(WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 0xFFFFFFFF, part).Build());
  EXPECT_EQ(w.DataBytes, 5);

  // Extensible tag reads as -2; 24 bits in 4-byte containers; 4 bits in one byte.
  w = Info(WavBuilder{}.Fmt(0xFFFE, 2, 48000, 24, 6).Data(Bytes(12)).Build());
  EXPECT_EQ(w.FormatTag, -2);
  EXPECT_EQ(w.BytesPerSample, 3);
  EXPECT_EQ(DurationText(w), "--:--:--.---");
  w = Info(WavBuilder{}.Fmt(1, 1, 8000, 4, 1).Data(Bytes(3)).Build());
  EXPECT_EQ(w.BytesPerSample, 1);
}

TEST_F(WaveFileTest, DataWithoutBytesIsAcceptedButHoldsNoSample) {
  PCMFile f;
  ASSERT_EQ(Open(WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 10, {}).Build(), f), 0);
  WaveInfo w{};
  ASSERT_EQ(f.GetInfo(w), 0);
  EXPECT_EQ(w.DataBytes, 0);
  EXPECT_EQ(f.SeekSample(0), 1);
}

TEST_F(WaveFileTest, ReadingInCallsOf262144) {
  std::vector<int16_t> s(300000);
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(i * 7);
  PCMFile f;
  ASSERT_EQ(Open(SimpleWav(1, 1, 44100, 16, Pcm16(s)), f), 0);
  std::vector<double> buf(262144);
  int32_t n = -1;
  EXPECT_EQ(f.ReadSamples(buf.data(), 262144, n), 1);  // no seek yet
  ASSERT_EQ(f.SeekSample(0), 0);
  EXPECT_EQ(f.ReadSamples(buf.data(), 0, n), 1);
  EXPECT_EQ(n, 0);
  ASSERT_EQ(f.ReadSamples(buf.data(), 262144, n), 0);
  EXPECT_EQ(n, 262144);
  EXPECT_EQ(buf[262143], static_cast<int16_t>(262143 * 7) / 32767.0);
  ASSERT_EQ(f.ReadSamples(buf.data(), 262144, n), 0);
  EXPECT_EQ(n, 37856);
  EXPECT_EQ(buf[0], static_cast<int16_t>(262144 * 7) / 32767.0);
  EXPECT_EQ(f.ReadSamples(buf.data(), 262144, n), 2);
  EXPECT_EQ(n, 0);
}

TEST_F(WaveFileTest, SeekingChecksTheRangeWithoutOverflow) {
  PCMFile f;
  ASSERT_EQ(Open(SimpleWav(1, 2, 44100, 16, Pcm16({10, 20, 30, 40})), f), 0);
  std::vector<double> buf(4);
  int32_t n = 0;
  ASSERT_EQ(f.SeekSample(2), 0);  // frame 1
  ASSERT_EQ(f.ReadSamples(buf.data(), 4, n), 0);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(buf[0], 30 / 32767.0);
  EXPECT_EQ(f.SeekSample(4), 1);  // SampleCount: out of range
  // A huge index must not wrap onto an early sample.
  EXPECT_EQ(f.SeekSample(0x7FFFFFFF), 1);
  EXPECT_EQ(f.SeekSample(-3), 0);
  EXPECT_EQ(f.ReadSamples(buf.data(), 4, n), 1);
  f.CloseInput();
  WaveInfo w{};
  EXPECT_EQ(f.GetInfo(w), 1);
}

TEST_F(WaveFileTest, CanonicalHeaderArithmetic) {
  PCMFile f;
  ASSERT_EQ(Open(SimpleWav(1, 2, 44100, 16, Pcm16(std::vector<int16_t>(2000, 5))), f), 0);
  const std::string out = Dir.File("o.wav");
  ASSERT_EQ(f.CreateOutput(out, -1, -1, -1), 0);
  ASSERT_EQ(f.RewindOutput(), 0);
  std::vector<double> v(2000, 0.25);
  int32_t w = 0;
  ASSERT_EQ(f.WriteSamples(v.data(), 2000, w), 0);
  ASSERT_EQ(f.FinishOutput(), 0);
  ASSERT_EQ(f.CloseOutput(), 0);
  Bytes b = ReadFile(out);
  ASSERT_EQ(b.size(), 4044u);
  EXPECT_EQ(Le32At(b, 4), 4036u);
  EXPECT_EQ(Le32At(b, 28), 176400u);
  EXPECT_EQ(Le16At(b, 32), 4u);
  EXPECT_EQ(Le32At(b, 40), 4000u);

  // Conversions of a 16-bit stereo input.
  struct Conv {
    int32_t bits;
    int16_t tag;
    uint32_t blockAlign, outTag;
  };
  for (Conv c : {Conv{24, 1, 6, 1}, Conv{32, 3, 8, 3}, Conv{64, 3, 16, 3}, Conv{12, 1, 4, 1}, Conv{20, 1, 6, 1}}) {
    ASSERT_EQ(f.CreateOutput(out, c.bits, c.tag, -1), 0);
    f.CloseOutput();
    b = ReadFile(out);
    EXPECT_EQ(Le16At(b, 32), c.blockAlign) << c.bits;
    EXPECT_EQ(Le16At(b, 34), static_cast<uint32_t>(c.bits));
    EXPECT_EQ(Le16At(b, 20), c.outTag);
    EXPECT_EQ(Le32At(b, 28), 44100u * c.blockAlign);
  }
  EXPECT_EQ(f.CreateOutput(out, 16, 2, -1), 1);  // tag 2 is refused, the file stays empty
  f.CloseOutput();
  EXPECT_EQ(ReadFile(out).size(), 0u);
}

TEST_F(WaveFileTest, OddDataGetsAPadByteAndAbandonedOutputsAreFinished) {
  PCMFile f;
  ASSERT_EQ(Open(SimpleWav(1, 1, 8000, 8, Bytes{128, 129, 130}), f), 0);
  const std::string out = Dir.File("o.wav");
  double v[3] = {0.0, 0.5, -1.0};
  int32_t w = -1;
  ASSERT_EQ(f.CreateOutput(out, -1, -1, -1), 0);
  ASSERT_EQ(f.RewindOutput(), 0);
  EXPECT_EQ(f.WriteSamples(v, 0, w), 1);
  EXPECT_EQ(w, 0);
  ASSERT_EQ(f.WriteSamples(v, 3, w), 0);
  ASSERT_EQ(f.FinishOutput(), 0);
  f.CloseOutput();
  Bytes b = ReadFile(out);
  ASSERT_EQ(b.size(), 48u);
  EXPECT_EQ(Le32At(b, 4), 40u);
  EXPECT_EQ(Le32At(b, 40), 3u);
  EXPECT_EQ(b[44], 128);
  EXPECT_EQ(b[45], 192);
  EXPECT_EQ(b[46], 1);
  EXPECT_EQ(b[47], 0);

  {  // destroyed while pending: the header still matches what was written
    PCMFile g;
    ASSERT_EQ(Open(SimpleWav(1, 1, 8000, 16, Pcm16({1, 2})), g), 0);
    ASSERT_EQ(g.CreateOutput(out, 24, 1, -1), 0);
    ASSERT_EQ(g.RewindOutput(), 0);
    ASSERT_EQ(g.WriteSamples(v, 3, w), 0);
  }
  b = ReadFile(out);
  ASSERT_EQ(b.size(), 44u + 9u + 1u);
  EXPECT_EQ(Le32At(b, 40), 9u);
  EXPECT_EQ(Le16At(b, 34), 24u);  // the conversion survives the late finish
}

TEST_F(WaveFileTest, ExtensibleInputsWriteAPlainTag) {
  const Bytes ext = ExtensibleFmtBody(3, 1, 48000, 32, 4);  // sub-format: IEEE float
  Bytes data;
  Put32(data, 0x3F000000);  // 0.5f
  PCMFile f;
  ASSERT_EQ(Open(WavBuilder{}.Chunk("fmt ", ext).Data(data).Build(), f), 0);
  std::vector<double> v(1);
  int32_t n = 0;
  ASSERT_EQ(f.SeekSample(0), 0);
  ASSERT_EQ(f.ReadSamples(v.data(), 1, n), 0);
  EXPECT_EQ(v[0], 0.5);  // decoded as float, not as a 32-bit integer
  const std::string out = Dir.File("o.wav");
  ASSERT_EQ(f.CreateOutput(out, -1, -1, -1), 0);
  ASSERT_EQ(f.RewindOutput(), 0);
  ASSERT_EQ(f.WriteSamples(v.data(), 1, n), 0);
  ASSERT_EQ(f.CloseOutput(), 0);
  Bytes b = ReadFile(out);
  EXPECT_EQ(Le16At(b, 20), 3u);
  EXPECT_EQ(Le32At(b, 44), 0x3F000000u);
}

TEST(LevelTime, ConversionsAndDurations) {
  EXPECT_EQ(DbToLinear(0.0), 1.0);
  EXPECT_DOUBLE_EQ(DbToLinear(-6.020599913279624), 2.0);
  EXPECT_NEAR(DbToLinear(60), 0.001, 1e-15);
  EXPECT_NEAR(DbToLinear(144), 6.30957344480194e-08, 1e-20);
  EXPECT_NEAR(LinearToDb(0.5), 6.020599913279624, 1e-12);
  EXPECT_NEAR(LinearToDb(2), -6.020599913279624, 1e-12);
  WaveInfo w{1, 2, 16, 2, 44100, 0, 5424300};
  EXPECT_EQ(DurationText(w), "00:01:01.500");
  w.SampleCount = 2;
  EXPECT_EQ(DurationText(w), "00:00:00.000");
  w = {1, 1, 16, 2, 1, 0, 360000};
  EXPECT_EQ(DurationText(w), "100:00:00.000");
  w = {3, 1, 32, 4, 44100, 0, 44099};  // 999.98 ms rounds up into the next second
  EXPECT_EQ(DurationText(w), "00:00:01.000");
  w.SampleRate = 0;
  EXPECT_EQ(DurationText(w), "--:--:--.---");
  w = {1, 0, 16, 2, 44100, 0, 100};
  EXPECT_EQ(DurationText(w), "--:--:--.---");
  EXPECT_EQ(ZeroPad(7, 3), "007");
  EXPECT_EQ(ZeroPad(1234, 2), "1234");
}
