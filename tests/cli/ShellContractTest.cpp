// What a shell script relies on: "-" is standard input or output where a stream can stand for a
// file and refused elsewhere (no file or folder named "-" appears).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

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

TEST_F(ShellContractTest, DashForms) {
  struct Case {
    const char* Args;
    std::optional<std::string> Input;
    int Status;
    const char* StdoutHas;  // "" when standard output stays empty
    const char* Made;       // a file the run must make ("" none)
  };
  const Case cases[] = {
      {"--suffix _t --log - a.wav", std::nullopt, 2, "", ""},
      {"-o - a.wav", std::nullopt, 2, "", ""},
      {"--output-dir=- a.wav", std::nullopt, 2, "", ""},
      {"--suffix _t -", "a.wav\n", 2, "", ""},
      {"--suffix _t -- -", "a.wav\n", 2, "", ""},
      {"--suffix _t --files-from -", "a.wav\n", 0, "1 file processed ok", "a_t.wav"},
      {"--suffix _t --report - a.wav", std::nullopt, 0, "{\"source\":", "a_t.wav"},
      {"--suffix _t -o ./- a.wav", std::nullopt, 0, "1 file processed ok", "-/a_t.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Args);
    for (const char* stale : {"-", "a_t.wav", "c_t.wav"}) fs::remove_all(Dir.File(stale));
    EXPECT_EQ(Run(Call(c.Args).WithInput(c.Input).SeparateErr()), c.Status) << Err;
    EXPECT_TRUE(*c.StdoutHas ? Out.find(c.StdoutHas) != std::string::npos : Out.empty()) << Out;
    EXPECT_TRUE(c.Status != 2 || !Err.empty()) << Err;
    EXPECT_TRUE(*c.Made ? fs::exists(Dir.File(c.Made)) : !fs::exists(Dir.File("-"))) << c.Made;
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
    for (const char* outputs : {"tree/trimmed", "tree/deep/trimmed", "tree/deep/out"}) fs::remove_all(Dir.File(outputs));
  }
}
