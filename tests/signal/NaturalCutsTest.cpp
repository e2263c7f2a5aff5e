// Natural cuts end to end: padding, click regions, the peak of the written range, fades.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <vector>

#include "run/ProcessFile.h"
#include "signal/Fades.h"
#include "signal/NaturalCuts.h"
#include "signal/SoundRegions.h"
#include "support/OneFileFixture.h"
#include "support/TestSupport.h"
#include "wave/SampleBlock.h"

using namespace tacetix;
using namespace testsupport;

namespace {

struct Span {
  int64_t First, Last;  // frames, inclusive
  int16_t Value;
  int Channel = -1;  // -1: every channel
};

std::vector<int16_t> Signal(uint16_t channels, int64_t frames, const std::vector<Span>& spans) {
  std::vector<int16_t> s(static_cast<size_t>(frames * channels), 0);
  for (const Span& sp : spans) {
    for (int64_t f = sp.First; f <= sp.Last; ++f) {
      for (int c = 0; c < channels; ++c) {
        if (sp.Channel < 0 || sp.Channel == c) s[static_cast<size_t>(f * channels + c)] = sp.Value;
      }
    }
  }
  return s;
}

// The curve written out on its own: 0.5 (1 - cos(pi k / n)), extended precision.
long double Rise(int64_t k, int64_t n) {
  if (k >= n) return 1.0L;
  return 0.5L * (1.0L - std::cos(std::numbers::pi_v<long double> * k / n));
}

class NaturalCutsTest : public OneFileTest {
 protected:
  // Each case starts without the output of the case before.
  FileResult Run() {
    std::filesystem::remove(Out());
    return RunFile(S, In(), Out(), &Record);
  }
  std::vector<double> Read(const std::string& path) {
    int32_t ch = 0, bits = 0, tag = 0;
    std::vector<double> v;
    EXPECT_TRUE(ReadWav(path, ch, bits, tag, v));
    return v;
  }
};

constexpr int16_t Loud = 10000;

// Where the kept range lands, whether a file is written, and what the log says of it.
TEST_F(NaturalCutsTest, KeptRangeWithPaddingAndClicks) {
  struct Case {
    const char* Name;
    uint32_t Rate;
    uint16_t Channels;
    int64_t Frames;
    std::vector<Span> Sound;
    int32_t KeepBegin, KeepEnd, Ignore;
    double Threshold;
    bool Silent, Due;
    int64_t First, Last;  // frames written
  };
  const double t01 = 0.1;  // 3276.7 in 16-bit steps
  // clang-format off
  const std::vector<Case> cases = {
    {"padding inside the file", 1000, 1, 100, {{30, 60, Loud}}, 5, 7, 0, 0.0, false, true, 25, 67},
    {"padding clamped at the start", 1000, 1, 100, {{3, 60, Loud}}, 10, 0, 0, 0.0, false, true, 0, 60},
    {"padding clamped at the end", 1000, 1, 100, {{30, 95, Loud}}, 0, 10, 0, 0.0, false, true, 30, 99},
    {"padding larger than the silence: unchanged", 1000, 1, 100, {{3, 95, Loud}}, 10, 10, 0, 0.0, false, false, 0, 0},
    {"silent file with padding", 1000, 1, 100, {}, 10, 10, 0, 0.0, true, false, 0, 0},
    {"stereo, right channel first", 1000, 2, 100, {{10, 10, Loud, 1}, {11, 40, Loud, 0}}, 4, 4, 0, 0.0, false, true, 6, 44},
    {"1 ms click ignored", 44100, 1, 44100, {{1000, 1043, Loud}, {10000, 20000, Loud}}, 0, 0, 10, 0.0, false, true, 10000, 20000},
    {"9 ms click ignored", 44100, 1, 44100, {{1000, 1396, Loud}, {10000, 20000, Loud}}, 0, 0, 10, 0.0, false, true, 10000, 20000},
    {"11 ms click kept", 44100, 1, 44100, {{1000, 1484, Loud}, {10000, 20000, Loud}}, 0, 0, 10, 0.0, false, true, 1000, 20000},
    {"11 ms below the threshold is silence", 44100, 1, 44100, {{1000, 1484, 3000}, {10000, 20000, Loud}}, 0, 0, 10, t01, false, true, 10000, 20000},
    {"11 ms above the threshold is sound", 44100, 1, 44100, {{1000, 1484, 4000}, {10000, 20000, Loud}}, 0, 0, 10, t01, false, true, 1000, 20000},
    {"9 ms click after the end ignored", 44100, 1, 44100, {{10000, 20000, Loud}, {30000, 30396, Loud}}, 0, 0, 10, 0.0, false, true, 10000, 20000},
    {"11 ms click after the end kept", 44100, 1, 44100, {{10000, 20000, Loud}, {30000, 30484, Loud}}, 0, 0, 10, 0.0, false, true, 10000, 30484},
    {"bursts 8 ms apart are one region", 44100, 1, 44100, {{1000, 1220, Loud}, {1573, 1793, Loud}, {10000, 20000, Loud}}, 0, 0, 15, 0.0, false, true, 1000, 20000},
    {"bursts 12 ms apart are two clicks", 44100, 1, 44100, {{1000, 1220, Loud}, {1750, 1970, Loud}, {10000, 20000, Loud}}, 0, 0, 15, 0.0, false, true, 10000, 20000},
    {"clicks only: silent", 44100, 1, 44100, {{1000, 1100, Loud}, {30000, 30010, Loud}}, 0, 0, 10, 0.0, true, false, 0, 0},
    {"padding counts from the sound, not the click", 44100, 1, 44100, {{9000, 9000, Loud}, {10000, 20000, Loud}}, 10, 0, 5, 0.0, false, true, 9559, 20000},
    {"a click 100 frames before the sound joins it", 44100, 1, 44100, {{9900, 9900, Loud}, {10000, 20000, Loud}}, 10, 0, 5, 0.0, false, true, 9459, 20000},
    {"stereo click on one channel", 44100, 2, 44100, {{1000, 1484, Loud, 1}, {10000, 20000, Loud, 0}}, 0, 0, 10, 0.0, false, true, 1000, 20000},
    {"half frames round to even: 1 ms at 500 Hz is none, 3 ms two", 500, 1, 100, {{30, 60, Loud}}, 1, 3, 0, 0.0, false, true, 30, 62},
    {"a region exactly as long as a click is sound", 1000, 1, 100, {{20, 29, Loud}, {50, 60, Loud}}, 0, 0, 10, 0.0, false, true, 20, 60},
    {"a frame shorter it is a click", 1000, 1, 100, {{20, 28, Loud}, {50, 60, Loud}}, 0, 0, 10, 0.0, false, true, 50, 60},
    {"bursts exactly the region gap apart are two clicks", 1000, 1, 100, {{20, 24, Loud}, {34, 38, Loud}, {60, 80, Loud}}, 0, 0, 8, 0.0, false, true, 60, 80},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    S = ProcessSettings{};
    S.KeepBeginMs = c.KeepBegin;
    S.KeepEndMs = c.KeepEnd;
    S.IgnoreClicksMs = c.Ignore;
    S.ThresholdBegin = c.Threshold;
    S.ThresholdEnd = c.Threshold;
    WriteWav16(In(), c.Channels, Signal(c.Channels, c.Frames, c.Sound), c.Rate);
    Record.Clear();
    ASSERT_EQ(Run(), FileResult::Done);
    EXPECT_EQ(Outcome.Silent, c.Silent);
    EXPECT_EQ(std::filesystem::exists(Out()), c.Due);
    if (!c.Due) continue;
    EXPECT_EQ(Outcome.KeepFirst, c.First * c.Channels);
    EXPECT_EQ(Outcome.KeepLast, c.Last * c.Channels + c.Channels - 1);
    EXPECT_EQ(Record.startsample, c.First);
    EXPECT_EQ(Record.endsample, c.Last);
    EXPECT_EQ(Record.samples_out, c.Last - c.First + 1);
    EXPECT_EQ(Read(Out()).size(), static_cast<size_t>((c.Last - c.First + 1) * c.Channels));
  }
}

// Clicks measured across the borders of the blocks both scans read: forward blocks start at
// 0 and BlockValues; the end scan's blocks end at T and T - BlockValues.
TEST_F(NaturalCutsTest, ClickRegionsAcrossBlockBorders) {
  constexpr int64_t T = 600000;
  constexpr int64_t Front = BlockValues;     // 262144
  constexpr int64_t Back = T - BlockValues;  // 337856
  struct Case {
    const char* Name;
    std::vector<Span> Sound;
    int64_t First, Last;
  };
  // clang-format off
  const std::vector<Case> cases = {
    {"11 ms over the first border", {{Front - 200, Front + 284, Loud}, {400000, 450000, Loud}}, Front - 200, 450000},
    {"9 ms over the first border", {{Front - 200, Front + 196, Loud}, {400000, 450000, Loud}}, 400000, 450000},
    {"11 ms over the end scan's border", {{100000, 200000, Loud}, {Back - 250, Back + 234, Loud}}, 100000, Back + 234},
    {"9 ms over the end scan's border", {{100000, 200000, Loud}, {Back - 250, Back + 146, Loud}}, 100000, 200000},
    {"gap over the border joins two bursts", {{Front - 300, Front - 100, Loud}, {Front + 100, Front + 300, Loud}, {400000, 450000, Loud}}, Front - 300, 450000},
  };
  // clang-format on
  S.IgnoreClicksMs = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteWav16(In(), 1, Signal(1, T, c.Sound), 44100);
    ASSERT_EQ(Run(), FileResult::Done);
    EXPECT_EQ(Outcome.KeepFirst, c.First);
    EXPECT_EQ(Outcome.KeepLast, c.Last);
  }
}

// The peak is that of the range written: an ignored click in the padding counts, one beyond
// the kept range does not.
TEST_F(NaturalCutsTest, NormalisesThePeakOfTheWrittenRange) {
  struct Case {
    const char* Name;
    std::vector<Span> Sound;
    int32_t KeepBegin;
    int16_t Peak;
  };
  const std::vector<Case> cases = {
      {"click in the padding", {{9400, 9400, 30000}, {10000, 20000, Loud}}, 20, 30000},
      {"click after the kept range", {{10000, 20000, Loud}, {30000, 30000, -30000}}, 10, Loud},
      {"padding of quiet samples", {{9800, 9800, 500}, {10000, 20000, 400}}, 10, 500},
  };
  S.Normalize = true;
  S.IgnoreClicksMs = 5;
  S.ThresholdBegin = S.ThresholdEnd = 300 / 32767.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    S.KeepBeginMs = c.KeepBegin;
    WriteWav16(In(), 1, Signal(1, 44100, c.Sound), 44100);
    ASSERT_EQ(Run(), FileResult::Done);
    EXPECT_EQ(Outcome.PeakMagnitude, c.Peak / 32767.0);
    EXPECT_EQ(Outcome.Gain, 1.0 / (c.Peak / 32767.0));
  }
}

// Output in 64-bit float keeps every product exact: each written value is the factor of its
// frame times the value after the gain, rounded once.
TEST_F(NaturalCutsTest, FadesFollowTheCurveSampleBySample) {
  struct Case {
    const char* Name;
    uint16_t Channels;
    int64_t Frames, SoundFirst, SoundLast;
    int32_t KeepBegin, FadeIn, FadeOut;
    bool Normalize;
    int64_t InFrames, OutFrames;  // the fades as applied
  };
  // clang-format off
  const std::vector<Case> cases = {
    {"mono", 1, 200, 20, 179, 0, 4, 8, false, 4, 8},
    {"stereo", 2, 200, 20, 179, 0, 5, 3, false, 5, 3},
    {"normalised", 2, 200, 20, 179, 0, 7, 7, true, 7, 7},
    {"fade over the padding", 1, 200, 20, 179, 6, 10, 0, false, 10, 0},
    {"output shorter than both fades", 1, 100, 40, 45, 0, 5, 5, false, 3, 3},
    {"odd output shorter than both", 2, 100, 40, 46, 0, 10, 2, false, 3, 2},
    {"one fade longer than the output", 1, 100, 40, 45, 0, 50, 0, false, 6, 0},
    {"uncut beginning: no fade in", 1, 200, 0, 179, 0, 10, 10, false, 0, 10},
  };
  // clang-format on
  S.BitsChoice = 8;  // 64-bit float
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    S.Normalize = c.Normalize;
    S.KeepBeginMs = c.KeepBegin;
    S.FadeInMs = c.FadeIn;
    S.FadeOutMs = c.FadeOut;
    std::vector<int16_t> s(static_cast<size_t>(c.Frames * c.Channels), 0);
    for (int64_t f = c.SoundFirst; f <= c.SoundLast; ++f) {
      for (int ch = 0; ch < c.Channels; ++ch) s[f * c.Channels + ch] = static_cast<int16_t>(3000 + 97 * f - 1500 * ch);
    }
    WriteWav16(In(), c.Channels, s, 1000);
    ASSERT_EQ(Run(), FileResult::Done);
    const std::vector<double> in = Read(In());
    const std::vector<double> out = Read(Out());
    const int64_t first = std::max<int64_t>(c.SoundFirst - c.KeepBegin, 0);
    const int64_t frames = c.SoundLast - first + 1;
    ASSERT_EQ(out.size(), static_cast<size_t>(frames * c.Channels));
    const long double gain = c.Normalize ? Outcome.Gain : 1.0L;
    for (int64_t f = 0; f < frames; ++f) {
      long double factor = f < c.InFrames ? Rise(f, c.InFrames) : 1.0L;
      if (frames - 1 - f < c.OutFrames) factor = Rise(frames - 1 - f, c.OutFrames);
      for (int ch = 0; ch < c.Channels; ++ch) {
        const size_t i = static_cast<size_t>(f * c.Channels + ch);
        const double gained = static_cast<double>(gain * in[first * c.Channels + i]);
        ASSERT_EQ(out[i], static_cast<double>(factor * gained)) << "frame " << f << " channel " << ch;
      }
    }
  }
}

// The curve's first steps worked by hand: 0.5 (1 - cos(k pi / 4)).
TEST_F(NaturalCutsTest, FadeInOfFourFramesByHand) {
  const double byHand[] = {0.0, 0.14644660940672624, 0.5, 0.85355339059327376, 1.0};
  S.BitsChoice = 8;
  S.FadeInMs = 4;
  WriteWav16(In(), 1, Signal(1, 40, {{10, 39, 16384}}), 1000);
  ASSERT_EQ(Run(), FileResult::Done);
  const std::vector<double> out = Read(Out());
  ASSERT_EQ(out.size(), 30u);
  for (size_t k = 0; k < 5; ++k) EXPECT_NEAR(out[k] / (16384 / 32767.0), byHand[k], 1e-15) << k;
  for (size_t k = 0; k < 4; ++k) EXPECT_NEAR(static_cast<double>(FadeCurve(k, 4)), byHand[k], 1e-16) << k;
}

// Integer outputs of a long file: blocks in a fade leave the fused (table) path, the others
// keep it, and both give the bytes the formula gives through the encoder.
TEST_F(NaturalCutsTest, FadedBlocksMatchTheFusedPath) {
  constexpr int64_t Frames = 600000;
  std::vector<int16_t> s(Frames, 0);
  uint32_t seed = 12345;
  for (int64_t f = 1000; f < Frames - 1000; ++f) {
    seed = seed * 1664525u + 1013904223u;
    s[f] = static_cast<int16_t>(static_cast<int32_t>(seed >> 16) - 32768) / 2;
  }
  WriteWav16(In(), 1, s, 44100);
  const std::vector<double> in = Read(In());
  struct Case {
    int32_t BitsChoice;
    SampleCoding Coding;
  };
  const std::vector<Case> cases = {{0, {2, 16, false}}, {1, {1, 8, false}}, {5, {3, 24, false}}};
  S.Normalize = true;
  S.NormalizeTarget = 0.9;
  S.FadeInMs = 50;
  S.FadeOutMs = 6000;  // over the last block border from the end
  for (const Case& c : cases) {
    SCOPED_TRACE(c.BitsChoice);
    S.BitsChoice = c.BitsChoice;
    ASSERT_EQ(Run(), FileResult::Done);
    const std::vector<double> out = Read(Out());
    const int64_t first = Outcome.KeepFirst, count = Outcome.KeepLast - first + 1;
    ASSERT_EQ(out.size(), static_cast<size_t>(count));
    const FadePlan plan = PlanFades(CutFramesFor(S, 44100), true, true, count, 1);
    ASSERT_EQ(plan.OutFrames, 264600);
    std::vector<double> expected(static_cast<size_t>(count));
    for (int64_t k = 0; k < count; ++k) {
      const double gained = static_cast<double>(static_cast<long double>(Outcome.Gain) * in[first + k]);
      expected[k] = static_cast<double>(Rise(k, 2205) * Rise(count - 1 - k, 264600) * gained);
    }
    std::vector<uint8_t> bytes(expected.size() * 4);
    EncoderFor(c.Coding)(bytes.data(), expected.data(), static_cast<int32_t>(count), c.Coding.Bits);
    DecoderFor(c.Coding)(bytes.data(), expected.data(), static_cast<int32_t>(count), c.Coding.Bits);
    for (int64_t k = 0; k < count; ++k) ASSERT_EQ(out[k], expected[k]) << "sample " << k;
  }
}

}  // namespace
