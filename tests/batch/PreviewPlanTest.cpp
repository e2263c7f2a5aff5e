// The preview decides with the run's own steps: its figures equal the run's record.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "OneFileFixture.h"
#include "batch/PreviewPlan.h"
#include "batch/RowText.h"
#include "batch/RunChoices.h"

using namespace tacetix;
using namespace testsupport;

namespace {

// Stereo at 8 kHz: quiet lead-in, a click at frame 300, sound over frames 1000..5999, a tail.
std::vector<int16_t> Take(int16_t level) {
  std::vector<int16_t> s(2 * 8000, 0);
  for (int f = 0; f < 8000; ++f) {
    const int16_t v = f >= 1000 && f < 6000 ? static_cast<int16_t>(f % 2 ? level : -level) : (f % 7 == 0 ? 3 : 0);
    s[2 * f] = s[2 * f + 1] = f == 300 ? 20000 : v;
  }
  return s;
}

RunChoices Choices(bool digitalZero, int keepMs, int fadeMs, int clicksMs, bool normalize) {
  RunChoices c;
  c.Begin.DigitalZero = digitalZero;
  c.Begin.Position = 960;  // -48 dBfs
  c.Begin.KeepMs = keepMs;
  c.Begin.FadeMs = fadeMs;
  c.IgnoreClicksMs = clicksMs;
  c.Normalize = normalize;
  c.NormalizePosition = 1430;
  return c;
}

TEST(PreviewPlanTest, FiguresEqualTheRunsRecord) {
  TempDir dir;
  const std::string take = dir.File("take.wav"), silent = dir.File("silent.wav"), tight = dir.File("tight.wav");
  WriteWav16(take, 2, Take(12000), 8000);
  WriteWav16(silent, 2, std::vector<int16_t>(2000, 0), 8000);
  WriteWav16(tight, 2, std::vector<int16_t>(2000, 500), 8000);
  // Cuts of 5 and 7 frames at 1 kHz; of 24 and 72 frames (half a millisecond and one and a
  // half: ties to even) at 48 kHz.
  const std::string milli = dir.File("milli.wav"), half = dir.File("half.wav");
  std::vector<int16_t> sound(1000, 1000);
  std::fill_n(sound.begin(), 5, 0), std::fill_n(sound.end() - 7, 7, 0);
  WriteWav16(milli, 1, sound, 1000);
  sound.assign(4800, 1000);
  std::fill_n(sound.begin(), 24, 0), std::fill_n(sound.end() - 72, 72, 0);
  WriteWav16(half, 1, sound, 48000);
  const struct {
    std::string File;
    RunChoices Options;
    bool ClicksMarked;
    const char* Clocks = nullptr;  // what the line says of the cut
  } cases[] = {
      {take, Choices(true, 0, 0, 0, false), false},
      {take, Choices(false, 0, 0, 0, true), false},
      {take, Choices(false, 20, 10, 0, true), false},
      {take, Choices(false, 15, 5, 5, false), true},
      {silent, Choices(false, 0, 0, 0, true), false},
      {tight, Choices(true, 0, 0, 0, false), false},
      {tight, Choices(false, 50, 50, 0, true), false},
      {milli, Choices(true, 0, 0, 0, false), false,
       "cut 0:00.005 at the beginning, 0:00.007 at the end; kept 0:00.988 of 0:01.000"},
      {half, Choices(true, 0, 0, 0, false), false,
       "cut 0:00.000 at the beginning, 0:00.002 at the end; kept 0:00.098 of 0:00.100"},
  };
  for (const auto& c : cases) {
    const ProcessSettings s = DescribeRun(c.Options).Settings;
    FakeFrontEnd fe;
    FileOutcome ran;
    Logfile record;
    record.peakdb_known = s.Normalize;
    ASSERT_EQ(ProcessOneFile(s, c.File, dir.File("out.wav"), fe, &ran, &record), FileResult::Done);
    const PreviewPlan plan = PlanPreview(c.File, s);
    SCOPED_TRACE(c.File + " keep " + std::to_string(s.KeepBeginMs) + " clicks " + std::to_string(s.IgnoreClicksMs));
    ASSERT_EQ(plan.Result, FileResult::Done);
    EXPECT_EQ(plan.Outcome.Silent, ran.Silent);
    EXPECT_EQ(plan.Outcome.OutputDue, ran.OutputDue);
    EXPECT_EQ(plan.Outcome.KeepFirst, ran.KeepFirst);
    EXPECT_EQ(plan.Outcome.KeepLast, ran.KeepLast);
    EXPECT_EQ(plan.Outcome.Gain, ran.Gain);
    EXPECT_EQ(plan.Figures.startsample, record.startsample);
    EXPECT_EQ(plan.Figures.endsample, record.endsample);
    EXPECT_EQ(plan.Figures.samples_out, record.samples_out);
    EXPECT_EQ(plan.Figures.peakdb, record.peakdb);
    EXPECT_EQ(plan.Figures.ampdb, record.ampdb);
    EXPECT_EQ(plan.Fades.Active(), s.FadeInMs > 0 && ran.OutputDue && ran.KeepFirst > 0);
    EXPECT_EQ(!plan.PassedClicks.empty(), c.ClicksMarked);
    if (c.Clocks) {
      EXPECT_NE(PreviewCutText(plan).find(c.Clocks), std::string::npos) << PreviewCutText(plan);
    }
    remove(dir.File("out.wav").c_str());
  }
}

TEST(PreviewPlanTest, AFileThatCannotBeReadKeepsItsKind) {
  TempDir dir;
  WriteFile(dir.File("short.wav"), Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
  for (const std::string& path : {dir.File("missing.wav"), dir.File("short.wav")}) {
    const PreviewPlan plan = PlanPreview(path, ProcessSettings{});
    FakeFrontEnd fe;
    FileOutcome ran;
    EXPECT_EQ(ProcessOneFile(ProcessSettings{}, path, dir.File("o.wav"), fe, &ran), FileResult::Failed);
    EXPECT_EQ(plan.Result, FileResult::Failed);
    EXPECT_EQ(plan.Outcome.Kind, ran.Kind) << path;
  }
}

}  // namespace
