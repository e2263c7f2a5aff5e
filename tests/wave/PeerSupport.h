// Helpers for checking wave files against sox and ffmpeg: reading a whole file the way
// the batch run does, and decoding a file with a peer into raw little-endian streams.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/WaveClass.h"

namespace peers {

// Success only when sox and ffmpeg are both on PATH; a missing peer must fail, not skip.
::testing::AssertionResult HavePeers();

struct WholeFile {
  tacetix::WaveInfo Info{};
  std::vector<double> Values;
};

// Opens path, takes its WaveInfo and reads every sample from index 0 in 262144-sample calls.
::testing::AssertionResult ReadWithPCMFile(const std::string& path, WholeFile& file);

// Peer decodes. Integers come on the 32-bit grid the peers share (a 16-bit s arrives as s << 16).
::testing::AssertionResult SoxInts(const std::string& path, std::vector<int32_t>& values);
::testing::AssertionResult FfmpegInts(const std::string& path, std::vector<int32_t>& values);
::testing::AssertionResult SoxDoubles(const std::string& path, std::vector<double>& values);
::testing::AssertionResult FfmpegDoubles(const std::string& path, std::vector<double>& values);

// One `sox --i` field (flag such as "-c", "-e"), trailing newline removed.
std::string SoxInfo(const std::string& flag, const std::string& path);

// Runs a shell command that makes a file; fails with the command text when it exits non-zero.
::testing::AssertionResult Make(const std::string& command);

// Our values put on the peers' 32-bit integer grid. The peers scale by powers of two and we
// by 2^(n-1) - 1, so comparing floats would flag differences that are only the scaling.
std::vector<int32_t> ToGrid(const std::vector<double>& values, int32_t bytesPerSample);
// The value our decoder gives for a grid integer stored in a container of bytesPerSample.
double FromGrid(int32_t grid, int32_t bytesPerSample);

// Equal lengths and values; a failure names the first differing index and the count of differences.
::testing::AssertionResult SameInts(const std::vector<int32_t>& expected, const std::vector<int32_t>& actual);
::testing::AssertionResult SameDoubles(const std::vector<double>& expected, const std::vector<double>& actual,
                                       double tolerance);

}  // namespace peers
