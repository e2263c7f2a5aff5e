// What a run may write and where: outputs reach their names only when complete, never through
// a link, never over a name taken meanwhile, a source or an earlier output of the same run; a
// long chunk walk hears Cancel.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <functional>

#include "support/FakeFrontEnd.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// Runs a hook at every pump, after the fake's own bookkeeping.
struct HookedFrontEnd : FakeFrontEnd {
  std::function<void(int)> OnPump;
  bool Pump() override {
    const bool cancel = FakeFrontEnd::Pump();
    if (OnPump) OnPump(Pumps);
    return cancel;
  }
};

class OutputSafetyTest : public ::testing::Test {
 protected:
  TempDir Dir;
  HookedFrontEnd Fe;
  RunRequest Req;

  void SetUp() override {
    Req.Settings.FolderMode = tacetix::FolderKind::OtherFolder;
    Req.Settings.FolderText = Dir.File("out");
    fs::create_directory(Req.Settings.FolderText);
  }
  std::string Source(const std::string& name, int16_t level = 500) {
    fs::create_directories(fs::path(Dir.File(name)).parent_path());
    WriteWav16(Dir.File(name), 1, {0, level, level, 0});
    Req.Files.push_back(Dir.File(name));
    return Dir.File(name);
  }
  // A fresh front end for every run, keeping its hook and its cancel point.
  RunResult Run() {
    HookedFrontEnd fresh;
    fresh.OnPump = Fe.OnPump;
    fresh.CancelAtPump = Fe.CancelAtPump;
    Fe = fresh;
    return RunBatch(Req, Fe);
  }
  void ExpectNoTemporaryFiles() {
    for (const auto& e : fs::recursive_directory_iterator(Dir.Path()))
      EXPECT_EQ(e.path().filename().string().find(".tacetix-"), std::string::npos) << e.path();
  }
};

}  // namespace

TEST_F(OutputSafetyTest, LinksAtTheOutputNameAreReplacedNeverFollowed) {
  Source("a.wav");
  const std::string out = Dir.File("out/a.wav"), victim = Dir.File("victim.wav");
  struct Case {
    bool Live, Overwrite;
    RowStatus Status;
  };
  for (Case c : {Case{false, false, RowStatus::ExistsRefused}, Case{false, true, RowStatus::Done},
                 Case{true, false, RowStatus::ExistsRefused}, Case{true, true, RowStatus::Done}}) {
    SCOPED_TRACE(std::string(c.Live ? "live" : "dangling") + (c.Overwrite ? ", overwrite" : ""));
    fs::remove(out);
    fs::remove(victim);
    if (c.Live) WriteFile(victim, {'v'});
    fs::create_symlink(victim, out);
    Req.Settings.Overwrite = c.Overwrite;
    Run();
    EXPECT_EQ(Fe.Final(0), c.Status);
    // The link's target is never created nor written; a done output replaced the link itself.
    EXPECT_EQ(fs::exists(victim), c.Live);
    if (c.Live) {
      EXPECT_EQ(ReadFile(victim), Bytes{'v'});
    }
    EXPECT_EQ(fs::is_symlink(out), !c.Overwrite);
    ExpectNoTemporaryFiles();
  }
}

TEST_F(OutputSafetyTest, ANameTakenDuringTheWriteIsLeftAlone) {
  Source("a.wav");
  Source("b.wav");
  const std::string out = Dir.File("out/a.wav");
  // Pump 1 starts row 1, after its existence check; the next ones are its block reads.
  Fe.OnPump = [&](int pump) {
    if (pump == 2) WriteFile(out, {'x'});
  };
  for (const bool stop : {false, true}) {  // a taken name is an error: with stop on error the run ends
    fs::remove(out);
    fs::remove(Dir.File("out/b.wav"));
    Req.Settings.StopOnError = stop;
    const RunResult r = Run();
    EXPECT_EQ(Fe.Final(0), RowStatus::ExistsRefused);
    EXPECT_EQ(Fe.Results[0].back().Kind, FailureKind::NameTaken);
    EXPECT_EQ(Fe.Final(1), stop ? RowStatus::NotStarted : RowStatus::Done);
    EXPECT_EQ(r.Summary, stop ? "0 files processed ok, 1 with errors" : "1 file processed ok, 1 with errors");
    EXPECT_EQ(ReadFile(out), Bytes{'x'});
    ExpectNoTemporaryFiles();
  }
}

TEST_F(OutputSafetyTest, OutputsAreComparedAsFilesWithSourcesAndEarlierOutputs) {
  Req.Settings.Overwrite = true;
  Req.Settings.StopOnError = false;
  // Two sources of one name: the second would replace the first one's output.
  Source("A/x.wav", 500);
  Source("B/x.wav", 900);
  // An output name that is a hard link to a listed source.
  const std::string a = Source("a.wav"), b = Source("b.wav", 700);
  fs::create_hard_link(b, Dir.File("out/a.wav"));
  const Bytes sourceB = ReadFile(b);
  const RunResult r = Run();
  EXPECT_EQ(Fe.Final(0), RowStatus::Done);
  EXPECT_EQ(Fe.Final(1), RowStatus::ExistsRefused);
  EXPECT_EQ(Fe.Final(2), RowStatus::SameAsInput);
  EXPECT_EQ(Fe.Final(3), RowStatus::Done);
  EXPECT_EQ(r.Summary, "2 files processed ok, 2 with errors");
  std::vector<double> samples;
  int32_t channels = 0, bits = 0, tag = 0;
  ASSERT_TRUE(ReadWav(Dir.File("out/x.wav"), channels, bits, tag, samples));
  EXPECT_NEAR(samples.at(0) * 32767, 500, 1) << "row 1 output was replaced";
  EXPECT_EQ(ReadFile(b), sourceB);
}

TEST_F(OutputSafetyTest, ACancelIsHeardDuringALongChunkWalk) {
  // Zeros after the RIFF header read as empty chunks, 8 bytes each.
  Bytes zeros = WavBuilder{}.Build();
  zeros.resize(zeros.size() + 8 * 20000, 0);
  WriteFile(Dir.File("zeros.wav"), zeros);
  Req.Files = {Dir.File("zeros.wav")};
  // The first pump starts the row, the second comes from the walk.
  Fe.CancelAtPump = 2;
  const RunResult r = Run();
  EXPECT_EQ(Fe.Final(0), RowStatus::Cancelled);
  EXPECT_EQ(r.Summary, "Processing cancelled, 0 files processed ok, 1 with errors");
}

// A name held by a FIFO, a device (through a link) or a folder is refused by the writer, with
// Overwrite too and with workers, and what holds it is left as it was.
TEST_F(OutputSafetyTest, ANameHeldByNoRegularFileIsRefusedNeverReplaced) {
  Req.Settings.Overwrite = true;
  Req.Settings.StopOnError = false;
  for (const char* name : {"fifo.wav", "device.wav", "folder.wav", "plain.wav"}) Source(name);
  ASSERT_EQ(::mkfifo(Dir.File("out/fifo.wav").c_str(), 0644), 0);
  fs::create_symlink("/dev/null", Dir.File("out/device.wav"));
  fs::create_directory(Dir.File("out/folder.wav"));
  for (int32_t jobs : {1, 2}) {
    SCOPED_TRACE(jobs);
    Req.Jobs = jobs;
    fs::remove(Dir.File("out/plain.wav"));
    Run();
    for (int32_t row = 0; row < 3; ++row) {
      EXPECT_EQ(Fe.Final(row), RowStatus::IoError) << row;
      EXPECT_EQ(Fe.Results[row].back().Kind, FailureKind::NotRegularFile) << row;
    }
    EXPECT_EQ(Fe.Final(3), RowStatus::Done);
    EXPECT_EQ(fs::status(Dir.File("out/fifo.wav")).type(), fs::file_type::fifo);
    EXPECT_EQ(fs::read_symlink(Dir.File("out/device.wav")), "/dev/null");
    EXPECT_TRUE(fs::is_directory(Dir.File("out/folder.wav")));
    ExpectNoTemporaryFiles();
  }
}
