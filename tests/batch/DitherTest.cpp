// Dither on a 24 to 16 bit conversion: the same bytes every run, digital silence left silent,
// and a tone 90 dB down without the harmonics that plain rounding leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "OneFileFixture.h"
#include "batch/Dither.h"
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
