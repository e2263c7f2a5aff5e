// The user's choices to the run's settings and its log header: a linked end does what the
// beginning does, in the settings and in the header alike. The front ends' own tests check
// that the other choices pass through.
#include "options/RunChoices.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using tacetix::RunChoices;
using tacetix::RunDescription;

// What the run does at the end, and what the header says of it.
struct EndOutcome {
  bool Remove;
  bool DigitalZero;
  int32_t Position;
  int32_t KeepMs;
  int32_t FadeMs;
};

// The beginning at -60 dBfs keeping 120 ms and fading 15; the end's own choices differ in all.
RunChoices Apart() {
  RunChoices c;
  c.Begin = {true, false, 840, 120, 15};
  c.End = {false, true, 1000, 300, 40};
  return c;
}

TEST(RunChoicesTest, ALinkedEndFollowsTheBeginningInSettingsAndHeader) {
  struct Case {
    const char* Name;
    std::function<void(RunChoices&)> Choose;
    EndOutcome End;
    std::function<bool(const RunDescription&)> Holds = [](const RunDescription&) { return true; };
  };
  const Case cases[] = {
      {"defaults", [](RunChoices& c) { c = RunChoices(); }, {true, true, 480, 0, 0}},
      {"linked", [](RunChoices&) {}, {true, false, 840, 120, 15}},
      {"unlinked", [](RunChoices& c) { c.Linked = false; }, {false, true, 1000, 300, 40}},
      {"linked, beginning kept", [](RunChoices& c) { c.Begin.Remove = false; }, {false, false, 840, 120, 15}},
      {"unlinked, end at a level",
       [](RunChoices& c) {
         c.Linked = false;
         c.End.Remove = true;
         c.End.DigitalZero = false;
       },
       {true, false, 1000, 300, 40}},
      {"other folder",
       [](RunChoices& c) {
         c.FolderSubfolder = false;
         c.SubfolderText = "sub";
         c.OtherFolderText = "/o";
       },
       {true, false, 840, 120, 15},
       [](const RunDescription& r) {
         return r.Settings.FolderMode == 2 && r.Settings.FolderText == "/o" && !r.Header.FolderSubfolder &&
                r.Header.SubfolderText == "sub" && r.Header.OtherFolderText == "/o";
       }},
      {"subfolder",
       [](RunChoices& c) {
         c.SubfolderText = "sub";
         c.OtherFolderText = "/o";
       },
       {true, false, 840, 120, 15},
       [](const RunDescription& r) { return r.Settings.FolderMode == 1 && r.Settings.FolderText == "sub"; }},
      {"loudness, a ceiling below the range, shaped dither",
       [](RunChoices& c) {
         c.Normalize = c.NormalizeLoudness = true;
         c.LoudnessTenths = -231;
         c.TruePeakTenths = -95;
         c.Dither = tacetix::ShapedDither;
       },
       {true, false, 840, 120, 15},
       [](const RunDescription& r) {
         return r.Settings.NormalizeLoudness && r.Settings.LoudnessTarget == -23.1 &&
                r.Settings.TruePeakCeiling == -9.0 && r.Settings.Dither == tacetix::ShapedDither &&
                r.Header.NormalizeLoudnessText == "-23.1 LUFS (true peak -9.0 dBTP)" && r.Header.DitherText == "shaped";
       }},
      {"loudness chosen, normalising off",
       [](RunChoices& c) { c.NormalizeLoudness = true; },
       {true, false, 840, 120, 15},
       [](const RunDescription& r) {
         return !r.Settings.NormalizeLoudness && r.Header.NormalizeLoudnessText.empty() && r.Header.DitherText.empty();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RunChoices choices = Apart();
    c.Choose(choices);
    const RunDescription run = tacetix::DescribeRun(choices);
    const tacetix::ProcessSettings& s = run.Settings;
    const tacetix::LogHeaderSnapshot& h = run.Header;
    const EndOutcome& end = c.End;
    EXPECT_EQ(s.RemoveEnd, end.Remove);
    EXPECT_EQ(s.ThresholdEnd, end.DigitalZero ? 0.0 : tacetix::SliderFactor(end.Position));
    EXPECT_EQ(std::vector<int32_t>({s.KeepEndMs, s.FadeOutMs, h.KeepEndMs, h.FadeOutMs}),
              std::vector<int32_t>({end.KeepMs, end.FadeMs, end.KeepMs, end.FadeMs}));
    EXPECT_EQ(h.RemoveEnd, end.Remove);
    EXPECT_EQ(h.DigitalZeroEnd, end.DigitalZero);
    EXPECT_EQ(h.ThresholdEndText, tacetix::SliderText(end.Position));
    // The end's choices never reach the beginning.
    EXPECT_EQ(s.RemoveBegin, choices.Begin.Remove);
    EXPECT_EQ(s.ThresholdBegin, choices.Begin.DigitalZero ? 0.0 : tacetix::SliderFactor(choices.Begin.Position));
    EXPECT_EQ(h.ThresholdBeginText, tacetix::SliderText(choices.Begin.Position));
    EXPECT_EQ(
        std::vector<int32_t>({s.KeepBeginMs, s.FadeInMs, h.KeepBeginMs, h.FadeInMs}),
        std::vector<int32_t>({choices.Begin.KeepMs, choices.Begin.FadeMs, choices.Begin.KeepMs, choices.Begin.FadeMs}));
    EXPECT_TRUE(c.Holds(run));
  }
}

}  // namespace
