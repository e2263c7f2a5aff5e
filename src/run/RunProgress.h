// How far a run has come, weighted by the sizes of its files, and how long it should still
// take: what a front end shows beside its progress bar.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tacetix {

class RunProgress {
 public:
  using Clock = std::chrono::steady_clock;

  // sizes: the bytes of each row's file, in list order.
  RunProgress(std::vector<uint64_t> sizes, Clock::time_point start);
  // The sizes of the files as the disk has them now (0 for one that cannot be read).
  static std::vector<uint64_t> SizesOf(const std::vector<std::string>& files);

  // The row's turn has come: every earlier row is behind the run.
  void RowStarted(int32_t row);
  // How much of the current row's file is done, 0..1.
  void FileFraction(double fraction);
  // Of the whole run, 0..100, rounded down so that 100 means finished.
  int32_t Percent() const;
  // "file 37 of 200"
  std::string FileText() const;
  // "0:12 elapsed", with ", about 0:40 left" once enough is done to tell.
  std::string TimeText(Clock::time_point now) const;

 private:
  double DoneShare() const;

  std::vector<uint64_t> Before;  // bytes of the rows ahead of each row; one more entry: all
  Clock::time_point Start;
  int32_t Row = -1;
  double Fraction = 0.0;
};

// "0:07", "12:34", "1:02:03"
std::string ClockText(std::chrono::seconds duration);

}  // namespace tacetix
