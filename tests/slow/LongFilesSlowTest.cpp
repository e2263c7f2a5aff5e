// Files past 2 and 4 GiB through tacetix-cli, with ffprobe and ffmpeg reading what it wrote.
// Inputs are sparse (a header, silence that takes no disk, a sound near each end); each output
// is a real file of up to 4.5 GiB, removed before the next one is made.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <string>

#include "support/CliHarness.h"
#include "support/TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr uint64_t GiB = uint64_t{1} << 30;
constexpr uint32_t Rate = 48000;
constexpr uint32_t FrameBytes = 4;  // 16-bit stereo inputs
constexpr int16_t Loud = 0x4000;

// The header of a 16-bit stereo file whose data holds dataBytes: RIFF below 4 GiB, else RF64;
// chunks (whole, headers and pad bytes) between fmt and data.
Bytes Header(uint64_t dataBytes, bool rf64, const Bytes& chunks = {}) {
  const uint64_t riff = (rf64 ? 72 : 36) + chunks.size() + dataBytes;
  WavBuilder w = Rf64(rf64 ? "RF64" : "RIFF");
  if (rf64) w.Chunk("ds64", Ds64Body(riff, dataBytes, dataBytes / FrameBytes));
  else w.riffSizeOverride = static_cast<uint32_t>(riff);
  w.Fmt(1, 2, Rate, 16);
  Bytes built = w.ChunkDeclared("data", rf64 ? 0xFFFFFFFF : static_cast<uint32_t>(dataBytes), {}).Build();
  built.insert(built.end() - 8, chunks.begin(), chunks.end());
  return built;
}

// A sparse file of frames frames, silent but for one loud frame at first and one at last.
bool SparseInput(const std::string& path, uint64_t frames, bool rf64, uint64_t first, uint64_t last,
                 const Bytes& chunks = {}) {
  const Bytes header = Header(frames * FrameBytes, rf64, chunks);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  const Bytes loud = Pcm16({Loud, -Loud});
  bool ok = ::pwrite(fd, header.data(), header.size(), 0) == static_cast<ssize_t>(header.size()) &&
            ::ftruncate(fd, static_cast<off_t>(header.size() + frames * FrameBytes)) == 0;
  for (uint64_t frame : {first, last})
    ok = ok && ::pwrite(fd, loud.data(), loud.size(), static_cast<off_t>(header.size() + frame * FrameBytes)) == 4;
  return ::close(fd) == 0 && ok;
}

Bytes HeadOf(const std::string& path, size_t n) {
  Bytes b(n);
  const int fd = ::open(path.c_str(), O_RDONLY);
  const ssize_t got = fd < 0 ? -1 : ::pread(fd, b.data(), n, 0);
  if (fd >= 0) ::close(fd);
  b.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return b;
}

std::string Probe(const std::string& path) {
  std::string out;
  RunCommand("ffprobe -v error -show_entries stream=duration_ts,bits_per_sample -of csv=p=0 " + ShellQuote(path), &out);
  return out;
}

struct LongCase {
  const char* name;
  uint64_t frames;  // of the input
  bool rf64In;
  uint64_t first, last;  // the loud frames: what is kept
  const char* bits;      // --bits
  bool rf64Out;
  uint32_t outFrameBytes;
};

class LongFilesSlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::space_info space = fs::space(Dir.Path());
    if (space.available < 12 * GiB)
      GTEST_SKIP() << "needs 12 GiB of free disk in " << Dir.Path() << ", has " << space.available / GiB << " GiB";
    if (!HaveProgram("ffprobe") || !HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg and ffprobe are needed";
  }
  TempDir Dir;
};

TEST_F(LongFilesSlowTest, FilesPastTwoAndFourGibibytesAreCutAndReadByFfmpeg) {
  const uint64_t below4 = (0xFFFFFFFFull - 37) / FrameBytes;  // most frames behind a 44-byte header
  const uint64_t frames41 = 41 * GiB / 10 / FrameBytes;
  const LongCase cases[] = {
      {"RIFF just under 2 GiB", (2 * GiB - 4096) / FrameBytes, false, 1000, (2 * GiB - 4096) / FrameBytes - 1001,
       "same", false, 4},
      {"RIFF just over 2 GiB", (2 * GiB + 4096) / FrameBytes, false, 1000, (2 * GiB + 4096) / FrameBytes - 1001, "same",
       false, 4},
      {"RF64 of 4.1 GiB cut to just under 4 GiB", frames41, true, 1000, 1000 + below4 - 1, "same", false, 4},
      {"RF64 of 4.1 GiB stays RF64", frames41, true, 10, frames41 - 11, "same", true, 4},
      {"RIFF of 3 GiB to 24 bits passes 4 GiB", 3 * GiB / FrameBytes, false, 7, 3 * GiB / FrameBytes - 3, "24", true,
       6},
  };
  const std::string in = Dir.File("long.wav");
  const std::string out = Dir.File("out/long.wav");
  for (const LongCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SparseInput(in, c.frames, c.rf64In, c.first, c.last));
    EXPECT_EQ(Probe(in), "16," + std::to_string(c.frames) + "\n") << "ffprobe reads the input as built";
    const CliResult said =
        RunCli(CliCall(TACETIX_CLI, std::string("-q --subfolder out --bits ") + c.bits + " " + ShellQuote(in))
                   .TimeLimit(std::chrono::seconds(900)));
    ASSERT_EQ(said.Status, 0) << said.Out;
    const uint64_t kept = c.last - c.first + 1;
    const uint64_t dataBytes = kept * c.outFrameBytes;
    const Bytes head = HeadOf(out, 80);
    ASSERT_EQ(head.size(), 80u);
    const size_t dataOffset = c.rf64Out ? 80 : 44;
    EXPECT_EQ(fs::file_size(out), dataOffset + dataBytes + (dataBytes & 1));
    EXPECT_EQ(std::string(head.begin(), head.begin() + 4), c.rf64Out ? "RF64" : "RIFF");
    if (c.rf64Out) {
      EXPECT_EQ(std::string(head.begin() + 12, head.begin() + 16), "ds64");
      EXPECT_EQ(Le64At(head, 20), fs::file_size(out) - 8);
      EXPECT_EQ(Le64At(head, 28), dataBytes);
      EXPECT_EQ(Le64At(head, 36), kept);
      EXPECT_EQ(Le32At(head, 76), 0xFFFFFFFFu);
    } else {
      EXPECT_EQ(Le32At(head, 4), fs::file_size(out) - 8);  // the canonical header, sizes unsigned
      EXPECT_EQ(Le32At(head, 40), dataBytes);
    }
    EXPECT_EQ(Probe(out), (c.outFrameBytes == 6 ? "24," : "16,") + std::to_string(kept) + "\n");
    // ffmpeg finds the loud frames at both ends of what it decodes.
    Bytes first, last;
    const std::string decode = "ffmpeg -v error -i " + ShellQuote(out) + " -c:a pcm_s16le -f s16le ";
    ASSERT_EQ(RunCommandBytes(decode + "-frames:a 1 -", first), 0);
    ASSERT_EQ(
        RunCommandBytes("ffmpeg -v error -sseof -0.01 -i " + ShellQuote(out) + " -c:a pcm_s16le -f s16le -", last), 0);
    ASSERT_GE(first.size(), 4u);
    ASSERT_GE(last.size(), 4u);
    // Back from 24 bits ffmpeg rounds down: -0x4000 may come back one lower.
    EXPECT_EQ(static_cast<int16_t>(Le16At(first, 0)), Loud);
    EXPECT_NEAR(static_cast<int16_t>(Le16At(last, last.size() - 2)), -Loud, c.outFrameBytes == 6 ? 1 : 0);
    fs::remove_all(Dir.File("out"));
  }
  fs::remove(in);
}

// With metadata kept, an RF64 output whose carried chunks have odd sizes: libsndfile, sox and
// ffprobe all open it.
TEST_F(LongFilesSlowTest, RF64OutputsWithOddChunksOpenInEveryPeer) {
  if (!HaveProgram("sox") || !HaveProgram("sndfile-info")) GTEST_SKIP() << "sox and sndfile-info are needed";
  const uint64_t frames = 41 * GiB / 10 / FrameBytes;
  Bytes chunks = ChunkBytes("iXML", Bytes{'<', 'B', 'W', 'F', 'X', 'M', 'L', '/', '>'});
  const Bytes bext = ChunkBytes("bext", Bytes(603, 0));
  chunks.insert(chunks.end(), bext.begin(), bext.end());
  const std::string in = Dir.File("long.wav");
  const std::string out = Dir.File("out/long.wav");
  ASSERT_TRUE(SparseInput(in, frames, true, 10, frames - 11, chunks));
  const CliResult said = RunCli(CliCall(TACETIX_CLI, "-q --keep-metadata --subfolder out " + ShellQuote(in))
                                    .TimeLimit(std::chrono::seconds(900)));
  ASSERT_EQ(said.Status, 0) << said.Out;
  const Bytes head = HeadOf(out, 4);
  EXPECT_EQ(std::string(head.begin(), head.end()), "RF64");
  std::string info;
  RunCommand("sndfile-info " + ShellQuote(out), &info);
  EXPECT_EQ(info.find("Error"), std::string::npos) << info;
  EXPECT_EQ(RunCommand("sox --i " + ShellQuote(out), &info), 0) << info;
  EXPECT_EQ(Probe(out), "16," + std::to_string(frames - 20) + "\n");
  fs::remove_all(Dir.File("out"));
  fs::remove(in);
}

}  // namespace
