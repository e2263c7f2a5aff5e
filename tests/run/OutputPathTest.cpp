// Output names and folders, folder creation and the refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "run/OutputPath.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {
ProcessSettings Subfolder(const std::string& name, const std::string& prefix, const std::string& suffix) {
  ProcessSettings s;
  s.FolderText = name;
  s.Prefix = prefix;
  s.Suffix = suffix;
  return s;
}
}  // namespace

TEST(OutputPathTest, NamesAndSubfolder) {
  TempDir dir;
  const std::string src = dir.File("a.wav");
  OutputPath p = BuildOutputPath(src, Subfolder("out", "", "_t"));
  EXPECT_EQ(p.Verdict, PathVerdict::Ok);
  EXPECT_EQ(p.Path, dir.File("out/a_t.wav"));
  EXPECT_EQ(p.FileName, "a_t.wav");
  EXPECT_TRUE(fs::is_directory(dir.File("out")));
  // Later files find it existing.
  EXPECT_EQ(BuildOutputPath(dir.File("b.WAV"), Subfolder("out", "", "_t")).Path, dir.File("out/b_t.wav"));

  EXPECT_EQ(BuildOutputPath(dir.File("b.aiff.wav"), Subfolder("", "x_", "")).FileName, "x_b.aiff.wav");
  EXPECT_EQ(BuildOutputPath(dir.File("noext"), Subfolder("", "", "_1")).FileName, "noext_1.wav");
}

TEST(OutputPathTest, OtherFolderWithOrWithoutTrailingSeparator) {
  TempDir dir;
  ProcessSettings s;
  s.FolderMode = tacetix::FolderKind::OtherFolder;
  s.Suffix = "_n";
  s.FolderText = dir.Path().string();
  const std::string expected = (dir.Path() / "take_n.wav").string();
  EXPECT_EQ(BuildOutputPath("/elsewhere/take", s).Path, expected);
  s.FolderText += "/";
  EXPECT_EQ(BuildOutputPath("/elsewhere/take", s).Path, expected);
}

TEST(OutputPathTest, RefusesWhatCannotOrMustNotBeWritten) {
  TempDir dir;
  ProcessSettings s;
  s.FolderMode = tacetix::FolderKind::OtherFolder;
  s.Suffix = "_n";
  s.FolderText = dir.File("missing/deeper");  // only one level is created
  EXPECT_EQ(BuildOutputPath(dir.File("a.wav"), s).Verdict, PathVerdict::FolderRefused);
  EXPECT_FALSE(fs::exists(dir.File("missing")));

  s.Simulation = true;  // a simulation neither creates nor refuses the folder
  EXPECT_EQ(BuildOutputPath(dir.File("a.wav"), s).Verdict, PathVerdict::Ok);
  s.Simulation = false;

  s.FolderText = "";
  EXPECT_EQ(BuildOutputPath(dir.File("a.wav"), s).Verdict, PathVerdict::FolderRefused);

  WriteFile(dir.File("blocked"), {1});  // a file where the subfolder should be
  EXPECT_EQ(BuildOutputPath(dir.File("a.wav"), Subfolder("blocked", "", "_n")).Verdict, PathVerdict::FolderRefused);

  WriteFile(dir.File("a_n.wav"), {1});
  EXPECT_EQ(BuildOutputPath(dir.File("a.wav"), Subfolder("", "", "_n")).Verdict, PathVerdict::ExistsRefused);
  ProcessSettings overwrite = Subfolder("", "", "_n");
  overwrite.Overwrite = true;
  EXPECT_EQ(BuildOutputPath(dir.File("a.wav"), overwrite).Verdict, PathVerdict::Ok);

  // A folder under the output's name is not an existing file; creating the output fails later.
  fs::create_directory(dir.File("c_n.wav"));
  EXPECT_EQ(BuildOutputPath(dir.File("c.wav"), Subfolder("", "", "_n")).Verdict, PathVerdict::Ok);
}

TEST(OutputPathTest, NeverNamesTheSourceItself) {
  TempDir dir;
  const std::string src = dir.File("a.wav");
  WriteFile(src, {1, 2, 3});
  ProcessSettings s;  // empty subfolder, prefix and suffix: the source folder and name
  s.Overwrite = true;
  EXPECT_EQ(BuildOutputPath(src, s).Verdict, PathVerdict::SameAsInput);
  s.Overwrite = false;
  EXPECT_EQ(BuildOutputPath(src, s).Verdict, PathVerdict::SameAsInput);
  // Through a link to the source's folder as well.
  fs::create_directory_symlink(dir.Path(), dir.File("link"));
  s.FolderMode = tacetix::FolderKind::OtherFolder;
  s.FolderText = dir.File("link");
  s.Overwrite = true;
  EXPECT_EQ(BuildOutputPath(src, s).Verdict, PathVerdict::SameAsInput);
  EXPECT_EQ(ReadFile(src), (Bytes{1, 2, 3}));
}

TEST(OutputPathTest, SeparatorHelpers) {
  EXPECT_EQ(BackslashIfNeeded("/music/"), "");
  EXPECT_EQ(BackslashIfNeeded("/music"), std::string(1, PathSeparator()));
  EXPECT_EQ(BackslashIfNeeded(""), std::string(1, PathSeparator()));
  EXPECT_EQ(FolderPart("/music/a.wav"), "/music/");
  EXPECT_EQ(FileNamePart("/music/a.wav"), "a.wav");
  EXPECT_EQ(FileNamePart("a.wav"), "a.wav");
}
