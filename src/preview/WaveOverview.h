// The picture of a stretch of a file as a reader sees it: the lowest and highest sample of
// every column, all channels folded into one lane.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "wave/SourceReader.h"

namespace tacetix {

// Columns are filled in order and counted as they are done, so a picture can be drawn from
// the columns so far while the scan goes on in another thread.
class WaveOverview {
 public:
  // bins columns over the frames firstFrame .. firstFrame + frameCount - 1.
  WaveOverview(int64_t firstFrame, int64_t frameCount, int32_t bins);
  // Reads the stretch from an open reader, a block at a time; cancelled is asked before each.
  // 0 when every column is done, 1 when the reader failed, -1 when cancelled.
  int Scan(SampleSource& reader, const std::function<bool()>& cancelled);

  int64_t FirstFrame() const { return First; }
  int64_t FrameCount() const { return Count; }
  int32_t Bins() const { return static_cast<int32_t>(Low.size()); }
  // Columns whose values are final; the rest are still being read.
  int32_t BinsDone() const { return Done.load(std::memory_order_acquire); }
  // A column with no frame of its own (more columns than frames) has Lowest > Highest.
  float Lowest(int32_t bin) const { return Low[static_cast<size_t>(bin)]; }
  float Highest(int32_t bin) const { return High[static_cast<size_t>(bin)]; }

 private:
  int64_t FrameOfBin(int32_t bin) const;  // the first frame of a column
  void Take(const double* values, int32_t count, int64_t firstSample, int32_t channels);

  int64_t First, Count;
  std::vector<float> Low, High;
  std::atomic<int32_t> Done{0};
  int32_t Current = 0;     // the column being filled
  int64_t CurrentEnd = 0;  // its end, in samples from the stretch's start
};

}  // namespace tacetix
