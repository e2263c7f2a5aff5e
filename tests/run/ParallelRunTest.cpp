// Files on worker threads: every status, record, count and output as the one-thread run gives
// them, in list order, with no file on disk that no row reports; a cancel ends every running
// file and leaves each output readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "run/RowAhead.h"

#include "support/FakeFrontEnd.h"
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
  std::set<std::string> Folders;         // relative names of every folder after the run
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
  fs::create_directories(dir.File("empty"));
  WriteWav16(dir.File("out/taken.wav"), 1, {5});
  for (int i = 6; i < 12; ++i) WriteWav16(add("in/f" + std::to_string(i) + ".wav"), 1, {0, 0, 50, 3000, 0});
}

// The files in folder are the outputs of rows with a final word: every one reported made and,
// from the others (cancelled, failed), at most a partial one. keep: files there before the run.
void ExpectOutputsOfReportedRows(const FakeFrontEnd& fe, const fs::path& folder, std::set<std::string> keep = {}) {
  std::set<std::string> made, onDisk;
  for (const auto& [row, results] : fe.Results) {
    keep.insert(results.back().OutputPath);
    if (results.back().OutputMade) made.insert(results.back().OutputPath);
  }
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    onDisk.insert(e.path().string());
    EXPECT_TRUE(keep.count(e.path().string())) << e.path() << " belongs to no row reported";
  }
  for (const std::string& path : made) EXPECT_TRUE(onDisk.count(path)) << path;
}

// early: a source moved to place at in the list (after one good file at 1). folder: the
// output folder, "out" (with a name taken) or "empty".
RunPicture RunWith(const ProcessSettings& settings, int32_t jobs, const std::string& early = "", int32_t at = 1,
                   const std::string& folder = "out") {
  TempDir dir;
  RunRequest req;
  MakeCorpus(dir, req);
  const auto moved = std::find(req.Files.begin(), req.Files.end(), dir.File(early));
  if (!early.empty()) std::rotate(req.Files.begin() + at, moved, moved + 1);
  req.Settings = settings;
  req.Settings.FolderMode = tacetix::FolderKind::OtherFolder;
  req.Settings.FolderText = dir.File(folder);
  req.Settings.LogEnabled = true;
  req.LogName = dir.File("run.log");
  req.Log.ProcInfOnly = true;
  req.Jobs = jobs;
  RunPicture p;
  p.Result = RunBatch(req, p.Fe);
  for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
    if (e.is_directory()) p.Folders.insert(fs::relative(e.path(), dir.Path()).string());
  const std::string root = dir.Path().string();
  p.Log = Relative(ReadText(req.LogName), root);
  for (std::string& s : p.Fe.Statuses) s = Relative(s, root);
  if (!p.Folders.count(folder)) return p;
  ExpectOutputsOfReportedRows(p.Fe, dir.File(folder), {dir.File("out/taken.wav")});
  for (const auto& e : fs::recursive_directory_iterator(dir.File(folder)))
    if (e.is_regular_file()) p.Outputs[fs::relative(e.path(), dir.Path()).string()] = ReadFile(e.path().string());
  return p;
}

// Each row with an output written, and the last percent its file's progress reached (-1: none).
std::map<int32_t, int32_t> WriteProgress(const FakeFrontEnd& fe) {
  std::map<int32_t, int32_t> last;
  for (const auto& [row, results] : fe.Results)
    if (results.back().OutputMade) last[row] = fe.FileProgress.count(row) ? fe.FileProgress.at(row) : -1;
  return last;
}

}  // namespace

TEST(ParallelRun, EveryJobCountGivesTheOneThreadRunsStatusesRecordsAndOutputs) {
  struct Case {
    const char* Name;
    bool Overwrite, StopOnError, Normalize;
    int32_t Bits;
    const char* Early;  // a source moved up to place At
    int32_t At = 1;
    const char* Folder = "out";
  };
  const Case cases[] = {
      {"keep going", false, false, false, 0, ""},
      {"overwrite, normalise, 24-bit", true, false, true, 5, ""},
      {"stop on error", false, true, false, 0, ""},
      {"overwrite, float", true, false, false, 7, ""},
      {"stop on error, a broken file early", false, true, false, 0, "in/broken.wav"},
      {"stop on error, a taken name early", false, true, false, 0, "in/taken.wav"},
      {"stop on error, overwrite, a name twice", true, true, false, 0, "b/same.wav"},
      // The rows handed out ahead of the stop are discarded; the folder the run found stays.
      {"stop on error, a broken file first, an empty folder", false, true, false, 0, "in/broken.wav", 0, "empty"},
  };
  for (const Case& c : cases) {
    ProcessSettings s;
    s.Overwrite = c.Overwrite;
    s.StopOnError = c.StopOnError;
    s.Normalize = c.Normalize;
    s.NormalizeTarget = 0.5;
    s.BitsChoice = c.Bits;
    const RunPicture one = RunWith(s, 1, c.Early, c.At, c.Folder);
    EXPECT_TRUE(one.Folders.count(c.Folder));
    std::map<int32_t, int32_t> written = WriteProgress(one.Fe);
    for (auto& [row, percent] : written) percent = 100;
    for (int32_t jobs : {2, 3, 8}) {
      SCOPED_TRACE(std::string(c.Name) + ", jobs " + std::to_string(jobs));
      const RunPicture many = RunWith(s, jobs, c.Early, c.At, c.Folder);
      EXPECT_EQ(many.Result.Summary, one.Result.Summary);
      EXPECT_EQ(many.Fe.RowStatuses, one.Fe.RowStatuses);
      EXPECT_EQ(many.Fe.Statuses.back(), one.Fe.Statuses.back());
      EXPECT_EQ(many.Log, one.Log);
      EXPECT_EQ(many.Outputs, one.Outputs);
      EXPECT_EQ(many.Folders, one.Folders);
      // The bar moves with the workers' files as with the one thread's.
      EXPECT_EQ(WriteProgress(many.Fe), written);
    }
    EXPECT_EQ(WriteProgress(one.Fe), written);
  }
}

TEST(ParallelRun, ACancelEndsEveryRunningFileAndEachRowGetsItsWord) {
  TempDir dir;
  RunRequest req;
  const auto place = [&](int32_t i, const std::string& name) {  // each source in a folder of its own
    return dir.File("d" + std::to_string(i) + "/" + name);
  };
  for (int i = 0; i < 8; ++i) {
    std::vector<int16_t> s(600000, static_cast<int16_t>(100 + i));
    s[0] = 0;
    fs::create_directory(place(i, ""));
    WriteWav16(place(i, "f.wav"), 1, s);
    req.Files.push_back(place(i, "f.wav"));
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
    // A row never reported leaves nothing, not even the output folder its placement made; a
    // cancelled row with nothing written may lose its empty folder as a failed one does.
    if (word == RowStatus::NotStarted) {
      EXPECT_FALSE(fs::exists(place(row, "out"))) << row;
      continue;
    }
    ++ended;
    EXPECT_TRUE(word == RowStatus::Done || word == RowStatus::Cancelled) << row << ": " << StatusWord(word);
    // A done file has its output, a cancelled one may have a partial one: either is
    // under its own name, finished and readable. A cancel before the first block leaves
    // none, or the header alone, as the one-thread run does.
    const std::string out = place(row, "out/f.wav");
    if (word == RowStatus::Cancelled && (!fs::exists(out) || fs::file_size(out) == 44)) continue;
    int32_t channels = 0, bits = 0, tag = 0;
    std::vector<double> samples;
    EXPECT_TRUE(ReadWav(out, channels, bits, tag, samples)) << row;
  }
  EXPECT_GE(ended, 1);
  EXPECT_EQ(r.OkCount + r.ErrorCount, ended);
  ExpectOutputsOfReportedRows(fe, dir.Path(), {req.Files.begin(), req.Files.end()});
  EXPECT_TRUE(TemporaryOutputs(place(0, "out/f.wav")).empty());
}

// What goes to workers ahead of the run's turn, which the run would discard after a stop: no
// row after a failure or a refused name under stop on error, none on a name an unsettled row
// writes in another letter case (one file on a case-blind disk); a row taken after a cancel
// is not started.
TEST(ParallelRun, RowsHandedOutAheadStopWhereOneJobWouldNotStartThem) {
  struct Case {
    const char* Name;
    std::vector<const char*> Rows;  // "broken", "refused" or the output name of a good file
    bool StopOnError, CancelFirst;
    FileResult First;                         // how row 0 ends
    int32_t LastAfterFirst, LastAfterSecond;  // the last row handed out at most, per turn
  };
  const Case cases[] = {
      {"a failure", {"broken", "b", "c", "d", "e", "f"}, true, false, FileResult::Failed, 1, 1},
      {"a refused name", {"a", "refused", "c", "d", "e", "f"}, true, false, FileResult::Done, 0, 0},
      {"one name in two cases", {"same", "SAME", "c"}, false, false, FileResult::Done, 0, 2},
      {"a cancel", {"broken", "b", "c"}, false, true, FileResult::Cancelled, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    ProcessSettings s;
    s.StopOnError = c.StopOnError;
    std::vector<OutputPath> outs;
    for (const std::string row : c.Rows) {
      outs.push_back({dir.Path().string(), row + ".wav", dir.File("out-" + row + ".wav"), PathVerdict::Ok, ""});
      if (row == "refused") outs.back().Verdict = PathVerdict::ExistsRefused;
      if (row == "broken") WriteFile(dir.File(row), Bytes{'n', 'o'});
      else WriteWav16(dir.File(row), 1, {0, 900, 0});
    }
    RowAhead ahead(
        2, static_cast<int32_t>(outs.size()), s, [&](int32_t row) { return outs[size_t(row)]; },
        [&](int32_t row, const OutputPath& out) {
          return RowJob{row, dir.File(c.Rows[size_t(row)]), out.Path, {}};
        });
    if (c.CancelFirst) ahead.Cancel();
    ahead.Placement(0);
    EXPECT_LE(ahead.LastSubmitted(), c.LastAfterFirst);
    EXPECT_EQ(ahead.Wait(0, [] { return false; }).Result, c.First);
    // While row 0 still ran, a worker done with a later row may have taken one more: the
    // bound holds from the moment row 0's end is known.
    const int32_t bound = std::max(ahead.LastSubmitted(), c.LastAfterSecond);
    ahead.Placement(1);
    EXPECT_LE(ahead.LastSubmitted(), bound);
  }
}
