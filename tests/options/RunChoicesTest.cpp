// The user's choices to the run's settings and its log header: a linked end does what the
// beginning does, in the settings and in the header alike; every option the header states
// stands in its place; and the rules that join the options refuse what would be dropped.
#include "options/RunChoices.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "options/OptionTable.h"

namespace {

using tacetix::RunChoices;
using tacetix::RunDescription;
using Lines = std::vector<std::string>;

// What the run does at the end, and what the header says of the ends.
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

const Lines BeginApart = {"remove silence at beginning: Yes", "Threshold beginning: -60.0 dBfs",
                          "Keep silence at beginning: 120 ms", "Fade in: 15 ms"};

bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(RunChoicesTest, ALinkedEndFollowsTheBeginningInSettingsAndHeader) {
  struct Case {
    const char* Name;
    std::function<void(RunChoices&)> Choose;
    EndOutcome End;
    Lines Ends;  // the header's lines of both ends, before "normalize: "
    std::function<bool(const RunDescription&)> Holds = [](const RunDescription&) { return true; };
  };
  const Lines linkedEnd = {"remove silence at end: Yes", "Threshold end: -60.0 dBfs", "Keep silence at end: 120 ms",
                           "Fade out: 15 ms"};
  auto join = [](Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const Case cases[] = {
      {"defaults",
       [](RunChoices& c) { c = RunChoices(); },
       {true, true, 480, 0, 0},
       {"remove silence at beginning: Yes", "Threshold beginning: -inf", "remove silence at end: Yes",
        "Threshold end: -inf"}},
      {"linked", [](RunChoices&) {}, {true, false, 840, 120, 15}, join(BeginApart, linkedEnd)},
      {"unlinked",
       [](RunChoices& c) { c.Linked = false; },
       {false, true, 1000, 300, 40},
       join(BeginApart, {"remove silence at end: No"})},
      {"linked, beginning kept",
       [](RunChoices& c) { c.Begin.Remove = false; },
       {false, false, 840, 120, 15},
       {"remove silence at beginning: No", "remove silence at end: No"}},
      {"unlinked, end at a level",
       [](RunChoices& c) {
         c.Linked = false;
         c.End.Remove = true;
         c.End.DigitalZero = false;
       },
       {true, false, 1000, 300, 40},
       join(BeginApart, {"remove silence at end: Yes", "Threshold end: -44.0 dBfs", "Keep silence at end: 300 ms",
                         "Fade out: 40 ms"})},
      {"other folder",
       [](RunChoices& c) {
         c.FolderMode = tacetix::FolderKind::OtherFolder;
         c.SubfolderText = "sub";
         c.OtherFolderText = "/o";
       },
       {true, false, 840, 120, 15},
       join(BeginApart, linkedEnd),
       [](const RunDescription& r) {
         return r.Settings.FolderMode == tacetix::FolderKind::OtherFolder && r.Settings.FolderText == "/o" &&
                Has(r.Header.Output, "Output folder: \"/o\"");
       }},
      {"subfolder",
       [](RunChoices& c) {
         c.SubfolderText = "sub";
         c.OtherFolderText = "/o";
       },
       {true, false, 840, 120, 15},
       join(BeginApart, linkedEnd),
       [](const RunDescription& r) {
         return r.Settings.FolderMode == tacetix::FolderKind::Subfolder && r.Settings.FolderText == "sub" &&
                Has(r.Header.Output, "Output folder: subfolder \"sub\"");
       }},
      {"loudness, a ceiling below the range, shaped dither",
       [](RunChoices& c) {
         c.Normalize = c.NormalizeLoudness = true;
         c.LoudnessTenths = -231;
         c.TruePeakTenths = -95;
         c.Dither = tacetix::DitherKind::Shaped;
       },
       {true, false, 840, 120, 15},
       join(BeginApart, linkedEnd),
       [](const RunDescription& r) {
         return r.Settings.NormalizeLoudness && r.Settings.LoudnessTarget == -23.1 &&
                r.Settings.TruePeakCeiling == -9.0 && r.Settings.Dither == tacetix::DitherKind::Shaped &&
                r.Header.Processing.back() == "Normalize to: -23.1 LUFS (true peak -9.0 dBTP)" &&
                Has(r.Header.Output, "Dither: shaped");
       }},
      {"values outside their rows: the first value, or the nearest end of the range",
       [](RunChoices& c) {
         c.IgnoreClicksMs = 1001;
         c.Dither = static_cast<tacetix::DitherKind>(3);
         c.BitsChoice = 9;
         c.BitsMode = static_cast<tacetix::BitsModeKind>(-1);
       },
       {true, false, 840, 120, 15},
       join(BeginApart, join(linkedEnd, {"Ignore clicks shorter than: 1000 ms"})),
       [](const RunDescription& r) {
         return r.Settings.IgnoreClicksMs == 1000 && r.Settings.Dither == tacetix::DitherKind::None &&
                r.Settings.BitsChoice == 0 && r.Settings.BitsMode == tacetix::BitsModeKind::All &&
                Has(r.Header.Output, "Bit depth: same as input");
       }},
      {"loudness chosen, normalising off",
       [](RunChoices& c) { c.NormalizeLoudness = true; },
       {true, false, 840, 120, 15},
       join(BeginApart, linkedEnd),
       [](const RunDescription& r) {
         return !r.Settings.NormalizeLoudness && r.Header.Processing.back() == "normalize: No" &&
                r.Header.Output.at(1) == "Prefix: none";
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RunChoices choices = Apart();
    c.Choose(choices);
    const RunDescription run = tacetix::DescribeRun(choices);
    const tacetix::ProcessSettings& s = run.Settings;
    const EndOutcome& end = c.End;
    EXPECT_EQ(s.RemoveEnd, end.Remove);
    EXPECT_EQ(s.ThresholdEnd, end.DigitalZero ? 0.0 : tacetix::SliderFactor(end.Position));
    EXPECT_EQ(std::vector<int32_t>({s.KeepEndMs, s.FadeOutMs}), std::vector<int32_t>({end.KeepMs, end.FadeMs}));
    // The end's choices never reach the beginning.
    EXPECT_EQ(s.RemoveBegin, choices.Begin.Remove);
    EXPECT_EQ(s.ThresholdBegin, choices.Begin.DigitalZero ? 0.0 : tacetix::SliderFactor(choices.Begin.Position));
    EXPECT_EQ(std::vector<int32_t>({s.KeepBeginMs, s.FadeInMs}),
              std::vector<int32_t>({choices.Begin.KeepMs, choices.Begin.FadeMs}));
    const Lines& p = run.Header.Processing;
    const auto normalize = std::find(p.begin(), p.end(), "normalize: " + std::string(s.Normalize ? "Yes" : "No"));
    EXPECT_EQ(Lines(p.begin(), normalize), c.Ends);
    EXPECT_TRUE(c.Holds(run));
  }
}

// Each option the header states, in its section and place, and only where it says something.
TEST(RunChoicesTest, TheHeaderStatesEachOptionInItsPlace) {
  struct Case {
    const char* Name;
    std::function<void(RunChoices&)> Choose;
    Lines Processing;
    Lines Output;
  };
  const Lines defaultEnds = {"remove silence at beginning: Yes", "Threshold beginning: -inf",
                             "remove silence at end: Yes", "Threshold end: -inf"};
  const Lines defaultOutput = {"Bit depth: same as input",
                               "Prefix: none",
                               "Suffix: \"_new\"",
                               "Output folder: subfolder \"\"",
                               "Create files even if nothing changed: No",
                               "Overwrite existing files: No",
                               "Stop on error: Yes"};
  auto every = [](tacetix::BitsModeKind mode) {
    return [mode](RunChoices& c) {
      c.Begin = {true, false, 840, 0, 0};
      c.Linked = c.End.Remove = false;
      c.Normalize = true;
      c.NormalizePosition = 1439;
      c.BitsChoice = 5;
      c.BitsMode = mode;
      c.Prefix = "a\"b";
      c.Suffix = "";
      c.FolderMode = tacetix::FolderKind::OtherFolder;
      c.OtherFolderText = "/tmp/out";
      c.CreateIfUnchanged = c.Overwrite = true;
      c.StopOnError = false;
    };
  };
  auto everyOutput = [](const char* mode) {
    return Lines{std::string("Bit depth: 24 bit signed integer, ") + mode,
                 "Prefix: \"a\"b\"",
                 "Suffix: none",
                 "Output folder: \"/tmp/out\"",
                 "Create files even if nothing changed: Yes",
                 "Overwrite existing files: Yes",
                 "Stop on error: No"};
  };
  const Lines everyProcessing = {"remove silence at beginning: Yes", "Threshold beginning: -60.0 dBfs",
                                 "remove silence at end: No", "normalize: Yes", "normalize to: -0.1 dBfs"};
  auto cuts = [](bool removeBegin, bool removeEnd, EndOutcome begin, EndOutcome end, int32_t ignore) {
    return [=](RunChoices& c) {
      c.Linked = false;
      c.Begin = {removeBegin, true, 480, begin.KeepMs, begin.FadeMs};
      c.End = {removeEnd, true, 480, end.KeepMs, end.FadeMs};
      c.IgnoreClicksMs = ignore;
    };
  };
  // clang-format off
  const Case cases[] = {
      {"defaults", [](RunChoices&) {}, {defaultEnds[0], defaultEnds[1], defaultEnds[2], defaultEnds[3], "normalize: No"},
       defaultOutput},
      {"every option, convert all", every(tacetix::BitsModeKind::All), everyProcessing, everyOutput("convert all")},
      {"every option, only up", every(tacetix::BitsModeKind::Up), everyProcessing, everyOutput("only up")},
      {"every option, only down", every(tacetix::BitsModeKind::Down), everyProcessing, everyOutput("only down")},
      {"every natural cut", cuts(true, true, {0, 0, 0, 250, 10}, {0, 0, 0, 500, 20}, 5),
       {"remove silence at beginning: Yes", "Threshold beginning: -inf", "Keep silence at beginning: 250 ms",
        "Fade in: 10 ms", "remove silence at end: Yes", "Threshold end: -inf", "Keep silence at end: 500 ms",
        "Fade out: 20 ms", "Ignore clicks shorter than: 5 ms", "normalize: No"}, defaultOutput},
      {"the end's fade alone", cuts(true, true, {}, {0, 0, 0, 0, 7}, 0),
       {defaultEnds[0], defaultEnds[1], defaultEnds[2], defaultEnds[3], "Fade out: 7 ms", "normalize: No"}, defaultOutput},
      {"an end kept whole says nothing of its padding", cuts(false, true, {0, 0, 0, 250, 10}, {}, 1000),
       {"remove silence at beginning: No", "remove silence at end: Yes", "Threshold end: -inf",
        "Ignore clicks shorter than: 1000 ms", "normalize: No"}, defaultOutput},
      {"nothing cut: no click line", cuts(false, false, {}, {}, 5),
       {"remove silence at beginning: No", "remove silence at end: No", "normalize: No"}, defaultOutput},
      // A folder may hold the quote, which the prefix and the suffix cannot: doubled, as in the records.
      {"a folder's quote doubled",
       [](RunChoices& c) {
         c.FolderMode = tacetix::FolderKind::OtherFolder;
         c.OtherFolderText = "/tmp/say \"hi\"";
       },
       {defaultEnds[0], defaultEnds[1], defaultEnds[2], defaultEnds[3], "normalize: No"},
       {"Bit depth: same as input", "Prefix: none", "Suffix: \"_new\"", "Output folder: \"/tmp/say \"\"hi\"\"\"",
        "Create files even if nothing changed: No", "Overwrite existing files: No", "Stop on error: Yes"}},
      {"dither and metadata",
       [](RunChoices& c) {
         c.Dither = tacetix::DitherKind::Triangular;
         c.KeepMetadata = true;
       },
       {defaultEnds[0], defaultEnds[1], defaultEnds[2], defaultEnds[3], "normalize: No"},
       {"Bit depth: same as input", "Dither: triangular", "Prefix: none", "Suffix: \"_new\"",
        "Output folder: subfolder \"\"", "Create files even if nothing changed: No", "Overwrite existing files: No",
        "Stop on error: Yes", "Keep metadata: Yes"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RunChoices choices;
    choices.Suffix = "_new";
    c.Choose(choices);
    const tacetix::LogHeaderSnapshot header = tacetix::DescribeRun(choices).Header;
    EXPECT_EQ(header.Processing, c.Processing);
    EXPECT_EQ(header.Output, c.Output);
  }
}

// A value the user named that the joined options would drop, or two that contradict, is refused
// by naming the option at fault; the window's controls name nothing and are never refused.
TEST(RunChoicesTest, RulesThatJoinOptionsNameTheOptionAtFault) {
  struct Case {
    std::vector<const char*> Given;
    bool Linked;
    const char* Refused;  // the option the refusal begins with; "" accepted
  };
  const Case cases[] = {
      {{}, true, ""},
      {{"loudness", "normalize"}, true, "--loudness"},
      {{"normalize", "loudness"}, true, "--loudness"},
      {{"true-peak"}, true, "--true-peak"},
      {{"true-peak", "loudness"}, true, ""},
      {{"keep-end"}, true, "--keep-end"},
      {{"keep-end", "fade-out"}, true, "--fade-out"},
      {{"fade-out", "keep-end"}, false, ""},
      {{"keep", "fade", "keep-begin", "fade-in"}, true, ""},
  };
  for (const Case& c : cases) {
    std::vector<const tacetix::OptionRow*> given;
    for (const char* name : c.Given) given.push_back(tacetix::FindOption(name));
    SCOPED_TRACE(c.Given.empty() ? "none" : c.Given.back());
    RunChoices choices;
    choices.Linked = c.Linked;
    const std::string refusal = tacetix::DescribeRun(choices, given).Refusal;
    if (*c.Refused == 0) EXPECT_EQ(refusal, "");
    else EXPECT_EQ(refusal.rfind(c.Refused, 0), 0u) << refusal;
  }
}

}  // namespace
