// Exact values of the sample codecs at their edges, and byte-exact round trips.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "wave/SampleCodecs.h"

using namespace tacetix;

namespace {

std::vector<uint8_t> Enc16(double x, int32_t bits) {
  std::vector<uint8_t> b(2);
  EncodeInt16(b.data(), &x, 1, bits);
  return b;
}
int32_t As16(const std::vector<uint8_t>& b) { return static_cast<int16_t>(b[0] | b[1] << 8); }

std::vector<uint8_t> Enc24(double x, int32_t bits) {
  std::vector<uint8_t> b(3);
  EncodeInt24(b.data(), &x, 1, bits);
  return b;
}
int32_t As24(const std::vector<uint8_t>& b) {
  return static_cast<int32_t>(uint32_t{b[0]} << 8 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 24) >> 8;
}
int32_t Enc32(double x, int32_t bits) {
  uint8_t b[4];
  EncodeInt32(b, &x, 1, bits);
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
}
uint8_t Enc8(double x) {
  uint8_t b;
  EncodeUInt8(&b, &x, 1, 8);
  return b;
}

}  // namespace

TEST(Decoders, EdgeValuesMatchTheTable) {
  const uint8_t u8[] = {0, 128, 255};
  double v[3];
  DecodeUInt8(u8, v, 3, 8);
  EXPECT_EQ(v[0], -1.0078740157480315);
  EXPECT_EQ(v[1], 0.0);
  EXPECT_EQ(v[2], 1.0);

  const uint8_t s16[] = {0x00, 0x80, 0xFF, 0x7F};
  DecodeInt16(s16, v, 2, 16);
  EXPECT_EQ(v[0], -1.000030518509476);
  EXPECT_EQ(v[1], 1.0);

  const uint8_t s24[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80};
  DecodeInt24(s24, v, 2, 24);
  EXPECT_EQ(v[0], 0.9999998812563717);
  EXPECT_EQ(v[1], -1.0000000004656613);

  const uint8_t s32[] = {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0x7F};
  DecodeInt32(s32, v, 2, 32);
  EXPECT_EQ(v[0], -1.0000000004656613);
  EXPECT_EQ(v[1], 1.0);
}

TEST(Decoders, NullOrEmptyInputDoesNothing) {
  double v = 42.0;
  DecodeInt16(nullptr, &v, 1, 16);
  const uint8_t b[2] = {1, 2};
  DecodeInt16(b, &v, 0, 16);
  DecodeFloat32(b, &v, -1);
  EXPECT_EQ(v, 42.0);
}

TEST(Encoders, EdgeValuesMatchTheTable) {
  EXPECT_EQ(Enc8(0.5), 192);
  EXPECT_EQ(Enc8(-1.0), 1);
  EXPECT_EQ(Enc8(1.0), 255);
  EXPECT_EQ(As16(Enc16(0.5, 16)), 16384);  // 16383.5 rounds to even
  EXPECT_EQ(As16(Enc16(1.0, 12)), 32752);
  EXPECT_EQ(As16(Enc16(-1.0, 12)), -32768);
  EXPECT_EQ(Enc24(1.0, 24), (std::vector<uint8_t>{0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(Enc24(-1.0, 24), (std::vector<uint8_t>{0x00, 0x00, 0x80}));
  EXPECT_EQ(As24(Enc24(0.5, 24)), 4194304);
  EXPECT_EQ(Enc32(-1.0, 32), -2147483647);
  // 20 bits in 3 bytes clear the lowest 4 bits of the 24-bit sample.
  EXPECT_EQ(As24(Enc24(1.0, 20)), 0x7FFFF0);
}

TEST(Encoders, SaturateInsteadOfWrapping) {
  const double low8 = -1.0078740157480315;  // the 8-bit negative extreme
  EXPECT_EQ(As16(Enc16(low8, 16)), -32768);
  for (double x : {1.5, -3.0, 1e300, -1e300}) {
    const bool pos = x > 0;
    EXPECT_EQ(Enc8(x), pos ? 255 : 0) << x;
    EXPECT_EQ(As16(Enc16(x, 16)), pos ? 32767 : -32768) << x;
    EXPECT_EQ(As24(Enc24(x, 24)), pos ? 8388607 : -8388608) << x;
    EXPECT_EQ(Enc32(x, 32), pos ? 2147483647 : -2147483647 - 1) << x;
  }
  // No level can be read from NaN or an infinity: both are stored as 0.
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {std::numeric_limits<double>::quiet_NaN(), inf, -inf}) {
    EXPECT_EQ(Enc8(x), 128) << x;
    EXPECT_EQ(As16(Enc16(x, 16)), 0) << x;
    EXPECT_EQ(As24(Enc24(x, 24)), 0) << x;
    EXPECT_EQ(Enc32(x, 32), 0) << x;
  }
}

TEST(Encoders, FloatContainersStoreWhatTheyGet) {
  const double in[] = {1.5, -3.0, 0.1};
  uint8_t f32[12];
  uint8_t f64[24];
  EncodeFloat32(f32, in, 3);
  EncodeFloat64(f64, in, 3);
  double back32[3], back64[3];
  DecodeFloat32(f32, back32, 3);
  DecodeFloat64(f64, back64, 3);
  EXPECT_EQ(back32[0], 1.5);
  EXPECT_EQ(back32[1], -3.0);
  EXPECT_EQ(back32[2], static_cast<double>(0.1f));
  EXPECT_EQ(back64[2], 0.1);
}

// Every container value must survive decode + encode in the same format, extremes included.
TEST(RoundTrip, EveryValueOfEachIntegerFormatReencodesToItself) {
  std::vector<uint8_t> bytes(256);
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  std::vector<double> values(256);
  std::vector<uint8_t> again(256);
  DecodeUInt8(bytes.data(), values.data(), 256, 8);
  EncodeUInt8(again.data(), values.data(), 256, 8);
  EXPECT_EQ(again, bytes);

  bytes.resize(2 * 65536);
  for (int i = 0; i < 65536; ++i) {
    bytes[2 * i] = static_cast<uint8_t>(i);
    bytes[2 * i + 1] = static_cast<uint8_t>(i >> 8);
  }
  values.resize(65536);
  again.assign(bytes.size(), 0);
  DecodeInt16(bytes.data(), values.data(), 65536, 16);
  EncodeInt16(again.data(), values.data(), 65536, 16);
  EXPECT_EQ(again, bytes);
}

TEST(RoundTrip, WideFormatsOverSampledValues) {
  std::vector<uint8_t> b24, b32, b12, b20;
  for (uint32_t k = 0; k < 4096; ++k) {
    uint32_t v = k * 0x9E3779B9u;  // spread over the whole range
    for (int j : {0, 1, 2}) b24.push_back(static_cast<uint8_t>(v >> (8 * j)));
    for (int j : {0, 1, 2, 3}) b32.push_back(static_cast<uint8_t>(v >> (8 * j)));
    b12.push_back(static_cast<uint8_t>(v & 0xF0));
    b12.push_back(static_cast<uint8_t>(v >> 8));
    b20.push_back(static_cast<uint8_t>(v & 0xF0));
    b20.push_back(static_cast<uint8_t>(v >> 8));
    b20.push_back(static_cast<uint8_t>(v >> 16));
  }
  for (uint8_t extreme : {0x00, 0x80}) {  // negative extremes
    b24.insert(b24.end(), {0, 0, extreme});
    b32.insert(b32.end(), {0, 0, 0, extreme});
    b12.insert(b12.end(), {0, extreme});
    b20.insert(b20.end(), {0, 0, extreme});
  }
  auto check = [](const std::vector<uint8_t>& bytes, int width, int bits, auto dec, auto enc) {
    const int32_t n = static_cast<int32_t>(bytes.size() / width);
    std::vector<double> v(n);
    std::vector<uint8_t> again(bytes.size());
    dec(bytes.data(), v.data(), n, bits);
    enc(again.data(), v.data(), n, bits);
    EXPECT_EQ(again, bytes) << bits << " bits";
  };
  check(b24, 3, 24, DecodeInt24, EncodeInt24);
  check(b32, 4, 32, DecodeInt32, EncodeInt32);
  check(b12, 2, 12, DecodeInt16, EncodeInt16);
  check(b20, 3, 20, DecodeInt24, EncodeInt24);
}
