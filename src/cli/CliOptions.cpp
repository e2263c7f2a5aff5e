// Option parsing for tacetix-cli: one table of options read by getopt_long. Levels snap to
// the window's 0.1 dB slider steps, so the factors and the log texts are the window's own.
#include "cli/CliOptions.h"
#include "options/RunChoices.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <thread>

namespace tacetix {
namespace {

// What the window's name fields refuse to take.
const std::string RefusedChars = "\\/|\":*?<>";
// Each job holds a 2 MB buffer and two open files; far more jobs than cores only queue.
constexpr int32_t MaxJobs = 256;

struct Parser {
  Parser(CliConfig& config, std::string& error) : Config(config), Error(error) {}
  CliConfig& Config;
  std::string& Error;
  RunChoices Choices;
  const char* EndOnlyOption = nullptr;  // --keep-end or --fade-out, which need the end unlinked
  bool LoudnessGiven = false;
  bool TruePeakGiven = false;

  bool Fail(const std::string& message) {
    Error = message;
    return false;
  }
  bool ParseLevel(const std::string& option, const std::string& value, bool allowInf, int32_t& position);
  bool ParseThreshold(const std::string& option, const std::string& value, EndChoices& end);
  bool ParseBits(const std::string& value);
  bool ParseTenths(const char* option, const std::string& value, int32_t lowest, const char* unit, int32_t& tenths);
  bool ParseDither(const std::string& value);
  bool ParseSeparator(const std::string& value);
  bool ParseBitsMode(const std::string& value);
  bool ParseJobs(const std::string& value);
  bool ParseMs(const char* option, const std::string& value, int32_t max, std::initializer_list<int32_t*> into);
  bool ParseFolder(bool otherFolder, const std::string& value);
  bool ParseSize(const char* option, const std::string& value, int32_t max, int32_t& into);
  bool PreviewOptionsAlone();
  bool PreviewOptionUsed = false;  // one of the --preview-... options was given
  bool TakeFileName(const std::string& name);
  bool DashFormsTaken();
  bool Finish();
};

// Blanks and control characters (codes up to 32), as the window's fields lose them on exit.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
std::string TrimLeft(std::string s) {
  s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), IsBlank));
  return s;
}
std::string TrimRight(std::string s) {
  s.erase(std::find_if_not(s.rbegin(), s.rend(), IsBlank).base(), s.end());
  return s;
}

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

bool Parser::ParseLevel(const std::string& option, const std::string& value, bool allowInf, int32_t& position) {
  if (!LevelToPosition(value, position))
    return Fail(option + ": level must be from -144.0 to 0.0 dBfs" + std::string(allowInf ? " or -inf" : "") +
                ", not '" + value + "'");
  return true;
}

bool Parser::ParseThreshold(const std::string& option, const std::string& value, EndChoices& end) {
  end.DigitalZero = value == "-inf";
  return end.DigitalZero || ParseLevel(option, value, true, end.Position);
}

bool Parser::ParseBits(const std::string& value) {
  static const std::map<std::string, int32_t> choices = {{"same", 0}, {"8", 1},  {"12", 2},  {"16", 3}, {"20", 4},
                                                         {"24", 5},   {"32", 6}, {"32f", 7}, {"64f", 8}};
  auto it = choices.find(value);
  if (it == choices.end()) return Fail("--bits: unknown depth '" + value + "' (same, 8, 12, 16, 20, 24, 32, 32f, 64f)");
  Choices.BitsChoice = it->second;
  return true;
}

// A level in whole 0.1 steps from lowest (in tenths) to 0.0.
bool Parser::ParseTenths(const char* option, const std::string& value, int32_t lowest, const char* unit,
                         int32_t& tenths) {
  double level = 0.0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, level);
  if (ec != std::errc() || ptr != end || !(level * 10.0 >= lowest - 0.5 && level <= 0.0))
    return Fail(std::string(option) + ": " + unit + " from " + std::to_string(lowest / 10) + ".0 to 0.0, not '" +
                value + "'");
  tenths = std::max(lowest, static_cast<int32_t>(std::nearbyint(level * 10.0)));
  return true;
}

bool Parser::ParseDither(const std::string& value) {
  static const std::map<std::string, int32_t> kinds = {
      {"none", NoDither}, {"tpdf", TriangularDither}, {"shaped", ShapedDither}};
  auto it = kinds.find(value);
  if (it == kinds.end()) return Fail("--dither: none, tpdf or shaped, not '" + value + "'");
  Choices.Dither = it->second;
  return true;
}

// What the log's field separator would break; the decimal separator may still change.
std::string SeparatorFaultText(SeparatorFault fault) {
  switch (fault) {
    case SeparatorFault::Quote: return "--log-separator: '\"' is the quote around the names";
    case SeparatorFault::LineBreak: return "--log-separator: a line break ends the records";
    case SeparatorFault::DecimalSeparator: return "--log-separator: the field separator equals the decimal separator";
    case SeparatorFault::InNumbers:
      return "--log-separator: a digit, letter, sign or point would split the number columns";
    default: return "--log-separator: no character";
  }
}

bool Parser::ParseSeparator(const std::string& value) {
  static const std::map<std::string, char> named = {{"comma", ','}, {"semicolon", ';'}, {"tab", '\t'}};
  auto it = named.find(value);
  if (it == named.end() && value.size() != 1)
    return Fail("--log-separator: comma, semicolon, tab or one character, not '" + value + "'");
  LogSettings& log = Config.Request.Log;
  log.SepaField = it != named.end() ? it->second : value[0];
  // A clash with the decimal separator waits for the end: --log-decimal-comma may follow.
  const SeparatorFault fault = FieldSeparatorFault(log.SepaField, log.SepaDeci);
  if (fault != SeparatorFault::None && fault != SeparatorFault::DecimalSeparator)
    return Fail(SeparatorFaultText(fault));
  return true;
}

// 0 stands for one job a core; more jobs than files are never started.
bool Parser::ParseJobs(const std::string& value) {
  int32_t jobs = -1;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), jobs);
  if (ec != std::errc() || end != value.data() + value.size() || jobs < 0 || jobs > MaxJobs)
    return Fail("--jobs: a count from 0 (one a core) to " + std::to_string(MaxJobs) + ", not '" + value + "'");
  if (jobs == 0) jobs = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  Config.Request.Jobs = jobs;
  return true;
}

// Whole milliseconds; one value may set both ends.
bool Parser::ParseMs(const char* option, const std::string& value, int32_t max, std::initializer_list<int32_t*> into) {
  int32_t ms = -1;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
  if (ec != std::errc() || end != value.data() + value.size() || ms < 0 || ms > max)
    return Fail(std::string(option) + ": milliseconds from 0 to " + std::to_string(max) + ", not '" + value + "'");
  for (int32_t* target : into) *target = ms;
  return true;
}

// Pixels of the preview's picture.
bool Parser::ParseSize(const char* option, const std::string& value, int32_t max, int32_t& into) {
  PreviewOptionUsed = true;
  int32_t pixels = -1;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), pixels);
  if (ec != std::errc() || end != value.data() + value.size() || pixels < 16 || pixels > max)
    return Fail(std::string(option) + ": pixels from 16 to " + std::to_string(max) + ", not '" + value + "'");
  into = pixels;
  return true;
}

bool Parser::ParseBitsMode(const std::string& value) {
  if (value != "all" && value != "up" && value != "down")
    return Fail("--bits-mode: all, up or down, not '" + value + "'");
  Choices.BitsMode = value == "all" ? ConvertAll : value == "up" ? OnlyUp : OnlyDown;
  return true;
}

// The last of --subfolder and --output-dir counts.
bool Parser::ParseFolder(bool otherFolder, const std::string& value) {
  Choices.FolderSubfolder = !otherFolder;
  Choices.SubfolderText = otherFolder ? "" : TrimRight(TrimLeft(value));
  Choices.OtherFolderText = otherFolder ? value : "";
  return true;
}

// One row per option: its long name, its short letter (0 for none), whether it takes a
// value, and what it does. The help text, the man page and the completion list the same
// options in the same groups.
struct OptionSpec {
  const char* Name;
  char Short;
  bool TakesValue;
  bool (*Take)(Parser& p, const std::string& value);
};

RunChoices& Set(Parser& p) { return p.Choices; }
LogSettings& Log(Parser& p) { return p.Config.Request.Log; }

// clang-format off
const OptionSpec Options[] = {
    // Processing
    {"begin", 0, true, [](Parser& p, const std::string& v) { return p.ParseThreshold("--begin", v, Set(p).Begin); }},
    {"no-trim-begin", 0, false, [](Parser& p, const std::string&) { Set(p).Begin.Remove = false; return true; }},
    {"end", 0, true, [](Parser& p, const std::string& v) {
       Set(p).Linked = false;
       Set(p).End.Remove = true;
       return p.ParseThreshold("--end", v, Set(p).End);
     }},
    {"no-trim-end", 0, false, [](Parser& p, const std::string&) {
       Set(p).Linked = Set(p).End.Remove = false;
       return true;
     }},
    {"keep-begin", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseMs("--keep-begin", v, MaxKeepFadeMs, {&Set(p).Begin.KeepMs});
     }},
    {"keep-end", 0, true, [](Parser& p, const std::string& v) {
       p.EndOnlyOption = "--keep-end";
       return p.ParseMs("--keep-end", v, MaxKeepFadeMs, {&Set(p).End.KeepMs});
     }},
    {"keep", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseMs("--keep", v, MaxKeepFadeMs, {&Set(p).Begin.KeepMs, &Set(p).End.KeepMs});
     }},
    {"fade-in", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseMs("--fade-in", v, MaxKeepFadeMs, {&Set(p).Begin.FadeMs});
     }},
    {"fade-out", 0, true, [](Parser& p, const std::string& v) {
       p.EndOnlyOption = "--fade-out";
       return p.ParseMs("--fade-out", v, MaxKeepFadeMs, {&Set(p).End.FadeMs});
     }},
    {"fade", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseMs("--fade", v, MaxKeepFadeMs, {&Set(p).Begin.FadeMs, &Set(p).End.FadeMs});
     }},
    {"ignore-clicks", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseMs("--ignore-clicks", v, MaxIgnoreClicksMs, {&Set(p).IgnoreClicksMs});
     }},
    {"normalize", 0, true, [](Parser& p, const std::string& v) {
       Set(p).Normalize = true;
       return p.ParseLevel("--normalize", v, false, Set(p).NormalizePosition);
     }},
    {"loudness", 0, true, [](Parser& p, const std::string& v) {
       p.LoudnessGiven = true;
       return p.ParseTenths("--loudness", v, MinLoudnessTenths, "LUFS", Set(p).LoudnessTenths);
     }},
    {"true-peak", 0, true, [](Parser& p, const std::string& v) {
       p.TruePeakGiven = true;
       return p.ParseTenths("--true-peak", v, MinTruePeakTenths, "dBTP", Set(p).TruePeakTenths);
     }},
    {"bits", 'b', true, [](Parser& p, const std::string& v) { return p.ParseBits(v); }},
    {"dither", 0, true, [](Parser& p, const std::string& v) { return p.ParseDither(v); }},
    {"bits-mode", 0, true, [](Parser& p, const std::string& v) { return p.ParseBitsMode(v); }},
    // Output files
    {"prefix", 0, true, [](Parser& p, const std::string& v) { Set(p).Prefix = TrimLeft(v); return true; }},
    {"suffix", 0, true, [](Parser& p, const std::string& v) { Set(p).Suffix = TrimRight(v); return true; }},
    {"subfolder", 0, true, [](Parser& p, const std::string& v) { return p.ParseFolder(false, v); }},
    {"output-dir", 'o', true, [](Parser& p, const std::string& v) { return p.ParseFolder(true, v); }},
    {"create-unchanged", 0, false, [](Parser& p, const std::string&) { Set(p).CreateIfUnchanged = true; return true; }},
    {"overwrite", 0, false, [](Parser& p, const std::string&) { Set(p).Overwrite = true; return true; }},
    {"simulate", 'n', false, [](Parser& p, const std::string&) { Set(p).Simulation = true; return true; }},
    {"keep-metadata", 0, false, [](Parser& p, const std::string&) { Set(p).KeepMetadata = true; return true; }},
    // Input files
    {"files-from", 0, true, [](Parser& p, const std::string& v) { p.Config.Inputs.push_back({true, v}); return true; }},
    {"null", '0', false, [](Parser& p, const std::string&) { p.Config.NulSeparated = true; return true; }},
    {"recursive", 'r', false, [](Parser& p, const std::string&) { p.Config.Recursive = true; return true; }},
    // Run and messages
    {"jobs", 'j', true, [](Parser& p, const std::string& v) { return p.ParseJobs(v); }},
    {"keep-going", 'k', false, [](Parser& p, const std::string&) { Set(p).StopOnError = false; return true; }},
    {"quiet", 'q', false, [](Parser& p, const std::string&) { p.Config.Quiet = true; return true; }},
    {"verbose", 'v', false, [](Parser& p, const std::string&) { p.Config.Verbose = true; return true; }},
    // Log and report
    {"log", 0, true, [](Parser& p, const std::string& v) {
       Set(p).LogEnabled = true;
       p.Config.Request.LogName = v;
       return true;
     }},
    {"log-short", 0, false, [](Parser& p, const std::string&) { Log(p).ProcInfOnly = true; return true; }},
    {"log-names-only", 0, false, [](Parser& p, const std::string&) {
       Log(p).PathInfile = Log(p).PathOutfile = false;
       return true;
     }},
    {"log-decimal-comma", 0, false, [](Parser& p, const std::string&) { Log(p).SepaDeci = ','; return true; }},
    {"log-separator", 0, true, [](Parser& p, const std::string& v) { return p.ParseSeparator(v); }},
    {"report", 0, true, [](Parser& p, const std::string& v) { p.Config.ReportName = v; return true; }},
    // Preview
    {"preview", 0, true, [](Parser& p, const std::string& v) { p.Config.PreviewFile = v; return true; }},
    {"preview-out", 0, true, [](Parser& p, const std::string& v) {
       p.PreviewOptionUsed = true;
       p.Config.PreviewOut = v;
       return true;
     }},
    {"preview-width", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseSize("--preview-width", v, 8192, p.Config.PreviewWidth);
     }},
    {"preview-height", 0, true, [](Parser& p, const std::string& v) {
       return p.ParseSize("--preview-height", v, 4096, p.Config.PreviewHeight);
     }},
    {"preview-scale", 0, true, [](Parser& p, const std::string& v) {
       p.PreviewOptionUsed = true;
       p.Config.PreviewDecibels = v == "db";
       return v == "db" || v == "linear" || p.Fail("--preview-scale: db or linear, not '" + v + "'");
     }},
    // Information
    {"help", 'h', false, [](Parser& p, const std::string&) { p.Config.ShowHelp = true; return true; }},
    {"version", 'V', false, [](Parser& p, const std::string&) { p.Config.ShowVersion = true; return true; }},
};
// clang-format on

// getopt_long's code of an option: its letter, or a number above every letter.
int OptionCode(size_t index) { return Options[index].Short ? Options[index].Short : 256 + static_cast<int>(index); }

const OptionSpec* FindByCode(int code) {
  for (size_t i = 0; i < std::size(Options); ++i)
    if (OptionCode(i) == code) return &Options[i];
  return nullptr;
}

// "-" is standard input or output where a stream can stand for the file (--files-from, --report).
// Elsewhere it would quietly make a file or a folder named "-": refused, with the way to say it.
bool Parser::DashFormsTaken() {
  if (Config.Request.LogName == "-")
    return Fail("--log: '-' is no log file (give ./- for a file of that name; --report - writes to standard output)");
  if (!Choices.FolderSubfolder && Choices.OtherFolderText == "-")
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

bool Parser::Finish() {
  RunChoices& c = Choices;
  const LogSettings& log = Config.Request.Log;
  if (Config.ShowHelp || Config.ShowVersion) return true;
  if (!PreviewOptionsAlone()) return false;
  // One gain per file: to a peak level or to a loudness, not both.
  if (LoudnessGiven && c.Normalize) return Fail("--loudness and --normalize exclude each other");
  if (TruePeakGiven && !LoudnessGiven) return Fail("--true-peak: the ceiling of --loudness; give --loudness LUFS");
  if (LoudnessGiven) c.Normalize = c.NormalizeLoudness = true;
  if (!Config.PreviewFile.empty()) {
    Config.Request.Settings = DescribeRun(c).Settings;
    return true;
  }
  const SeparatorFault separatorFault = FieldSeparatorFault(log.SepaField, log.SepaDeci);
  if (separatorFault != SeparatorFault::None) return Fail(SeparatorFaultText(separatorFault));
  for (const auto& [name, text] :
       {std::pair{"--prefix", c.Prefix}, {"--suffix", c.Suffix}, {"--subfolder", c.SubfolderText}})
    if (text.find_first_of(RefusedChars) != std::string::npos)
      return Fail(std::string(name) + ": may not hold any of \\ / | \" : * ? < >");
  if (c.Prefix.empty() && c.Suffix.empty() && c.SubfolderText.empty() && c.OtherFolderText.empty())
    return Fail("give --prefix, --suffix, --subfolder or --output-dir: the outputs would replace the sources");
  // Both would write beside the sources or into their parent, not into a folder of outputs.
  if (c.FolderSubfolder && (c.SubfolderText == "." || c.SubfolderText == ".."))
    return Fail("--subfolder: '" + c.SubfolderText + "' is not a subfolder");
  if (Config.Inputs.empty()) return Fail("no files given (see --help)");
  if (!DashFormsTaken()) return false;
  std::string why;
  if (!c.FolderSubfolder && !AbsoluteName(c.OtherFolderText, c.OtherFolderText, why))
    return Fail("--output-dir: " + why);
  // Linked, the end keeps and fades as the beginning does; a value for the end alone would
  // be dropped without a word.
  if (c.Linked && EndOnlyOption)
    return Fail(std::string(EndOnlyOption) + ": the end follows the beginning; give --end LEVEL to set it apart");
  RunDescription run = DescribeRun(c);
  Config.Request.Settings = std::move(run.Settings);
  Config.Request.Header = std::move(run.Header);
  return true;
}

const OptionSpec* FindByName(const std::string& name) {
  for (const OptionSpec& o : Options)
    if (name == o.Name) return &o;
  return nullptr;
}

// The long options that an argument (without its "--" and "=value") names: the one it spells
// in full, else every one it begins.
std::vector<std::string> LongMatches(const std::string& typed) {
  std::vector<std::string> found;
  if (typed.empty()) return found;
  for (const OptionSpec& o : Options) {
    if (typed == o.Name) return {o.Name};
    if (std::string(o.Name).rfind(typed, 0) == 0) found.push_back(o.Name);
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
                         (matches.size() == 1 && FindByName(matches[0])->Short == optionCode);
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
    for (size_t i = 0; i < std::size(Options); ++i) {
      const OptionSpec& o = Options[i];
      if (o.Short) ShortOptions += std::string(1, o.Short) + (o.TakesValue ? ":" : "");
      LongOptions.push_back({o.Name, o.TakesValue ? required_argument : no_argument, nullptr, OptionCode(i)});
    }
    LongOptions.push_back({nullptr, 0, nullptr, 0});
  }
};

}  // namespace

std::vector<std::string> OptionSpellings() {
  std::vector<std::string> spellings;
  for (const OptionSpec& o : Options) {
    spellings.push_back(std::string("--") + o.Name);
    if (o.Short) spellings.push_back(std::string("-") + o.Short);
  }
  return spellings;
}

bool LevelToPosition(const std::string& text, int32_t& position) {
  double level = 0.0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, level);
  if (ec != std::errc() || ptr != end || !(level >= -144.0 && level <= 0.0)) return false;
  const double steps = std::nearbyint(level * 10.0);
  position = 1440 + static_cast<int32_t>(steps);
  return true;
}

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
    const OptionSpec* option = FindByCode(code);
    if (!option->Take(p, option->TakesValue ? optarg : "")) return false;
  }
  // What follows "--" is left for us: files, whatever they look like.
  for (int i = optind; i < argc; ++i)
    if (!p.TakeFileName(words[static_cast<size_t>(i)])) return false;
  return p.Finish();
}

}  // namespace tacetix
