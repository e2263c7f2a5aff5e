// Files written here, in every output format, are read by sox and ffmpeg with the values
// that went in; extensible inputs come out with a plain header that both peers accept.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "PeerSupport.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace peers;
using testsupport::ShellQuote;
using testsupport::TempDir;

namespace {

struct OutFormat {
  const char* Name;
  int32_t Bits;
  int16_t Tag;
  int32_t Channels;
  const char* SoxEncoding;
  bool SoxDecodes;  // sox 14.4.2 reads 12- and 20-bit headers but not their samples
};

const OutFormat kOutFormats[] = {
    {"U8Mono", 8, 1, 1, "Unsigned Integer PCM", true},  {"U8Stereo", 8, 1, 2, "Unsigned Integer PCM", true},
    {"S12Mono", 12, 1, 1, "Signed Integer PCM", false}, {"S12Stereo", 12, 1, 2, "Signed Integer PCM", false},
    {"S16Mono", 16, 1, 1, "Signed Integer PCM", true},  {"S16Stereo", 16, 1, 2, "Signed Integer PCM", true},
    {"S20Mono", 20, 1, 1, "Signed Integer PCM", false}, {"S20Stereo", 20, 1, 2, "Signed Integer PCM", false},
    {"S24Mono", 24, 1, 1, "Signed Integer PCM", true},  {"S24Stereo", 24, 1, 2, "Signed Integer PCM", true},
    {"S32Mono", 32, 1, 1, "Signed Integer PCM", true},  {"S32Stereo", 32, 1, 2, "Signed Integer PCM", true},
    {"F32Mono", 32, 3, 1, "Floating Point PCM", true},  {"F32Stereo", 32, 3, 2, "Floating Point PCM", true},
    {"F64Mono", 64, 3, 1, "Floating Point PCM", true},  {"F64Stereo", 64, 3, 2, "Floating Point PCM", true},
};

void PrintTo(const OutFormat& f, std::ostream* os) { *os << f.Name; }

// Odd, so mono 8-, 20- and 24-bit data need a pad byte; above two transfer blocks in stereo.
constexpr int32_t Frames = 140001;
constexpr double SoxFloatTolerance = 1.0 / 2147483648.0;

int32_t ContainerBytes(int32_t bits) { return (bits + 7) / 8; }

// Integers on the 32-bit grid that a depth of `bits` can hold, its two ends first.
std::vector<int32_t> GridSamples(int32_t bits, size_t count) {
  const int32_t shift = 32 - bits;
  const int64_t top = (int64_t{1} << (bits - 1)) - 1;
  std::mt19937_64 random(static_cast<uint64_t>(bits));
  std::uniform_int_distribution<int64_t> pick(-top - 1, top);
  std::vector<int32_t> grid = {static_cast<int32_t>(-top - 1), static_cast<int32_t>(top), 0, -1, 1};
  while (grid.size() < count) grid.push_back(static_cast<int32_t>(pick(random)));
  for (int32_t& g : grid) g = static_cast<int32_t>(static_cast<uint32_t>(g) << shift);
  return grid;
}

// Values a float file holds exactly: singles for 32 bits, beyond +-1 as float files allow.
std::vector<double> FloatSamples(int32_t bits, size_t count) {
  std::mt19937_64 random(static_cast<uint64_t>(bits));
  std::uniform_real_distribution<double> pick(-1.0, 1.0);
  std::vector<double> values = {-1.0, 0.5, 0.0, -0.0, 1e-30};
  while (values.size() < count) values.push_back(pick(random));
  if (bits == 32)
    for (double& v : values) v = static_cast<float>(v);
  return values;
}

// A one-frame 16-bit source: only its channels and rate pass to the output.
::testing::AssertionResult WriteThroughPCMFile(const std::string& sourcePath, const std::string& outPath,
                                               int32_t channels, int32_t bits, int16_t tag,
                                               const std::vector<double>& values) {
  testsupport::WriteFile(sourcePath, testsupport::SimpleWav(1, static_cast<uint16_t>(channels), 44100, 16,
                                                            testsupport::Bytes(2 * channels, 0)));
  PCMFile file;
  int32_t written = 0;
  if (file.OpenInput(sourcePath, false) != 0) return ::testing::AssertionFailure() << "OpenInput failed";
  if (file.CreateOutput(outPath, bits, tag, -1) != 0) return ::testing::AssertionFailure() << "CreateOutput failed";
  if (file.RewindOutput() != 0) return ::testing::AssertionFailure() << "RewindOutput failed";
  if (file.WriteSamples(values.data(), static_cast<int32_t>(values.size()), written) != 0)
    return ::testing::AssertionFailure() << "WriteSamples failed after " << written;
  if (file.FinishOutput() != 0) return ::testing::AssertionFailure() << "FinishOutput failed";
  if (file.CloseOutput() != 0) return ::testing::AssertionFailure() << "CloseOutput failed";
  return ::testing::AssertionSuccess();
}

// The data chunk alone, padded to even length, fills the file after the 44-byte header.
void ExpectCanonicalSize(const std::string& path, size_t dataBytes) {
  const testsupport::Bytes file = testsupport::ReadFile(path);
  ASSERT_GE(file.size(), 44u);
  EXPECT_EQ(file.size(), 44 + dataBytes + (dataBytes & 1));
  if (dataBytes & 1) {
    EXPECT_EQ(file.back(), 0) << "pad byte";
  }
}

class PeerWrite : public ::testing::TestWithParam<OutFormat> {
 protected:
  void SetUp() override { ASSERT_TRUE(HavePeers()); }
  TempDir Dir;
};

TEST_P(PeerWrite, PeersReadTheValuesWritten) {
  const OutFormat& f = GetParam();
  const bool isFloat = f.Tag == 3;
  const size_t count = static_cast<size_t>(Frames) * f.Channels;
  const std::vector<int32_t> grid = isFloat ? std::vector<int32_t>{} : GridSamples(f.Bits, count);
  std::vector<double> values = isFloat ? FloatSamples(f.Bits, count) : std::vector<double>(count);
  for (size_t i = 0; i < grid.size(); ++i) values[i] = FromGrid(grid[i], ContainerBytes(f.Bits));

  const std::string out = Dir.File("out.wav");
  ASSERT_TRUE(WriteThroughPCMFile(Dir.File("source.wav"), out, f.Channels, f.Bits, f.Tag, values));
  ExpectCanonicalSize(out, count * ContainerBytes(f.Bits));

  EXPECT_EQ(SoxInfo("-c", out), std::to_string(f.Channels));
  EXPECT_EQ(SoxInfo("-r", out), "44100");
  EXPECT_EQ(SoxInfo("-b", out), std::to_string(f.Bits));
  EXPECT_EQ(SoxInfo("-e", out), f.SoxEncoding);
  // sox counts 12- and 20-bit frames from the bit depth rather than the block align.
  if (f.SoxDecodes) {
    EXPECT_EQ(SoxInfo("-s", out), std::to_string(Frames));
  }

  if (isFloat) {
    std::vector<double> fromFfmpeg, fromSox;
    ASSERT_TRUE(FfmpegDoubles(out, fromFfmpeg));
    EXPECT_TRUE(SameDoubles(values, fromFfmpeg, 0.0)) << "ffmpeg";
    ASSERT_TRUE(SoxDoubles(out, fromSox));
    EXPECT_TRUE(SameDoubles(values, fromSox, SoxFloatTolerance)) << "sox";
    return;
  }
  std::vector<int32_t> fromFfmpeg, fromSox;
  ASSERT_TRUE(FfmpegInts(out, fromFfmpeg));
  EXPECT_TRUE(SameInts(grid, fromFfmpeg)) << "ffmpeg";
  if (!f.SoxDecodes) return;
  ASSERT_TRUE(SoxInts(out, fromSox));
  EXPECT_TRUE(SameInts(grid, fromSox)) << "sox";
}

INSTANTIATE_TEST_SUITE_P(Peers, PeerWrite, ::testing::ValuesIn(kOutFormats),
                         [](const ::testing::TestParamInfo<OutFormat>& info) { return std::string(info.param.Name); });

struct ExtensibleCase {
  const char* Name;
  const char* Codec;
  int32_t Channels;
  uint16_t PlainTag;  // what the rewritten header must say
  int32_t Bits;
};

const ExtensibleCase kExtensible[] = {
    {"F32Stereo", "pcm_f32le", 2, 3, 32}, {"F32SixChannels", "pcm_f32le", 6, 3, 32},
    {"F64Mono", "pcm_f64le", 1, 3, 64},   {"S24Stereo", "pcm_s24le", 2, 1, 24},
    {"S32Stereo", "pcm_s32le", 2, 1, 32}, {"S16SixChannels", "pcm_s16le", 6, 1, 16},
};

void PrintTo(const ExtensibleCase& c, std::ostream* os) { *os << c.Name; }

class PeerExtensible : public ::testing::TestWithParam<ExtensibleCase> {
 protected:
  void SetUp() override { ASSERT_TRUE(HavePeers()); }
  TempDir Dir;
};

// Copying the format unchanged must not copy 0xFFFE into a 16-byte fmt: without its
// extension no reader can tell the sample coding, and both peers refuse such a header.
TEST_P(PeerExtensible, KeptFormatIsWrittenWithAPlainTag) {
  const ExtensibleCase& c = GetParam();
  const std::string source = Dir.File("source.wav"), input = Dir.File("in.wav"), out = Dir.File("out.wav");
  ASSERT_TRUE(Make("sox -R -r 44100 -c " + std::to_string(c.Channels) + " -n -e floating-point -b 64 " +
                   ShellQuote(source) + " synth 4001s whitenoise gain -1"));
  ASSERT_TRUE(
      Make("ffmpeg -nostdin -v error -y -i " + ShellQuote(source) + " -c:a " + c.Codec + " " + ShellQuote(input)));

  WholeFile in;
  ASSERT_TRUE(ReadWithPCMFile(input, in));
  ASSERT_EQ(in.Info.FormatTag, -2);
  PCMFile file;
  int32_t written = 0;
  ASSERT_EQ(file.OpenInput(input, false), 0);
  ASSERT_EQ(file.CreateOutput(out, -1, -1, -1), 0);
  ASSERT_EQ(file.RewindOutput(), 0);
  ASSERT_EQ(file.WriteSamples(in.Values.data(), static_cast<int32_t>(in.Values.size()), written), 0);
  ASSERT_EQ(file.CloseOutput(), 0);

  const testsupport::Bytes header = testsupport::ReadFile(out);
  ASSERT_GE(header.size(), 44u);
  EXPECT_EQ(header[20] | header[21] << 8, c.PlainTag);
  EXPECT_EQ(header[34] | header[35] << 8, c.Bits);
  EXPECT_EQ(SoxInfo("-c", out), std::to_string(c.Channels));
  if (c.PlainTag == 3) {
    std::vector<double> ffIn, ffOut, soxIn, soxOut;
    ASSERT_TRUE(FfmpegDoubles(input, ffIn));
    ASSERT_TRUE(FfmpegDoubles(out, ffOut));
    EXPECT_TRUE(SameDoubles(in.Values, ffIn, 0.0)) << "ffmpeg, input";
    EXPECT_TRUE(SameDoubles(ffIn, ffOut, 0.0)) << "ffmpeg";
    ASSERT_TRUE(SoxDoubles(input, soxIn));
    ASSERT_TRUE(SoxDoubles(out, soxOut));
    EXPECT_TRUE(SameDoubles(soxIn, soxOut, 0.0)) << "sox";
    return;
  }
  std::vector<int32_t> ffIn, ffOut, soxIn, soxOut;
  ASSERT_TRUE(FfmpegInts(input, ffIn));
  ASSERT_TRUE(FfmpegInts(out, ffOut));
  EXPECT_TRUE(SameInts(ffIn, ToGrid(in.Values, in.Info.BytesPerSample))) << "ffmpeg, input";
  EXPECT_TRUE(SameInts(ffIn, ffOut)) << "ffmpeg";
  ASSERT_TRUE(SoxInts(input, soxIn));
  ASSERT_TRUE(SoxInts(out, soxOut));
  EXPECT_TRUE(SameInts(soxIn, soxOut)) << "sox";
}

INSTANTIATE_TEST_SUITE_P(Peers, PeerExtensible, ::testing::ValuesIn(kExtensible),
                         [](const ::testing::TestParamInfo<ExtensibleCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
