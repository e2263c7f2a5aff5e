// Option parsing for tacetix-cli: one table of options read by getopt_long. Levels snap to
// the window's 0.1 dB slider steps, so the factors and the log texts are the window's own.
#include "cli/CliOptions.h"
#include "options/OptionTable.h"
#include "options/RunChoices.h"

#include <getopt.h>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <thread>

namespace tacetix {
namespace {

// What the window's name fields refuse to take.
const std::string RefusedChars = "\\/|\":*?<>";

struct Parser {
  Parser(CliConfig& config, std::string& error) : Config(config), Error(error) {}
  CliConfig& Config;
  std::string& Error;
  RunChoices Choices;
  std::vector<const OptionRow*> Given;  // for the rules that join options
  bool PreviewOptionUsed = false;       // one of the --preview-... options was given

  bool Fail(const std::string& message) {
    Error = message;
    return false;
  }
  // A fixed text stays whole in the program, where a spelling check of the binary reads it.
  bool Fail(const char* message) {
    Error = message;
    return false;
  }
  bool Take(const OptionRow& row, const std::string& text);
  bool ParseSeparator(const OptionRow& row, const std::string& value);
  bool PreviewOptionsAlone();
  bool TakeFileName(const std::string& name);
  bool DashFormsTaken();
  bool RunOptionsHold();
  bool Finish();
};

// The name made absolute against the current folder; false with the reason when there is
// nothing to go by: an empty name, or a current folder that was deleted.
bool AbsoluteName(const std::string& name, std::string& absolute, std::string& why) {
  if (name.empty()) {
    why = "the name is empty";
    return false;
  }
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(name, ec);
  if (ec) {
    why = "cannot tell where '" + name + "' is: " + ec.message();
    return false;
  }
  absolute = p.lexically_normal().string();
  return true;
}

// A name on the command line that cannot be placed (empty, or the current folder is gone)
// is a usage error: nothing is run. Names read from a list are checked as the list is read.
bool Parser::TakeFileName(const std::string& name) {
  std::string path, why;
  if (!AbsoluteName(name, path, why)) return Fail(why);
  Config.Inputs.push_back({false, name});
  return true;
}

// What the log's field separator would break; the decimal separator may still change. Fixed
// texts stay whole in the program: a std::string made of one is built from pieces of it, and a
// piece such as "the nam" reads as a misspelling to a spelling check of the binary.
const char* SeparatorFaultText(SeparatorFault fault) {
  switch (fault) {
    case SeparatorFault::Quote: return "--log-separator: '\"' is the quote around the names";
    case SeparatorFault::LineBreak: return "--log-separator: a line break ends the records";
    case SeparatorFault::DecimalSeparator: return "--log-separator: the field separator equals the decimal separator";
    case SeparatorFault::InNumbers:
      return "--log-separator: a digit, letter, sign or point would split the number columns";
    default: return "--log-separator: no character";
  }
}

// A named separator is the character its row shows.
bool Parser::ParseSeparator(const OptionRow& row, const std::string& value) {
  const auto named =
      std::find_if(row.Values.begin(), row.Values.end(), [&](const ValueName& v) { return value == v.Word; });
  if (named == row.Values.end() && value.size() != 1)
    return Fail("--log-separator: comma, semicolon, tab or one character, not '" + value + "'");
  LogSettings& log = Config.Request.Log;
  log.SepaField = named != row.Values.end() ? named->Caption[0] : value[0];
  // A clash with the decimal separator waits for the end: --log-decimal-comma may follow.
  const SeparatorFault fault = FieldSeparatorFault(log.SepaField, log.SepaDeci);
  if (fault != SeparatorFault::None && fault != SeparatorFault::DecimalSeparator)
    return Fail(SeparatorFaultText(fault));
  return true;
}

// The command line's own fields, bound by the rows' long names; every other row sets the
// user's choices itself.
struct CliField {
  const char* Name;
  void (*Take)(Parser& p, const OptionValue& v);
};

LogSettings& Log(Parser& p) { return p.Config.Request.Log; }

// clang-format off
const CliField CliFields[] = {
    {"files-from", [](Parser& p, const OptionValue& v) { p.Config.Inputs.push_back({true, v.Text}); }},
    {"null", [](Parser& p, const OptionValue&) { p.Config.NulSeparated = true; }},
    {"recursive", [](Parser& p, const OptionValue&) { p.Config.Recursive = true; }},
    // 0 stands for one job a core; more jobs than files are never started.
    {"jobs", [](Parser& p, const OptionValue& v) {
       const auto cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
       p.Config.Request.Jobs = v.Number ? v.Number : cores;
     }},
    {"quiet", [](Parser& p, const OptionValue&) { p.Config.Quiet = true; }},
    {"verbose", [](Parser& p, const OptionValue&) { p.Config.Verbose = true; }},
    {"log", [](Parser& p, const OptionValue& v) {
       p.Choices.LogEnabled = true;
       p.Config.Request.LogName = v.Text;
     }},
    {"log-short", [](Parser& p, const OptionValue&) { Log(p).ProcInfOnly = true; }},
    {"log-names-only", [](Parser& p, const OptionValue&) { Log(p).PathInfile = Log(p).PathOutfile = false; }},
    {"log-decimal-comma", [](Parser& p, const OptionValue&) { Log(p).SepaDeci = ','; }},
    {"report", [](Parser& p, const OptionValue& v) { p.Config.ReportName = v.Text; }},
    {"preview", [](Parser& p, const OptionValue& v) { p.Config.PreviewFile = v.Text; }},
    {"preview-out", [](Parser& p, const OptionValue& v) { p.Config.PreviewOut = v.Text; }},
    {"preview-width", [](Parser& p, const OptionValue& v) { p.Config.PreviewWidth = v.Number; }},
    {"preview-height", [](Parser& p, const OptionValue& v) { p.Config.PreviewHeight = v.Number; }},
    {"preview-scale", [](Parser& p, const OptionValue& v) { p.Config.PreviewDecibels = v.Number == 0; }},
    {"help", [](Parser& p, const OptionValue&) { p.Config.ShowHelp = true; }},
    {"version", [](Parser& p, const OptionValue&) { p.Config.ShowVersion = true; }},
};
// clang-format on

const CliField* CliFieldOf(const OptionRow& row) {
  for (const CliField& f : CliFields)
    if (std::string_view(row.Long) == f.Name) return &f;
  return nullptr;
}

bool Parser::Take(const OptionRow& row, const std::string& text) {
  if (std::string_view(row.Long) == "log-separator") return ParseSeparator(row, text);
  OptionValue value;
  std::string error;
  if (!ParseOptionValue(row, text, value, error)) return Fail(error);
  Given.push_back(&row);
  if (std::string_view(row.Long).rfind("preview-", 0) == 0) PreviewOptionUsed = true;
  if (ApplyOption(row, Choices, value)) return true;
  if (const CliField* field = CliFieldOf(row)) field->Take(*this, value);
  else return Fail("--" + std::string(row.Long) + ": not an option of the command line");
  return true;
}

// getopt_long's code of an option: its letter, or a number above every letter.
int OptionCode(size_t index) {
  const OptionRow& row = AllOptions()[index];
  return row.Short ? row.Short : 256 + static_cast<int>(index);
}

const OptionRow* FindByCode(int code) {
  for (size_t i = 0; i < AllOptions().size(); ++i)
    if (OptionCode(i) == code) return &AllOptions()[i];
  return nullptr;
}

// "-" is standard input or output where a stream can stand for the file (--files-from, --report).
// Elsewhere it would quietly make a file or a folder named "-": refused, with the way to say it.
bool Parser::DashFormsTaken() {
  if (Config.Request.LogName == "-")
    return Fail("--log: '-' is no log file (give ./- for a file of that name; --report - writes to standard output)");
  if (Choices.FolderMode == FolderKind::OtherFolder && Choices.OtherFolderText == "-")
    return Fail("--output-dir: '-' is no folder (give ./- for a folder of that name)");
  for (const auto& input : Config.Inputs)
    if (!input.IsList && input.Name == "-")
      return Fail("'-' is no wave file (--files-from - reads the names from standard input; ./- names a file)");
  return true;
}

// A preview reads one file and writes one picture: no files to process beside it.
bool Parser::PreviewOptionsAlone() {
  if (Config.PreviewFile.empty()) return !PreviewOptionUsed || Fail("the --preview-... options need --preview FILE");
  if (!Config.Inputs.empty()) return Fail("--preview: shows one file; give no files to process with it");
  if (Config.PreviewOut.empty() || Config.PreviewOut == "-") return Fail("--preview-out: give a file name");
  return true;
}

// What a run needs beyond a preview: names the outputs may take, and files to take them from.
bool Parser::RunOptionsHold() {
  RunChoices& c = Choices;
  const LogSettings& log = Config.Request.Log;
  const SeparatorFault separatorFault = FieldSeparatorFault(log.SepaField, log.SepaDeci);
  if (separatorFault != SeparatorFault::None) return Fail(SeparatorFaultText(separatorFault));
  for (const auto& [name, text] :
       {std::pair{"--prefix", c.Prefix}, {"--suffix", c.Suffix}, {"--subfolder", c.SubfolderText}})
    if (text.find_first_of(RefusedChars) != std::string::npos)
      return Fail(std::string(name) + ": may not hold any of \\ / | \" : * ? < >");
  // Parts take names of their own (NAME-01...): beside the sources they replace none.
  const bool split = c.SplitGapMs > 0 || c.SplitCount > 0;
  if (!split && c.Prefix.empty() && c.Suffix.empty() && c.SubfolderText.empty() && c.OtherFolderText.empty())
    return Fail("give --prefix, --suffix, --subfolder or --output-dir: the outputs would replace the sources");
  // Both would write beside the sources or into their parent, not into a folder of outputs.
  if (c.FolderMode == FolderKind::Subfolder && (c.SubfolderText == "." || c.SubfolderText == ".."))
    return Fail("--subfolder: '" + c.SubfolderText + "' is not a subfolder");
  if (Config.Inputs.empty()) return Fail("no files given (see --help)");
  if (!DashFormsTaken()) return false;
  std::string why;
  if (c.FolderMode == FolderKind::OtherFolder && !AbsoluteName(c.OtherFolderText, c.OtherFolderText, why))
    return Fail("--output-dir: " + why);
  return true;
}

bool Parser::Finish() {
  if (Config.ShowHelp || Config.ShowVersion) return true;
  if (!PreviewOptionsAlone()) return false;
  if (Config.PreviewFile.empty() && !RunOptionsHold()) return false;
  RunDescription run = DescribeRun(Choices, Given);
  if (!run.Refusal.empty()) return Fail(run.Refusal);
  Config.Request.Settings = std::move(run.Settings);
  Config.Request.Header = std::move(run.Header);
  return true;
}

// The long options that an argument (without its "--" and "=value") names: the one it spells
// in full, else every one it begins.
std::vector<std::string> LongMatches(const std::string& typed) {
  std::vector<std::string> found;
  if (typed.empty()) return found;
  for (const OptionRow& o : AllOptions()) {
    if (typed == o.Long) return {o.Long};
    if (std::string(o.Long).rfind(typed, 0) == 0) found.push_back(o.Long);
  }
  return found;
}

// getopt_long's '?' (unknown, ambiguous, or a value given to a flag) and ':' (value missing),
// said in one line. arg is the last argument getopt_long finished with; a short option in
// the middle of a bundle ("-xq") has not finished its argument yet, so optionCode decides.
std::string OptionError(int code, const std::string& arg, int optionCode) {
  const size_t eq = arg.find('=');
  const std::string typed = arg.rfind("--", 0) == 0 ? arg.substr(2, eq == std::string::npos ? eq : eq - 2) : "";
  const std::vector<std::string> matches = LongMatches(typed);
  const bool namesLong = optionCode == 0 || optionCode >= 256 ||
                         (matches.size() == 1 && FindOption(matches[0])->Short == optionCode);
  if (!namesLong) {
    const std::string letter(1, static_cast<char>(optionCode));
    return code == ':' ? "option '-" + letter + "' needs a value" : "unknown option '-" + letter + "' (see --help)";
  }
  if (matches.empty()) return "unknown option '--" + typed + "' (see --help)";
  if (matches.size() > 1) {
    std::string list;
    for (const std::string& m : matches) list += (list.empty() ? "--" : ", --") + m;
    return "option '--" + typed + "' is ambiguous (" + list + ")";
  }
  return "option '--" + matches[0] + (code == ':' ? "' needs a value" : "' takes no value");
}

struct GetoptTables {
  std::string ShortOptions = "-:";  // '-': operands come back in place, in order; ':': say what is missing
  std::vector<option> LongOptions;
  GetoptTables() {
    for (size_t i = 0; i < AllOptions().size(); ++i) {
      const OptionRow& o = AllOptions()[i];
      if (o.Short) ShortOptions += std::string(1, o.Short) + (o.TakesValue() ? ":" : "");
      LongOptions.push_back({o.Long, o.TakesValue() ? required_argument : no_argument, nullptr, OptionCode(i)});
    }
    LongOptions.push_back({nullptr, 0, nullptr, 0});
  }
};

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CliConfig& config, std::string& error) {
  static const GetoptTables tables;
  std::vector<std::string> words = args;
  words.insert(words.begin(), "tacetix-cli");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());
  Parser p(config, error);
  optind = 0;  // glibc: start afresh, also after an earlier parse
  opterr = 0;
  for (int code; (code = getopt_long(argc, argv.data(), tables.ShortOptions.c_str(), tables.LongOptions.data(),
                                     nullptr)) != -1;) {
    if (code == 1) {
      if (!p.TakeFileName(optarg)) return false;
      continue;
    }
    if (code == '?' || code == ':') return p.Fail(OptionError(code, words[static_cast<size_t>(optind - 1)], optopt));
    const OptionRow* option = FindByCode(code);
    if (!p.Take(*option, option->TakesValue() ? optarg : "")) return false;
  }
  // What follows "--" is left for us: files, whatever they look like.
  for (int i = optind; i < argc; ++i)
    if (!p.TakeFileName(words[static_cast<size_t>(i)])) return false;
  return p.Finish();
}

}  // namespace tacetix
