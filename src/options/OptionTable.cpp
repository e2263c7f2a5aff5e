// The rows of every option, the parse of a value by its row, and the help's option lines.
#include "options/OptionTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <type_traits>
#include <variant>

#include "options/RunChoices.h"

namespace tacetix {
namespace {

constexpr std::array<ValueName, 3> DitherNames = {{
    {"none", "off", ""},
    {"tpdf", "triangular"},
    {"shaped", "shaped"},
}};
constexpr std::array<ValueName, 3> BitsModeNames = {{
    {"all", "convert all"},
    {"up", "only up"},
    {"down", "only down"},
}};
constexpr std::array<ValueName, BitDepthChoices.size()> BitsNames = [] {
  std::array<ValueName, BitDepthChoices.size()> names{};
  for (size_t i = 0; i < names.size(); ++i) names[i] = BitDepthChoices[i].Name;
  return names;
}();
constexpr std::array<ValueName, 4> OutputTypeNames = {{
    {"same", "same as source", ""},
    {"wav", "WAV"},
    {"flac", "FLAC"},
    {"aiff", "AIFF"},
}};
constexpr std::array<ValueName, 3> SeparatorNames = {{{"comma", ","}, {"semicolon", ";"}, {"tab", "\t"}}};
constexpr std::array<ValueName, 2> SplitGainNames = {{{"file", "one gain a file"}, {"part", "each part by itself"}}};
constexpr std::array<ValueName, 2> ScaleNames = {{{"db", "dB"}, {"linear", "linear"}}};

// The help's name column: two spaces, the short form or four spaces, the long form and its value.
constexpr size_t HelpColumn = 27;
constexpr const char* GroupHeadings[] = {
    "Processing", "Output files", "Input files", "Run and messages", "Log and report", "Preview", ""};

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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
std::string NoneOrQuoted(const std::string& text) { return text.empty() ? "none" : Quoted(text); }

// Tenths with a full stop, whatever the locale: "-23.0 LUFS".
std::string TenthsText(int32_t tenths, const char* unit) {
  const int32_t magnitude = tenths < 0 ? -tenths : tenths;
  return (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10) + " " + unit;
}

// One end: whether it is cut and, only when it is, its threshold.
void StateEnd(const EndChoices& end, const char* where, const char* threshold, std::vector<std::string>& lines) {
  lines.push_back(std::string("remove silence at ") + where + ": " + YesNoText(end.Remove));
  if (end.Remove)
    lines.push_back(std::string(threshold) + ": " + (end.DigitalZero ? "-inf" : SliderText(end.Position)));
}

// A length in ms, only when it is not 0 and its end is cut at all.
void StateMs(const char* name, int32_t ms, bool cut, std::vector<std::string>& lines) {
  if (ms != 0 && cut) lines.push_back(std::string(name) + ": " + std::to_string(ms) + " ms");
}

void SetThreshold(EndChoices& end, const OptionValue& v) {
  end.DigitalZero = v.Infinite;
  if (!v.Infinite) end.Position = v.Number;
}

// The last of --subfolder and --output-dir counts.
void SetFolder(RunChoices& c, FolderKind mode, const std::string& text) {
  c.FolderMode = mode;
  c.SubfolderText = mode == FolderKind::Subfolder ? TrimRight(TrimLeft(text)) : "";
  c.OtherFolderText = mode == FolderKind::OtherFolder ? text : "";
}

using Lines = std::vector<std::string>;
using K = OptionKind;
using G = OptionGroup;
using L = LogSection;

// clang-format off
const OptionRow Rows[] = {
    {.Long = "begin", .Kind = K::LevelOrInf, .Group = G::Processing, .Placeholder = "LEVEL",
     .Help = "silence threshold at the beginning, dBfs from -144.0\nto 0.0, or -inf (digital zero, the default).",
     .Set = [](auto& c, auto& v) { SetThreshold(c.Begin, v); }, .Log = {L::Processing, 10},
     .State = [](auto& c, auto& l) { StateEnd(c.Begin, "beginning", "Threshold beginning", l); }},
    {.Long = "no-trim-begin", .Kind = K::Flag, .Group = G::Processing, .Help = "keep the beginning.",
     .Set = [](auto& c, auto&) { c.Begin.Remove = false; }},
    {.Long = "end", .Kind = K::LevelOrInf, .Group = G::Processing, .Placeholder = "LEVEL",
     .Help = "threshold at the end; unlinks the end from the\nbeginning, which it follows otherwise.",
     .Set = [](auto& c, auto& v) { c.Linked = false; c.End.Remove = true; SetThreshold(c.End, v); },
     .Log = {L::Processing, 40}, .State = [](auto& c, auto& l) { StateEnd(c.End, "end", "Threshold end", l); }},
    {.Long = "no-trim-end", .Kind = K::Flag, .Group = G::Processing,
     .Help = "keep the end; unlinks the end from the beginning.",
     .Set = [](auto& c, auto&) { c.Linked = c.End.Remove = false; }},
    {.Long = "keep-begin", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxKeepFadeMs,
     .Help = "keep MS milliseconds (0-10000) of silence before the\n"
             "first sound; --keep-end after the last; --keep both.",
     .Field = TACETIX_FIELD(Begin.KeepMs), .Log = {L::Processing, 20},
     .State = [](auto& c, auto& l) { StateMs("Keep silence at beginning", c.Begin.KeepMs, c.Begin.Remove, l); }},
    {.Long = "keep-end", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxKeepFadeMs,
     .Field = TACETIX_FIELD(End.KeepMs), .Log = {L::Processing, 50},
     .State = [](auto& c, auto& l) { StateMs("Keep silence at end", c.End.KeepMs, c.End.Remove, l); }},
    {.Long = "keep", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxKeepFadeMs,
     .Set = [](auto& c, auto& v) { c.Begin.KeepMs = c.End.KeepMs = v.Number; }},
    {.Long = "fade-in", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxKeepFadeMs,
     .Help = "fade the first MS milliseconds (0-10000) of the\noutput in, only when the beginning was cut;\n"
             "--fade-out the last ones out; --fade both. While\nthe end follows the beginning it keeps and fades\n"
             "as the beginning does: give --end to use\n--keep-end or --fade-out.",
     .Field = TACETIX_FIELD(Begin.FadeMs), .Log = {L::Processing, 30},
     .State = [](auto& c, auto& l) { StateMs("Fade in", c.Begin.FadeMs, c.Begin.Remove, l); }},
    {.Long = "fade-out", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxKeepFadeMs,
     .Field = TACETIX_FIELD(End.FadeMs), .Log = {L::Processing, 60},
     .State = [](auto& c, auto& l) { StateMs("Fade out", c.End.FadeMs, c.End.Remove, l); }},
    {.Long = "fade", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxKeepFadeMs,
     .Set = [](auto& c, auto& v) { c.Begin.FadeMs = c.End.FadeMs = v.Number; }},
    {.Long = "ignore-clicks", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS",
     .Max = MaxIgnoreClicksMs, .Help = "sound shorter than MS milliseconds (0-1000) at\neither end counts as silence.",
     .Field = TACETIX_FIELD(IgnoreClicksMs), .Log = {L::Processing, 70},
     .State = [](auto& c, auto& l) {
       StateMs("Ignore clicks shorter than", c.IgnoreClicksMs, c.Begin.Remove || c.End.Remove, l);
     }},
    {.Long = "split-gap", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxSplitMs,
     .Help = "split each file into parts at every silence of at\nleast MS milliseconds (0-3600000) inside what is\n"
             "kept; parts are named NAME-01, NAME-02, ... (a file\nwithout such a silence is one part, NAME-01).",
     .Field = TACETIX_FIELD(SplitGapMs), .Log = {L::Processing, 72},
     .State = [](auto& c, auto& l) { StateMs("Split at silences of at least", c.SplitGapMs, true, l); }},
    {.Long = "split-count", .Kind = K::Count, .Group = G::Processing, .Placeholder = "N", .Max = MaxSplitCount,
     .Unit = "a count",
     .Help = "split into at most N parts (0-9999) at the N-1\nlongest silences (of at least --split-gap); fewer\n"
             "silences give fewer parts and a note.",
     .Field = TACETIX_FIELD(SplitCount), .Log = {L::Processing, 74},
     .State = [](auto& c, auto& l) { if (c.SplitCount > 0) l.push_back("Split into parts: " + std::to_string(c.SplitCount)); }},
    {.Long = "split-min-part", .Kind = K::Milliseconds, .Group = G::Processing, .Placeholder = "MS", .Max = MaxSplitMs,
     .Help = "a part shorter than MS milliseconds joins the part\nafter it (the last the one before).",
     .Field = TACETIX_FIELD(SplitMinPartMs), .Log = {L::Processing, 76},
     .State = [](auto& c, auto& l) {
       StateMs("Shortest part", c.SplitMinPartMs, c.SplitGapMs > 0 || c.SplitCount > 0, l);
     }},
    {.Long = "split-gain", .Kind = K::Choice, .Group = G::Processing, .Placeholder = "HOW", .Values = SplitGainNames,
     .Help = "normalising split files: file (default, one gain\nfor all parts of a file) or part (each by itself).",
     .Field = TACETIX_FIELD(SplitGainPerPart), .Log = {L::Processing, 78},
     .State = [](auto& c, auto& l) { if (c.SplitGainPerPart) l.push_back("Split gain: each part by itself"); }},
    {.Long = "split-labels", .Kind = K::Flag, .Group = G::Processing,
     .Help = "write NAME.txt beside the parts: a label per part\n(start, end in seconds of the source, name; tabs).",
     .Field = TACETIX_FIELD(SplitLabels), .Log = {L::Processing, 79},
     .State = [](auto& c, auto& l) { if (c.SplitLabels) l.push_back("Split labels: " + YesNoText(true)); }},
    {.Long = "normalize", .Kind = K::Level, .Group = G::Processing, .Placeholder = "LEVEL",
     .Help = "normalise the peak of what is kept to LEVEL dBfs.",
     .Set = [](auto& c, auto& v) { c.Normalize = true; c.NormalizeLoudness = false; c.NormalizePosition = v.Number; },
     .Log = {L::Processing, 80},
     .State = [](auto& c, auto& l) {
       l.push_back("normalize: " + YesNoText(c.Normalize));
       if (c.Normalize && !c.NormalizeLoudness) l.push_back("normalize to: " + SliderText(c.NormalizePosition));
     }},
    {.Long = "loudness", .Kind = K::Tenths, .Group = G::Processing, .Placeholder = "LUFS", .Min = MinLoudnessTenths,
     .Unit = "LUFS",
     .Help = "normalise the integrated loudness (EBU R128) of what\n"
             "is kept to LUFS, -70.0 to 0.0 (-23.0 is broadcast),\n"
             "with one gain a file; not with --normalize.",
     .Set = [](auto& c, auto& v) { c.Normalize = c.NormalizeLoudness = true; c.LoudnessTenths = v.Number; },
     .Field = TACETIX_FIELD(LoudnessTenths),
     .Log = {L::Processing, 90},
     .State = [](auto& c, auto& l) {
       if (c.Normalize && c.NormalizeLoudness)
         l.push_back("Normalize to: " + TenthsText(c.LoudnessTenths, "LUFS") + " (true peak " +
                     TenthsText(c.TruePeakTenths, "dBTP") + ")");
     }},
    {.Long = "true-peak", .Kind = K::Tenths, .Group = G::Processing, .Placeholder = "DBTP", .Min = MinTruePeakTenths,
     .Unit = "dBTP",
     .Help = "with --loudness: lower the gain so the true peak\nstays at or below DBTP, -9.0 to 0.0 (default -1.0).",
     .Field = TACETIX_FIELD(TruePeakTenths)},
    {.Long = "bits", .Short = 'b', .Kind = K::Choice, .Group = G::Processing, .Placeholder = "DEPTH",
     .Values = BitsNames, .Help = "same (default), 8, 12, 16, 20, 24, 32, 32f, 64f.",
     .Field = TACETIX_FIELD(BitsChoice), .Log = {L::Output, 10},
     .State = [](auto& c, auto& l) {
       const std::string mode = BitsModeNames[static_cast<size_t>(c.BitsMode)].Logged();
       l.push_back("Bit depth: " + std::string(BitsNames[static_cast<size_t>(c.BitsChoice)].Logged()) +
                   (c.BitsChoice == 0 ? "" : ", " + mode));
     }},
    {.Long = "bits-mode", .Kind = K::Choice, .Group = G::Processing, .Placeholder = "MODE", .Values = BitsModeNames,
     .Help = "all (default), up, down.",
     .Field = TACETIX_FIELD(BitsMode)},
    {.Long = "dither", .Kind = K::Choice, .Group = G::Processing, .Placeholder = "KIND", .Values = DitherNames,
     .Help = "none (default), tpdf (triangular) or shaped (noise\nshaped) when the output has fewer bits than the\n"
             "input; the same bytes every run, silence stays 0.",
     .Field = TACETIX_FIELD(Dither), .Log = {L::Output, 20},
     .State = [](auto& c, auto& l) {
       const std::string word = DitherNames[static_cast<size_t>(c.Dither)].Logged();
       if (!word.empty()) l.push_back("Dither: " + word);
     }},

    {.Long = "format", .Kind = K::Choice, .Group = G::OutputFiles, .Placeholder = "TYPE", .Values = OutputTypeNames,
     .Help = "the outputs' file type: same (as the source,\ndefault), wav, flac or aiff; the extension names it.",
     .Field = TACETIX_FIELD(OutputType), .Log = {L::Output, 25},
     .State = [](auto& c, auto& l) {
       const std::string word = OutputTypeNames[static_cast<size_t>(c.OutputType)].Logged();
       if (!word.empty()) l.push_back("Output type: " + word);
     }},
    {.Long = "flac-level", .Kind = K::Count, .Group = G::OutputFiles, .Placeholder = "N", .Max = MaxFlacLevel,
     .Unit = "a level", .Help = "compression of FLAC outputs, 0-8 (default 5).",
     .Field = TACETIX_FIELD(FlacLevel), .Log = {L::Output, 26},
     .State = [](auto& c, auto& l) {
       if (c.FlacLevel != 5) l.push_back("FLAC level: " + std::to_string(c.FlacLevel));
     }},
    {.Long = "prefix", .Kind = K::Text, .Group = G::OutputFiles, .Placeholder = "TEXT",
     .Help = "put TEXT before the output file names.", .Set = [](auto& c, auto& v) { c.Prefix = TrimLeft(v.Text); },
     .Log = {L::Output, 30}, .State = [](auto& c, auto& l) { l.push_back("Prefix: " + NoneOrQuoted(c.Prefix)); }},
    {.Long = "suffix", .Kind = K::Text, .Group = G::OutputFiles, .Placeholder = "TEXT",
     .Help = "put TEXT after the output file names (before\nthe extension).",
     .Set = [](auto& c, auto& v) { c.Suffix = TrimRight(v.Text); }, .Log = {L::Output, 40},
     .State = [](auto& c, auto& l) { l.push_back("Suffix: " + NoneOrQuoted(c.Suffix)); }},
    {.Long = "subfolder", .Kind = K::Text, .Group = G::OutputFiles, .Placeholder = "NAME",
     .Help = "write into NAME inside each source folder\n(empty name = the source folder).",
     .Set = [](auto& c, auto& v) { SetFolder(c, FolderKind::Subfolder, v.Text); }, .Log = {L::Output, 50},
     .State = [](auto& c, auto& l) {
       l.push_back(c.FolderMode == FolderKind::Subfolder ? "Output folder: subfolder " + QuotedField(c.SubfolderText)
                                                         : "Output folder: " + QuotedField(c.OtherFolderText));
     }},
    {.Long = "output-dir", .Short = 'o', .Kind = K::Path, .Group = G::OutputFiles, .Placeholder = "DIR",
     .Help = "write into DIR ('-' is refused: ./- for that name).",
     .Set = [](auto& c, auto& v) { SetFolder(c, FolderKind::OtherFolder, v.Text); }},
    {.Long = "create-unchanged", .Kind = K::Flag, .Group = G::OutputFiles,
     .Help = "write files even if nothing changed.", .Set = [](auto& c, auto&) { c.CreateIfUnchanged = true; },
     .Log = {L::Output, 60},
     .State = [](auto& c, auto& l) {
       l.push_back("Create files even if nothing changed: " + YesNoText(c.CreateIfUnchanged));
     }},
    {.Long = "overwrite", .Kind = K::Flag, .Group = G::OutputFiles, .Help = "replace existing output files.",
     .Set = [](auto& c, auto&) { c.Overwrite = true; }, .Log = {L::Output, 70},
     .State = [](auto& c, auto& l) { l.push_back("Overwrite existing files: " + YesNoText(c.Overwrite)); }},
    {.Long = "simulate", .Short = 'n', .Kind = K::Flag, .Group = G::OutputFiles,
     .Help = "do everything but create folders and wave files.", .Set = [](auto& c, auto&) { c.Simulation = true; }},
    // Another machine's running process cannot be told from a killed one: only by the time its
    // file has not changed, which the user knows better than any default.
    {.Long = "clean-temporaries", .Kind = K::Count, .Group = G::OutputFiles, .Placeholder = "MIN", .Min = 1,
     .Max = MaxStaleTemporaryMinutes, .Unit = "minutes",
     .Help = "also remove temporary outputs of this program in\nthe output folders that nothing wrote to for MIN\n"
             "minutes (1-10080), whatever machine made them\n(a killed container's); those of this machine's\n"
             "ended runs go without it.",
     .Set = [](auto& c, auto& v) { c.StaleTemporaryMinutes = v.Number; }},
    {.Long = "keep-metadata", .Kind = K::Flag, .Group = G::OutputFiles,
     .Help = "carry INFO, bext, iXML, markers and loops into the\noutputs, moved with the cut; other chunks are\n"
             "dropped and named (-v, --report). Outputs of more\nthan 2 channels or 16 bits keep the speaker layout.",
     .Set = [](auto& c, auto&) { c.KeepMetadata = true; }, .Log = {L::Output, 90},
     .State = [](auto& c, auto& l) { if (c.KeepMetadata) l.push_back("Keep metadata: " + YesNoText(true)); }},

    {.Long = "files-from", .Kind = K::Path, .Group = G::InputFiles, .Placeholder = "LIST",
     .Help = "also process the files named in LIST, one a line\n('-' reads standard input)."},
    {.Long = "null", .Short = '0', .Kind = K::Flag, .Group = G::InputFiles,
     .Help = "names in the lists end with a NUL, not a newline\n(as find -print0 writes them)."},
    {.Long = "recursive", .Short = 'r', .Kind = K::Flag, .Group = G::InputFiles,
     .Help = "take every .wav, .flac, .aif, .aiff and .aifc file\nbelow a folder given, in name order; links to\n"
             "folders are not followed, nor the run's --subfolder\nand --output-dir. A file named twice is processed\nonce."},

    // Each job holds a 2 MB buffer and two open files; far more jobs than cores only queue.
    {.Long = "jobs", .Short = 'j', .Kind = K::Count, .Group = G::RunAndMessages, .Placeholder = "N", .Max = 256,
     .Unit = "a count",
     .Help = "process N files at once (0: one a core; default 1).\nChanges nothing but the time: lines, log, report\n"
             "and files are those of one job."},
    {.Long = "keep-going", .Short = 'k', .Kind = K::Flag, .Group = G::RunAndMessages,
     .Help = "do not stop at the first file with an error.", .Set = [](auto& c, auto&) { c.StopOnError = false; },
     .Log = {L::Output, 80},
     .State = [](auto& c, auto& l) { l.push_back("Stop on error: " + YesNoText(c.StopOnError)); }},
    {.Long = "quiet", .Short = 'q', .Kind = K::Flag, .Group = G::RunAndMessages, .Help = "print nothing but errors."},
    {.Long = "verbose", .Short = 'v', .Kind = K::Flag, .Group = G::RunAndMessages,
     .Help = "print the figures of every file done."},

    {.Long = "log", .Kind = K::Path, .Group = G::LogAndReport, .Placeholder = "FILE",
     .Help = "write the run log to FILE ('-' is refused)."},
    {.Long = "log-short", .Kind = K::Flag, .Group = G::LogAndReport, .Help = "only the column line and the records."},
    {.Long = "log-names-only", .Kind = K::Flag, .Group = G::LogAndReport,
     .Help = "infile and outfile without folders."},
    {.Long = "log-decimal-comma", .Kind = K::Flag, .Group = G::LogAndReport,
     .Help = "a comma as decimal separator of the level columns."},
    {.Long = "log-separator", .Kind = K::Separator, .Group = G::LogAndReport, .Placeholder = "SEP",
     .Values = SeparatorNames, .Help = "comma, semicolon (default), tab or one character."},
    {.Long = "report", .Kind = K::Path, .Group = G::LogAndReport, .Placeholder = "FILE",
     .Help = "write a JSON Lines report to FILE: an object per\nfile, then the summary. '-' writes it to standard\n"
             "output and the lines for people to standard error.\nA name's bytes that are not UTF-8 become \\udcXX."},

    {.Long = "preview", .Kind = K::Path, .Group = G::Preview, .Placeholder = "FILE",
     .Help = "process nothing: print the cut the options give FILE\n"
             "and draw it into a PNG picture (the whole file, its\n"
             "first and last second; cut parts red, kept silence\nblue, fades, thresholds, clicks passed over)."},
    {.Long = "preview-out", .Kind = K::Path, .Group = G::Preview, .Placeholder = "PNG",
     .Help = "the picture's name (default preview.png); SVG when\nit ends in .svg."},
    {.Long = "preview-width", .Kind = K::Count, .Group = G::Preview, .Placeholder = "N", .Min = 16, .Max = 8192,
     .Unit = "pixels", .Help = "its width in pixels, 16-8192 (default 1200);"},
    {.Long = "preview-height", .Kind = K::Count, .Group = G::Preview, .Placeholder = "N", .Min = 16, .Max = 4096,
     .Unit = "pixels", .Help = "its height, 16-4096 (default 360)."},
    {.Long = "preview-scale", .Kind = K::Choice, .Group = G::Preview, .Placeholder = "S", .Values = ScaleNames,
     .Help = "db (default) or linear."},

    {.Long = "help", .Short = 'h', .Kind = K::Flag, .Group = G::Information, .Help = "show this help and exit."},
    {.Long = "version", .Short = 'V', .Kind = K::Flag, .Group = G::Information, .Help = "show the version and exit."},
};
// clang-format on

std::string Quote(const std::string& text) { return "'" + text + "'"; }

// "none, tpdf or shaped"
std::string ValueList(std::span<const ValueName> values, const char* beforeLast = " or ") {
  std::string list;
  for (size_t i = 0; i < values.size(); ++i)
    list += (i == 0 ? "" : i + 1 == values.size() ? beforeLast : ", ") + std::string(values[i].Word);
  return list;
}

bool ParseWhole(const std::string& text, int32_t& n) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  return ec == std::errc() && end == text.data() + text.size();
}

// A level in whole 0.1 steps from row.Min (in tenths) to 0.0.
bool ParseTenths(const OptionRow& row, const std::string& text, int32_t& tenths) {
  double level = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, level);
  if (ec != std::errc() || ptr != end || !(level * 10.0 >= row.Min - 0.5 && level <= 0.0)) return false;
  tenths = std::max(row.Min, static_cast<int32_t>(std::nearbyint(level * 10.0)));
  return true;
}

// What the message says of the values a row takes.
std::string Expected(const OptionRow& row) {
  switch (row.Kind) {
    case K::Level: return "level must be from -144.0 to 0.0 dBfs";
    case K::LevelOrInf: return "level must be from -144.0 to 0.0 dBfs or -inf";
    case K::Tenths: return std::string(row.Unit) + " from " + std::to_string(row.Min / 10) + ".0 to 0.0";
    case K::Choice: return ValueList(row.Values);
    default: break;
  }
  // 0 jobs stand for one a core.
  const std::string lowest = std::to_string(row.Min) + (row.Kind == K::Count && row.Min == 0 ? " (one a core)" : "");
  const char* unit = row.Kind == K::Milliseconds ? "milliseconds" : row.Unit;
  return std::string(unit) + " from " + lowest + " to " + std::to_string(row.Max);
}

bool ParseChoice(const OptionRow& row, const std::string& text, OptionValue& value) {
  for (size_t i = 0; i < row.Values.size(); ++i)
    if (text == row.Values[i].Word) {
      value.Number = static_cast<int32_t>(i);
      return true;
    }
  return false;
}

bool ParseNumber(const OptionRow& row, const std::string& text, OptionValue& value) {
  switch (row.Kind) {
    case K::LevelOrInf: value.Infinite = text == "-inf"; return value.Infinite || LevelToPosition(text, value.Number);
    case K::Level: return LevelToPosition(text, value.Number);
    case K::Tenths: return ParseTenths(row, text, value.Number);
    case K::Choice: return ParseChoice(row, text, value);
    default: return ParseWhole(text, value.Number) && value.Number >= row.Min && value.Number <= row.Max;
  }
}

}  // namespace

std::span<const OptionRow> AllOptions() { return Rows; }

int32_t FieldNumber(const ChoiceField& field) {
  return std::visit(
      [](auto at) -> int32_t {
        using T = decltype(at);
        if constexpr (std::is_same_v<T, EnumField>) return at.Get(at.At);
        else if constexpr (std::is_same_v<T, std::string*>) return 0;
        else return static_cast<int32_t>(*at);
      },
      field);
}

void SetFieldNumber(const ChoiceField& field, int32_t number) {
  std::visit(
      [number](auto at) {
        using T = decltype(at);
        if constexpr (std::is_same_v<T, EnumField>) at.Set(at.At, number);
        else if constexpr (std::is_same_v<T, bool*>) *at = number != 0;
        else if constexpr (std::is_same_v<T, int32_t*>) *at = number;
      },
      field);
}

bool ApplyOption(const OptionRow& row, RunChoices& choices, const OptionValue& value) {
  if (row.Set) {
    row.Set(choices, value);
    return true;
  }
  if (!row.Field) return false;
  const ChoiceField field = row.Field(choices);
  if (auto* text = std::get_if<std::string*>(&field)) **text = value.Text;
  else SetFieldNumber(field, row.TakesValue() ? value.Number : 1);
  return true;
}

void ClampToRows(RunChoices& choices) {
  for (const OptionRow& row : Rows) {
    if (!row.Field || std::holds_alternative<std::string*>(row.Field(choices))) continue;
    const ChoiceField field = row.Field(choices);
    const int32_t number = FieldNumber(field);
    if (!row.Values.empty()) {
      if (number < 0 || number >= static_cast<int32_t>(row.Values.size())) SetFieldNumber(field, 0);
    } else if (row.Kind != OptionKind::Flag) {
      SetFieldNumber(field, std::clamp(number, row.Min, row.Max));
    }
  }
}

const OptionRow* FindOption(std::string_view longName) {
  for (const OptionRow& row : Rows)
    if (longName == row.Long) return &row;
  return nullptr;
}

bool ParseOptionValue(const OptionRow& row, const std::string& text, OptionValue& value, std::string& error) {
  value = {};
  switch (row.Kind) {
    case K::Flag: value.Number = 1; return true;
    case K::Text:
    case K::Path:
    case K::Separator: value.Text = text; return true;
    default: break;
  }
  if (ParseNumber(row, text, value)) return true;
  const std::string name = "--" + std::string(row.Long);
  // The depths are too many for a sentence: they follow as a list.
  if (std::string_view(row.Long) == "bits")
    error = name + ": unknown depth " + Quote(text) + " (" + ValueList(row.Values, ", ") + ")";
  else error = name + ": " + Expected(row) + ", not " + Quote(text);
  return false;
}

bool LevelToPosition(const std::string& text, int32_t& position) {
  double level = 0.0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, level);
  if (ec != std::errc() || ptr != end || !(level >= -144.0 && level <= 0.0)) return false;
  const double steps = std::nearbyint(level * 10.0);
  position = SliderMax + static_cast<int32_t>(steps);
  return true;
}

std::string OptionHelp() {
  std::string help;
  for (size_t g = 0; g < std::size(GroupHeadings); ++g) {
    if (g > 0) help += "\n";
    if (*GroupHeadings[g]) help += std::string(GroupHeadings[g]) + ":\n";
    for (const OptionRow& o : Rows) {
      if (static_cast<size_t>(o.Group) != g || !o.Help) continue;
      std::string name = (o.Short ? std::string("  -") + o.Short + ", " : std::string(6, ' ')) + "--" + o.Long;
      if (o.TakesValue()) name += std::string(" ") + o.Placeholder;
      name.resize(HelpColumn, ' ');
      std::string text = o.Help;
      for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        text.insert(at + 1, HelpColumn, ' ');
      help += name + text + "\n";
    }
  }
  return help;
}

}  // namespace tacetix
