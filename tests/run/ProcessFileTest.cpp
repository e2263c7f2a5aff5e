// One file end to end: scans, frame alignment, output decision, normalising, conversion, cancel.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/OneFileFixture.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;

namespace {

class ProcessFileTest : public OneFileTest {
 protected:
  FileResult Run(const std::string& in, const std::string& out, bool withLog = true) {
    return RunFile(S, in, out, withLog ? &Record : nullptr);
  }
};

std::vector<int16_t> Silence(size_t n) { return std::vector<int16_t>(n, 0); }

}  // namespace

// Stereo: the first loud sample is the right channel of frame 10, the last the left of frame 99.
TEST_F(ProcessFileTest, CutsAtWholeFrames) {
  std::vector<int16_t> s = Silence(2 * 150);
  s[2 * 10 + 1] = 1000;
  s[2 * 99] = -1000;
  s[2 * 50] = 77;
  WriteWav16(In(), 2, s);
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(Outcome.KeepFirst, 20);
  EXPECT_EQ(Outcome.KeepLast, 199);
  EXPECT_EQ(Record.startsample, 10u);
  EXPECT_EQ(Record.endsample, 99u);
  EXPECT_EQ(Record.samples_out, 90u);
  EXPECT_EQ(Record.samples_in, 150u);
  int32_t ch, bits, tag;
  std::vector<double> got;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, got));
  ASSERT_EQ(got.size(), 180u);
  EXPECT_EQ(got[0], 0.0);  // the left sample of frame 10 is kept
  EXPECT_EQ(got[1], 1000 / 32767.0);
  EXPECT_EQ(got[2 * 40], 77 / 32767.0);
  EXPECT_EQ(got[178], -1000 / 32767.0);
}

TEST_F(ProcessFileTest, SampleExactlyAtThresholdIsSilence) {
  S.ThresholdBegin = S.ThresholdEnd = 1000 / 32767.0;
  std::vector<int16_t> s = Silence(100);
  s[10] = 1000;  // at the threshold: silence
  s[20] = 1001;
  s[30] = -1001;
  s[40] = -1000;
  WriteWav16(In(), 1, s);
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(Outcome.KeepFirst, 20);
  EXPECT_EQ(Outcome.KeepLast, 30);
}

TEST_F(ProcessFileTest, SilentFilesGetNoOutputButAreDone) {
  WriteWav16(In(), 2, Silence(1000));
  S.CreateIfUnchanged = true;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_TRUE(Outcome.Silent);
  EXPECT_FALSE(std::filesystem::exists(Out()));
  EXPECT_EQ(Record.startsample, 0u);
  EXPECT_EQ(Record.endsample, 0u);
  EXPECT_EQ(Record.samples_out, 0u);  // nothing was written

  // Only the end searched, nothing above it: silent as well.
  S.RemoveBegin = false;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_TRUE(Outcome.Silent);
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

TEST_F(ProcessFileTest, UnchangedFileIsWrittenOnlyOnRequest) {
  std::vector<int16_t> s = {5, -5, 7, 9};
  WriteWav16(In(), 1, s);
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_FALSE(Outcome.Changed);
  EXPECT_FALSE(std::filesystem::exists(Out()));
  // The record shows the range found, but no frames written.
  EXPECT_EQ(Record.startsample, 0u);
  EXPECT_EQ(Record.endsample, 3u);
  EXPECT_EQ(Record.samples_out, 0u);

  S.CreateIfUnchanged = true;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(ReadFile(Out()), ReadFile(In()));
  EXPECT_EQ(Record.samples_out, 4u);
}

// Sound far apart across more than two blocks: the end scan walks back over block borders.
TEST_F(ProcessFileTest, ScansAcrossBlockBorders) {
  const size_t n = 2 * BlockValues + 12345;
  std::vector<int16_t> s = Silence(n);
  s[BlockValues + 3] = 300;           // in the second block
  s[BlockValues + 12345 - 1] = -300;  // in the overlap of the last two backward blocks
  WriteWav16(In(), 1, s);
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(Outcome.KeepFirst, BlockValues + 3);
  EXPECT_EQ(Outcome.KeepLast, BlockValues + 12345 - 1);
  int32_t ch, bits, tag;
  std::vector<double> got;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, got));
  EXPECT_EQ(got.size(), 12345u - 3u);
  EXPECT_EQ(got.front(), 300 / 32767.0);
  EXPECT_EQ(got.back(), -300 / 32767.0);
}

TEST_F(ProcessFileTest, KeepsTheTailWhenOnlyTheBeginningIsTrimmed) {
  const size_t n = BlockValues + 100;
  std::vector<int16_t> s(n, 1);
  for (size_t i = 0; i < 50; ++i) s[i] = 0;
  WriteWav16(In(), 1, s);
  S.RemoveEnd = false;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(Record.startsample, 50u);
  EXPECT_EQ(Record.endsample, n - 1);
  int32_t ch, bits, tag;
  std::vector<double> got;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, got));
  EXPECT_EQ(got.size(), n - 50);
}

TEST_F(ProcessFileTest, NormalisesThePeakAndLogsTheAppliedGain) {
  std::vector<int16_t> s = {0, 8192, -16384, 4096, 0};
  WriteWav16(In(), 1, s);
  S.Normalize = true;
  S.NormalizeTarget = SliderFactor(1440);
  S.NormalizeLevelDb = SliderToDb(1440);
  Record.peakdb_known = true;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(Outcome.Peak, -16384 / 32767.0);
  EXPECT_NEAR(Record.peakdb, -6.0206, 1e-3);
  EXPECT_NEAR(Record.ampdb, 6.0206, 1e-3);
  int32_t ch, bits, tag;
  std::vector<double> got;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, got));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[1], -1.0);
  EXPECT_NEAR(got[0], 0.5, 1e-4);
}

TEST_F(ProcessFileTest, FullScalePeakGivesUnitGainAndNoChange) {
  std::vector<int16_t> s = {32767, -32767, 100};
  WriteWav16(In(), 1, s);
  S.Normalize = true;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_EQ(Outcome.Gain, 1.0);
  EXPECT_FALSE(Outcome.Changed);
  EXPECT_EQ(Record.peakdb, 0.0);
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

TEST_F(ProcessFileTest, ConvertsTheBitDepth) {
  WriteWav16(In(), 2, {100, -100, 32767, -32768});
  S.BitsChoice = 5;  // 24 bit
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  int32_t ch, bits, tag;
  std::vector<double> got;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, got));
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(tag, 1);
  EXPECT_EQ(Record.bits_out, 24u);
  EXPECT_NEAR(got[2], 1.0, 1e-6);
  EXPECT_NEAR(got[3], -1.0, 1e-4);  // saturated at the 24-bit extreme, not wrapped
}

TEST_F(ProcessFileTest, BitDepthChoicesUnderTheThreeModes) {
  struct Case {
    int32_t choice;
    BitsModeKind mode;
    int32_t bits, tag;
    int32_t targetBits;
    bool changed;
    bool extensible = false;  // the same samples under the extensible tag
  };
  const Case cases[] = {
      {0, BitsModeKind::All, 16, 1, -1, false},
      {1, BitsModeKind::Up, 16, 1, 8, true},     // 8 bit ignores the mode
      {8, BitsModeKind::Down, 16, 1, 64, true},  // 64 float ignores the mode
      {3, BitsModeKind::Up, 16, 1, -1, false},   // already 16
      {5, BitsModeKind::Up, 16, 1, 24, true},
      {3, BitsModeKind::Down, 24, 1, 16, true},
      {2, BitsModeKind::Down, 8, 1, -1, false},
      {6, BitsModeKind::Down, 32, 3, 32, true},  // 32 float down to 32 integer
      {6, BitsModeKind::Down, 24, 1, -1, false},
      {6, BitsModeKind::Up, 24, 1, 32, true},
      {7, BitsModeKind::Down, 32, 3, 32, false},  // target equals the input
      {7, BitsModeKind::Up, 32, 1, 32, true},     // any integer input goes up to float
      {7, BitsModeKind::Up, 64, 3, -1, false},
      {4, BitsModeKind::All, 20, 1, 20, false},
      {6, BitsModeKind::Down, 32, 3, 32, true, true},
      {7, BitsModeKind::Up, 24, 1, 32, true, true},
      {7, BitsModeKind::Down, 24, 1, -1, false, true},
  };
  for (const Case& c : cases) {
    ProcessSettings s;
    s.BitsChoice = c.choice;
    s.BitsMode = c.mode;
    FileOutcome o;
    DecideTarget(s, c.bits, c.extensible ? 0xFFFE - 0x10000 : c.tag, c.tag == 3, o);
    EXPECT_EQ(o.TargetBits, c.targetBits)
        << "choice " << c.choice << " mode " << static_cast<int>(c.mode) << " bits " << c.bits;
    EXPECT_EQ(o.Changed, c.changed) << "choice " << c.choice << " mode " << static_cast<int>(c.mode) << " bits "
                                    << c.bits;
  }
}

TEST_F(ProcessFileTest, SimulationWritesNothingButFillsTheRecord) {
  std::vector<int16_t> s = Silence(40);
  s[10] = 5;
  WriteWav16(In(), 1, s);
  S.Simulation = true;
  ASSERT_EQ(Run(In(), Out()), FileResult::Done);
  EXPECT_FALSE(std::filesystem::exists(Out()));
  EXPECT_EQ(Record.startsample, 10u);
  EXPECT_EQ(Record.endsample, 10u);
  EXPECT_EQ(Record.samples_out, 1u);
}

TEST_F(ProcessFileTest, CancelDuringTheWriteLeavesAReadableShorterFile) {
  const size_t n = 3 * BlockValues;
  std::vector<int16_t> s(n, 1000);
  s[0] = 0;
  WriteWav16(In(), 1, s);
  // Pumps: beginning 1, end 1, then the write; cancel before its second block.
  Fe.CancelAtPump = 4;
  // Releasing the object on return finishes the output.
  ASSERT_EQ(ProcessOneFile(S, In(), Out(), Fe), FileResult::Cancelled);
  int32_t ch, bits, tag;
  std::vector<double> got;
  ASSERT_TRUE(ReadWav(Out(), ch, bits, tag, got));
  EXPECT_EQ(got.size(), static_cast<size_t>(BlockValues));
  EXPECT_EQ(ReadFile(Out()).size(), 44u + 2u * BlockValues);
}

TEST_F(ProcessFileTest, BrokenOrEmptyInputsFail) {
  WriteFile(In(), Bytes{'R', 'I', 'F', 'F'});
  EXPECT_EQ(Run(In(), Out()), FileResult::Failed);
  EXPECT_EQ(Outcome.Kind, FailureKind::NotWave);
  // A data chunk whose bytes are missing from the file holds no samples.
  WriteFile(In(), WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 100, {}).Build());
  EXPECT_EQ(Run(In(), Out()), FileResult::Failed);
  EXPECT_EQ(Outcome.Kind, FailureKind::Malformed);
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

// Another run sharing the output folder may remove it as empty after this file's placement (a
// shard whose files there failed): the write makes its last level again, and nothing above it.
TEST_F(ProcessFileTest, AnOutputFolderRemovedSinceThePlacementIsMadeAgainItsLastLevelOnly) {
  WriteWav16(In(), 1, {0, 100, -100, 0});
  EXPECT_EQ(Run(In(), Dir.File("gone/out.wav")), FileResult::Done);
  EXPECT_TRUE(std::filesystem::exists(Dir.File("gone/out.wav")));
  EXPECT_EQ(Run(In(), Dir.File("no/such/out.wav")), FileResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("no")));
}
