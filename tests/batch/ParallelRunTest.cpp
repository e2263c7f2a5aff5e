// Files on worker threads: every status, record, count and output as the one-thread run gives
// them, in list order; a cancel ends every running file and leaves each output readable.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "FakeFrontEnd.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

struct RunPicture {
  RunResult Result;
  FakeFrontEnd Fe;
  std::string Log;
  std::map<std::string, Bytes> Outputs;  // relative name -> bytes
};

std::string Relative(std::string text, const std::string& root) {
  for (size_t at; (at = text.find(root)) != std::string::npos;) text.replace(at, root.size(), "ROOT");
  return text;
}

// Good, broken, silent, long and cut-off files, two sources named alike for one output
// folder, and an output name that exists before the run.
void MakeCorpus(const TempDir& dir, RunRequest& req) {
  const auto add = [&](const std::string& name) {
    fs::create_directories(fs::path(dir.File(name)).parent_path());
    req.Files.push_back(dir.File(name));
    return dir.File(name);
  };
  for (int i = 0; i < 6; ++i) {
    std::vector<int16_t> s(static_cast<size_t>(1000 + 97 * i), static_cast<int16_t>(300 * (i + 1)));
    s[0] = s[1] = 0;
    s[s.size() / 2] = static_cast<int16_t>(-4000 - i);
    WriteWav16(add("in/f" + std::to_string(i) + ".wav"), 2, s);
  }
  WriteFile(add("in/broken.wav"), Bytes{'n', 'o', 'p', 'e'});
  WriteWav16(add("in/silent.wav"), 1, std::vector<int16_t>(500, 0));
  std::vector<int16_t> longFile(700001, 1200);
  longFile.front() = 0;
  WriteWav16(add("in/long.wav"), 1, longFile);
  WriteWav16(add("a/same.wav"), 1, {0, 900, 0});
  WriteWav16(add("b/same.wav"), 1, {0, 700, 0});
  WriteWav16(add("c/SAME.wav"), 1, {0, 600, 0});  // one file with the two above on a case-blind disk
  WriteWav16(add("in/taken.wav"), 1, {0, 100, 0});
  fs::create_directories(dir.File("out"));
  WriteWav16(dir.File("out/taken.wav"), 1, {5});
  for (int i = 6; i < 12; ++i) WriteWav16(add("in/f" + std::to_string(i) + ".wav"), 1, {0, 0, 50, 3000, 0});
}

RunPicture RunWith(const ProcessSettings& settings, int32_t jobs) {
  TempDir dir;
  RunRequest req;
  MakeCorpus(dir, req);
  req.Settings = settings;
  req.Settings.FolderMode = 2;
  req.Settings.FolderText = dir.File("out");
  req.Settings.LogEnabled = true;
  req.LogName = dir.File("run.log");
  req.Log.ProcInfOnly = true;
  req.Jobs = jobs;
  RunPicture p;
  p.Result = RunBatch(req, p.Fe);
  const std::string root = dir.Path().string();
  p.Log = Relative(ReadText(req.LogName), root);
  for (std::string& s : p.Fe.Statuses) s = Relative(s, root);
  for (const auto& e : fs::recursive_directory_iterator(dir.File("out")))
    if (e.is_regular_file()) p.Outputs[fs::relative(e.path(), dir.Path()).string()] = ReadFile(e.path().string());
  return p;
}

}  // namespace

TEST(ParallelRun, EveryJobCountGivesTheOneThreadRunsStatusesRecordsAndOutputs) {
  struct Case {
    const char* Name;
    bool Overwrite, StopOnError, Normalize;
    int32_t Bits;
  };
  const Case cases[] = {
      {"keep going", false, false, false, 0},
      {"overwrite, normalise, 24-bit", true, false, true, 5},
      {"stop on error", false, true, false, 0},
      {"overwrite, float", true, false, false, 7},
  };
  for (const Case& c : cases) {
    ProcessSettings s;
    s.Overwrite = c.Overwrite;
    s.StopOnError = c.StopOnError;
    s.Normalize = c.Normalize;
    s.NormalizeTarget = 0.5;
    s.BitsChoice = c.Bits;
    const RunPicture one = RunWith(s, 1);
    for (int32_t jobs : {2, 3, 8}) {
      SCOPED_TRACE(std::string(c.Name) + ", jobs " + std::to_string(jobs));
      const RunPicture many = RunWith(s, jobs);
      if (c.StopOnError) {
        // Rows handed out before the failure was known run to their end and say so.
        for (const auto& [row, words] : one.Fe.RowStatuses) EXPECT_EQ(many.Fe.RowStatuses.at(row), words) << row;
        for (const auto& [row, words] : many.Fe.RowStatuses)
          EXPECT_TRUE(one.Fe.RowStatuses.count(row) || words.back() == RowStatus::Done) << row;
        EXPECT_EQ(many.Log.substr(0, one.Log.size()), one.Log);
        continue;
      }
      EXPECT_EQ(many.Result.Summary, one.Result.Summary);
      EXPECT_EQ(many.Fe.RowStatuses, one.Fe.RowStatuses);
      EXPECT_EQ(many.Fe.Statuses.back(), one.Fe.Statuses.back());
      EXPECT_EQ(many.Log, one.Log);
      EXPECT_EQ(many.Outputs, one.Outputs);
    }
  }
}

TEST(ParallelRun, ACancelEndsEveryRunningFileAndEachRowGetsItsWord) {
  TempDir dir;
  RunRequest req;
  for (int i = 0; i < 8; ++i) {
    std::vector<int16_t> s(600000, static_cast<int16_t>(100 + i));
    s[0] = 0;
    WriteWav16(dir.File("f" + std::to_string(i) + ".wav"), 1, s);
    req.Files.push_back(dir.File("f" + std::to_string(i) + ".wav"));
  }
  req.Settings.FolderText = "out";
  req.Settings.StopOnError = false;
  req.Jobs = 3;
  FakeFrontEnd fe;
  fe.CancelAtPump = 3;
  const RunResult r = RunBatch(req, fe);
  EXPECT_TRUE(r.Cancelled);
  int32_t ended = 0;
  for (int32_t row = 0; row < 8; ++row) {
    const RowStatus word = fe.Final(row);
    if (word == RowStatus::NotStarted) continue;
    ++ended;
    EXPECT_TRUE(word == RowStatus::Done || word == RowStatus::Cancelled) << row << ": " << StatusWord(word);
    // A done file has its output, a cancelled one may have a partial one: either is
    // under its own name, finished and readable. A cancel before the first block leaves
    // none, or the header alone, as the one-thread run does.
    const std::string out = dir.File("out/f" + std::to_string(row) + ".wav");
    if (word == RowStatus::Cancelled && (!fs::exists(out) || fs::file_size(out) == 44)) continue;
    int32_t channels = 0, bits = 0, tag = 0;
    std::vector<double> samples;
    EXPECT_TRUE(ReadWav(out, channels, bits, tag, samples)) << row;
  }
  EXPECT_GE(ended, 1);
  EXPECT_EQ(r.OkCount + r.ErrorCount, ended);
  EXPECT_TRUE(TemporaryOutputs(dir.File("out/f0.wav")).empty());
}
