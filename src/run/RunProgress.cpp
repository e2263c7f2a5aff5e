#include "run/RunProgress.h"

#include <algorithm>
#include <cmath>
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
  Fractions.assign(sizes.size(), 0.0);
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
  Row = std::clamp<int32_t>(row, 0, std::max<int32_t>(static_cast<int32_t>(Fractions.size()) - 1, 0));
  Furthest = std::max(Furthest, Row);
}

void RunProgress::RowFraction(int32_t row, double fraction) {
  if (row < 0 || static_cast<size_t>(row) >= Fractions.size()) return;
  Fractions[static_cast<size_t>(row)] = std::clamp(fraction, 0.0, 1.0);
  Furthest = std::max(Furthest, row);
}

std::pair<double, double> RunProgress::AheadBytes() const {
  double done = 0.0, all = 0.0;
  const int32_t last = std::min<int32_t>(Furthest, static_cast<int32_t>(Fractions.size()) - 1);
  for (int32_t r = std::max(Row, 0); r <= last; ++r) {
    const size_t row = static_cast<size_t>(r);
    done += Own(row) * Fractions[row];
    all += Own(row);
  }
  return {done, all};
}

double RunProgress::DoneShare() const {
  if (Row < 0 || Fractions.empty()) return 0.0;
  const size_t behind = std::min(static_cast<size_t>(Row), Fractions.size());
  return (static_cast<double>(Before[behind]) + AheadBytes().first) / static_cast<double>(Before.back());
}

int32_t RunProgress::Percent() const { return static_cast<int32_t>(DoneShare() * 100.0); }

int32_t RunProgress::InProgressPercent() const {
  const auto [done, all] = AheadBytes();
  return all > 0.0 ? static_cast<int32_t>(std::nearbyint(done / all * 100.0)) : 0;
}

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
