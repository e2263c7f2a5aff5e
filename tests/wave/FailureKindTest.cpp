// The kind each refusal of the reader and the writer carries, and the memory reader, which
// must read any bytes exactly as the file reader reads the same bytes from disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "wave/WaveReader.h"
#include "wave/WaveWriter.h"

using namespace tacetix;
using namespace testsupport;

namespace {

Bytes ManyChunksFirst(int32_t count, const Bytes& data) {
  WavBuilder b;
  for (int32_t i = 0; i < count; ++i) b.Chunk("junk", {});
  return b.Fmt(1, 1, 8000, 16).Data(data).Build();
}

Bytes StoredSamples(WaveReader& r) {
  WaveInfo info{};
  if (r.GetInfo(info) != 0 || r.SeekSample(0) != 0) return {};
  Bytes out(static_cast<size_t>(info.DataBytes));
  int32_t n = 0;
  EXPECT_EQ(r.ReadSampleBytes(out.data(), static_cast<int32_t>(info.SampleCount), n), 0);
  out.resize(static_cast<size_t>(n) * static_cast<size_t>(info.BytesPerSample));
  return out;
}

}  // namespace

TEST(FailureKindTest, ReaderRefusalsFromMemoryAndFromAFile) {
  const Bytes data = Pcm16({1, -2, 3, -4});
  const Bytes fmt16 = FmtBody(1, 2, 44100, 16);
  WavBuilder notRiff;
  notRiff.riffId = "FORM";
  WavBuilder rifx;  // big-endian: a wave file, in a byte order that is not read
  rifx.riffId = "RIFX";
  WavBuilder notWave;
  notWave.formType = "AVI ";
  WavBuilder rf64;
  rf64.riffId = "RF64";
  Bytes wrongSize = SimpleWav(1, 2, 44100, 16, data);
  wrongSize[4] += 2;
  const Bytes extAlaw = ExtensibleFmtBody(6, 1, 8000, 8, 4), extPcm = ExtensibleFmtBody(1, 2, 8000, 16, 3);
  const ReadOptions checked{true, false, nullptr};
  const ReadOptions stopped{false, false, [] { return true; }};
  struct Case {
    const char* name;
    Bytes bytes;
    ReadOptions options;
    FailureKind kind;
  };
  const Case cases[] = {
      {"a readable file", SimpleWav(1, 2, 44100, 16, data), {}, FailureKind::None},
      {"listed, chunk after data",
       WavBuilder{}.Fmt(1, 2, 44100, 16).Data(data).Chunk("LIST", Bytes(4)).Build(),
       {false, true, nullptr},
       FailureKind::None},
      {"empty", {}, {}, FailureKind::NotWave},
      {"not RIFF", notRiff.Fmt(1, 2, 44100, 16).Data(data).Build(), {}, FailureKind::NotWave},
      {"RIFX", rifx.Fmt(1, 2, 44100, 16).Data(data).Build(), {}, FailureKind::Unsupported},
      {"rate 0", WavBuilder{}.Fmt(1, 2, 0, 16).Data(data).Build(), {}, FailureKind::Malformed},
      {"not WAVE", notWave.Fmt(1, 2, 44100, 16).Data(data).Build(), {}, FailureKind::NotWave},
      {"RF64 without ds64", rf64.Fmt(1, 2, 44100, 16).Data(data).Build(), {}, FailureKind::Malformed},
      {"RIFF size checked", wrongSize, checked, FailureKind::Malformed},
      {"RIFF size not checked", wrongSize, {}, FailureKind::None},
      {"no data", WavBuilder{}.Fmt(1, 2, 44100, 16).Build(), {}, FailureKind::Malformed},
      {"data size 0", WavBuilder{}.Fmt(1, 2, 44100, 16).Chunk("data", {}).Build(), {}, FailureKind::Malformed},
      {"fmt past the end", WavBuilder{}.ChunkDeclared("fmt ", 1000, fmt16).Build(), {}, FailureKind::Malformed},
      {"0 channels", WavBuilder{}.Fmt(1, 0, 44100, 16, 4).Data(data).Build(), {}, FailureKind::Malformed},
      {"5-byte containers", WavBuilder{}.Fmt(1, 1, 44100, 40, 5).Data(Bytes(10)).Build(), {}, FailureKind::Unsupported},
      {"2-byte floats", WavBuilder{}.Fmt(3, 1, 44100, 16).Data(data).Build(), {}, FailureKind::Unsupported},
      // Only PCM and float tags are read, plain or as an extensible fmt's sub-format (A-law here).
      {"tag 0", WavBuilder{}.Fmt(0, 2, 44100, 16).Data(data).Build(), {}, FailureKind::Unsupported},
      {"sub-format 6", WavBuilder{}.Chunk("fmt ", extAlaw).Data(data).Build(), {}, FailureKind::Unsupported},
      {"sub-format 1", WavBuilder{}.Chunk("fmt ", extPcm).Data(data).Build(), {}, FailureKind::None},
      {"no sub-format", WavBuilder{}.Fmt(0xFFFE, 2, 44100, 16).Data(data).Build(), {}, FailureKind::None},
      {"walk stopped", ManyChunksFirst(1100, data), stopped, FailureKind::Cancelled},
      {"walk not stopped", ManyChunksFirst(1100, data), {}, FailureKind::None},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WaveReader memory;
    const int r = memory.OpenMemory(c.bytes.data(), c.bytes.size(), c.options);
    EXPECT_EQ(r != 0, c.kind != FailureKind::None);
    EXPECT_EQ(memory.FailKind(), c.kind);
    EXPECT_EQ(memory.WalkCancelled(), c.kind == FailureKind::Cancelled);
    WriteFile(dir.File("in.wav"), c.bytes);
    WaveReader file;
    EXPECT_EQ(file.Open(dir.File("in.wav"), c.options), r);
    EXPECT_EQ(file.FailKind(), memory.FailKind());
    EXPECT_EQ(file.FailReason(), memory.FailReason());
    if (r != 0) continue;
    EXPECT_EQ(memory.Chunks().size(), c.options.ListChunks ? 3u : 0u);
    const Bytes fromMemory = StoredSamples(memory);
    EXPECT_EQ(fromMemory, StoredSamples(file));
    EXPECT_EQ(fromMemory.empty(), false);
  }
}

TEST(FailureKindTest, SourceAndOutputRefusalsOnDisk) {
  TempDir dir;
  const std::string in = dir.File("in.wav");
  WriteFile(in, SimpleWav(1, 1, 8000, 16, Pcm16({1, 2, 3, 4})));
  WaveReader r;
  EXPECT_EQ(r.Open(dir.File("missing.wav")), 1);
  EXPECT_EQ(r.FailKind(), FailureKind::CannotOpen);
  EXPECT_EQ(r.Open(dir.Path().string()), 1);  // a folder is no file
  EXPECT_EQ(r.FailKind(), FailureKind::CannotOpen);
  ASSERT_EQ(r.Open(in), 0);
  std::filesystem::resize_file(in, 46);  // the source shrinks under the reader
  uint8_t block[8];
  int32_t n = 0;
  ASSERT_EQ(r.SeekSample(0), 0);
  EXPECT_EQ(r.ReadSampleBytes(block, 4, n), 1);
  EXPECT_EQ(r.FailKind(), FailureKind::CannotRead);

  FormatBody mono{TagPCM, 1, 8000, 16000, 2, 16};
  FormatBody noRate = mono;
  noRate.SampleRate = 0;
  WriteFile(dir.File("taken.wav"), {1});
  struct Case {
    const char* name;
    std::string path;
    FormatBody source;
    bool replace;
    FailureKind createKind, closeKind;
  };
  const Case cases[] = {
      {"a free name", dir.File("out.wav"), mono, false, FailureKind::None, FailureKind::None},
      {"no such folder", dir.File("no/out.wav"), mono, true, FailureKind::CannotWrite, FailureKind::None},
      {"no sample rate", dir.File("rate.wav"), noRate, true, FailureKind::Unsupported, FailureKind::None},
      {"name taken", dir.File("taken.wav"), mono, false, FailureKind::None, FailureKind::NameTaken},
      {"name replaced", dir.File("taken.wav"), mono, true, FailureKind::None, FailureKind::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WaveWriter w;
    OutputDescription d;
    d.Format = DeriveOutputFormat(c.source, false, {});
    d.Replace = c.replace;
    EXPECT_EQ(w.Create(c.path, std::move(d)), c.createKind == FailureKind::None ? 0 : 1);
    EXPECT_EQ(w.FailKind(), c.createKind);
    if (c.createKind != FailureKind::None) {
      w.Discard();
      continue;
    }
    EXPECT_EQ(w.Close(), c.closeKind == FailureKind::None ? 0 : 1);
    EXPECT_EQ(w.FailKind(), c.closeKind);
    EXPECT_EQ(w.Moved(), c.closeKind == FailureKind::None);
  }
}

// Scripts match the report's kind names, and a reason left empty falls back to the kind's text:
// every kind needs a name of its own, and every failure a text.
TEST(FailureKindTest, EveryKindHasItsOwnSnakeCaseNameAndADefaultText) {
  const std::regex snakeCase("[a-z]+(_[a-z]+)*");
  std::set<std::string> names;
  for (int k = 0; k <= static_cast<int>(FailureKind::NotRegularFile); ++k) {
    const auto kind = static_cast<FailureKind>(k);
    SCOPED_TRACE(k);
    const std::string name(FailureName(kind));
    EXPECT_TRUE(std::regex_match(name, snakeCase)) << name;
    EXPECT_TRUE(names.insert(name).second) << name << " names two kinds";
    EXPECT_EQ(FailureText(kind).empty(), kind == FailureKind::None);
  }
}
