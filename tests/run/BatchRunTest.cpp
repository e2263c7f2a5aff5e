// The run over a list with a fake front end: statuses, counts, summaries, cancel, simulation, log.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "support/FakeFrontEnd.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class BatchRunTest : public ::testing::Test {
 protected:
  TempDir Dir;
  FakeFrontEnd Fe;
  RunRequest Req;

  void SetUp() override { Req.Settings.FolderText = "out"; }
  // A mono file with a silent head, so it always has something to trim.
  std::string Good(const std::string& name, size_t samples = 100) {
    std::vector<int16_t> s(samples, 500);
    s[0] = 0;
    WriteWav16(Dir.File(name), 1, s);
    Req.Files.push_back(Dir.File(name));
    return Dir.File(name);
  }
  std::string Bad(const std::string& name) {
    WriteFile(Dir.File(name), Bytes{'n', 'o', 'p', 'e'});
    Req.Files.push_back(Dir.File(name));
    return Dir.File(name);
  }
  RunResult Run() { return RunBatch(Req, Fe); }
};

}  // namespace

// Scripts match these words in the terminal's lines and the report: each status keeps its own.
TEST(RowStatusWords, EveryStatusKeepsTheWordUsersKnow) {
  const std::pair<RowStatus, const char*> words[] = {
      {RowStatus::NotStarted, "-"},
      {RowStatus::Processing, "processing"},
      {RowStatus::Done, "done"},
      {RowStatus::IoError, "I/O error"},
      {RowStatus::Cancelled, "cancelled"},
      {RowStatus::FolderRefused, "error creating output folder"},
      {RowStatus::ExistsRefused, "output file already exists"},
      {RowStatus::SameAsInput, "output file is input file"},
      {RowStatus::InternalError, "Internal error 3"},
  };
  for (const auto& [status, word] : words) EXPECT_EQ(StatusWord(status), word);
}

TEST_F(BatchRunTest, OneFileDone) {
  Good("a.wav");
  RunResult r = Run();
  EXPECT_EQ(r.Summary, "1 file processed ok");
  EXPECT_EQ(Fe.Statuses.back(), "1 file processed ok");
  EXPECT_EQ(Fe.RowStatuses[0], (std::vector<RowStatus>{RowStatus::Processing, RowStatus::Done}));
  EXPECT_EQ(Fe.Statuses.front(), "Processing \"" + Dir.File("a.wav") + "\"");
  EXPECT_TRUE(fs::exists(Dir.File("out/a.wav")));
  EXPECT_EQ(Fe.BusyBegins, 1);
  EXPECT_EQ(Fe.BusyEnds, 1);
}

TEST_F(BatchRunTest, StopOnErrorStopsAfterTheFirstFailure) {
  Good("a.wav");
  Bad("b.wav");
  Good("c.wav");
  RunResult r = Run();
  EXPECT_EQ(r.Summary, "1 file processed ok, 1 with errors");
  EXPECT_EQ(Fe.Final(1), RowStatus::IoError);
  EXPECT_EQ(Fe.Final(2), RowStatus::NotStarted);
  EXPECT_FALSE(fs::exists(Dir.File("out/c.wav")));
}

TEST_F(BatchRunTest, KeepGoingMarksFailuresWhenTheNextRowStarts) {
  Bad("a.wav");
  Good("b.wav");
  Bad("c.wav");
  Req.Settings.StopOnError = false;
  RunResult r = Run();
  EXPECT_EQ(r.Summary, "1 file processed ok, 2 with errors");
  // The failed row shows "processing" until the next row starts.
  EXPECT_EQ(Fe.RowStatuses[0], (std::vector<RowStatus>{RowStatus::Processing, RowStatus::IoError}));
  EXPECT_EQ(Fe.Final(1), RowStatus::Done);
  EXPECT_EQ(Fe.Final(2), RowStatus::IoError);
}

TEST_F(BatchRunTest, RefusalsKeepTheirWordsAndCountAsErrors) {
  Good("a.wav");
  Good("b.wav");
  Good("c.wav");
  fs::create_directory(Dir.File("out"));
  WriteFile(Dir.File("out/b.wav"), {1});
  Req.Settings.StopOnError = false;
  RunResult r = Run();
  EXPECT_EQ(Fe.Final(1), RowStatus::ExistsRefused);
  EXPECT_EQ(Fe.Results[1].back().Kind, FailureKind::NameTaken);
  EXPECT_EQ(r.Summary, "2 files processed ok, 1 with errors");

  // With stop on error, a folder that cannot be made ends the run at once.
  FakeFrontEnd fe2;
  Req.Settings.StopOnError = true;
  Req.Settings.FolderMode = tacetix::FolderKind::OtherFolder;
  Req.Settings.FolderText = Dir.File("no/such");
  r = RunBatch(Req, fe2);
  EXPECT_EQ(fe2.Final(0), RowStatus::FolderRefused);
  EXPECT_EQ(fe2.Results[0].back().Kind, FailureKind::CannotWrite);
  EXPECT_EQ(fe2.Final(1), RowStatus::NotStarted);
  EXPECT_EQ(r.Summary, "0 files processed ok, 1 with errors");
}

TEST_F(BatchRunTest, OutputThatIsTheInputIsRefusedUntouched) {
  const std::string src = Good("a.wav");
  const Bytes before = ReadFile(src);
  Req.Settings.FolderText = "";
  Req.Settings.Overwrite = true;
  RunResult r = Run();
  EXPECT_EQ(Fe.Final(0), RowStatus::SameAsInput);
  EXPECT_EQ(Fe.Results[0].back().Kind, FailureKind::SameAsInput);
  EXPECT_EQ(r.ErrorCount, 1);
  EXPECT_EQ(ReadFile(src), before);
}

TEST_F(BatchRunTest, CancelWhileTheThirdFileIsWritten) {
  for (const char* n : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"}) Good(n);
  // Each file: row pump, beginning, end and one write block = 4 pumps; cancel in the third's write.
  Fe.CancelAtPump = 12;
  RunResult r = Run();
  EXPECT_EQ(r.Summary, "Processing cancelled, 2 files processed ok, 1 with errors");
  EXPECT_EQ(Fe.Final(0), RowStatus::Done);
  EXPECT_EQ(Fe.Final(1), RowStatus::Done);
  EXPECT_EQ(Fe.Final(2), RowStatus::Cancelled);
  EXPECT_EQ(Fe.Final(3), RowStatus::NotStarted);
  EXPECT_EQ(Fe.Final(4), RowStatus::NotStarted);
}

TEST_F(BatchRunTest, CancelAfterAFailureMarksTheFailedRowCancelled) {
  Bad("a.wav");
  Good("b.wav");
  Req.Settings.StopOnError = false;
  Fe.CancelAtPump = 2;  // the pump before the second row
  RunResult r = Run();
  EXPECT_EQ(Fe.Final(0), RowStatus::Cancelled);
  EXPECT_EQ(Fe.Final(1), RowStatus::NotStarted);
  EXPECT_EQ(r.Summary, "Processing cancelled, 0 files processed ok, 1 with errors");
}

TEST_F(BatchRunTest, EveryEndedRowGetsOneResultWithItsFinalWordAndReason) {
  Good("a.wav");
  WriteWav16(Dir.File("s.wav"), 1, {0, 0, 0});
  Req.Files.push_back(Dir.File("s.wav"));
  Bad("b.wav");
  Good("c.wav");
  fs::create_directory(Dir.File("out"));
  WriteFile(Dir.File("out/c.wav"), {1});
  Req.Settings.StopOnError = false;
  Run();
  ASSERT_EQ(Fe.Results.size(), 4u);
  for (const auto& [row, results] : Fe.Results) {
    ASSERT_EQ(results.size(), 1u) << row;
    EXPECT_EQ(results[0].Status, Fe.Final(row)) << row;
    EXPECT_GE(results[0].Seconds, 0.0);
    EXPECT_EQ(results[0].FiguresKnown, results[0].Status == RowStatus::Done) << row;
  }
  const RowResult& made = Fe.Results[0][0];
  EXPECT_TRUE(made.OutputMade && !made.Silent && made.Reason.empty());
  EXPECT_EQ(made.Kind, FailureKind::None);
  EXPECT_EQ(made.OutputPath, Dir.File("out/a.wav"));
  EXPECT_EQ(made.Figures.samples_out, 99u);
  EXPECT_TRUE(!Fe.Results[1][0].OutputMade && Fe.Results[1][0].Silent);
  EXPECT_EQ(Fe.Results[2][0].Kind, FailureKind::NotWave);
  EXPECT_EQ(Fe.Results[3][0].Status, RowStatus::ExistsRefused);
  EXPECT_EQ(Fe.Results[3][0].Reason, Dir.File("out/c.wav"));
  EXPECT_EQ(Fe.Results[3][0].Kind, FailureKind::NameTaken);
  // A failed row that a cancel overtakes is "cancelled", without the failure's reason.
  FakeFrontEnd cancelling;
  cancelling.CancelAtPump = 2;
  RunRequest two = Req;
  two.Files = {Dir.File("b.wav"), Dir.File("a.wav")};
  RunBatch(two, cancelling);
  EXPECT_EQ(cancelling.Results[0].back().Status, RowStatus::Cancelled);
  EXPECT_EQ(cancelling.Results[0].back().Reason, "");
  EXPECT_EQ(cancelling.Results[0].back().Kind, FailureKind::Cancelled);
}

TEST_F(BatchRunTest, SimulationCreatesNoFolderAndNoFile) {
  Good("a.wav");
  Good("b.wav");
  Req.Settings.Simulation = true;
  Req.Settings.LogEnabled = true;
  Req.LogName = Dir.File("run.log");
  Req.Log.ProcInfOnly = true;
  RunResult r = Run();
  EXPECT_EQ(r.Summary, "2 files processed ok");
  EXPECT_FALSE(fs::exists(Dir.File("out")));
  const std::string log = ReadText(Dir.File("run.log"));
  EXPECT_NE(log.find("\"" + Dir.File("a.wav") + "\";1;16;44100;100;1;99;\"unknown\";0.000000;\"" +
                     Dir.File("out/a.wav") + "\";16;99\r\n"),
            std::string::npos)
      << log;
}

TEST_F(BatchRunTest, LogThatCannotBeOpenedStopsBeforeAnything) {
  Good("a.wav");
  Req.Settings.LogEnabled = true;
  Req.LogName = Dir.File("no/such/run.log");
  RunResult r = Run();
  EXPECT_FALSE(r.Started);
  EXPECT_EQ(Fe.Statuses, (std::vector<std::string>{"Error writing to Logfile. Processing stopped."}));
  EXPECT_EQ(Fe.BusyBegins, 0);
  EXPECT_TRUE(Fe.RowStatuses.empty());
  EXPECT_FALSE(fs::exists(Dir.File("out")));
}

TEST_F(BatchRunTest, LogWriteFailureIsReportedAfterTheSummary) {
  Good("a.wav");
  Req.Settings.LogEnabled = true;
  Req.LogName = "/dev/full";
  RunResult r = Run();
  EXPECT_TRUE(r.LogWriteError);
  EXPECT_EQ(r.OkCount, 1);
  EXPECT_EQ(Fe.Statuses.back(),
            "1 file processed ok (error writing to Logfile: " + std::string(std::strerror(ENOSPC)) + ")");
}

TEST_F(BatchRunTest, LogRecordsUseTheSnapshotGain) {
  std::vector<int16_t> s = {0, 16384, -8192, 0};
  WriteWav16(Dir.File("n.wav"), 1, s);
  Req.Files = {Dir.File("n.wav")};
  Req.Settings.Normalize = true;
  Req.Settings.NormalizeTarget = SliderFactor(1439);
  Req.Settings.NormalizeLevelDb = SliderToDb(1439);
  Req.Settings.LogEnabled = true;
  Req.LogName = Dir.File("run.log");
  Req.Log.ProcInfOnly = true;
  Req.Log.PathInfile = Req.Log.PathOutfile = false;
  Req.Log.SepaDeci = ',';
  Run();
  EXPECT_EQ(ReadText(Dir.File("run.log")),
            "infile;channels_in;bits_in;hz_in;samples_in;startsample;endsample;peakdb;ampdb;outfile;bits_out;"
            "samples_out\r\n\"n.wav\";1;16;44100;4;1;2;-6,020335;5,920335;\"n.wav\";16;2\r\n");
}
