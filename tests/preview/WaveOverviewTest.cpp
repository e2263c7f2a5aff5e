// The overview's columns: each holds the lowest and highest sample of exactly its frames.
#include <gtest/gtest.h>

#include <algorithm>

#include "preview/WaveOverview.h"
#include "support/TestSupport.h"

using namespace tacetix;

TEST(WaveOverviewTest, ColumnsHoldTheExtremesOfTheirFrames) {
  testsupport::TempDir dir;
  const int64_t frames = 1000;
  std::vector<int16_t> samples(static_cast<size_t>(frames * 2));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>((i * 7919) % 20011 - 10005);
  testsupport::WriteWav16(dir.File("a.wav"), 2, samples, 8000);
  // The values as the program decodes them.
  std::vector<double> values(samples.size());
  WaveReader decoder;
  int32_t delivered = 0;
  ASSERT_EQ(decoder.Open(dir.File("a.wav")), 0);
  ASSERT_EQ(decoder.SeekSample(0), 0);
  ASSERT_EQ(decoder.ReadSamples(values.data(), static_cast<int32_t>(values.size()), delivered), 0);
  ASSERT_EQ(delivered, static_cast<int32_t>(values.size()));
  const struct {
    int64_t First, Count;
    int32_t Bins;
  } cases[] = {{0, 1000, 1}, {0, 1000, 7}, {0, 1000, 1000}, {0, 1000, 1500}, {100, 333, 10}, {999, 1, 4}};
  for (const auto& c : cases) {
    WaveReader reader;
    ASSERT_EQ(reader.Open(dir.File("a.wav")), 0);
    WaveOverview view(c.First, c.Count, c.Bins);
    ASSERT_EQ(view.Scan(reader, {}), 0);
    ASSERT_EQ(view.BinsDone(), c.Bins);
    // Frame f belongs to column (f - First) * Bins / Count; a column without frames stays empty.
    std::vector<float> low(static_cast<size_t>(c.Bins), 2.0f), high(static_cast<size_t>(c.Bins), -2.0f);
    for (int64_t f = c.First; f < c.First + c.Count; ++f) {
      const auto b = static_cast<size_t>((f - c.First) * c.Bins / c.Count);
      for (int ch = 0; ch < 2; ++ch) {
        const auto v = static_cast<float>(values[static_cast<size_t>(2 * f + ch)]);
        low[b] = std::min(low[b], v);
        high[b] = std::max(high[b], v);
      }
    }
    for (int32_t b = 0; b < c.Bins; ++b) {
      SCOPED_TRACE(std::to_string(c.First) + "+" + std::to_string(c.Count) + " / " + std::to_string(c.Bins));
      if (low[static_cast<size_t>(b)] > high[static_cast<size_t>(b)]) {
        EXPECT_GT(view.Lowest(b), view.Highest(b)) << b;
        continue;
      }
      EXPECT_EQ(view.Lowest(b), low[static_cast<size_t>(b)]) << b;
      EXPECT_EQ(view.Highest(b), high[static_cast<size_t>(b)]) << b;
    }
  }
  WaveReader reader;
  ASSERT_EQ(reader.Open(dir.File("a.wav")), 0);
  WaveOverview stopped(0, frames, 10);
  EXPECT_EQ(stopped.Scan(reader, [] { return true; }), -1);
}
