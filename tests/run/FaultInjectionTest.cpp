// The run when its files change under it or it is cancelled at any moment: status words,
// counts and summary agree, sources stay as they were, and every output left is readable.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "run/ProcessFile.h"
#include "support/ChildLimit.h"
#include "support/OneFileFixture.h"
#include "support/TestSupport.h"
#include "support/WaveClass.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class FaultInjectionTest : public ::testing::Test {
 protected:
  TempDir Dir;
  RunRequest Req;
  std::map<std::string, Bytes> Sources;

  void SetUp() override {
    Req.Settings.FolderText = "out";
    Req.Settings.StopOnError = false;
  }
  // Stereo, silent at both ends, so every file has a head and a tail to cut.
  void Good(const std::string& name, size_t frames = 300) {
    std::vector<int16_t> s(frames * 2, 0);
    for (size_t i = 20; i < s.size() - 20; ++i) s[i] = static_cast<int16_t>(i % 2 ? 700 : -900);
    WriteWav16(Dir.File(name), 2, s);
    Req.Files.push_back(Dir.File(name));
    Sources[Dir.File(name)] = ReadFile(Dir.File(name));
  }
  // What adding a file does: the header is read and accepted.
  void ExpectAddable(const std::string& path) {
    PCMFile f;
    WaveInfo info{};
    ASSERT_EQ(f.OpenInput(path, false), 0) << path;
    ASSERT_EQ(f.GetInfo(info), 0) << path;
  }
  void ExpectSourcesUnchanged() {
    for (const auto& [path, bytes] : Sources) EXPECT_EQ(ReadFile(path), bytes) << path << " changed";
  }
  // Our reader, a header whose sizes agree with the file, and sox, which reads every sample.
  static void ExpectReadable(const std::string& path) {
    const Bytes b = ReadFile(path);
    ASSERT_GE(b.size(), 44u) << path;
    EXPECT_EQ(Le32At(b, 4) + 8u, b.size()) << path;
    EXPECT_EQ(44u + Le32At(b, 40) + (Le32At(b, 40) & 1u), b.size()) << path;
    int32_t channels = 0, bits = 0, tag = 0;
    std::vector<double> samples;
    EXPECT_TRUE(Le32At(b, 40) == 0 || ReadWav(path, channels, bits, tag, samples)) << path;
    if (HaveProgram("sox")) {
      EXPECT_EQ(RunCommand("sox -V1 " + ShellQuote(path) + " -n 2>&1"), 0) << path;
    }
  }
  std::string OutputOf(const std::string& name) { return Dir.File("out/" + fs::path(name).stem().string() + ".wav"); }
};

}  // namespace

TEST_F(FaultInjectionTest, SourcesThatChangeBetweenAddingAndTheRun) {
  for (const char* n : {"gone.wav", "cut.wav", "folder.wav", "fine.wav"}) Good(n);
  for (const std::string& f : Req.Files) ExpectAddable(f);
  fs::remove(Dir.File("gone.wav"));
  fs::resize_file(Dir.File("cut.wav"), 10);
  fs::remove(Dir.File("folder.wav"));
  fs::create_directory(Dir.File("folder.wav"));
  Sources = {{Dir.File("fine.wav"), Sources[Dir.File("fine.wav")]}};

  FakeFrontEnd fe;
  const RunResult r = RunBatch(Req, fe);
  EXPECT_EQ(r.Summary, "1 file processed ok, 3 with errors");
  EXPECT_EQ(fe.Statuses.back(), r.Summary);
  for (int32_t row : {0, 1, 2}) EXPECT_EQ(fe.Final(row), RowStatus::IoError) << row;
  EXPECT_EQ(fe.Final(3), RowStatus::Done);
  for (const char* n : {"gone.wav", "cut.wav", "folder.wav"}) EXPECT_FALSE(fs::exists(OutputOf(n))) << n;
  ExpectReadable(OutputOf("fine.wav"));
  EXPECT_EQ(fs::file_size(Dir.File("cut.wav")), 10u);
  EXPECT_TRUE(fs::is_directory(Dir.File("folder.wav")));
  ExpectSourcesUnchanged();

  // With stop on error the first of them ends the run and the rest keep "-".
  fs::remove_all(Dir.File("out"));
  Req.Settings.StopOnError = true;
  FakeFrontEnd stopping;
  EXPECT_EQ(RunBatch(Req, stopping).Summary, "0 files processed ok, 1 with errors");
  EXPECT_EQ(stopping.Final(0), RowStatus::IoError);
  EXPECT_EQ(stopping.Final(3), RowStatus::NotStarted);
}

TEST_F(FaultInjectionTest, OutputNamedLikeAnotherSourceLeavesThatSourceAlone) {
  Good("a.wav");
  Good("a_t.wav");
  Req.Settings.FolderText = "";  // into the source folder itself
  Req.Settings.Suffix = "_t";
  Req.Settings.Overwrite = true;
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "a_t.wav first" : "a.wav first");
    if (reversed) std::swap(Req.Files[0], Req.Files[1]);
    fs::remove(Dir.File("a_t_t.wav"));
    FakeFrontEnd fe;
    const RunResult r = RunBatch(Req, fe);
    EXPECT_EQ(r.Summary, "1 file processed ok, 1 with errors");
    EXPECT_EQ(fe.Final(reversed ? 1 : 0), RowStatus::SameAsInput);
    EXPECT_EQ(fe.Final(reversed ? 0 : 1), RowStatus::Done);
    ExpectReadable(Dir.File("a_t_t.wav"));
    ExpectSourcesUnchanged();
  }
}

// Runs three files with a cancel requested from every pump in turn (before each row and
// before each block read) and checks that what the run reports is what it left on disk.
class CancelEverywhere : public FaultInjectionTest, public ::testing::WithParamInterface<int> {
 protected:
  void Configure() {
    // 0: trim both ends; 1: also normalise and convert, keeping the tail (an extra pump at the end).
    if (GetParam() == 1) {
      Req.Settings.Normalize = true;
      Req.Settings.NormalizeTarget = 0.5;
      Req.Settings.BitsChoice = 5;
      Req.Settings.RemoveEnd = false;
    }
    Req.Settings.LogEnabled = true;
    Req.LogName = Dir.File("run.log");
    Req.Log.ProcInfOnly = true;
  }
  void CheckCancelledRun(int cancelAt, int32_t rows);
};

void CancelEverywhere::CheckCancelledRun(int cancelAt, int32_t rows) {
  SCOPED_TRACE("cancel at pump " + std::to_string(cancelAt));
  fs::remove_all(Dir.File("out"));
  FakeFrontEnd fe;
  fe.CancelAtPump = cancelAt;
  const RunResult r = RunBatch(Req, fe);
  ASSERT_TRUE(r.Cancelled);
  EXPECT_EQ(fe.Pumps, cancelAt) << "the run went on after the cancel";
  int32_t done = 0, cancelled = 0, untouched = 0;
  for (int32_t row = 0; row < rows; ++row) {
    const RowStatus word = fe.Final(row);
    const std::string output = OutputOf(Req.Files[static_cast<size_t>(row)]);
    if (word == RowStatus::Done) {
      EXPECT_EQ(untouched + cancelled, 0) << "a done row after the cancel";
      ++done;
      ExpectReadable(output);
    } else if (word == RowStatus::Cancelled) {
      ++cancelled;
      if (fs::exists(output)) ExpectReadable(output);
    } else {
      EXPECT_EQ(word, RowStatus::NotStarted);
      ++untouched;
      EXPECT_FALSE(fs::exists(output)) << row;
    }
  }
  EXPECT_LE(cancelled, 1);
  EXPECT_EQ(r.OkCount, done);
  EXPECT_EQ(r.ErrorCount, cancelled);
  EXPECT_EQ(r.Summary, SummaryText(done, cancelled, true));
  EXPECT_EQ(fe.Statuses.back(), r.Summary);
  // The log holds one record per done file and ends with the same summary.
  const std::string log = ReadText(Dir.File("run.log"));
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1 + done);
  ExpectSourcesUnchanged();
}

TEST_P(CancelEverywhere, EveryCheckPointLeavesAConsistentRun) {
  for (const char* n : {"1.wav", "2.wav", "3.wav"}) Good(n);
  Configure();
  FakeFrontEnd whole;
  const RunResult full = RunBatch(Req, whole);
  ASSERT_EQ(full.Summary, "3 files processed ok");
  const int pumps = whole.Pumps;
  // A row pump and at least one block read in every scan and in the write, per file.
  EXPECT_GE(pumps, GetParam() == 1 ? 15 : 12);
  for (int cancelAt = 1; cancelAt <= pumps; ++cancelAt) CheckCancelledRun(cancelAt, 3);
}

INSTANTIATE_TEST_SUITE_P(Settings, CancelEverywhere, ::testing::Values(0, 1));

// All data written, but the pad byte cannot be: the file is an error, never "done".
TEST_F(FaultInjectionTest, FinishThatFailsMakesTheFileAnError) {
  std::vector<int16_t> s(101, 0);
  s[50] = 300;  // one mono 16-bit sample kept, written as 8 bits: one data byte, then the pad
  WriteWav16(Dir.File("a.wav"), 1, s);
  const std::string out = Dir.File("a_t.wav");
  const int code = InChildWithFileLimit(45, [&] {
    ProcessSettings settings;
    settings.BitsChoice = 1;
    FakeFrontEnd fe;
    return static_cast<int>(ProcessOneFile(settings, Dir.File("a.wav"), out, fe));
  });
  EXPECT_EQ(code, static_cast<int>(FileResult::Failed));
  EXPECT_EQ(ReadFile(out).size(), 45u);
}
