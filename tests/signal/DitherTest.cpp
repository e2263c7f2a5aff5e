// Dither on a 24 to 16 bit conversion: the same bytes every run, digital silence left silent,
// and a tone 90 dB down without the harmonics that plain rounding leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "signal/Dither.h"
#include "support/OneFileFixture.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;

namespace {

double PowerAt(const std::vector<double>& x, double hz, double rate) {
  const double w = 2 * std::numbers::pi * hz / rate;
  double re = 0.0, im = 0.0;
  for (size_t n = 0; n < x.size(); ++n) {
    re += x[n] * std::cos(w * static_cast<double>(n));
    im -= x[n] * std::sin(w * static_cast<double>(n));
  }
  return re * re + im * im;
}

// The strongest of the 3rd and 5th harmonics of 1 kHz against the mean of the bins between them.
double HarmonicsOverFloor(const std::vector<double>& x) {
  const double harmonic = std::max(PowerAt(x, 3000, 48000), PowerAt(x, 5000, 48000));
  double floor = 0.0;
  for (int k = 1; k <= 16; ++k) floor += PowerAt(x, 3000 + 125.0 * k - (k % 8 == 0 ? 60 : 0), 48000) / 16;
  return harmonic / floor;
}

}  // namespace

TEST_F(OneFileTest, DitherIsReproducibleKeepsSilenceAndRemovesHarmonics) {
  ASSERT_EQ(
      RunCommand("ffmpeg -v error -y -f lavfi -i \"aevalsrc='if(between(t,0.5,2.5),pow(10,-90/20)*sin(2*PI*1000*t),0)'"
                 ":s=48000:d=3\" -c:a pcm_s24le " +
                 In()),
      0);
  struct Case {
    DitherKind Dither;
    bool Harmonics;
  };
  const Case cases[] = {{DitherKind::None, true}, {DitherKind::Triangular, false}, {DitherKind::Shaped, false}};
  double band[3] = {};  // the noise between 2.5 and 4.5 kHz as sox measures it, dB
  S.RemoveBegin = S.RemoveEnd = false;
  S.BitsChoice = 3;  // 16 bit
  S.Overwrite = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Dither));
    S.Dither = c.Dither;
    ASSERT_EQ(RunFile(S, In(), Out(), &Record), FileResult::Done);
    const Bytes first = ReadFile(Out());
    ASSERT_EQ(RunFile(S, In(), Out(), &Record), FileResult::Done);
    EXPECT_EQ(ReadFile(Out()), first);
    int32_t channels = 0, bits = 0, tag = 0;
    std::vector<double> samples;
    ASSERT_TRUE(ReadWav(Out(), channels, bits, tag, samples));
    ASSERT_EQ(samples.size(), 144000u);
    EXPECT_EQ(bits, 16);
    // The half seconds of zeros at either end stay zero.
    EXPECT_TRUE(std::all_of(samples.begin(), samples.begin() + 23990, [](double v) { return v == 0.0; }));
    EXPECT_TRUE(std::all_of(samples.end() - 23990, samples.end(), [](double v) { return v == 0.0; }));
    const std::vector<double> tone(samples.begin() + 24000, samples.begin() + 120000);
    EXPECT_EQ(HarmonicsOverFloor(tone) > 10.0, c.Harmonics) << HarmonicsOverFloor(tone);
    EXPECT_EQ(Outcome.Clipped, 0u);
    std::string stats;
    ASSERT_EQ(RunCommand("sox " + ShellQuote(Out()) + " -n trim 0.5 2 sinc 2500-4500 stats 2>&1", &stats), 0);
    band[static_cast<int>(c.Dither)] = std::stod(stats.substr(stats.find("RMS lev dB") + 10));
  }
  // Shaped dither moves its noise out of the band where the ear is most sensitive: the error
  // fed back the wrong way round would put it 6 dB above triangular's.
  const double shaped = band[static_cast<int>(DitherKind::Shaped)];
  const double triangular = band[static_cast<int>(DitherKind::Triangular)];
  EXPECT_LT(shaped, triangular - 3.0) << shaped << " " << triangular;
}

// Dither only where bits are lost, each run against the same without dither: none from 16 to
// 16 bits with a gain, some from 24 to 16 and from float to 24. Clips count on both sides: a
// float sine of 1.5 at 1 kHz and 48 kHz passes full scale with 13 samples of each half period
// (45 to 135 degrees in steps of 7.5), 26000 in one second, with or without dither.
TEST_F(OneFileTest, DitherOnlyWhereBitsAreLostAndClipsCountOnBothSides) {
  struct Case {
    const char* Codec;
    double Amplitude;
    int32_t Bits;  // BitsChoice
    bool Dithered;
    uint64_t Clipped;
  };
  const Case cases[] = {{"pcm_s16le", 0.3, 3, false, 0},
                        {"pcm_s24le", 0.3, 3, true, 0},
                        {"pcm_f32le", 0.3, 5, true, 0},
                        {"pcm_f32le", 1.5, 3, true, 26000}};
  S.RemoveBegin = S.RemoveEnd = false;
  S.Overwrite = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Codec) + " " + std::to_string(c.Amplitude));
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i \"aevalsrc='" + std::to_string(c.Amplitude) +
                         "*sin(2*PI*1000*t)':s=48000:d=1\" -c:a " + c.Codec + " " + In()),
              0);
    S.BitsChoice = c.Bits;
    S.Normalize = c.Amplitude < 1.0;  // a gain, up to half of full scale
    S.NormalizeTarget = 0.5;
    Bytes plain;
    for (DitherKind dither : {DitherKind::None, DitherKind::Triangular}) {
      S.Dither = dither;
      ASSERT_EQ(RunFile(S, In(), Out(), &Record), FileResult::Done);
      EXPECT_EQ(Outcome.Clipped, c.Clipped) << static_cast<int>(dither);
      if (dither == DitherKind::None) plain = ReadFile(Out());
      else EXPECT_EQ(ReadFile(Out()) != plain, c.Dithered);
    }
  }
}

// The vector loops and the plain ones give the same values and the same clip count, whatever
// the block's length (the vectors' tail included) and with zeros, NaN and infinities among them.
TEST(DitherLevels, VectorAndPlainLoopsAgree) {
  if (DetectedSimdLevel() < SimdLevel::AVX2) GTEST_SKIP() << "no AVX2 on this processor";
  SampleCoding to;
  to.Bits = 16;
  to.BytesPerSample = 2;
  std::vector<double> values(5003);
  for (size_t i = 0; i < values.size(); ++i) values[i] = 1.2 * std::sin(0.001 * static_cast<double>(i * i));
  values[7] = 0.0, values[8] = std::nan(""), values[9] = HUGE_VAL, values[4999] = -HUGE_VAL;
  OutputQuantizer plain(to, DitherKind::Triangular, 2, SimdLevel::Scalar),
      vector(to, DitherKind::Triangular, 2, SimdLevel::AVX2);
  std::vector<double> a = values, b = values;
  for (int32_t start = 0; start < 5003; start += 1001) {
    plain.Apply(a.data() + start, std::min(1001, 5003 - start), start);
    vector.Apply(b.data() + start, std::min(1001, 5003 - start), start);
  }
  EXPECT_GT(plain.Clipped(), 0U);
  EXPECT_EQ(plain.Clipped(), vector.Clipped());
  for (size_t i = 0; i < a.size(); ++i)
    ASSERT_TRUE(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i]))) << i << ": " << a[i] << " " << b[i];
}
