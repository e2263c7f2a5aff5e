// The integer encoders round scaled values half to even (not half away from zero, not by
// truncation) across each container's whole range, right up to the saturation edges.
#include <gtest/gtest.h>

#include <cstdint>

#include "wave/SampleCodecs.h"

using namespace tacetix;

namespace {

// A value whose product with scale is exactly `scaled`, so the tie reaches the rounding intact.
double ExactlyScaledTo(double scaled, double scale) {
  const double x = scaled / scale;
  EXPECT_EQ(x * scale, scaled) << "no double scales exactly to " << scaled;
  return x;
}

int32_t Encoded8(double scaled) {
  const double x = ExactlyScaledTo(scaled, 127.0);
  uint8_t b = 0;
  EncodeUInt8(&b, &x, 1, 8);
  return b - 128;
}

int32_t Encoded16(double scaled) {
  const double x = ExactlyScaledTo(scaled, 32767.0);
  uint8_t b[2] = {};
  EncodeInt16(b, &x, 1, 16);
  return static_cast<int16_t>(b[0] | b[1] << 8);
}

int64_t Encoded32(double scaled) {
  const double x = ExactlyScaledTo(scaled, 2147483647.0);
  uint8_t b[4] = {};
  EncodeInt32(b, &x, 1, 32);
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
}

}  // namespace

TEST(EncoderRounding, TiesGoToTheEvenNeighbourInEveryIntegerContainer) {
  struct Tie {
    double Scaled;
    int64_t Even;
  };
  for (const Tie t : {Tie{2.5, 2}, Tie{-2.5, -2}, Tie{3.5, 4}, Tie{-3.5, -4}, Tie{0.5, 0}, Tie{-0.5, 0}}) {
    EXPECT_EQ(Encoded8(t.Scaled), t.Even) << t.Scaled;
    EXPECT_EQ(Encoded16(t.Scaled), t.Even) << t.Scaled;
    EXPECT_EQ(Encoded32(t.Scaled), t.Even) << t.Scaled;
  }
  EXPECT_EQ(Encoded8(126.5), 126);
  EXPECT_EQ(Encoded8(-127.5), -128);
  EXPECT_EQ(Encoded16(32766.5), 32766);
  EXPECT_EQ(Encoded16(-32767.5), -32768);
  EXPECT_EQ(Encoded32(2147483646.5), 2147483646);
  EXPECT_EQ(Encoded32(-2147483646.5), -2147483646);
  EXPECT_EQ(Encoded32(-2147483647.5), -2147483648);
}
