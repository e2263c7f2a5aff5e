// What a shell script relies on: "-" is standard input or output where a stream can stand for a
// file and refused elsewhere (no file or folder named "-" appears), a stop at the first error names
// the files it never started, and a run a signal stopped dies of it after its cleanup, so a
// shell loop stops too.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "CliFixture.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class ShellContractTest : public clitest::CliFixture {
 protected:
  void SetUp() override {
    for (const char* name : {"a.wav", "c.wav", "d.wav"}) WriteWav16(Dir.File(name), 1, {0, 0, 100, -100, 0});
    WriteFile(Dir.File("broken.wav"), Bytes{'R', 'I', 'F', 'F', 0, 0});
  }
};

}  // namespace

TEST_F(ShellContractTest, DashFormsStopOnErrorAndExitStatus) {
  struct Case {
    const char* Args;
    std::optional<std::string> Input;
    int Status;
    const char* StdoutHas;  // "" when standard output stays empty
    const char* Made;       // a file the run must make ("" none)
    std::string ErrHas;     // the system's reason the error stream must give ("" none)
  };
  const std::string full = std::strerror(ENOSPC);
  const Case cases[] = {
      {"--suffix _t --log - a.wav", std::nullopt, 2, "", "", ""},
      {"-o - a.wav", std::nullopt, 2, "", "", ""},
      {"--output-dir=- a.wav", std::nullopt, 2, "", "", ""},
      {"--suffix _t -", "a.wav\n", 2, "", "", ""},
      {"--suffix _t -- -", "a.wav\n", 2, "", "", ""},
      {"--suffix _t --files-from -", "a.wav\n", 0, "1 file processed ok", "a_t.wav", ""},
      {"--suffix _t --report - a.wav", std::nullopt, 0, "{\"source\":", "a_t.wav", ""},
      {"--suffix _t -o ./- a.wav", std::nullopt, 0, "1 file processed ok", "-/a_t.wav", ""},
      {"--suffix _t a.wav broken.wav c.wav d.wav", std::nullopt, 1,
       "1 file processed ok, 1 with errors, 2 not started (-k goes on)", "a_t.wav", ""},
      {"--suffix _t -k a.wav broken.wav c.wav", std::nullopt, 1, "2 files processed ok, 1 with errors\n", "c_t.wav",
       ""},
      // What the run itself writes, lost: said with the system's reason, and a status of its own.
      {"--help >/dev/full", std::nullopt, 3, "", "", full},
      {"--suffix _t a.wav c.wav >/dev/full", std::nullopt, 3, "", "a_t.wav", full},
      {"--suffix _t --report - a.wav >/dev/full", std::nullopt, 3, "", "a_t.wav", full},
      {"--suffix _t --report /dev/full a.wav", std::nullopt, 3, "done: ", "a_t.wav", full},
      {"--suffix _t --log /dev/full a.wav", std::nullopt, 3, "1 file processed ok", "a_t.wav", full},
      {"--suffix _t --log no/run.log a.wav", std::nullopt, 3, "", "", std::strerror(ENOENT)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Args);
    for (const char* stale : {"-", "a_t.wav", "c_t.wav"}) fs::remove_all(Dir.File(stale));
    EXPECT_EQ(Run(Call(c.Args).WithInput(c.Input).SeparateErr()), c.Status) << Err;
    EXPECT_TRUE(*c.StdoutHas ? Out.find(c.StdoutHas) != std::string::npos : Out.empty()) << Out;
    EXPECT_TRUE(c.Status < 2 || !Err.empty()) << Err;
    EXPECT_NE(Err.find(c.ErrHas), std::string::npos) << Err;
    EXPECT_TRUE(*c.Made ? fs::exists(Dir.File(c.Made)) : !fs::exists(Dir.File("-"))) << c.Made;
  }
}

TEST_F(ShellContractTest, StopBySignalEndsTheRunAsTheSignalWould) {
  // Five minutes of stereo 16-bit: long enough to be stopped in the middle.
  std::vector<int16_t> tone(48000 * 2 * 300, 1000);
  WriteWav16(Dir.File("long.wav"), 2, tone);
  const std::string args = "--bits 64f --suffix _t long.wav c.wav --report run.jsonl";
  // Ctrl+C reaches the loop's whole process group; bash goes on only past a child that exited.
  const std::string loop = "bash -c \"for f in a b c; do '" + std::string(TACETIX_CLI) + "' " + args +
                           "; done; echo after\"";
  struct Case {
    const char* Name;
    CliCall Call;
    int Sent;    // once the output has data
    int DiesOf;  // 0: the run goes on to its end
  };
  const Case cases[] = {
      {"INT", Call(args), SIGINT, SIGINT},
      {"TERM", Call(args), SIGTERM, SIGTERM},
      {"HUP", Call(args), SIGHUP, SIGHUP},
      {"bash loop, INT to the group", CliCall("setsid", loop).In(Dir.Path()), SIGINT, SIGINT},
      {"HUP ignored by the parent (nohup)", Call(args).AfterShell("trap '' HUP; "), SIGHUP, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    fs::remove(Dir.File("long_t.wav"));
    CliChild cli(c.Call);
    for (int i = 0; i < 500 && OutputBytesSoFar(Dir.File("long_t.wav")) <= 44; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    cli.SignalGroup(c.Sent);
    const CliResult run = cli.Finish();
    EXPECT_EQ(run.KilledBy, c.DiesOf) << run.Out;
    EXPECT_EQ(run.Status, c.DiesOf != 0 ? 128 + c.DiesOf : 0) << run.Out;
    EXPECT_EQ(run.Out.find("after"), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("1 not started") != std::string::npos, c.DiesOf != 0) << run.Out;
    EXPECT_EQ(run.Out.find("-k goes on"), std::string::npos) << run.Out;
    // The cleanup came first: the report ends with its summary, no temporary file is left.
    EXPECT_EQ(ReadText(Dir.File("run.jsonl")).find("\"cancelled\":true") != std::string::npos, c.DiesOf != 0);
    for (const auto& entry : fs::directory_iterator(Dir.Path()))
      EXPECT_NE(entry.path().filename().string().rfind(".long", 0), 0u) << entry.path();
  }
}

TEST_F(ShellContractTest, HelpFitsSeventyNineColumns) {
  ASSERT_EQ(Run(Call("--help").SeparateErr()), 0);
  std::istringstream lines(Out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}

TEST_F(ShellContractTest, RecursiveReRunsLeaveTheirOwnOutputsAlone) {
  fs::create_directories(Dir.File("tree/deep"));
  for (const char* name : {"tree/x.wav", "tree/deep/y.wav"}) WriteWav16(Dir.File(name), 1, {0, 0, 100, -100, 0});
  // The subfolder's name in every folder walked, and the one output folder wherever it lies.
  for (const char* options : {"--subfolder trimmed", "-o tree/deep/out"}) {
    SCOPED_TRACE(options);
    const std::string run = std::string("-r -k --overwrite ") + options + " --report run.jsonl tree";
    ASSERT_EQ(Cli(run), 0) << Out;
    ASSERT_EQ(Cli(run), 0) << Out;
    EXPECT_NE(ReadText(Dir.File("run.jsonl")).find("\"files\":2,"), std::string::npos) << Out;
    for (const char* outputs : {"tree/trimmed", "tree/deep/trimmed", "tree/deep/out"})
      fs::remove_all(Dir.File(outputs));
  }
}
