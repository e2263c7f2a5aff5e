// The run's progress as a front end shows it: the bytes' share, the file count and the time left.
#include <gtest/gtest.h>

#include "run/RunProgress.h"

namespace {

using tacetix::RunProgress;
using namespace std::chrono_literals;

TEST(RunProgress, WeighsFilesByTheirBytesAndEstimatesWhatIsLeft) {
  struct Case {
    std::vector<uint64_t> Sizes;
    int32_t Row;
    double Fraction;
    std::chrono::seconds Elapsed;
    int32_t Percent;
    std::string Text;
  };
  const Case cases[] = {
      {{600, 200, 200}, 0, 0.0, 0s, 0, "file 1 of 3, 0:00 elapsed"},
      {{600, 200, 200}, 0, 0.5, 30s, 30, "file 1 of 3, 0:30 elapsed, about 1:10 left"},
      {{600, 200, 200}, 2, 1.0, 100s, 100, "file 3 of 3, 1:40 elapsed, about 0:00 left"},
      {{0, 0, 0, 0}, 1, 0.0, 3700s, 25, "file 2 of 4, 1:01:40 elapsed, about 3:05:00 left"},
      {{1000}, 0, 0.01, 60s, 1, "file 1 of 1, 1:00 elapsed"},       // too little done to tell
      {{1000, 1000}, 1, 0.5, 1s, 75, "file 2 of 2, 0:01 elapsed"},  // too soon to tell
  };
  const RunProgress::Clock::time_point start{};
  for (const Case& c : cases) {
    RunProgress progress(c.Sizes, start);
    progress.RowStarted(c.Row);
    progress.FileFraction(c.Fraction);
    EXPECT_EQ(progress.Percent(), c.Percent) << c.Text;
    EXPECT_EQ(progress.FileText() + ", " + progress.TimeText(start + c.Elapsed), c.Text);
  }
}

}  // namespace
