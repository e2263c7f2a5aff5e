#include "PeerSupport.h"

#include <bit>
#include <cmath>
#include <cstdlib>

#include "support/TestSupport.h"

namespace peers {
namespace {

using testsupport::Bytes;
using testsupport::RunCommand;
using testsupport::RunCommandBytes;
using testsupport::ShellQuote;

constexpr int32_t ReadCall = 262144;  // samples per ReadSamples call, as the batch run asks

::testing::AssertionResult Capture(const std::string& command, Bytes& out, size_t unit) {
  const int rc = RunCommandBytes(command, out);
  if (rc != 0) return ::testing::AssertionFailure() << "exit status " << rc << " from: " << command;
  if (out.size() % unit != 0)
    return ::testing::AssertionFailure() << out.size() << " bytes, not whole samples, from: " << command;
  return ::testing::AssertionSuccess();
}

uint64_t LoadLE(const uint8_t* p, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

::testing::AssertionResult CaptureInts(const std::string& command, std::vector<int32_t>& values) {
  Bytes raw;
  if (auto r = Capture(command, raw, 4); !r) return r;
  values.resize(raw.size() / 4);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int32_t>(LoadLE(&raw[4 * i], 4));
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult CaptureDoubles(const std::string& command, std::vector<double>& values) {
  Bytes raw;
  if (auto r = Capture(command, raw, 8); !r) return r;
  values.resize(raw.size() / 8);
  for (size_t i = 0; i < values.size(); ++i) values[i] = std::bit_cast<double>(LoadLE(&raw[8 * i], 8));
  return ::testing::AssertionSuccess();
}

// -D: sox must not dither, or its decode would not be the stored samples.
std::string SoxDecode(const std::string& path, const char* type) {
  return "sox -D " + ShellQuote(path) + " -t " + type + " -L - 2>/dev/null";
}
std::string FfmpegDecode(const std::string& path, const char* format) {
  return "ffmpeg -nostdin -v error -i " + ShellQuote(path) + " -f " + format + " -";
}

double FullScale(int32_t bytesPerSample) {
  if (bytesPerSample == 1) return 127.0;
  if (bytesPerSample == 2) return 32767.0;
  return 2147483647.0;
}

int32_t GridShift(int32_t bytesPerSample) {
  if (bytesPerSample == 1) return 24;
  if (bytesPerSample == 2) return 16;
  return 0;
}

}  // namespace

::testing::AssertionResult HavePeers() {
  for (const char* peer : {"sox", "ffmpeg"})
    if (!testsupport::HaveProgram(peer))
      return ::testing::AssertionFailure() << peer << " is required by the peer tests and is not on PATH";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReadWithPCMFile(const std::string& path, WholeFile& file) {
  tacetix::PCMFile pcm;
  if (pcm.OpenInput(path, false) != 0) return ::testing::AssertionFailure() << "OpenInput refused " << path;
  if (pcm.GetInfo(file.Info) != 0) return ::testing::AssertionFailure() << "GetInfo failed";
  if (pcm.SeekSample(0) != 0) return ::testing::AssertionFailure() << "SeekSample(0) failed";
  std::vector<double> block(ReadCall);
  file.Values.clear();
  for (int call = 0;; ++call) {
    int32_t delivered = -1;
    const int r = pcm.ReadSamples(block.data(), ReadCall, delivered);
    if (r == 2 && delivered == 0) break;
    if (r != 0) return ::testing::AssertionFailure() << "ReadSamples call " << call << " returned " << r;
    file.Values.insert(file.Values.end(), block.begin(), block.begin() + delivered);
  }
  if (static_cast<int64_t>(file.Values.size()) != file.Info.SampleCount)
    return ::testing::AssertionFailure() << file.Values.size() << " samples read, SampleCount "
                                         << file.Info.SampleCount;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SoxInts(const std::string& path, std::vector<int32_t>& values) {
  return CaptureInts(SoxDecode(path, "s32"), values);
}
::testing::AssertionResult FfmpegInts(const std::string& path, std::vector<int32_t>& values) {
  return CaptureInts(FfmpegDecode(path, "s32le"), values);
}
::testing::AssertionResult SoxDoubles(const std::string& path, std::vector<double>& values) {
  return CaptureDoubles(SoxDecode(path, "f64"), values);
}
::testing::AssertionResult FfmpegDoubles(const std::string& path, std::vector<double>& values) {
  return CaptureDoubles(FfmpegDecode(path, "f64le"), values);
}

std::string SoxInfo(const std::string& flag, const std::string& path) {
  std::string out;
  RunCommand("sox --i " + flag + " " + ShellQuote(path) + " 2>/dev/null", &out);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

::testing::AssertionResult Make(const std::string& command) {
  const int rc = RunCommand(command + " 2>&1");
  if (rc != 0) return ::testing::AssertionFailure() << "exit status " << rc << " from: " << command;
  return ::testing::AssertionSuccess();
}

std::vector<int32_t> ToGrid(const std::vector<double>& values, int32_t bytesPerSample) {
  const double scale = FullScale(bytesPerSample);
  const int32_t shift = GridShift(bytesPerSample);
  std::vector<int32_t> grid(values.size());
  for (size_t i = 0; i < values.size(); ++i)
    grid[i] = static_cast<int32_t>(static_cast<uint32_t>(std::llround(values[i] * scale)) << shift);
  return grid;
}

double FromGrid(int32_t grid, int32_t bytesPerSample) {
  return (grid >> GridShift(bytesPerSample)) / FullScale(bytesPerSample);
}

::testing::AssertionResult SameInts(const std::vector<int32_t>& expected, const std::vector<int32_t>& actual) {
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure() << "lengths differ: expected " << expected.size() << ", got " << actual.size();
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != actual[i] && differing++ == 0) first = i;
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " samples differ; first at " << first << ": expected "
                                       << expected[first] << ", got " << actual[first];
}

::testing::AssertionResult SameDoubles(const std::vector<double>& expected, const std::vector<double>& actual,
                                       double tolerance) {
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure() << "lengths differ: expected " << expected.size() << ", got " << actual.size();
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < expected.size(); ++i)
    if (!(std::fabs(expected[i] - actual[i]) <= tolerance) && differing++ == 0) first = i;
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " samples differ; first at " << first << ": expected "
                                       << expected[first] << ", got " << actual[first];
}

}  // namespace peers
