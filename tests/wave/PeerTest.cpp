// Files written by sox and ffmpeg, in every format they offer, are read with the sample
// values the peers themselves decode from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PeerSupport.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace peers;
using testsupport::ShellQuote;
using testsupport::TempDir;

namespace {

struct PeerFile {
  const char* Name;
  bool ByFfmpeg;        // else sox made it
  const char* Options;  // sox output options, or the ffmpeg codec
  int32_t Channels;
  int32_t Bits;
  int32_t BytesPerSample;
  int32_t FormatTag;  // as GetInfo reports it: -2 for an extensible header
  bool IsFloat;
};

// sox writes extensible headers for 24 and 32 bits and for more than 2 integer channels;
// ffmpeg for everything beyond 16-bit stereo, and always adds a LIST INFO chunk.
const PeerFile kPeerFiles[] = {
    {"SoxU8Mono", false, "-b 8", 1, 8, 1, 1, false},
    {"SoxS16Stereo", false, "-b 16", 2, 16, 2, 1, false},
    {"SoxS24Stereo", false, "-b 24", 2, 24, 3, -2, false},
    {"SoxS32Stereo", false, "-b 32", 2, 32, 4, -2, false},
    {"SoxF32Stereo", false, "-e floating-point -b 32", 2, 32, 4, 3, true},
    {"SoxF64Mono", false, "-e floating-point -b 64", 1, 64, 8, 3, true},
    {"SoxS16SixChannels", false, "-b 16", 6, 16, 2, -2, false},
    {"SoxS24SixChannels", false, "-b 24", 6, 24, 3, -2, false},
    {"SoxF32SixChannels", false, "-e floating-point -b 32", 6, 32, 4, 3, true},
    {"FfmpegU8Stereo", true, "pcm_u8", 2, 8, 1, 1, false},
    {"FfmpegS16Mono", true, "pcm_s16le", 1, 16, 2, 1, false},
    {"FfmpegS24Stereo", true, "pcm_s24le", 2, 24, 3, -2, false},
    {"FfmpegS32Mono", true, "pcm_s32le", 1, 32, 4, -2, false},
    {"FfmpegF32Stereo", true, "pcm_f32le", 2, 32, 4, -2, true},
    {"FfmpegF64Stereo", true, "pcm_f64le", 2, 64, 8, -2, true},
    {"FfmpegS16SixChannels", true, "pcm_s16le", 6, 16, 2, -2, false},
    {"FfmpegF32SixChannels", true, "pcm_f32le", 6, 32, 4, -2, true},
};

// sox hands float files through a 32-bit integer sample, so its decode of them is that exact.
constexpr double SoxFloatTolerance = 1.0 / 2147483648.0;

// More samples than one 262144-sample read call and than two transfer blocks, and an odd frame count.
std::string FramesFor(int32_t channels) { return channels == 1 ? "300001s" : "140001s"; }

std::string SoxSynth(const std::string& options, int32_t channels, const std::string& path) {
  // Rate and channels go on the null input too, or sox synthesises at 48 kHz and resamples.
  return "sox -R -r 44100 -c " + std::to_string(channels) + " -n " + options + " " + ShellQuote(path) + " synth " +
         FramesFor(channels) + " whitenoise gain -1";
}

class PeerRead : public ::testing::TestWithParam<PeerFile> {
 protected:
  void SetUp() override { ASSERT_TRUE(HavePeers()); }

  // ffmpeg quantises a 64-bit float source itself, so its integer files use their full depth.
  ::testing::AssertionResult MakeFile(const PeerFile& p, const std::string& path) {
    if (!p.ByFfmpeg) return Make(SoxSynth(p.Options, p.Channels, path));
    const std::string source = Dir.File("source.wav");
    if (auto r = Make(SoxSynth("-e floating-point -b 64", p.Channels, source)); !r) return r;
    return Make("ffmpeg -nostdin -v error -y -i " + ShellQuote(source) + " -c:a " + p.Options + " " + ShellQuote(path));
  }

  TempDir Dir;
};

TEST_P(PeerRead, SamplesMatchThePeersDecode) {
  const PeerFile& p = GetParam();
  const std::string path = Dir.File("peer.wav");
  ASSERT_TRUE(MakeFile(p, path));
  if (p.ByFfmpeg) {
    const testsupport::Bytes head = testsupport::ReadFile(path);
    const std::string text(head.begin(), head.begin() + std::min<size_t>(head.size(), 200));
    ASSERT_NE(text.find("LIST"), std::string::npos) << "ffmpeg wrote no LIST chunk before the data";
  }

  WholeFile ours;
  ASSERT_TRUE(ReadWithPCMFile(path, ours));
  EXPECT_EQ(ours.Info.FormatTag, p.FormatTag);
  EXPECT_EQ(ours.Info.Channels, p.Channels);
  EXPECT_EQ(ours.Info.BitsPerSample, p.Bits);
  EXPECT_EQ(ours.Info.BytesPerSample, p.BytesPerSample);
  EXPECT_EQ(ours.Info.SampleRate, 44100);
  EXPECT_EQ(ours.Info.SampleCount, (p.Channels == 1 ? 300001 : 140001) * p.Channels);

  if (p.IsFloat) {
    std::vector<double> fromFfmpeg, fromSox;
    ASSERT_TRUE(FfmpegDoubles(path, fromFfmpeg));
    EXPECT_TRUE(SameDoubles(fromFfmpeg, ours.Values, 0.0)) << "against ffmpeg";
    ASSERT_TRUE(SoxDoubles(path, fromSox));
    EXPECT_TRUE(SameDoubles(fromSox, ours.Values, SoxFloatTolerance)) << "against sox";
  } else {
    const std::vector<int32_t> grid = ToGrid(ours.Values, p.BytesPerSample);
    std::vector<int32_t> fromFfmpeg, fromSox;
    ASSERT_TRUE(FfmpegInts(path, fromFfmpeg));
    EXPECT_TRUE(SameInts(fromFfmpeg, grid)) << "against ffmpeg";
    ASSERT_TRUE(SoxInts(path, fromSox));
    EXPECT_TRUE(SameInts(fromSox, grid)) << "against sox";
  }
}

void PrintTo(const PeerFile& p, std::ostream* os) { *os << p.Name; }

INSTANTIATE_TEST_SUITE_P(Peers, PeerRead, ::testing::ValuesIn(kPeerFiles),
                         [](const ::testing::TestParamInfo<PeerFile>& info) { return std::string(info.param.Name); });

// The extremes of every integer depth, which random signals seldom reach: the negative
// step beyond -full scale above all, which a decoder that clips or mis-signs would lose.
TEST(PeerReadExtremes, IntegerEndsOfEveryDepthReadExactly) {
  ASSERT_TRUE(HavePeers());
  TempDir dir;
  for (int32_t bits : {8, 16, 24, 32}) {
    SCOPED_TRACE("bits " + std::to_string(bits));
    const int32_t shift = 32 - bits;
    const int32_t top = static_cast<int32_t>((uint32_t{1} << (bits - 1)) - 1);
    std::vector<int32_t> grid;
    for (int32_t k : {-top - 1, top, 0, -1, 1, -top, top - 1})
      grid.push_back(static_cast<int32_t>(static_cast<uint32_t>(k) << shift));
    testsupport::Bytes raw;
    for (int32_t g : grid) testsupport::Put32(raw, static_cast<uint32_t>(g));
    const std::string rawPath = dir.File("ends.s32"), wavPath = dir.File("ends.wav");
    testsupport::WriteFile(rawPath, raw);
    ASSERT_TRUE(Make("sox -D -t s32 -L -r 8000 -c 1 " + ShellQuote(rawPath) + " -b " + std::to_string(bits) + " " +
                     ShellQuote(wavPath)));

    WholeFile ours;
    ASSERT_TRUE(ReadWithPCMFile(wavPath, ours));
    EXPECT_TRUE(SameInts(grid, ToGrid(ours.Values, ours.Info.BytesPerSample)));
  }
}

}  // namespace
