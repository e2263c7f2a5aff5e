// The vector kernels of every instruction set this processor has, forced in turn, against the
// scalar loops: the same bytes and values to the last bit, and nothing touched past the count.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "wave/CodecKernels.h"

using namespace tacetix;

namespace {

std::vector<SimdLevel> VectorLevels() {
  std::vector<SimdLevel> levels;
  for (SimdLevel l : {SimdLevel::SSE2, SimdLevel::SSSE3, SimdLevel::AVX2})
    if (l <= DetectedSimdLevel()) levels.push_back(l);
  return levels;
}

const char* Name(SimdLevel l) {
  switch (l) {
    case SimdLevel::SSE2: return "SSE2";
    case SimdLevel::SSSE3: return "SSSE3";
    case SimdLevel::AVX2: return "AVX2";
    default: return "scalar";
  }
}

// Every 16-bit value decoded, every 8-bit one, ties at each scale, the edges and just past
// them, specials, and random doubles inside and a little outside full scale.
std::vector<double> EncoderInputs() {
  std::vector<double> v;
  for (int32_t k = -32768; k <= 32767; ++k) v.push_back(k / 32767.0);
  for (int32_t k = -128; k <= 127; ++k) v.push_back(k / 127.0);
  std::mt19937_64 random(7);
  // Values that scale exactly to k + 0.5: the rounding ties, near the edges and anywhere.
  for (double scale : {127.0, 32767.0, 2147483647.0}) {
    for (int32_t i = 0; i < 4000; ++i) {
      const double anywhere = std::floor(scale * (static_cast<int>(random() % 2001) - 1000) / 1000);
      const double k = i < 80 ? scale - i % 40 - (i < 40 ? 0 : 2 * scale) : anywhere;
      const double x = (k + 0.5) / scale;
      if (x * scale == k + 0.5) v.push_back(x);
    }
  }
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {1.0, -1.0, -1.0078740157480315, -1.000030518509476, -1.0000000004656613, 0.0, -0.0, inf, -inf,
                   std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300,
                   5e-324, std::nextafter(1.0, 2.0), std::nextafter(-1.0, -2.0)})
    v.push_back(x);
  for (int i = 0; i < 20000; ++i) v.push_back(std::uniform_real_distribution<double>(-1.02, 1.02)(random));
  return v;
}

}  // namespace

TEST(CodecKernels, IntegerEncodersMatchTheScalarLoopOnEveryLevel) {
  const std::vector<double> values = EncoderInputs();
  const int32_t n = static_cast<int32_t>(values.size());
  const CodecKernels& scalar = KernelsFor(SimdLevel::Scalar);
  for (SimdLevel level : VectorLevels()) {
    for (int32_t width : {1, 2, 3, 4}) {
      for (int32_t bits : {8 * width, 8 * width - 4, 1, 0, 8 * width + 1}) {
        // Odd starts and counts: the kernels stop anywhere and the scalar loop takes over.
        for (int32_t skip : {0, 1, 3, 7}) {
          const int32_t count = n - skip - 5;
          std::vector<uint8_t> want(static_cast<size_t>(n) * width, 0xA5), got(want);
          EncodeIntWith(scalar, width, want.data(), values.data() + skip, count, bits);
          EncodeIntWith(KernelsFor(level), width, got.data(), values.data() + skip, count, bits);
          ASSERT_EQ(got, want) << Name(level) << ", " << width << " bytes, " << bits << " bits, from " << skip;
        }
      }
      // Short counts: the bytes after the last sample keep their guard value.
      for (int32_t count = 0; count <= 40; ++count) {
        std::vector<uint8_t> want(48 * width, 0xA5), got(want);
        EncodeIntWith(scalar, width, want.data(), values.data() + 32768, count, 8 * width);
        EncodeIntWith(KernelsFor(level), width, got.data(), values.data() + 32768, count, 8 * width);
        ASSERT_EQ(got, want) << Name(level) << ", " << width << " bytes, count " << count;
      }
    }
  }
}

TEST(CodecKernels, DecodersMatchTheScalarLoopOnEveryLevel) {
  std::vector<uint8_t> bytes;
  for (uint32_t k = 0; k < 65536; ++k)
    bytes.insert(bytes.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8)});
  std::mt19937 random(5);
  for (int i = 0; i < 30000; ++i) bytes.push_back(static_cast<uint8_t>(random()));
  bytes.insert(bytes.end(), {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F});
  const CodecKernels& scalar = KernelsFor(SimdLevel::Scalar);
  for (SimdLevel level : VectorLevels()) {
    for (int32_t width : {2, 3}) {
      for (int32_t skip : {0, 1, 5}) {
        // Exactly the bytes of count samples, so a read past them is a sanitizer error.
        const int32_t count = static_cast<int32_t>((bytes.size() - skip) / width) - skip;
        const std::vector<uint8_t> in(bytes.begin() + skip, bytes.begin() + skip + count * width);
        std::vector<double> want(count), got(count);
        auto decode = width == 2 ? DecodeInt16With : DecodeInt24With;
        decode(scalar, in.data(), want.data(), count);
        decode(KernelsFor(level), in.data(), got.data(), count);
        ASSERT_EQ(got, want) << Name(level) << ", " << width << " bytes, from " << skip;
      }
    }
  }
}

TEST(CodecKernels, RangesAndLargestMagnitudesMatchTheScalarLoops) {
  std::mt19937 random(9);
  std::vector<uint8_t> bytes(4 * 10007);
  std::vector<double> values(10007);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(64 + random() % 128);
  for (double& v : values) v = std::uniform_real_distribution<double>(-0.5, 0.5)(random);
  const CodecKernels& scalar = KernelsFor(SimdLevel::Scalar);
  RangeKernel CodecKernels::*const ranges[] = {&CodecKernels::RangeUInt8, &CodecKernels::RangeInt16,
                                               &CodecKernels::RangeInt24, &CodecKernels::RangeInt32};
  for (SimdLevel level : VectorLevels()) {
    const CodecKernels& k = KernelsFor(level);
    // The extremes placed in the vector part, in the tail, and nowhere.
    for (int32_t at : {-1, 5, 19990, 30010, 40027}) {
      std::vector<uint8_t> b = bytes;
      std::vector<double> v = values;
      if (at >= 0) {
        b[at] = 255, b[at - 1] = 0, b[at - 2] = 0x80;
        // A NaN four places on and an infinity eight places on share the extreme's lane in
        // every vector width; neither is a magnitude.
        v[at / 4] = -0.75;
        if (at / 4 + 4 < static_cast<int32_t>(v.size())) v[at / 4 + 4] = std::numeric_limits<double>::quiet_NaN();
        if (at / 4 + 8 < static_cast<int32_t>(v.size())) v[at / 4 + 8] = -std::numeric_limits<double>::infinity();
      }
      for (int32_t count : {0, 1, 15, 10007}) {
        for (int32_t width = 1; width <= 4; ++width) {
          const IntRange want = (scalar.*ranges[width - 1])(b.data(), count);
          const IntRange got = (k.*ranges[width - 1])(b.data(), count);
          EXPECT_EQ(std::make_pair(got.Min, got.Max), std::make_pair(want.Min, want.Max))
              << Name(level) << ", " << width << " bytes, " << count << " samples, extremes at " << at;
        }
        EXPECT_EQ(k.MaxMagnitude(v.data(), count), scalar.MaxMagnitude(v.data(), count)) << Name(level);
        if (at >= 0 && at / 4 + 8 < count) {
          EXPECT_EQ(k.MaxMagnitude(v.data(), count), 0.75) << Name(level);
        }
      }
    }
  }
  const double nanOnly[] = {std::numeric_limits<double>::quiet_NaN(), -0.0};
  EXPECT_EQ(scalar.MaxMagnitude(nanOnly, 2), 0.0);
  EXPECT_EQ(ActiveKernels().MaxMagnitude(nanOnly, 2), 0.0);
}
