// How far a run has come, weighted by the sizes of its files, and how long it should still
// take: what a front end shows beside its progress bar.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
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
  void FileFraction(double fraction) { RowFraction(Row, fraction); }
  // How much of a row's file is done, 0..1: the row in turn, or one that workers took ahead of
  // it. Rows behind the run are done already.
  void RowFraction(int32_t row, double fraction);
  // The row got its final word: its file is behind the run whatever part of it was read.
  void RowEnded(int32_t row) { RowFraction(row, 1.0); }
  // Of the whole run, 0..100, rounded down so that 100 means finished.
  int32_t Percent() const;
  // Of the files in progress (from the row in turn to the furthest one begun), by their bytes,
  // 0..100: with one job, the current file's own share.
  int32_t InProgressPercent() const;
  // "file 37 of 200"
  std::string FileText() const;
  // "0:12 elapsed", with ", about 0:40 left" once enough is done to tell.
  std::string TimeText(Clock::time_point now) const;

 private:
  double DoneShare() const;
  double Own(size_t row) const { return static_cast<double>(Before[row + 1] - Before[row]); }
  // Bytes done of the rows from the one in turn to the furthest begun, and their bytes in all.
  std::pair<double, double> AheadBytes() const;

  std::vector<uint64_t> Before;   // bytes of the rows ahead of each row; one more entry: all
  std::vector<double> Fractions;  // of each row at or past the turn, as last reported
  Clock::time_point Start;
  int32_t Row = -1;
  int32_t Furthest = -1;  // the furthest row with a fraction reported
};

// "0:07", "12:34", "1:02:03"
std::string ClockText(std::chrono::seconds duration);

}  // namespace tacetix
