// AIFF and AIFF-C headers through the memory reader: what is read, and what is refused as what.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "wave/AiffReader.h"

using namespace tacetix;

namespace {

using Bytes = std::vector<uint8_t>;

void Big(Bytes& b, uint64_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes b(id, id + 4);
  Big(b, body.size(), 4);
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2) b.push_back(0);
  return b;
}

// An 80-bit extended number holding a whole rate; NaN for rate < 0.
Bytes Rate80(double rate) {
  Bytes b;
  if (rate < 0) return {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0};
  if (rate == 0) return Bytes(10, 0);
  const int e = static_cast<int>(std::floor(std::log2(rate)));
  Big(b, static_cast<uint64_t>(16383 + e), 2);
  Big(b, static_cast<uint64_t>(std::ldexp(rate, 63 - e)), 8);
  return b;
}

Bytes Comm(int channels, uint32_t frames, int bits, double rate, const char* type = nullptr) {
  Bytes b;
  Big(b, static_cast<uint64_t>(channels), 2);
  Big(b, frames, 4);
  Big(b, static_cast<uint64_t>(bits), 2);
  const Bytes r = Rate80(rate);
  b.insert(b.end(), r.begin(), r.end());
  if (type) b.insert(b.end(), type, type + 4), b.push_back(0), b.push_back(0);
  return Chunk("COMM", b);
}

Bytes Ssnd(const Bytes& samples, uint32_t offset = 0, uint32_t blockSize = 0) {
  Bytes b;
  Big(b, offset, 4);
  Big(b, blockSize, 4);
  b.insert(b.end(), samples.begin(), samples.end());
  return Chunk("SSND", b);
}

Bytes Form(const char* type, const std::vector<Bytes>& chunks) {
  Bytes body(type, type + 4);
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes b{'F', 'O', 'R', 'M'};
  Big(b, body.size(), 4);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

struct HeaderCase {
  const char* Name;
  Bytes File;
  FailureKind Kind;  // None: read
  int32_t Bits = 0;  // as the format states it
  int32_t Rate = 0;
  int64_t Samples = 0;
  Bytes First;  // the first sample as WAVE data holds it
};

HeaderCase Refused(const char* name, Bytes file, FailureKind kind) {
  HeaderCase c;
  c.Name = name;
  c.File = std::move(file);
  c.Kind = kind;
  return c;
}

}  // namespace

TEST(AiffReaderTest, HeaderCases) {
  const Bytes be16{0x40, 0x00, 0xC0, 0x00};  // +0.5, -0.5
  const Bytes half32{0x3F, 0x00, 0x00, 0x00};
  const Bytes half64{0x3F, 0xE0, 0, 0, 0, 0, 0, 0};
  const std::vector<HeaderCase> cases = {
      {"16-bit big-endian",
       Form("AIFF", {Comm(2, 1, 16, 44100), Ssnd(be16)}),
       FailureKind::None,
       16,
       44100,
       2,
       {0x00, 0x40}},
      {"8-bit signed", Form("AIFF", {Comm(1, 2, 8, 8000), Ssnd({0x80, 0x40})}), FailureKind::None, 8, 8000, 2, {0x00}},
      {"24-bit",
       Form("AIFF", {Comm(1, 1, 24, 96000), Ssnd({0xC0, 0, 0})}),
       FailureKind::None,
       24,
       96000,
       1,
       {0x00, 0x00, 0xC0}},
      {"12-bit left-justified",
       Form("AIFF", {Comm(1, 1, 12, 48000), Ssnd({0x20, 0x00})}),
       FailureKind::None,
       12,
       48000,
       1,
       {0x00, 0x20}},
      {"AIFF-C NONE",
       Form("AIFC", {Comm(2, 1, 16, 44100, "NONE"), Ssnd(be16)}),
       FailureKind::None,
       16,
       44100,
       2,
       {0x00, 0x40}},
      {"AIFF-C sowt",
       Form("AIFC", {Comm(2, 1, 16, 44100, "sowt"), Ssnd({0x00, 0x40, 0, 0xC0})}),
       FailureKind::None,
       16,
       44100,
       2,
       {0x00, 0x40}},
      {"AIFF-C fl32",
       Form("AIFC", {Comm(1, 1, 32, 44100, "fl32"), Ssnd(half32)}),
       FailureKind::None,
       32,
       44100,
       1,
       {0, 0, 0, 0x3F}},
      {"AIFF-C fl64",
       Form("AIFC", {Comm(1, 1, 64, 44100, "fl64"), Ssnd(half64)}),
       FailureKind::None,
       64,
       44100,
       1,
       {0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},
      {"COMM after SSND",
       Form("AIFF", {Ssnd(be16), Comm(2, 1, 16, 22050)}),
       FailureKind::None,
       16,
       22050,
       2,
       {0x00, 0x40}},
      {"odd chunk padded",
       Form("AIFF", {Chunk("NAME", {'a', 'b', 'c'}), Comm(2, 1, 16, 44100), Ssnd(be16)}),
       FailureKind::None,
       16,
       44100,
       2,
       {0x00, 0x40}},
      {"SSND offset honoured",
       Form("AIFF", {Comm(1, 1, 16, 44100), Ssnd({9, 9, 0x40, 0}, 2)}),
       FailureKind::None,
       16,
       44100,
       1,
       {0x00, 0x40}},
      {"frames short of SSND",
       Form("AIFF", {Comm(2, 1, 16, 44100), Ssnd({0x40, 0, 0x40, 0, 1, 1, 1, 1})}),
       FailureKind::None,
       16,
       44100,
       2,
       {0x00, 0x40}},
      Refused("mu-law refused", Form("AIFC", {Comm(1, 2, 16, 8000, "ulaw"), Ssnd({1, 2})}), FailureKind::Unsupported),
      Refused("ima4 refused", Form("AIFC", {Comm(1, 2, 16, 8000, "ima4"), Ssnd({1, 2})}), FailureKind::Unsupported),
      Refused("33 bits", Form("AIFF", {Comm(1, 1, 33, 8000), Ssnd({1, 2, 3, 4, 5})}), FailureKind::Unsupported),
      Refused("rate NaN", Form("AIFF", {Comm(1, 1, 16, -1), Ssnd({1, 2})}), FailureKind::Malformed),
      Refused("rate zero", Form("AIFF", {Comm(1, 1, 16, 0), Ssnd({1, 2})}), FailureKind::Malformed),
      Refused("rate huge", Form("AIFF", {Comm(1, 1, 16, 1e15), Ssnd({1, 2})}), FailureKind::Unsupported),
      Refused("no channels", Form("AIFF", {Comm(0, 1, 16, 8000), Ssnd({1, 2})}), FailureKind::Malformed),
      Refused("COMM too short", Form("AIFF", {Chunk("COMM", Bytes(10, 0)), Ssnd({1, 2})}), FailureKind::Malformed),
      Refused("AIFF-C COMM without its type", Form("AIFC", {Comm(1, 1, 16, 8000), Ssnd({1, 2})}),
              FailureKind::Malformed),
      Refused("no COMM", Form("AIFF", {Ssnd({1, 2})}), FailureKind::Malformed),
      Refused("no SSND", Form("AIFF", {Comm(1, 1, 16, 8000)}), FailureKind::Malformed),
      Refused("SSND offset past its data", Form("AIFF", {Comm(1, 1, 16, 8000), Ssnd({1, 2}, 3)}),
              FailureKind::Malformed),
      Refused("SSND block size past its data", Form("AIFF", {Comm(1, 1, 16, 8000), Ssnd({1, 2}, 0, 4096)}),
              FailureKind::Malformed),
      Refused("SSND without samples", Form("AIFF", {Comm(1, 1, 16, 8000), Ssnd({})}), FailureKind::Malformed),
      Refused("8SVX form", Form("8SVX", {Comm(1, 1, 16, 8000), Ssnd({1, 2})}), FailureKind::NotWave),
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.Name);
    AiffReader reader;
    const int opened = reader.OpenMemory(c.File.data(), c.File.size());
    EXPECT_EQ(reader.FailKind(), c.Kind);
    if (c.Kind != FailureKind::None) {
      EXPECT_EQ(opened, 1);
      continue;
    }
    ASSERT_EQ(opened, 0) << reader.FailReason();
    WaveInfo info{};
    ASSERT_EQ(reader.GetInfo(info), 0);
    EXPECT_EQ(info.BitsPerSample, c.Bits);
    EXPECT_EQ(info.SampleRate, c.Rate);
    EXPECT_EQ(info.SampleCount, c.Samples);
    Bytes first(8, 0xEE);
    int32_t got = 0;
    ASSERT_EQ(reader.SeekSample(0), 0);
    ASSERT_EQ(reader.ReadSampleBytes(first.data(), 1, got), 0);
    first.resize(c.First.size());
    EXPECT_EQ(first, c.First);
  }
}

TEST(AiffReaderTest, ExtendedRates) {
  const uint8_t rate44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(LoadExtended80(rate44100), 44100.0);
  const uint8_t nan[10] = {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::isnan(LoadExtended80(nan)));
}
