// The block passes, fused piece by piece and in place, against the unfused way: the whole
// block decoded, scanned or scaled, and encoded into a second buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "wave/SampleBlock.h"

using namespace tacetix;

namespace {

struct Case {
  const char* Name;
  SampleCoding Coding;
};

const Case Codings[] = {
    {"u8", {1, 8, false}},       {"s16", {2, 16, false}}, {"s12", {2, 12, false}},
    {"s24", {3, 24, false}},     {"s20", {3, 20, false}}, {"s32", {4, 32, false}},
    {"s24in32", {4, 24, false}}, {"f32", {4, 32, true}},  {"f64", {8, 64, true}},
};

// Counts about the piece size: less than one piece, one and a bit, several and a bit.
const int32_t Counts[] = {1, 7, PieceSamples - 1, PieceSamples + 1, 3 * PieceSamples + 5};

// Random stored samples; floats are values a little beyond full scale with a signalling
// and a quiet NaN, an infinity and negative zero among them.
std::vector<uint8_t> RandomBytes(const SampleCoding& c, int32_t count, uint32_t seed) {
  std::mt19937_64 random(seed);
  std::vector<uint8_t> b(static_cast<size_t>(count) * 8);
  for (uint8_t& x : b) x = static_cast<uint8_t>(random());
  if (!c.IsFloat) return b;
  for (int32_t i = 0; i < count; ++i) {
    const double v = std::uniform_real_distribution<double>(-1.2, 1.2)(random);
    const uint64_t specials[] = {0x7FF0000000000001u, 0xFFF8000000000000u, 0x7FF0000000000000u, 0x8000000000000000u};
    uint64_t bits = i % 97 < 4 ? specials[i % 97] : std::bit_cast<uint64_t>(v);
    if (c.BytesPerSample == 4) {
      const uint32_t f32[] = {0x7F800001u, 0xFFC00000u, 0x7F800000u, 0x80000000u};
      bits = i % 97 < 4 ? f32[i % 97] : std::bit_cast<uint32_t>(static_cast<float>(v));
    }
    for (int32_t k = 0; k < c.BytesPerSample; ++k)
      b[static_cast<size_t>(i) * c.BytesPerSample + k] = static_cast<uint8_t>(bits >> 8 * k);
  }
  return b;
}

std::vector<double> Decoded(const std::vector<uint8_t>& bytes, const SampleCoding& c, int32_t count) {
  std::vector<double> v(count);
  DecoderFor(c)(bytes.data(), v.data(), count, c.Bits);
  return v;
}

}  // namespace

TEST(SampleBlock, RecodingInPlaceMatchesDecodeScaleEncode) {
  const long double gains[] = {1.0L, 0.70710678118654752L, 3.0L, 1e300L * 1e30L};
  for (const Case& from : Codings) {
    for (const Case& to : Codings) {
      for (int g = -1; g < 4; ++g) {
        const long double* gain = g < 0 ? nullptr : &gains[g];
        const BlockRecoder recoder(from.Coding, to.Coding, gain, int64_t{1} << 40);
        for (int32_t count : Counts) {
          const std::vector<uint8_t> source = RandomBytes(from.Coding, count, static_cast<uint32_t>(count + g));
          std::vector<double> values = Decoded(source, from.Coding, count);
          if (gain)
            for (double& v : values) v = static_cast<double>(*gain * v);
          std::vector<uint8_t> want(static_cast<size_t>(count) * to.Coding.BytesPerSample);
          EncoderFor(to.Coding)(want.data(), values.data(), count, to.Coding.Bits);
          // The pieces, and a file's recoder, which looks 8- and 16-bit inputs up in a table.
          std::vector<uint8_t> block = source, looked = source;
          RecodeBlock(block.data(), count, from.Coding, to.Coding, gain);
          recoder.Recode(looked.data(), count);
          const bool keeps = RecodingKeepsBytes(from.Coding, to.Coding, gain);
          EXPECT_EQ(recoder.UsesTable(), !keeps && !from.Coding.IsFloat && from.Coding.BytesPerSample <= 2);
          block.resize(want.size());
          looked.resize(want.size());
          ASSERT_EQ(block, want) << from.Name << " to " << to.Name << ", " << count << " samples, gain " << g;
          ASSERT_EQ(looked, want) << "table: " << from.Name << " to " << to.Name << ", " << count << " samples";
        }
      }
    }
  }
}

TEST(SampleBlock, SilenceScansAndPeakMatchTheDecodedScan) {
  for (const Case& c : Codings) {
    for (int32_t count : Counts) {
      // Quiet samples (NaN and infinities among them for floats, which are never sound),
      // loud ones of equal magnitude and both signs at a piece edge, and (in the longest
      // block) the negative extreme.
      std::vector<uint8_t> bytes = RandomBytes(c.Coding, count, 99);
      std::vector<double> v = Decoded(bytes, c.Coding, count);
      const size_t w = c.Coding.BytesPerSample;
      for (size_t i = 0; i < v.size(); ++i)
        if (std::isfinite(v[i]) && std::fabs(v[i]) > 0.01) std::memset(&bytes[i * w], w == 1 ? 128 : 0, w);
      for (const auto& [at, loud] : {std::pair{PieceSamples - 1, -0.9}, {PieceSamples, 0.9}, {2 * PieceSamples, -2.0}})
        if (at < count) EncoderFor(c.Coding)(&bytes[at * w], &loud, 1, c.Coding.Bits);
      v = Decoded(bytes, c.Coding, count);
      for (double threshold : {0.0, 0.001, 0.5}) {
        int32_t first = -1, last = -1;
        for (int32_t i = 0; i < count; ++i) {
          if (!std::isfinite(v[i]) || !(std::fabs(v[i]) > threshold)) continue;
          if (first < 0) first = i;
          last = i;
        }
        const std::string where = std::string(c.Name) + ", " + std::to_string(count) + " samples";
        EXPECT_EQ(FirstAbove(bytes.data(), count, c.Coding, threshold), first) << where << ", above " << threshold;
        EXPECT_EQ(LastAbove(bytes.data(), count, c.Coding, threshold), last) << where << ", above " << threshold;
      }
      // The peak carried over three calls, as over three blocks of a file.
      double peak = 0.0, magnitude = 0.0, wantPeak = 0.0, wantMagnitude = 0.0;
      for (double m : v)
        if (std::isfinite(m) && std::fabs(m) > wantMagnitude) wantPeak = m, wantMagnitude = std::fabs(m);
      const auto nonFinite = std::count_if(v.begin(), v.end(), [](double m) { return !std::isfinite(m); });
      EXPECT_EQ(CountNonFinite(bytes.data(), count, c.Coding), nonFinite) << c.Name << " " << count;
      const int32_t cut1 = count / 3, cut2 = count - count / 4;
      UpdatePeak(bytes.data(), cut1, c.Coding, peak, magnitude);
      UpdatePeak(bytes.data() + cut1 * w, cut2 - cut1, c.Coding, peak, magnitude);
      UpdatePeak(bytes.data() + cut2 * w, count - cut2, c.Coding, peak, magnitude);
      EXPECT_EQ(std::bit_cast<uint64_t>(peak), std::bit_cast<uint64_t>(wantPeak)) << c.Name << " " << count;
      EXPECT_EQ(magnitude, wantMagnitude) << c.Name << " " << count;
    }
  }
}

// Loud samples of equal magnitude and alternating sign, the rest silent: the first in file
// order is the peak, whichever piece or vector lane each lands in. Also a lone loud sample
// at the first or last sample of a piece, counted from either end of the block.
TEST(SampleBlock, PeakIsTheFirstOfEqualMagnitudesAndScansFindLoneSamples) {
  const int32_t count = 3 * PieceSamples + 3;
  const std::vector<std::vector<int32_t>> placements = {
      {5, 6}, {4095, 17}, {PieceSamples, PieceSamples - 1, 3}, {count - 1, 2 * PieceSamples + 1}};
  for (const Case& c : Codings) {
    const size_t w = c.Coding.BytesPerSample;
    const EncodeFn encode = EncoderFor(c.Coding);
    const std::vector<double> silence(count, 0.0);
    std::vector<uint8_t> quiet(count * w);
    encode(quiet.data(), silence.data(), count, c.Coding.Bits);
    for (const std::vector<int32_t>& at : placements) {
      for (double loud : {0.5, -0.5}) {
        std::vector<uint8_t> bytes = quiet;
        for (size_t k = 0; k < at.size(); ++k) {
          const double v = k % 2 ? -loud : loud;
          encode(&bytes[at[k] * w], &v, 1, c.Coding.Bits);
        }
        const int32_t first = *std::min_element(at.begin(), at.end());
        double peak = 0.0, magnitude = 0.0;
        UpdatePeak(bytes.data(), count, c.Coding, peak, magnitude);
        EXPECT_EQ(peak, Decoded(bytes, c.Coding, count)[first]) << c.Name << ", first at " << first;
      }
    }
    for (int32_t at : {0, PieceSamples - 1, PieceSamples, count - PieceSamples, count - PieceSamples - 1, count - 1}) {
      std::vector<uint8_t> bytes = quiet;
      const double v = -0.25;
      encode(&bytes[at * w], &v, 1, c.Coding.Bits);
      EXPECT_EQ(FirstAbove(bytes.data(), count, c.Coding, 0.0), at) << c.Name;
      EXPECT_EQ(LastAbove(bytes.data(), count, c.Coding, 0.0), at) << c.Name;
    }
  }
}

// Products whose extended-precision value rounds to a double differently from a double
// multiply: the extended product lands on a midpoint between two doubles and ties to even.
// Values worked out with exact integer arithmetic.
TEST(SampleBlock, GainIsTheExtendedProductRoundedToDouble) {
  struct Tie {
    double X, Gain, Extended;
  };
  const Tie ties[] = {
      {0x1.c514948b0d490p-1, 0x1.70c96aa94debcp-1, 0x1.465907bb57234p-1},
      {0x1.9800f99b3b934p-1, 0x1.f9b72b81457e7p-1, 0x1.92feed35ebd4ep-1},
      {0x1.6a1b812fb1443p-1, 0x1.198fef4d59170p-1, 0x1.8e43c8a7991d6p-2},
      {0x1.d3238634aaeebp-1, 0x1.043a6af85805dp-1, 0x1.dadaad8bc623cp-2},
      {0x1.d8c7c6e56d722p-1, 0x1.c189e9ae053c1p-1, 0x1.9f1a8b28859bcp-1},
      {0x1.76736ae2b4063p-1, 0x1.2b2d45e6c6174p-1, 0x1.b59b065f3b5d4p-2},
  };
  const SampleCoding f64{8, 64, true};
  for (const Tie& t : ties) {
    for (double sign : {1.0, -1.0}) {
      const long double gain = t.Gain;
      double block = sign * t.X;
      RecodeBlock(reinterpret_cast<uint8_t*>(&block), 1, f64, f64, &gain);
      EXPECT_EQ(block, sign * t.Extended) << std::hexfloat << t.X << " * " << t.Gain;
      EXPECT_NE(sign * t.X * t.Gain, sign * t.Extended) << "not a case a double multiply gets wrong";
    }
  }
  // A gain beyond the double range is applied as it stands, not as infinity.
  const long double huge = 1e300L * 1e20L;
  double tiny = 1e-318;
  RecodeBlock(reinterpret_cast<uint8_t*>(&tiny), 1, f64, f64, &huge);
  EXPECT_NEAR(tiny, 1e2, 1e-1);
}
