// Argument vectors to parsed settings or usage errors, and the option list that the help,
// the man page and the completion must all carry.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cli/CliOptions.h"
#include "support/TestSupport.h"

using tacetix::CliConfig;

namespace {

struct ArgCase {
  std::vector<std::string> Args;
  const char* Error;  // a part of the usage error; null when the parse succeeds
  std::function<bool(const CliConfig&)> Holds = [](const CliConfig&) { return true; };
};

std::vector<std::string> InputNames(const CliConfig& c) {
  std::vector<std::string> names;
  for (const tacetix::InputSource& i : c.Inputs) names.push_back((i.IsList ? "list:" : "") + i.Name);
  return names;
}

const std::vector<ArgCase>& Cases() {
  // clang-format off
  static const std::vector<ArgCase> cases = {
      {{"--suffix=_t", "a.wav"}, nullptr, [](auto& c) { return c.Request.Settings.Suffix == "_t"; }},
      {{"--suf", "_t", "--cr", "a.wav"}, nullptr,
       [](auto& c) { return c.Request.Settings.Suffix == "_t" && c.Request.Settings.CreateIfUnchanged; }},
      {{"-qvnk", "-b24", "-o", "/x/out", "a.wav"}, nullptr,
       [](auto& c) {
         const auto& s = c.Request.Settings;
         return c.Quiet && c.Verbose && s.Simulation && !s.StopOnError && s.BitsChoice == 5 && s.FolderMode == tacetix::FolderKind::OtherFolder &&
                s.FolderText == "/x/out";
       }},
      {{"--begin", "-60", "--bits=32f", "--subfolder=", "--prefix=p", "a"}, nullptr,
       [](auto& c) {
         const auto& s = c.Request.Settings;
         return s.ThresholdBegin == tacetix::SliderFactor(840) && s.BitsChoice == 7 && s.FolderText.empty();
       }},
      {{"--suffix", "_t", "--", "-q", "--begin"}, nullptr,
       [](auto& c) { return !c.Quiet && InputNames(c) == std::vector<std::string>{"-q", "--begin"}; }},
      {{"--files-from", "l1", "a.wav", "-0", "--files-from=-", "b.wav", "-r", "--suffix", "_t"}, nullptr,
       [](auto& c) {
         return c.NulSeparated && c.Recursive &&
                InputNames(c) == std::vector<std::string>{"list:l1", "a.wav", "list:-", "b.wav"};
       }},
      {{"--report", "-", "--suffix", "_t", "--files-from", "x"}, nullptr, [](auto& c) { return c.ReportName == "-"; }},
      {{"-j3", "--suffix", "_t", "a"}, nullptr, [](auto& c) { return c.Request.Jobs == 3; }},
      {{"--jobs=0", "--suffix", "_t", "a"}, nullptr, [](auto& c) { return c.Request.Jobs >= 1; }},
      {{"--suffix", "_t", "a"}, nullptr, [](auto& c) { return c.Request.Jobs == 1; }},
      {{"-j", "-1", "--suffix", "_t", "a"}, "--jobs: a count from 0 (one a core) to 256, not '-1'"},
      {{"-j", "2x", "--suffix", "_t", "a"}, "--jobs: a count from 0"},
      {{"-h"}, nullptr, [](auto& c) { return c.ShowHelp; }},
      {{"--vers"}, nullptr, [](auto& c) { return c.ShowVersion; }},
      {{"--no", "--suffix", "_t", "a"}, "'--no' is ambiguous (--no-trim-begin, --no-trim-end, --normalize)"},
      {{"--s", "x", "a"}, "ambiguous"},
      {{"--quiet=yes", "--suffix", "_t", "a"}, "option '--quiet' takes no value"},
      {{"--suffix", "_t", "-qx", "a"}, "unknown option '-x'"},
      {{"--bogus", "--suffix", "_t", "a"}, "unknown option '--bogus'"},
      {{"--suffix", "_t", "a.wav", "-b"}, "option '-b' needs a value"},
      {{"--suffix", "_t", "a.wav", "--norm"}, "option '--normalize' needs a value"},
      {{"--suffix", "_t"}, "no files given"},
      {{"-r", "a.wav"}, "give --prefix, --suffix, --subfolder or --output-dir"},
      {{"-b", "48", "--suffix", "_t", "a"}, "--bits: unknown depth '48'"},
      {{"--normalize=-inf", "--suffix", "_t", "a"}, "--normalize: level must be from -144.0 to 0.0 dBfs, not"},
      // Keep and fade: linked, the end takes the beginning's values, as it takes its threshold.
      {{"--keep-begin", "200", "--fade-in=30", "--ignore-clicks", "1000", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) {
         const auto& s = c.Request.Settings;
         const auto& h = c.Request.Header.Processing;
         return s.KeepBeginMs == 200 && s.KeepEndMs == 200 && s.FadeInMs == 30 && s.FadeOutMs == 30 &&
                s.IgnoreClicksMs == 1000 && h.at(6) == "Keep silence at end: 200 ms" && h.at(7) == "Fade out: 30 ms" &&
                h.at(8) == "Ignore clicks shorter than: 1000 ms";
       }},
      {{"--keep", "20", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) { return c.Request.Settings.KeepEndMs == 20 && c.Request.Settings.StopOnError; }},
      {{"--end", "-60", "--keep-end", "100", "--fade-out", "20", "--keep-begin", "5", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) {
         const auto& s = c.Request.Settings;
         return s.KeepBeginMs == 5 && s.KeepEndMs == 100 && s.FadeInMs == 0 && s.FadeOutMs == 20;
       }},
      {{"--fade", "10000", "--keep", "7", "--end", "-60", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) {
         const auto& s = c.Request.Settings;
         return s.KeepBeginMs == 7 && s.KeepEndMs == 7 && s.FadeInMs == 10000 && s.FadeOutMs == 10000;
       }},
      {{"--no-trim-end", "--fade-out", "5", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) { return !c.Request.Settings.RemoveEnd && c.Request.Settings.FadeOutMs == 5; }},
      {{"--keep-end", "100", "--suffix", "_t", "a"}, "--keep-end: the end follows the beginning; give --end LEVEL"},
      {{"--fade-out", "10", "--begin", "-60", "--suffix", "_t", "a"}, "--fade-out: the end follows the beginning"},
      {{"--keep-begin", "10001", "--suffix", "_t", "a"}, "--keep-begin: milliseconds from 0 to 10000, not '10001'"},
      {{"--fade", "-1", "--suffix", "_t", "a"}, "--fade: milliseconds from 0 to 10000, not '-1'"},
      {{"--ignore-clicks", "1001", "--suffix", "_t", "a"}, "--ignore-clicks: milliseconds from 0 to 1000"},
      {{"--ignore-clicks", "5ms", "--suffix", "_t", "a"}, "--ignore-clicks: milliseconds from 0 to 1000, not '5ms'"},
      {{"--kee", "5", "--suffix", "_t", "a"}, "ambiguous"},
      {{"--log-separator", "\"", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", "\n", "--suffix", "_t", "a"}, "--log-separator"},
      // The unquoted numbers hold digits, letters ("inf"), signs and the point: none separates.
      {{"--log-separator", "-", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", "+", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", "7", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", "x", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", "N", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", ".", "--log-decimal-comma", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", ",", "--log-decimal-comma", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-decimal-comma", "--log-separator", ",", "--suffix", "_t", "a"}, "--log-separator"},
      {{"--log-separator", "|", "--log-decimal-comma", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) { return c.Request.Log.SepaField == '|' && c.Request.Log.SepaDeci == ','; }},
      {{"--log-separator", "\xE9", "--suffix", "_t", "a"}, nullptr,
       [](auto& c) { return c.Request.Log.SepaField == '\xE9'; }},
  };
  // clang-format on
  return cases;
}

}  // namespace

TEST(OptionTableTest, ArgumentVectorsGiveSettingsOrOneUsageError) {
  for (const ArgCase& c : Cases()) {
    std::string joined;
    for (const std::string& a : c.Args) joined += a + " ";
    SCOPED_TRACE(joined);
    CliConfig config;
    std::string error;
    const bool parsed = tacetix::ParseCommandLine(c.Args, config, error);
    if (c.Error) {
      EXPECT_FALSE(parsed);
      EXPECT_NE(error.find(c.Error), std::string::npos) << error;
    } else {
      ASSERT_TRUE(parsed) << error;
      EXPECT_TRUE(c.Holds(config));
    }
  }
}

// The man page and the completion are written by hand: they name every row of the table and
// nothing else, with the words of every choice; the help, made from the rows, names the options
// other rows speak for. Every row reaches a field: the user's choices or the command line's own.
TEST(OptionTableTest, HelpManPageAndCompletionFollowTheTable) {
  const std::string help = tacetix::UsageText();
  const std::string man = testsupport::ReadText(std::string(TACETIX_SOURCE_DIR) + "/docs/man/tacetix-cli.1");
  const std::string script = testsupport::ReadText(std::string(TACETIX_SOURCE_DIR) + "/scripts/completion/tacetix-cli");
  auto roff = [](const std::string& word) {  // roff writes the hyphens of an option as \-
    std::string r;
    for (char ch : word) r += ch == '-' ? std::string("\\-") : std::string(1, ch);
    return "\\fB" + r + "\\fR";
  };
  // The completion's list of every option, and its values a case arm each ("-b | --bits)").
  std::smatch list;
  ASSERT_TRUE(std::regex_search(script, list, std::regex("local opts=\"([^\"]*)\"")));
  std::istringstream listed(list[1].str());
  const std::set<std::string> offered{std::istream_iterator<std::string>(listed), {}};
  std::map<std::string, std::string> armValues;
  const std::regex arm(R"(\n\s*([-\w |]+)\)\n\s*COMPREPLY=\(\$\(compgen -W '([^']*)')");
  for (std::sregex_iterator m(script.begin(), script.end(), arm), end; m != end; ++m) {
    std::istringstream names((*m)[1].str());
    for (std::string name; names >> name;)
      if (name != "|") armValues[name] = (*m)[2].str();
  }
  // Every option named in bold in the man page's option list.
  const size_t from = man.find(".SH OPTIONS");
  const std::string options = man.substr(from, man.find(".SH", from + 1) - from);
  std::set<std::string> manOptions;
  const std::regex bold(R"(\\fB((\\-)+[\w\\-]+)\\fR)");
  for (std::sregex_iterator m(options.begin(), options.end(), bold), end; m != end; ++m) {
    const std::string option = std::regex_replace((*m)[1].str(), std::regex(R"(\\-)"), "-");
    if (option.size() == 2 || (option.size() > 2 && option[1] == '-')) manOptions.insert(option);  // not -inf
  }
  manOptions.erase("--");
  std::set<std::string> spellings;
  for (const tacetix::OptionRow& row : tacetix::AllOptions()) {
    spellings.insert(std::string("--") + row.Long);
    if (row.Short) spellings.insert(std::string("-") + row.Short);
  }
  EXPECT_EQ(offered, spellings);
  for (const std::string& option : manOptions) EXPECT_TRUE(spellings.count(option)) << option << " is no option";
  for (const tacetix::OptionRow& row : tacetix::AllOptions()) {
    const std::string name = std::string("--") + row.Long;
    SCOPED_TRACE(name);
    EXPECT_NE(help.find(name), std::string::npos);
    EXPECT_NE(man.find(roff(name)), std::string::npos);
    if (row.Short) {
      EXPECT_NE(man.find(roff(std::string("-") + row.Short)), std::string::npos);
    }
    // A value of the row, as the command line takes it, reaches a field.
    const bool whole = row.Kind == tacetix::OptionKind::Milliseconds || row.Kind == tacetix::OptionKind::Count;
    std::vector<std::string> args = {name};
    if (row.TakesValue())
      args.push_back(!row.Values.empty() ? row.Values[0].Word : whole ? std::to_string(row.Min) : "-1");
    tacetix::CliConfig config;
    std::string error;
    tacetix::ParseCommandLine(args, config, error);
    EXPECT_EQ(error.find("not an option"), std::string::npos) << error;
    if (row.Values.empty()) continue;
    std::string words;
    for (const tacetix::ValueName& v : row.Values) {
      words += (words.empty() ? "" : " ") + std::string(v.Word);
      EXPECT_NE(options.find(roff(v.Word)), std::string::npos) << v.Word;
    }
    EXPECT_EQ(armValues[name], words);
  }
}

// A reader searches the rendered page for an option: a narrow terminal must not hyphenate one,
// so every mention in the source is found whole on the screen.
TEST(OptionTableTest, EveryMentionOfAnOptionIsFoundInThePageRenderedNarrow) {
  const std::string page = std::string(TACETIX_SOURCE_DIR) + "/docs/man/tacetix-cli.1";
  const std::string source = testsupport::ReadText(page);
  if (!testsupport::HaveProgram("man")) {
    EXPECT_NE(source.find("\n.nh\n"), std::string::npos) << "hyphenation is on";
    return;
  }
  std::string shown;
  ASSERT_EQ(
      testsupport::RunCommand(
          "MANWIDTH=60 MAN_KEEP_FORMATTING= man -l " + testsupport::ShellQuote(page) + " 2>/dev/null | col -b", &shown),
      0);
  auto count = [](const std::string& text, const std::string& word) {
    size_t n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
  };
  std::string written;  // the page without its comments
  std::istringstream lines(source);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(".\\\"", 0) != 0) written += line + "\n";
  for (const tacetix::OptionRow& row : tacetix::AllOptions()) {
    const std::string name = std::string("--") + row.Long;
    std::string roff;  // as roff writes it, each hyphen a \-
    for (char ch : name) roff += ch == '-' ? std::string("\\-") : std::string(1, ch);
    EXPECT_GT(count(written, roff), 0u) << name;
    EXPECT_EQ(count(shown, name), count(written, roff)) << name;
  }
}

TEST(OptionTableTest, BashCompletionOffersOptionsAndValues) {
  const std::string library = "/usr/share/bash-completion/bash_completion";
  ASSERT_TRUE(std::filesystem::exists(library)) << "bash-completion is required";
  struct Completion {
    const char* Words;  // as bash splits the line: "=" is a word of its own
    const char* Line;
    const char* Offered;
  };
  const Completion cases[] = {
      {"tacetix-cli --bi", "tacetix-cli --bi", "--bits --bits-mode"},
      {"tacetix-cli -b 6", "tacetix-cli -b 6", "64f"},
      {"tacetix-cli --bits = 3", "tacetix-cli --bits=3", "32 32f"},
      {"tacetix-cli --bits-mode u", "tacetix-cli --bits-mode u", "up"},
      {"tacetix-cli --log-s", "tacetix-cli --log-s", "--log-short --log-separator"},
      {"tacetix-cli -q --re", "tacetix-cli -q --re", "--recursive --report"},
  };
  for (const Completion& c : cases) {
    SCOPED_TRACE(c.Line);
    const std::string script = "source " + library + "; source " + TACETIX_SOURCE_DIR +
                               "/scripts/completion/tacetix-cli; COMP_WORDS=(" + c.Words +
                               "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE='" + c.Line +
                               "'; COMP_POINT=${#COMP_LINE}; _tacetix_cli; echo \"${COMPREPLY[*]}\"";
    std::string offered;
    ASSERT_EQ(testsupport::RunCommand("bash -c " + testsupport::ShellQuote(script), &offered), 0);
    EXPECT_EQ(offered, std::string(c.Offered) + "\n");
  }
}
