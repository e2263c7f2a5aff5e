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
      // A name that would steer the terminal is quoted as a shell reads it back.
      {0, 1, 7, "/a/\x1b[31mred.wav", 80, "1/1   7% '/a/'$'\\033''[31mred.wav'"},
      {0, 1, 7, "a\nb.wav", 80, "1/1   7% 'a'$'\\n''b.wav'"},
      {0, 1, 7,
       "\x7f\xc2\x9b"
       "2J.wav",
       80, "1/1   7% ''$'\\177\\302\\233''2J.wav'"},
      {0, 1, 7, "it's\t.wav", 80, "1/1   7% 'it'\\''s'$'\\t''.wav'"},
      // Wide characters take two columns, combining marks none, and none begins the name's end.
      {0, 1, 7, "\u9332\u97f3\u30c6\u30a4\u30af.wav", 20, "1/1   7% ...\u30af.wav"},
      {0, 1, 7, "/archive/e\u0301te\u0301/take.wav", 24, "1/1   7% ...te\u0301/take.wav"},
      {0, 1, 7, "abcde\u0301fgh.wav", 20, "1/1   7% ...fgh.wav"},
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
  // With two jobs the line counts the same files, by the bytes of those the workers have.
  for (const std::string jobs : {"", "-j 2 "}) {
    SCOPED_TRACE(jobs);
    const std::string drawn = OnTerminal("xterm", jobs + args);
    std::filesystem::remove_all(Dir.File(name + "out"));
    size_t lines = 0;
    for (size_t at = drawn.find("\r\033[K"); at != std::string::npos; at = drawn.find("\r\033[K", at + 1)) {
      const size_t end = drawn.find_first_of("\r\n", at + 1);
      const std::string line = drawn.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
      if (line.find('%') == std::string::npos) continue;  // a clear before a file's own line
      EXPECT_LT(line.size(), 60u) << line;
      ++lines;
    }
    EXPECT_GT(lines, jobs.empty() ? 2u : 1u) << drawn;
    if (jobs.empty()) EXPECT_NE(drawn.find("1/2 100% ..."), std::string::npos) << drawn;
    EXPECT_NE(drawn.find("2/2 100% ..."), std::string::npos) << drawn;
  }

  EXPECT_EQ(OnTerminal("dumb", args).find('%'), std::string::npos) << Out;
  std::filesystem::remove_all(Dir.File(name + "out"));
  ASSERT_EQ(Cli(args), 0) << Out;
  EXPECT_EQ(Out.find('%'), std::string::npos) << Out;
}

TEST_F(TerminalTest, LinesForPeopleQuoteNamesThatHoldControlCharacters) {
  struct Case {
    std::string Stem;    // of a source name.wav
    std::string Quoted;  // the stem as the lines give it
    std::string Json;    // the source's name in the report, its bytes as they are
  };
  const Case cases[] = {
      {"plain take", "plain take", "plain take.wav"},
      {"a\nb", "a'$'\\n''b", "a\\nb.wav"},
      {"\x1b]0;owned\a", "'$'\\033'']0;owned'$'\\a''", "\\u001b]0;owned\\u0007.wav"},
      {"tab\there", "tab'$'\\t''here", "tab\\there.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Quoted);
    WriteWav16(Dir.File(c.Stem + ".wav"), 1, {0, 0, 100, -100, 0});
    // Named twice: the note on the error stream names it too.
    ASSERT_EQ(Run(Call("--suffix _t --report run.jsonl -- *.wav *.wav").SeparateErr()), 0) << Err;
    const std::string dir = Dir.Path().string() + "/";
    const std::string q = c.Quoted != c.Stem ? "'" : "";
    const std::string source = q + dir + c.Quoted + ".wav" + q;
    EXPECT_EQ(Out, "done: " + source + " -> " + q + dir + c.Quoted + "_t.wav" + q + "\n1 file processed ok\n");
    EXPECT_EQ(Err.rfind("tacetix-cli: " + source + ": ", 0), 0u) << Err;
    ASSERT_EQ(Run(Call("--preview " + ShellQuote(Dir.File(c.Stem + ".wav")) + " --preview-out p.png")), 0) << Out;
    EXPECT_EQ(Out.rfind(source + ": ", 0), 0u) << Out;
    // The report keeps the name's bytes.
    EXPECT_NE(ReadText(Dir.File("run.jsonl")).find(c.Json), std::string::npos);
    std::filesystem::remove(Dir.File(c.Stem + ".wav"));
    std::filesystem::remove(Dir.File(c.Stem + "_t.wav"));
  }
  WriteFile(Dir.File("bro\x1bken.wav"), Bytes{'R', 'I', 'F', 'F', 0, 0});
  EXPECT_EQ(Run(Call("--suffix _t -- *.wav").SeparateErr()), 1);
  EXPECT_EQ(Err.rfind("tacetix-cli: '" + Dir.Path().string() + "/bro'$'\\033''ken.wav': ", 0), 0u) << Err;
}
