// The run's progress as a front end shows it: the bytes' share, the file count and the time left.
#include <gtest/gtest.h>

#include "run/RunProgress.h"

namespace {

using tacetix::RunProgress;
using namespace std::chrono_literals;

TEST(RunProgress, WeighsFilesByTheirBytesAndEstimatesWhatIsLeft) {
  struct Case {
    std::vector<uint64_t> Sizes;
    int32_t Row;                                    // the row in turn
    std::vector<std::pair<int32_t, double>> Files;  // rows' fractions as reported, in this order
    std::chrono::seconds Elapsed;
    int32_t Percent;
    int32_t InProgress;  // of the files from the row in turn to the furthest begun
    std::string Text;
  };
  const Case cases[] = {
      {{600, 200, 200}, 0, {{0, 0.0}}, 0s, 0, 0, "file 1 of 3, 0:00 elapsed"},
      {{600, 200, 200}, 0, {{0, 0.5}}, 30s, 30, 50, "file 1 of 3, 0:30 elapsed, about 1:10 left"},
      {{600, 200, 200}, 2, {{2, 1.0}}, 100s, 100, 100, "file 3 of 3, 1:40 elapsed, about 0:00 left"},
      {{0, 0, 0, 0}, 1, {{1, 0.0}}, 3700s, 25, 0, "file 2 of 4, 1:01:40 elapsed, about 3:05:00 left"},
      {{1000}, 0, {{0, 0.01}}, 60s, 1, 1, "file 1 of 1, 1:00 elapsed"},        // too little done to tell
      {{1000, 1000}, 1, {{1, 0.5}}, 1s, 75, 50, "file 2 of 2, 0:01 elapsed"},  // too soon to tell
      // Workers ahead of the turn: their files count, and the time left falls with them.
      {{600, 200, 200}, 0, {{0, 0.5}, {1, 1.0}, {2, 0.5}}, 30s, 60, 60, "file 1 of 3, 0:30 elapsed, about 0:20 left"},
      {{600, 200, 200}, 0, {{2, 1.0}}, 10s, 20, 20, "file 1 of 3, 0:10 elapsed, about 0:40 left"},
      // Rows behind the turn are done whatever was last reported of them; rows past the list are no row.
      {{600, 200, 200}, 2, {{0, 0.0}, {2, 0.5}, {3, 1.0}}, 90s, 90, 50, "file 3 of 3, 1:30 elapsed, about 0:10 left"},
      {{600, 200, 200}, 1, {{1, 2.0}, {-1, 1.0}}, 80s, 80, 100, "file 2 of 3, 1:20 elapsed, about 0:20 left"},
  };
  const RunProgress::Clock::time_point start{};
  for (const Case& c : cases) {
    RunProgress progress(c.Sizes, start);
    progress.RowStarted(c.Row);
    for (const auto& [row, fraction] : c.Files) progress.RowFraction(row, fraction);
    EXPECT_EQ(progress.Percent(), c.Percent) << c.Text;
    EXPECT_EQ(progress.InProgressPercent(), c.InProgress) << c.Text;
    EXPECT_EQ(progress.FileText() + ", " + progress.TimeText(start + c.Elapsed), c.Text);
  }
}

}  // namespace
