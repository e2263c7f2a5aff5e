// Option parsing for tacetix-cli. Levels snap to the window's 0.1 dB slider steps,
// so the factors and the log texts are the window's own.
#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

namespace tacetix {
namespace {

// What the window's name fields refuse to take.
const std::string RefusedChars = "\\/|\":*?<>";

struct Level {
  bool DigitalZero = true;
  int32_t Position = 480;
};

struct Parser {
  Parser(CliConfig& config, std::string& error) : Config(config), Error(error) {}
  CliConfig& Config;
  std::string& Error;
  Level Begin, End, Normalize{false, 1440};
  bool Linked = true;
  bool EndTrim = true;
  bool OutputDirGiven = false;

  bool Fail(const std::string& message) {
    Error = message;
    return false;
  }
  bool ParseLevel(const std::string& option, const std::string& value, bool allowInf, Level& level);
  bool ParseBits(const std::string& value);
  bool ParseSeparator(const std::string& value);
  bool TakeOption(const std::string& option, const std::vector<std::string>& args, size_t& i);
  bool Finish();
  void FillSnapshot();
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

bool Parser::ParseLevel(const std::string& option, const std::string& value, bool allowInf, Level& level) {
  if (allowInf && value == "-inf") {
    level.DigitalZero = true;
    return true;
  }
  if (!LevelToPosition(value, level.Position))
    return Fail(option + ": level must be from -144.0 to 0.0 dBfs" + std::string(allowInf ? " or -inf" : "") +
                ", not '" + value + "'");
  level.DigitalZero = false;
  return true;
}

bool Parser::ParseBits(const std::string& value) {
  static const std::map<std::string, int32_t> choices = {{"same", 0}, {"8", 1},   {"12", 2},  {"16", 3}, {"20", 4},
                                                         {"24", 5},   {"32", 6},  {"32f", 7}, {"64f", 8}};
  auto it = choices.find(value);
  if (it == choices.end()) return Fail("--bits: unknown depth '" + value + "' (same, 8, 12, 16, 20, 24, 32, 32f, 64f)");
  Config.Request.Settings.BitsChoice = it->second;
  return true;
}

bool Parser::ParseSeparator(const std::string& value) {
  static const std::map<std::string, char> named = {{"comma", ','}, {"semicolon", ';'}, {"tab", '\t'}};
  auto it = named.find(value);
  if (it != named.end()) Config.Request.Log.SepaField = it->second;
  else if (value.size() == 1) Config.Request.Log.SepaField = value[0];
  else return Fail("--log-separator: comma, semicolon, tab or one character, not '" + value + "'");
  return true;
}


bool Parser::TakeOption(const std::string& option, const std::vector<std::string>& args, size_t& i) {
  ProcessSettings& s = Config.Request.Settings;
  static const std::map<std::string, std::function<void(Parser&)>> flags = {
      {"--no-trim-begin", [](Parser& p) { p.Config.Request.Settings.RemoveBegin = false; }},
      {"--no-trim-end", [](Parser& p) { p.Linked = false; p.EndTrim = false; }},
      {"--create-unchanged", [](Parser& p) { p.Config.Request.Settings.CreateIfUnchanged = true; }},
      {"--overwrite", [](Parser& p) { p.Config.Request.Settings.Overwrite = true; }},
      {"--keep-going", [](Parser& p) { p.Config.Request.Settings.StopOnError = false; }},
      {"--simulate", [](Parser& p) { p.Config.Request.Settings.Simulation = true; }},
      {"--log-short", [](Parser& p) { p.Config.Request.Log.ProcInfOnly = true; }},
      {"--log-names-only", [](Parser& p) { p.Config.Request.Log.PathInfile = p.Config.Request.Log.PathOutfile = false; }},
      {"--log-decimal-comma", [](Parser& p) { p.Config.Request.Log.SepaDeci = ','; }},
      {"--quiet", [](Parser& p) { p.Config.Quiet = true; }},
      {"--help", [](Parser& p) { p.Config.ShowHelp = true; }},
      {"--version", [](Parser& p) { p.Config.ShowVersion = true; }},
  };
  if (auto f = flags.find(option); f != flags.end()) {
    f->second(*this);
    return true;
  }
  static const char* const withValue[] = {"--begin", "--end", "--normalize", "--bits", "--bits-mode", "--prefix",
                                          "--suffix", "--subfolder", "--output-dir", "--log", "--log-separator"};
  if (std::find(std::begin(withValue), std::end(withValue), option) == std::end(withValue))
    return Fail("unknown option '" + option + "' (see --help)");
  if (i + 1 >= args.size()) return Fail(option + " needs a value");
  const std::string& v = args[++i];
  if (option == "--begin") return ParseLevel(option, v, true, Begin);
  if (option == "--end") {
    Linked = false;
    EndTrim = true;
    return ParseLevel(option, v, true, End);
  }
  if (option == "--normalize") {
    s.Normalize = true;
    return ParseLevel(option, v, false, Normalize);
  }
  if (option == "--bits") return ParseBits(v);
  if (option == "--bits-mode") {
    if (v != "all" && v != "up" && v != "down") return Fail("--bits-mode: all, up or down, not '" + v + "'");
    s.BitsMode = v == "all" ? ConvertAll : v == "up" ? OnlyUp : OnlyDown;
    return true;
  }
  if (option == "--log-separator") return ParseSeparator(v);
  if (option == "--prefix") s.Prefix = TrimLeft(v);
  if (option == "--suffix") s.Suffix = TrimRight(v);
  if (option == "--subfolder" || option == "--output-dir") {
    OutputDirGiven = option == "--output-dir";
    s.FolderMode = OutputDirGiven ? 2 : 1;
    s.FolderText = OutputDirGiven ? v : TrimRight(TrimLeft(v));
  }
  if (option == "--log") {
    s.LogEnabled = true;
    Config.Request.LogName = v;
  }
  return true;
}

void Parser::FillSnapshot() {
  const ProcessSettings& s = Config.Request.Settings;
  LogHeaderSnapshot& h = Config.Request.Header;
  h.RemoveBegin = s.RemoveBegin;
  h.DigitalZeroBegin = Begin.DigitalZero;
  h.ThresholdBeginText = SliderText(Begin.Position);
  // With the ends linked the header states what the run does at the end: the beginning's choice.
  h.RemoveEnd = s.RemoveEnd;
  h.DigitalZeroEnd = Linked ? Begin.DigitalZero : End.DigitalZero;
  h.ThresholdEndText = SliderText(Linked ? Begin.Position : End.Position);
  h.Normalize = s.Normalize;
  h.NormalizeText = SliderText(Normalize.Position);
  h.BitsChoice = s.BitsChoice;
  h.BitsText = BitDepthChoices[static_cast<size_t>(s.BitsChoice)].Text;
  h.BitsMode = s.BitsMode;
  h.Prefix = s.Prefix;
  h.Suffix = s.Suffix;
  h.FolderSubfolder = s.FolderMode == 1;
  h.SubfolderText = s.FolderMode == 1 ? s.FolderText : "";
  h.OtherFolderText = s.FolderMode == 2 ? s.FolderText : "";
  h.CreateIfUnchanged = s.CreateIfUnchanged;
  h.Overwrite = s.Overwrite;
  h.StopOnError = s.StopOnError;
}

bool Parser::Finish() {
  ProcessSettings& s = Config.Request.Settings;
  const LogSettings& log = Config.Request.Log;
  if (Config.ShowHelp || Config.ShowVersion) return true;
  if (log.SepaField == log.SepaDeci) return Fail("--log-separator: the field separator equals the decimal separator");
  for (const auto& [name, text] : {std::pair{"--prefix", s.Prefix}, {"--suffix", s.Suffix},
                                   {"--subfolder", s.FolderMode == 1 ? s.FolderText : std::string()}})
    if (text.find_first_of(RefusedChars) != std::string::npos)
      return Fail(std::string(name) + ": may not hold any of \\ / | \" : * ? < >");
  if (s.Prefix.empty() && s.Suffix.empty() && s.FolderText.empty())
    return Fail("give --prefix, --suffix, --subfolder or --output-dir: the outputs would replace the sources");
  // Both would write beside the sources or into their parent, not into a folder of outputs.
  if (s.FolderMode == 1 && (s.FolderText == "." || s.FolderText == ".."))
    return Fail("--subfolder: '" + s.FolderText + "' is not a subfolder");
  if (Config.Request.Files.empty()) return Fail("no files given (see --help)");
  std::string why;
  if (OutputDirGiven && !AbsoluteName(s.FolderText, s.FolderText, why)) return Fail("--output-dir: " + why);
  s.ThresholdBegin = Begin.DigitalZero ? 0.0 : SliderFactor(Begin.Position);
  s.RemoveEnd = Linked ? s.RemoveBegin : EndTrim;
  s.ThresholdEnd = Linked ? s.ThresholdBegin : (End.DigitalZero ? 0.0 : SliderFactor(End.Position));
  s.NormalizeTarget = SliderFactor(Normalize.Position);
  s.NormalizeLevelDb = SliderToDb(Normalize.Position);
  FillSnapshot();
  return true;
}

}  // namespace

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
  Parser p(config, error);
  bool filesOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!filesOnly && a == "--") filesOnly = true;
    else if (!filesOnly && a.size() > 1 && a[0] == '-') {
      if (!p.TakeOption(a, args, i)) return false;
    } else {
      // The window always holds full paths; so do the status lines and the log.
      std::string path, why;
      if (!AbsoluteName(a, path, why)) {
        error = why;
        return false;
      }
      config.Request.Files.push_back(path);
    }
  }
  return p.Finish();
}

}  // namespace tacetix
