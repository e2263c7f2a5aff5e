// tacetix-cli's side files and lists: a log, report or list the user would lose is refused
// before anything is opened, and lists name what they cannot read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "CliFixture.h"
#include "support/TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class SideFilesCliTest : public clitest::CliFixture {
 protected:
  int Cli(const std::string& args) { return Run(Call(args).SeparateErr()); }
  // Root reads every folder whatever its mode: the run then goes as nobody.
  int CliWithoutRoot(const std::string& args) {
    if (::geteuid() != 0) return Cli(args);
    testsupport::CliCall call("setpriv",
                              "--reuid=65534 --regid=65534 --clear-groups " + std::string(TACETIX_CLI) + " " + args);
    return Run(call.In(Dir.Path()).SeparateErr());
  }
};

// Audio of the kinds the peers write, named as a user might name a log or a report by mistake.
// sox's kinds are always made; ffmpeg's only where it and its encoder are installed.
std::vector<std::string> PeerAudio(const testsupport::TempDir& dir) {
  const std::pair<const char*, const char*> makers[] = {
      {"t.aiff", "sox a.wav t.aiff"},
      {"t.aifc", "sox a.wav -t aifc t.aifc"},
      {"t.flac", "sox a.wav t.flac"},
      {"t.w64", "sox a.wav t.w64"},
      {"t.caf", "sox a.wav t.caf"},
      {"t.ogg", "ffmpeg -v error -i a.wav -c:a libvorbis t.ogg"},
      {"t.mp3", "ffmpeg -v error -i a.wav -c:a libmp3lame t.mp3"},
      // No tag: the file begins with the first frame's sync.
      {"bare.mp3", "ffmpeg -v error -i a.wav -c:a libmp3lame -id3v2_version 0 -write_xing 0 bare.mp3"},
      {"t.aac", "ffmpeg -v error -i a.wav -c:a aac -f adts t.aac"},
      {"t.m4a", "ffmpeg -v error -i a.wav -c:a aac t.m4a"},
      {"t.wv", "ffmpeg -v error -i a.wav -c:a wavpack t.wv"},
      {"t.mka", "ffmpeg -v error -i a.wav -c:a flac t.mka"}};
  std::vector<std::string> made;
  for (const auto& [name, command] : makers) {
    const bool sox = std::string(command).rfind("sox", 0) == 0;
    if (!sox && !HaveProgram("ffmpeg")) continue;
    const int status = RunCommand("cd " + ShellQuote(dir.Path().string()) + " && " + command + " 2>/dev/null");
    if (sox) {
      EXPECT_EQ(status, 0) << command;
    }
    if (status == 0) made.push_back(name);
  }
  return made;
}

}  // namespace

TEST_F(SideFilesCliTest, EverySideFileIsCheckedBeforeAnyIsOpened) {
  WriteWav16(Dir.File("a.wav"), 1, {0, 300, 0});
  for (const char* head : {"RF64", "BW64"}) {
    const std::string name = Dir.File(std::string(head) + ".wav");
    WriteWav16(name, 1, {0, 300, 0});
    Bytes b = ReadFile(name);
    std::copy(head, head + 4, b.begin());
    WriteFile(name, b);
  }
  WriteFile(Dir.File("report.json"), Bytes{'k', 'e', 'e', 'p'});
  const std::string list = Dir.File("a.wav") + "\n";
  WriteFile(Dir.File("list.txt"), Bytes(list.begin(), list.end()));
  fs::create_symlink("log.txt", Dir.File("dangling"));  // opening it for writing creates log.txt
  std::vector<std::string> rows = {"--log RF64.wav a.wav",
                                   "--log BW64.wav a.wav",
                                   "--report report.json --log a.wav a.wav",
                                   "--report dangling --log log.txt a.wav",
                                   "--report log.txt --log dangling a.wav",
                                   "--files-from list.txt --log list.txt",
                                   "--files-from list.txt --report ./list.txt",
                                   "--preview a.wav --preview-out a.wav",
                                   "--preview a.wav --preview-out RF64.wav",
                                   "--preview a.wav --preview-out t.flac"};
  std::vector<std::string> names = {"a.wav", "RF64.wav", "BW64.wav", "report.json", "list.txt"};
  for (const std::string& audio : PeerAudio(Dir)) {
    names.push_back(audio);
    rows.push_back("--report report.json --log " + audio + " a.wav");
    rows.push_back("--report " + audio + " --log log.txt a.wav");
  }
  std::map<std::string, Bytes> before;
  for (const std::string& n : names) before[n] = ReadFile(Dir.File(n));

  for (const std::string& args : rows) {
    SCOPED_TRACE(args);
    for (const auto& [name, bytes] : before) WriteFile(Dir.File(name), bytes);
    fs::remove(Dir.File("log.txt"));
    EXPECT_EQ(Cli("--suffix _t --overwrite " + args), 2);
    EXPECT_EQ(Out, "");
    for (const auto& [name, bytes] : before) EXPECT_EQ(ReadFile(Dir.File(name)), bytes) << name;
    EXPECT_FALSE(fs::exists(Dir.File("log.txt")));
    EXPECT_FALSE(fs::exists(Dir.File("a_t.wav")));
  }
}

TEST_F(SideFilesCliTest, FileListsNameWhatTheyCannotRead) {
  if (::geteuid() == 0 && !HaveProgram("setpriv")) GTEST_SKIP() << "root without setpriv reads every folder";
  fs::permissions(Dir.Path(), fs::perms::all);
  fs::create_directories(Dir.File("shut/sub"));
  fs::create_directories(Dir.File("dark/sub/deep"));
  fs::create_directory(Dir.File("out"));
  fs::permissions(Dir.File("out"), fs::perms::all);
  for (const char* n : {"a.wav", "shut/b.wav", "shut/sub/c.wav", "dark/e.wav", "dark/sub/deep/d.wav"})
    WriteWav16(Dir.File(n), 1, {0, 300, 0});
  const std::string crlf = "a.wav\r\n";
  WriteFile(Dir.File("crlf.txt"), Bytes(crlf.begin(), crlf.end()));
  fs::permissions(Dir.File("shut/sub"), fs::perms::none);
  // Listed but not searchable: the names show, what they are does not.
  fs::permissions(Dir.File("dark/sub"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  struct Case {
    const char* Args;
    int Status;
    const char* Errors;  // the report's error count
    const char* Unread;  // named on the error stream, "" none
  };
  for (Case c :
       {Case{"--files-from crlf.txt", 0, "\"errors\":0", ""}, Case{"-k -r shut", 1, "\"errors\":1", "shut/sub"},
        Case{"-k -r dark", 1, "\"errors\":1", "dark/sub/deep"}}) {
    SCOPED_TRACE(c.Args);
    EXPECT_EQ(CliWithoutRoot(std::string("--overwrite -o out --report - ") + c.Args), c.Status) << Err;
    EXPECT_NE(Out.find(c.Errors), std::string::npos) << Out;
    EXPECT_NE(Out.find("\"ok\":1"), std::string::npos) << Out;
    EXPECT_EQ(Err.find(Dir.File(c.Unread) + ":") != std::string::npos, *c.Unread != '\0') << Err;
  }
  fs::permissions(Dir.File("shut/sub"), fs::perms::owner_all);
  fs::permissions(Dir.File("dark/sub"), fs::perms::owner_all);
}
