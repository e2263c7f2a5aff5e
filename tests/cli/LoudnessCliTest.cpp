// --loudness, --true-peak and --dither end to end: the output at the target as ffmpeg measures
// it, the header lines, the log's column and the report's fields only with the options, and
// the usage errors.
#include <gtest/gtest.h>

#include <string>

#include "CliFixture.h"

using namespace testsupport;

namespace {

// ffmpeg's integrated loudness of a file, and its true peak (dBTP) in truePeak.
double PeerLufs(const std::string& path, double* truePeak = nullptr) {
  std::string out;
  EXPECT_EQ(
      RunCommand("ffmpeg -nostats -hide_banner -i " + ShellQuote(path) + " -af ebur128=peak=true -f null - 2>&1", &out),
      0);
  const size_t i = out.find("I:", out.rfind("Summary:")), p = out.find("Peak:", out.rfind("Summary:"));
  if (truePeak) *truePeak = p == std::string::npos ? 0.0 : std::stod(out.substr(p + 5));
  return i == std::string::npos ? 0.0 : std::stod(out.substr(i + 2));
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

using LoudnessCli = clitest::CliFixture;

TEST_F(LoudnessCli, OptionsReachOutputLogAndReport) {
  ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i \"anoisesrc=c=pink:r=48000:d=4:a=0.03:s=3,"
                       "volume='between(t,0.5,3.5)':eval=frame,aformat=channel_layouts=stereo\" -c:a pcm_s24le " +
                       Dir.File("a.wav")),
            0);
  struct Case {
    const char* Options;
    int Status;
    bool Loudness;  // the output is at -16 LUFS, the header and report say so
    bool Dither;
  };
  const Case cases[] = {
      {"", 0, false, false},
      {"--loudness -16 --true-peak -1", 0, true, false},
      {"--loudness=-16 -b 16 --dither tpdf", 0, true, true},
      {"-b 16 --dither shaped", 0, false, true},
      {"--loudness -16 --normalize -1", 2, false, false},
      {"--true-peak -1", 2, false, false},
      {"--loudness -70.1", 2, false, false},
      {"--dither rpdf", 2, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options);
    std::filesystem::remove(Dir.File("out/a.wav"));
    const std::string options = c.Options;
    ASSERT_EQ(Run(Call("-v -o out --log run.log --report r.jsonl " + options + " a.wav").SeparateErr()), c.Status)
        << Err;
    if (c.Status != 0) continue;
    const std::string log = ReadText(Dir.File("run.log")), report = ReadText(Dir.File("r.jsonl"));
    double truePeak = 0.0;
    if (c.Loudness) EXPECT_NEAR(PeerLufs(Dir.File("out/a.wav"), &truePeak), -16.0, 0.1);
    EXPECT_EQ(Has(log, "Normalize to: -16.0 LUFS (true peak -1.0 dBTP)\r\n"), c.Loudness) << log;
    EXPECT_EQ(Has(log, "Dither: " + std::string(Has(options, "tpdf") ? "triangular" : "shaped") + "\r\n"), c.Dither);
    EXPECT_EQ(Has(log, ";samples_out;clipped\r\n"), c.Loudness || c.Dither) << log;
    const size_t lufs = report.find("\"loudness_lufs\":");
    EXPECT_EQ(lufs != std::string::npos && Has(report.substr(lufs, 20), ":-1"), c.Loudness) << report;
    if (c.Loudness) EXPECT_NEAR(std::stod(report.substr(lufs + 16)), -16.0, 1e-9);
    // The true peak stated is the output's, as the peer measures it.
    const size_t peak = report.find("\"true_peak_dbtp\":"), said = Out.find("true peak ");
    if (c.Loudness && peak != std::string::npos && said != std::string::npos) {
      EXPECT_NEAR(std::stod(report.substr(peak + 17)), truePeak, 0.2) << report;
      EXPECT_NEAR(std::stod(Out.substr(said + 10)), truePeak, 0.2) << Out;
    }
    EXPECT_EQ(Has(report, "\"clipped\":0"), c.Loudness || c.Dither) << report;
    EXPECT_EQ(Has(Out, "loudness -16.0 LUFS, true peak"), c.Loudness) << Out;
  }
}

// One infinite sample in the sound is no sound, to the meter as to the scans: the file gets
// the gain the rest of it asks for, not none.
TEST_F(LoudnessCli, ANonFiniteSampleLeavesTheGainToTheRestOfTheFile) {
  ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i \"anoisesrc=c=pink:r=48000:d=2:a=0.03:s=5\" -c:a pcm_f32le "
                       "-bitexact " +
                       Dir.File("f.wav") + " && cp " + Dir.File("f.wav") + " " + Dir.File("g.wav") +
                       " && python3 -c \"import struct,sys; b=bytearray(open(sys.argv[1],'rb').read()); "
                       "i=b.find(b'data')+8+4*48000; b[i:i+4]=struct.pack('<f',float('inf')); "
                       "open(sys.argv[1],'wb').write(b)\" " +
                       Dir.File("g.wav")),
            0);
  double gains[2] = {};
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(Run(Call(std::string("-o out -b 24 --loudness -16 --report r.jsonl ") + (k ? "g.wav" : "f.wav"))), 0);
    const std::string report = ReadText(Dir.File("r.jsonl"));
    const size_t at = report.find("\"gain_db\":");
    ASSERT_NE(at, std::string::npos) << report;
    gains[k] = std::stod(report.substr(at + 10));
  }
  EXPECT_GT(gains[0], 20.0);
  EXPECT_NEAR(gains[1], gains[0], 0.01);
}
