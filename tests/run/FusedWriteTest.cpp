// The written data of whole files, several blocks long and cut inside a piece, against the
// unfused way: every sample decoded by ReadSamples, the kept ones scaled in extended
// precision and encoded by WriteSamples.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "support/OneFileFixture.h"
#include "support/TestSupport.h"
#include "support/WaveClass.h"
#include "wave/SampleBlock.h"

using namespace tacetix;
using namespace testsupport;

namespace {

struct Input {
  const char* Name;
  uint16_t Tag, Channels, Bits;
  int32_t BitsChoice;  // output depth choice, 0 = as the input
  bool Normalize;
};

// Silence at both ends whose lengths are not whole pieces, a sine with noise between.
Bytes Samples(const Input& in, int32_t frames) {
  std::mt19937 random(in.Bits);
  std::vector<double> v(static_cast<size_t>(frames) * in.Channels, 0.0);
  for (size_t i = 1001 * in.Channels; i + 777 * in.Channels < v.size(); ++i)
    v[i] = 0.6 * std::sin(i * 0.001) + std::uniform_real_distribution<double>(-0.05, 0.05)(random);
  const SampleCoding coding{(in.Bits + 7) / 8, in.Bits, in.Tag == 3};
  Bytes data(v.size() * coding.BytesPerSample);
  EncoderFor(coding)(data.data(), v.data(), static_cast<int32_t>(v.size()), in.Bits);
  if (in.Bits == 12)  // low bits below the declared depth (not in the silence), which the output clears
    for (size_t i = 0; i < data.size(); i += 2)
      if (data[i] | data[i + 1]) data[i] |= static_cast<uint8_t>(random() & 15);
  return data;
}

Bytes ExpectedData(const std::string& source, const FileOutcome& o, const ProcessSettings& s,
                   const std::string& scratch) {
  PCMFile in;
  WaveInfo info{};
  std::vector<double> all;
  EXPECT_EQ(in.OpenInput(source, false) + in.GetInfo(info) + in.SeekSample(0), 0);
  all.resize(info.SampleCount);
  int32_t n = 0;
  EXPECT_EQ(in.ReadSamples(all.data(), info.SampleCount, n), 0);
  std::vector<double> kept(all.begin() + o.KeepFirst, all.begin() + o.KeepLast + 1);
  if (s.Normalize)
    for (double& v : kept) v = static_cast<double>(static_cast<long double>(o.Gain) * v);
  EXPECT_EQ(in.CreateOutput(scratch, o.TargetBits, static_cast<int16_t>(o.TargetFormat), -1), 0);
  EXPECT_EQ(in.WriteSamples(kept.data(), static_cast<int32_t>(kept.size()), n), 0);
  EXPECT_EQ(in.CloseOutput(), 0);
  return ReadFile(scratch);
}

}  // namespace

TEST(FusedWrite, WholeFilesMatchTheUnfusedWrite) {
  const Input inputs[] = {
      {"16 to 24, normalised", 1, 2, 16, 5, true},
      {"24 to 16", 1, 2, 24, 3, false},
      {"16 as it is", 1, 2, 16, 0, false},
      {"12 with low bits set", 1, 2, 12, 0, false},
      {"float to 16, normalised", 3, 1, 32, 3, true},
      {"8 to 32, normalised", 1, 6, 8, 6, true},
  };
  TempDir dir;
  for (const Input& in : inputs) {
    const int32_t frames = 2 * BlockValues / in.Channels + 3001;  // three blocks, the last short
    WriteFile(dir.File("in.wav"), SimpleWav(in.Tag, in.Channels, 44100, in.Bits, Samples(in, frames)));
    ProcessSettings s;
    s.BitsChoice = in.BitsChoice;
    s.Normalize = in.Normalize;
    s.NormalizeTarget = 0.9;
    s.CreateIfUnchanged = true;
    s.Overwrite = true;  // every case writes out.wav again
    s.ThresholdBegin = s.ThresholdEnd = 0.0;
    FakeFrontEnd fe;
    FileOutcome outcome;
    const FileResult result = ProcessOneFile(s, dir.File("in.wav"), dir.File("out.wav"), fe, &outcome);
    ASSERT_EQ(result, FileResult::Done) << in.Name;
    EXPECT_EQ(outcome.KeepFirst, 1001 * in.Channels) << in.Name;
    const Bytes expected = ExpectedData(dir.File("in.wav"), outcome, s, dir.File("want.wav"));
    EXPECT_EQ(ReadFile(dir.File("out.wav")), expected) << in.Name;
  }
}
