// What a person at a terminal sees on stderr: the progress line counts the files, gives the
// current file's own percentage, fits the terminal's width, and stays away from terminals that
// cannot redraw a line and from stderr that is no terminal. script(1) gives the run a terminal.
#include <gtest/gtest.h>

#include <algorithm>

#include "CliFixture.h"
#include "cli/CliFrontEnd.h"

using namespace testsupport;

namespace {

TEST(ProgressText, CountsFilesAndKeepsTheNamesEndWithinTheWidth) {
  struct Case {
    int32_t Row;
    size_t Rows;
    int32_t Percent;
    std::string File;
    int Columns;
    std::string Expected;
  };
  const Case cases[] = {
      {36, 200, 45, "/a/take.wav", 80, "37/200  45% /a/take.wav"},
      {0, 1, 100, "/a/take.wav", 80, "1/1 100% /a/take.wav"},
      {0, 1, 7, "/archive/some/long/folder/take.wav", 24, "1/1   7% ...er/take.wav"},
      {0, 1, 7, "/archive/\xc3\xa9t\xc3\xa9/take.wav", 24, "1/1   7% ...t\xc3\xa9/take.wav"},
      {0, 1, 7, "/archive/take.wav", 12, "1/1   7% "},
      {199, 200, 50, "/a.wav", 8, "200/200"},
  };
  for (const Case& c : cases) EXPECT_EQ(tacetix::ProgressText(c.Row, c.Rows, c.Percent, c.File, c.Columns), c.Expected);
}

class TerminalTest : public clitest::CliFixture {
 protected:
  // The run on a terminal of 60 columns; its stderr as the terminal got it.
  std::string OnTerminal(const std::string& term, const std::string& args) {
    const std::string inner = "stty cols 60; TERM=" + term + " " + ShellQuote(TACETIX_CLI) + " " + args;
    Run(CliCall("script", "-qec " + ShellQuote(inner) + " /dev/null").In(Dir.Path()));
    return Out;
  }
};

}  // namespace

TEST_F(TerminalTest, ProgressLineFitsTheTerminalAndIsLeftOutWhereItCannotBeRedrawn) {
  ASSERT_TRUE(HaveProgram("script")) << "script (util-linux) is required";
  // Two files of ten seconds of stereo tone at 48 kHz between two bits of digital silence:
  // the write of what is kept moves the percentage many times.
  const std::string name = "a folder with a rather long name for a narrow pane/";
  std::vector<int16_t> tone(48000 * 2 * 10, 1000);
  std::fill_n(tone.begin(), 200, 0);
  std::fill_n(tone.rbegin(), 200, 0);
  std::filesystem::create_directories(Dir.File(name));
  for (const char* file : {"first take.wav", "second take.wav"}) WriteWav16(Dir.File(name + file), 2, tone);
  const std::string args = "--subfolder out " + ShellQuote(name + "first take.wav") + " " +
                           ShellQuote(name + "second take.wav");
  const std::string drawn = OnTerminal("xterm", args);
  size_t lines = 0;
  for (size_t at = drawn.find("\r\033[K"); at != std::string::npos; at = drawn.find("\r\033[K", at + 1)) {
    const size_t end = drawn.find_first_of("\r\n", at + 1);
    const std::string line = drawn.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
    if (line.find('%') == std::string::npos) continue;  // a clear before a file's own line
    EXPECT_LT(line.size(), 60u) << line;
    ++lines;
  }
  EXPECT_GT(lines, 2u) << drawn;
  EXPECT_NE(drawn.find("1/2 100% ..."), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("2/2 100% ..."), std::string::npos) << drawn;

  std::filesystem::remove_all(Dir.File(name + "out"));
  EXPECT_EQ(OnTerminal("dumb", args).find('%'), std::string::npos) << Out;
  std::filesystem::remove_all(Dir.File(name + "out"));
  ASSERT_EQ(Cli(args), 0) << Out;
  EXPECT_EQ(Out.find('%'), std::string::npos) << Out;
}
