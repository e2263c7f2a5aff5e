// Loudness normalising as a peer measures it: ffmpeg's ebur128 filter (4x oversampled true
// peak) reads the outputs at the target, or at the ceiling where the true peak holds the gain;
// files the meter cannot measure keep their level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "OneFileFixture.h"
#include "batch/Loudness.h"
#include "batch/TruePeak.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;

namespace {

struct Measured {
  double Lufs = NAN;
  double TruePeak = NAN;
};

// The summary's "I:" and true-peak "Peak:" lines.
Measured Ebur128(const std::string& path) {
  std::string out;
  EXPECT_EQ(
      RunCommand("ffmpeg -nostats -hide_banner -i " + ShellQuote(path) + " -af ebur128=peak=true -f null - 2>&1", &out),
      0);
  Measured m;
  const size_t summary = out.rfind("Summary:");
  if (summary == std::string::npos) return m;
  const size_t i = out.find("I:", summary), p = out.find("Peak:", summary);
  if (i != std::string::npos) m.Lufs = std::stod(out.substr(i + 2));
  if (p != std::string::npos) m.TruePeak = std::stod(out.substr(p + 5));
  return m;
}

}  // namespace

TEST_F(OneFileTest, LoudnessMeetsThePeersMeasurement) {
  ASSERT_TRUE(HaveProgram("ffmpeg"));
  struct Case {
    const char* Name;
    const char* Source;  // an ffmpeg lavfi graph
    GainNote Note;
    double Target = -16.0;
  };
  const Case cases[] = {
      {"sine", "sine=f=997:r=48000:d=4,volume=0.05", GainNote::None},
      {"noise", "anoisesrc=c=pink:r=44100:d=4:a=0.1:s=7", GainNote::None},
      {"speech-like bursts",
       "sine=f=220:r=48000:d=6,volume='0.3*gt(sin(2*PI*t*1.3),0.2)':eval=frame,aformat=channel_layouts=stereo",
       GainNote::None},
      // A quiet tone with a burst at a sixth of the rate whose samples lie 1.2 dB below the peak
      // between them; a gain to the target would lift that peak above the ceiling.
      {"true peak between samples",
       "aevalsrc='if(between(t,2.5,2.52),0.9*sin(2*PI*8000*t+PI/3),0.05*sin(2*PI*997*t))':s=48000:d=5",
       GainNote::LimitedByTruePeak},
      // Quiet (-30 LUFS) with its true peak at -6 dBTP, below the ceiling: the gain to the
      // target lifts it above, and the ceiling is judged after the gain.
      {"quiet, a peak below the ceiling until the gain",
       "aevalsrc='if(between(t,2.5,2.52),0.5*sin(2*PI*1000*t),0.033*sin(2*PI*997*t))':s=48000:d=5",
       GainNote::LimitedByTruePeak},
      {"shorter than a gating block", "sine=f=440:r=48000:d=0.3", GainNote::NotMeasured},
      // Near the absolute gate, which does not move with the gain: swelling noise whose quieter
      // blocks the gain takes below -70 LUFS or above it.
      {"-70 LUFS", "anoisesrc=c=pink:r=48000:d=12:a=0.1:s=7,volume='0.6+0.4*sin(t*2)':eval=frame", GainNote::None,
       -70.0},
      {"-68 LUFS", "anoisesrc=c=pink:r=48000:d=12:a=0.1:s=7,volume='0.6+0.4*sin(t*2)':eval=frame", GainNote::None,
       -68.0},
      {"quiet half lifted above the gate",
       "anoisesrc=c=pink:r=44100:d=12:a=0.002:s=3,volume='0.5+0.5*gt(sin(t*1.5),0)':eval=frame", GainNote::None, -62.0},
      // The lowest rate measured, and rates whose K-weighting diverges or whose gating block
      // outgrows the library's buffer (once a crash), and one above the library's range.
      {"8000 Hz", "sine=f=300:r=8000:d=4,volume=0.05", GainNote::None},
      {"7999 Hz", "sine=f=300:r=7999:d=4,volume=0.05", GainNote::NotMeasured},
      {"3000 Hz", "sine=f=300:r=3000:d=4,volume=0.05", GainNote::NotMeasured},
      {"100 Hz", "aevalsrc='0.3*sin(2*PI*t*13)':s=100:d=4", GainNote::NotMeasured},
      {"20 Hz", "aevalsrc='0.3*sin(2*PI*t*3)':s=20:d=4", GainNote::NotMeasured},
      {"16 Hz", "aevalsrc='0.3*sin(2*PI*t*3)':s=16:d=4", GainNote::NotMeasured},
      {"1 Hz", "aevalsrc='0.3*sin(t)':s=1:d=4", GainNote::NotMeasured},
      {"3 MHz", "aevalsrc='0.3*sin(2*PI*t*997)':s=3000000:d=0.5", GainNote::NotMeasured},
  };
  S.Normalize = S.NormalizeLoudness = true;
  S.TruePeakCeiling = -1.0;
  S.Overwrite = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    S.LoudnessTarget = c.Target;
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i \"" + std::string(c.Source) + "\" -c:a pcm_s24le " + In()), 0);
    ASSERT_EQ(RunFile(S, In(), Out(), &Record), FileResult::Done);
    EXPECT_EQ(Outcome.Note, c.Note);
    if (c.Note == GainNote::NotMeasured) {
      EXPECT_EQ(Outcome.Gain, 1.0);
      continue;
    }
    const Measured source = Ebur128(In());
    // The meter's own true peak agrees with the peer's on the source.
    EXPECT_NEAR(20 * std::log10(Outcome.Loudness.TruePeak), source.TruePeak, 0.1);
    const Measured out = Ebur128(Out());
    EXPECT_LE(out.TruePeak, S.TruePeakCeiling + 0.1);
    // The figure the record states is what the peer measures, also where the gates moved it.
    EXPECT_NEAR(LoudnessAfterGain(Outcome).Lufs, out.Lufs, 0.1);
    if (c.Note == GainNote::None) EXPECT_NEAR(out.Lufs, S.LoudnessTarget, 0.1);
    else EXPECT_NEAR(out.TruePeak, S.TruePeakCeiling, 0.1);
  }
}

// Skipping the stretches that cannot reach the peak found so far gives the peak of
// oversampling everything, and skips.
TEST(TruePeakTest, SkippingEqualsOversamplingEverything) {
  std::vector<double> signal(2 * 200000);
  for (size_t f = 0; f < signal.size() / 2; ++f) {
    // Quiet sine, a loud stretch with a peak between samples, then quiet again.
    const bool loud = f > 60000 && f < 61000;
    const double phase = loud ? std::numbers::pi / 2 * static_cast<double>(f) + std::numbers::pi / 4 : 0.01 * f;
    signal[2 * f] = (loud ? 0.9 : 0.2) * std::sin(phase);
    signal[2 * f + 1] = 0.3 * std::sin(0.003 * f);
  }
  for (int32_t rate : {44100, 96000}) {
    SCOPED_TRACE(rate);
    TruePeakMeter skipping(2, rate), everywhere(2, rate, true);
    skipping.Feed(signal.data(), 100000);
    skipping.Feed(signal.data() + 200000, 100000);
    everywhere.Feed(signal.data(), 200000);
    EXPECT_EQ(skipping.Finish(), everywhere.Finish());
    EXPECT_LT(skipping.StretchesOversampled(), everywhere.StretchesOversampled() / 4);
  }
  // A quarter of the rate with its peaks three quarters of a sample after one (phase pi/8),
  // faded in and out over a tenth of a second: the meter reads its amplitude, 0.5.
  std::vector<double> tone(48000);
  for (size_t f = 0; f < tone.size(); ++f)
    tone[f] = 0.5 * std::sin(std::numbers::pi / 2 * static_cast<double>(f) + std::numbers::pi / 8) *
              std::min(1.0, static_cast<double>(std::min(f, tone.size() - f)) / 4800.0);
  TruePeakMeter meter(1, 48000);
  meter.Feed(tone.data(), 48000);
  EXPECT_NEAR(20 * std::log10(meter.Finish() / 0.5), 0.0, 0.1);
}

// The gating blocks the meter keeps gate to the library's own integrated loudness, at rates
// whose 100 ms is not a whole number of frames too; outside its range nothing is measured.
TEST(LoudnessMeterTest, KeptBlocksGateAsTheLibrary) {
  struct Case {
    int32_t Rate;
    int32_t Channels;
    MeterLimit Limit;
  };
  const Case cases[] = {
      {8000, 1, MeterLimit::None},    {8005, 2, MeterLimit::None},      {44105, 2, MeterLimit::None},
      {96000, 6, MeterLimit::None},   {8000, 64, MeterLimit::None},     {7999, 1, MeterLimit::Rate},
      {2822401, 1, MeterLimit::Rate}, {8000, 65, MeterLimit::Channels},
  };
  const SampleCoding doubles{8, 64, true};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Rate << " Hz, " << c.Channels << " channels");
    // A second below the absolute gate, then a tone that swells and falls: blocks cross both gates.
    const auto frames = static_cast<size_t>(c.Rate) * 3;
    std::vector<double> values(frames * static_cast<size_t>(c.Channels));
    for (size_t f = 0; f < frames; ++f) {
      const double t = static_cast<double>(f) / c.Rate;
      const double level = t < 1.0 ? 0.0002 : 0.3 * (0.5 + 0.5 * std::sin(7.0 * t));
      for (int32_t k = 0; k < c.Channels; ++k)
        values[f * static_cast<size_t>(c.Channels) + static_cast<size_t>(k)] =
            level * std::sin(2 * std::numbers::pi * (300.0 + 40.0 * k) * t);
    }
    std::vector<uint8_t> bytes(values.size() * 8);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    LoudnessMeter meter(c.Channels, c.Rate);
    constexpr size_t Block = 65536;  // not a whole number of frames for most channel counts
    for (size_t at = 0; at < values.size(); at += Block)
      ASSERT_TRUE(
          meter.Feed(bytes.data() + at * 8, static_cast<int32_t>(std::min(Block, values.size() - at)), doubles));
    const LoudnessFigures figures = meter.Finish();
    EXPECT_EQ(figures.Limit, c.Limit);
    EXPECT_EQ(figures.Measured, c.Limit == MeterLimit::None);
    if (figures.Measured) {
      EXPECT_NEAR(GatedLoudness(meter.TakeBlocks(), 1.0), figures.Lufs, 1e-9);
    }
  }
}
