// The FLAC reader's reads after seeks, forwards and backwards as the scans go, with the samples
// kept from the check and with the decoder sought, against the WAV the flac tool encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/TestSupport.h"
#include "wave/FlacReader.h"

using namespace tacetix;
using namespace testsupport;

TEST(FlacReaderTest, SoughtReadsGiveTheEncodedSamples) {
  ASSERT_TRUE(HaveProgram("flac"));
  TempDir dir;
  std::vector<int16_t> values;
  for (int i = 0; i < 3 * 48000; ++i) values.push_back(static_cast<int16_t>((i * 7919) % 20011 - 10005));
  WriteWav16(dir.File("a.wav"), 3, values);
  // Frames of 1152 samples: the positions below fall inside frames and on their edges.
  ASSERT_EQ(RunCommand("flac -s -b 1152 --channel-map=none -o " + ShellQuote(dir.File("a.flac")) + " " +
                       ShellQuote(dir.File("a.wav"))),
            0);
  const Bytes flac = ReadFile(dir.File("a.flac"));
  const auto total = static_cast<int64_t>(values.size());
  const int64_t starts[] = {0, total - 5000, 1152 * 3, 1152 * 3 - 1, 7, total / 2 + 1, 12345, 0, total - 1};
  for (const uint64_t kept : {uint64_t{1} << 28, uint64_t{0}}) {
    SCOPED_TRACE(kept);
    FlacReader reader;
    ReadOptions options;
    options.VerifyStream = true;
    options.KeptBytes = kept;
    ASSERT_EQ(reader.OpenMemory(flac.data(), flac.size(), options), 0) << reader.FailReason();
    WaveInfo info{};
    ASSERT_EQ(reader.GetInfo(info), 0);
    ASSERT_EQ(info.SampleCount, total);
    for (const int64_t start : starts) {
      SCOPED_TRACE(start);
      ASSERT_EQ(reader.SeekSample(start), 0);
      const auto want = static_cast<int32_t>(std::min<int64_t>(4000, total - start));
      std::vector<int16_t> got(static_cast<size_t>(want));
      int32_t delivered = 0;
      ASSERT_EQ(reader.ReadSampleBytes(reinterpret_cast<uint8_t*>(got.data()), want, delivered), 0);
      ASSERT_EQ(delivered, want);
      EXPECT_TRUE(std::equal(got.begin(), got.end(), values.begin() + start));
    }
    ASSERT_EQ(reader.SeekSample(total), 1);
  }
}
