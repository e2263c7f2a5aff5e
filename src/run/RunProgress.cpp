#include "run/RunProgress.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tacetix {
namespace {
// Before this much is done the rate still swings with the first file's opening and scans.
constexpr double EstimateFrom = 0.02;
constexpr std::chrono::seconds EstimateAfter{2};
}  // namespace

RunProgress::RunProgress(std::vector<uint64_t> sizes, Clock::time_point start) : Start(start) {
  Before.reserve(sizes.size() + 1);
  uint64_t sum = 0;
  for (uint64_t size : sizes) {
    Before.push_back(sum);
    // An empty or unreadable file still takes its turn.
    sum += std::max<uint64_t>(size, 1);
  }
  Before.push_back(sum);
}

std::vector<uint64_t> RunProgress::SizesOf(const std::vector<std::string>& files) {
  std::vector<uint64_t> sizes;
  sizes.reserve(files.size());
  for (const std::string& file : files) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    sizes.push_back(ec ? 0 : static_cast<uint64_t>(size));
  }
  return sizes;
}

void RunProgress::RowStarted(int32_t row) {
  Row = row;
  Fraction = 0.0;
}

void RunProgress::FileFraction(double fraction) { Fraction = std::clamp(fraction, 0.0, 1.0); }

double RunProgress::DoneShare() const {
  const size_t rows = Before.size() - 1;
  if (Row < 0 || rows == 0) return 0.0;
  const size_t row = std::min(static_cast<size_t>(Row), rows - 1);
  const double own = static_cast<double>(Before[row + 1] - Before[row]);
  return (static_cast<double>(Before[row]) + own * Fraction) / static_cast<double>(Before.back());
}

int32_t RunProgress::Percent() const { return static_cast<int32_t>(DoneShare() * 100.0); }

std::string RunProgress::FileText() const {
  return "file " + std::to_string(std::max(Row, 0) + 1) + " of " + std::to_string(Before.size() - 1);
}

std::string RunProgress::TimeText(Clock::time_point now) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - Start);
  std::string text = ClockText(elapsed) + " elapsed";
  const double done = DoneShare();
  if (done < EstimateFrom || elapsed < EstimateAfter) return text;
  const double left = std::chrono::duration<double>(now - Start).count() * (1.0 - done) / done;
  return text + ", about " + ClockText(std::chrono::seconds(static_cast<int64_t>(left + 0.5))) + " left";
}

std::string ClockText(std::chrono::seconds duration) {
  const int64_t total = std::max<int64_t>(duration.count(), 0);
  auto two = [](int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  const int64_t hours = total / 3600, minutes = total / 60 % 60, seconds = total % 60;
  if (hours > 0) return std::to_string(hours) + ":" + two(minutes) + ":" + two(seconds);
  return std::to_string(minutes) + ":" + two(seconds);
}

}  // namespace tacetix
