// The gap finder and the parts it plans, as one table: gaps, the shortest part, a count,
// clicks, and the silence a part keeps at its cuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "signal/SplitGaps.h"

using namespace tacetix;

namespace {

struct Loud {
  int64_t First, Last;  // frames, inclusive
  int Channel = -1;     // -1: both
};

struct Row {
  const char* Name;
  std::vector<Loud> Sound;
  int64_t MinGap;
  int64_t MinPart = 0;
  int32_t Count = 0;
  int64_t Clicks = 0;
  int64_t KeepBegin = 0, KeepEnd = 0;
  int64_t KeptLast = -1;  // -1: the last loud frame
  std::vector<FrameSpan> Parts;
};

constexpr int32_t Channels = 2;
constexpr int64_t Frames = 200;

std::vector<uint8_t> Bytes(const Row& row) {
  std::vector<int16_t> s(static_cast<size_t>(Frames * Channels), 0);
  for (const Loud& l : row.Sound)
    for (int64_t f = l.First; f <= l.Last; ++f)
      for (int c = 0; c < Channels; ++c)
        if (l.Channel < 0 || l.Channel == c) s[static_cast<size_t>(f * Channels + c)] = 1000;
  std::vector<uint8_t> bytes(s.size() * 2);
  std::memcpy(bytes.data(), s.data(), bytes.size());  // little-endian machine, as the files
  return bytes;
}

// chunk: the samples of a block fed forwards, or of the largest read of the sparse search.
std::vector<FrameSpan> Plan(const Row& row, int32_t chunk, bool sparse) {
  CutFrames cuts;
  cuts.IgnoreClicks = row.Clicks;
  cuts.RegionGap = 2;
  cuts.KeepBegin = row.KeepBegin;
  cuts.KeepEnd = row.KeepEnd;
  const SplitFrames split{row.MinGap, row.MinPart, row.Count};
  const std::vector<uint8_t> bytes = Bytes(row);
  const SampleCoding coding{2, 16, false};
  const auto total = static_cast<int32_t>(Frames * Channels);
  GapScan scan(split, cuts, Channels);
  if (sparse) {
    std::vector<FrameSpan> gaps;
    const SampleWindow read = [&](int64_t first, int32_t count) -> const uint8_t* {
      EXPECT_TRUE(first >= 0 && count >= 1 && first + count <= total) << first << " " << count;
      return bytes.data() + first * 2;
    };
    EXPECT_TRUE(FindGapsSparse(read, 0, total, chunk, coding, 0.0, Channels, split.MinGap, gaps));
    scan.Take(std::move(gaps));
  } else {
    for (int32_t at = 0; at < total; at += chunk)
      scan.Feed(bytes.data() + at * 2, std::min(chunk, total - at), at, coding, 0.0);
  }
  int64_t last = 0;
  for (const Loud& l : row.Sound) last = std::max(last, l.Last);
  const FrameSpan kept{row.Sound.front().First, row.KeptLast >= 0 ? row.KeptLast : last};
  return PlanParts(scan.Finish(), kept, split, cuts);
}

const Row Rows[] = {
    {.Name = "every long silence splits",
     .Sound = {{0, 19}, {40, 59}, {100, 119}},
     .MinGap = 10,
     .Parts = {{0, 19}, {40, 59}, {100, 119}}},
    {.Name = "a shorter silence does not", .Sound = {{0, 19}, {25, 44}}, .MinGap = 10, .Parts = {{0, 44}}},
    {.Name = "a silence of exactly the gap splits",
     .Sound = {{0, 19}, {30, 49}},
     .MinGap = 10,
     .Parts = {{0, 19}, {30, 49}}},
    {.Name = "one frame less does not", .Sound = {{0, 19}, {30, 49}}, .MinGap = 11, .Parts = {{0, 49}}},
    {.Name = "sound in one channel is sound",
     .Sound = {{0, 19}, {30, 30, 1}, {60, 79}},
     .MinGap = 10,
     .Parts = {{0, 19}, {30, 30}, {60, 79}}},
    {.Name = "a count takes the longest gaps",
     .Sound = {{0, 9}, {20, 29}, {60, 69}, {85, 94}},
     .MinGap = 5,
     .Count = 3,
     .Parts = {{0, 29}, {60, 69}, {85, 94}}},
    {.Name = "of equal gaps the earlier",
     .Sound = {{0, 9}, {20, 29}, {40, 49}},
     .MinGap = 5,
     .Count = 2,
     .Parts = {{0, 9}, {20, 49}}},
    {.Name = "a count above the gaps takes them all",
     .Sound = {{0, 9}, {20, 29}, {40, 49}},
     .MinGap = 5,
     .Count = 9,
     .Parts = {{0, 9}, {20, 29}, {40, 49}}},
    {.Name = "a count of one does not split", .Sound = {{0, 9}, {20, 29}}, .MinGap = 5, .Count = 1, .Parts = {{0, 29}}},
    {.Name = "a short part joins the next",
     .Sound = {{0, 4}, {20, 59}, {80, 119}},
     .MinGap = 10,
     .MinPart = 10,
     .Parts = {{0, 59}, {80, 119}}},
    {.Name = "a short last part joins the one before",
     .Sound = {{0, 39}, {60, 64}},
     .MinGap = 10,
     .MinPart = 10,
     .Parts = {{0, 64}}},
    {.Name = "a part of exactly the shortest stays",
     .Sound = {{0, 9}, {30, 39}},
     .MinGap = 10,
     .MinPart = 10,
     .Parts = {{0, 9}, {30, 39}}},
    {.Name = "a click inside a gap does not cut it",
     .Sound = {{0, 19}, {50, 51}, {100, 119}},
     .MinGap = 20,
     .Clicks = 5,
     .Parts = {{0, 19}, {100, 119}}},
    {.Name = "without clicks ignored it does",
     .Sound = {{0, 19}, {50, 51}, {100, 119}},
     .MinGap = 20,
     .Parts = {{0, 19}, {50, 51}, {100, 119}}},
    {.Name = "loud frames a region gap apart are two clicks",
     .Sound = {{0, 19}, {50, 50}, {52, 52}, {100, 119}},
     .MinGap = 20,
     .Clicks = 3,
     .Parts = {{0, 19}, {100, 119}}},
    {.Name = "a region long enough is sound",
     .Sound = {{0, 19}, {50, 54}, {100, 119}},
     .MinGap = 20,
     .Clicks = 5,
     .Parts = {{0, 19}, {50, 54}, {100, 119}}},
    {.Name = "keep pads both cuts",
     .Sound = {{0, 19}, {40, 59}},
     .MinGap = 10,
     .KeepBegin = 3,
     .KeepEnd = 4,
     .Parts = {{0, 23}, {37, 59}}},
    {.Name = "keep never passes half the gap",
     .Sound = {{0, 19}, {40, 59}},
     .MinGap = 10,
     .KeepBegin = 30,
     .KeepEnd = 30,
     .Parts = {{0, 29}, {30, 59}}},
    {.Name = "an odd gap's middle frame goes to neither",
     .Sound = {{0, 19}, {41, 59}},
     .MinGap = 10,
     .KeepBegin = 30,
     .KeepEnd = 30,
     .Parts = {{0, 29}, {31, 59}}},
    {.Name = "silence after the last sound is no gap",
     .Sound = {{0, 19}, {40, 59}},
     .MinGap = 10,
     .KeptLast = 199,
     .Parts = {{0, 19}, {40, 199}}},
};

TEST(SplitGapsTest, TableOfGapsAndParts) {
  for (const Row& row : Rows) {
    for (auto [chunk, sparse] : {std::pair{1, false}, {7, false}, {400, false}, {2, true}, {6, true}, {400, true}}) {
      if (sparse && row.Clicks > 1) continue;  // the sparse search serves only a plain threshold
      const std::vector<FrameSpan> parts = Plan(row, chunk, sparse);
      ASSERT_EQ(parts.size(), row.Parts.size()) << row.Name << ", chunks of " << chunk << (sparse ? ", sparse" : "");
      for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].First, row.Parts[i].First)
            << row.Name << ", part " << i << ", chunks of " << chunk << (sparse ? ", sparse" : "");
        EXPECT_EQ(parts[i].Last, row.Parts[i].Last)
            << row.Name << ", part " << i << ", chunks of " << chunk << (sparse ? ", sparse" : "");
      }
    }
  }
}

}  // namespace
