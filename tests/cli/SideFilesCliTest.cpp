// tacetix-cli's side files and lists: a log, report or list the user would lose is refused
// before anything is opened, and lists name what they cannot read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>

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
  std::map<std::string, Bytes> before;
  for (const char* n : {"a.wav", "RF64.wav", "BW64.wav", "report.json", "list.txt"}) before[n] = ReadFile(Dir.File(n));

  for (const char* args : {"--log RF64.wav a.wav", "--log BW64.wav a.wav", "--report report.json --log a.wav a.wav",
                           "--report dangling --log log.txt a.wav", "--report log.txt --log dangling a.wav",
                           "--files-from list.txt --log list.txt", "--files-from list.txt --report ./list.txt"}) {
    SCOPED_TRACE(args);
    for (const auto& [name, bytes] : before) WriteFile(Dir.File(name), bytes);
    fs::remove(Dir.File("log.txt"));
    EXPECT_EQ(Cli(std::string("--suffix _t --overwrite ") + args), 2);
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
