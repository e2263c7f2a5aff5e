// The window's program answers --version and --help from its arguments alone; any other
// command line, and those words after "--" (file names), open the window.
#include <gtest/gtest.h>

#include <sstream>

#include "TacetixVersion.h"
#include "main/WindowlessAnswers.h"

namespace tacetix {
namespace {

TEST(WindowlessAnswers, AnswersOnlyVersionAndHelpBeforeFileNames) {
  struct Case {
    std::vector<std::string> Arguments;
    bool Answered;
    std::string Starts;
  };
  const Case cases[] = {
      {{}, false, ""},
      {{"a.wav", "b.wav"}, false, ""},
      {{"--version"}, true, "tacetix " TACETIX_VERSION "\n"},
      {{"a.wav", "--help"}, true, "Usage: tacetix"},
      {{"-h"}, true, "Usage: tacetix"},
      {{"--", "--version"}, false, ""},
      {{"-platform", "offscreen", "--version"}, true, "tacetix "},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    EXPECT_EQ(AnswerWithoutWindow(c.Arguments, out), c.Answered) << testing::PrintToString(c.Arguments);
    EXPECT_EQ(out.str().rfind(c.Starts, 0), 0u) << out.str();
    EXPECT_TRUE(c.Answered || out.str().empty());
  }
}

TEST(WindowlessAnswers, HelpFitsAnEightyColumnTerminal) {
  std::ostringstream out;
  AnswerWithoutWindow({"--help"}, out);
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
}

}  // namespace
}  // namespace tacetix
