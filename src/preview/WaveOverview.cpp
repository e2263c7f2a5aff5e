// The columns of a file's picture, read block by block and decoded a piece at a time.
#include "preview/WaveOverview.h"

#include <algorithm>
#include <limits>

#include "wave/SampleBlock.h"

namespace tacetix {

namespace {
// Samples per read: as many as the run's scans move, at most 8 bytes each.
constexpr int32_t ReadSamples = 262144;
}  // namespace

WaveOverview::WaveOverview(int64_t firstFrame, int64_t frameCount, int32_t bins)
    : First(firstFrame), Count(std::max<int64_t>(frameCount, 0)),
      Low(static_cast<size_t>(std::max(bins, 1)), std::numeric_limits<float>::max()),
      High(static_cast<size_t>(std::max(bins, 1)), std::numeric_limits<float>::lowest()) {}

int64_t WaveOverview::FrameOfBin(int32_t bin) const {
  // Rounded up, so that frame f lies in column f * bins / count.
  return (static_cast<int64_t>(bin) * Count + Bins() - 1) / Bins();
}

void WaveOverview::Take(const double* values, int32_t count, int64_t firstSample, int32_t channels) {
  for (int32_t i = 0; i < count;) {
    while (Current < Bins() && firstSample + i >= CurrentEnd) {
      Done.store(++Current, std::memory_order_release);
      if (Current < Bins()) CurrentEnd = FrameOfBin(Current + 1) * channels;
    }
    if (Current >= Bins()) return;
    const auto end = static_cast<int32_t>(std::min<int64_t>(count, CurrentEnd - firstSample));
    // Compared as doubles in a loop the compiler can vectorise; a column's float is rounded once.
    double lo = values[i], hi = values[i];
    for (; i < end; ++i) {
      lo = values[i] < lo ? values[i] : lo;
      hi = values[i] > hi ? values[i] : hi;
    }
    float& low = Low[static_cast<size_t>(Current)];
    float& high = High[static_cast<size_t>(Current)];
    low = std::min(low, static_cast<float>(lo));
    high = std::max(high, static_cast<float>(hi));
  }
}

int WaveOverview::Scan(SampleSource& reader, const std::function<bool()>& cancelled) {
  WaveInfo info{};
  if (reader.GetInfo(info) != 0 || info.Channels < 1) return 1;
  const DecodeFn decode = DecoderFor(reader.Coding());
  if (!decode) return 1;
  const int32_t ch = info.Channels;
  const int64_t samples = Count * ch;
  Current = 0;
  CurrentEnd = FrameOfBin(1) * ch;
  if (Count > 0 && reader.SeekSample(First * ch) != 0) return 1;
  std::vector<uint8_t> block(static_cast<size_t>(ReadSamples) * 8);
  double piece[PieceSamples];
  const int32_t width = reader.Coding().BytesPerSample;
  for (int64_t done = 0; done < samples;) {
    if (cancelled && cancelled()) return -1;
    const auto want = static_cast<int32_t>(std::min<int64_t>(ReadSamples, samples - done));
    int32_t n = 0;
    if (reader.ReadSampleBytes(block.data(), want, n) != 0 || n <= 0) break;
    for (int32_t k = 0; k < n; k += PieceSamples) {
      const int32_t m = std::min(PieceSamples, n - k);
      decode(block.data() + static_cast<size_t>(k) * static_cast<size_t>(width), piece, m, reader.Coding().Bits);
      Take(piece, m, done + k, ch);
    }
    done += n;
  }
  reader.ClearReadPosition();
  Done.store(Bins(), std::memory_order_release);
  return 0;
}

}  // namespace tacetix
