// The run log: opening, the header block, the column and record lines, the end line
// and the closing, with every write failure after the open remembered.
#include "log/unit_logging.h"

#include "TacetixVersion.h"

namespace tacetix {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A record's name field as RFC 4180 reads it: a quote inside is doubled, and a line break,
// which would end the record, is written as one space. Other names keep their bytes.
std::string QuotedField(const std::string& text) {
  std::string field(1, FieldQuote);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == FieldQuote) field += "\"\"";
    else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    else field += c == '\r' || c == '\n' ? ' ' : c;
  }
  return field + FieldQuote;
}

std::string NoneOrQuoted(const std::string& text) { return text.empty() ? "none" : Quoted(text); }

std::string BitsLine(const LogHeaderSnapshot& snapshot) {
  std::string line = "Bit depth: " + snapshot.BitsText;
  if (snapshot.BitsChoice != 0) {
    line += snapshot.BitsMode == 0 ? ", convert all" : snapshot.BitsMode == 1 ? ", only up" : ", only down";
  }
  return line;
}

// Quoted as the records' names are: a folder may hold a quote (or a line break) where the
// prefix and the suffix cannot.
std::string FolderLine(const LogHeaderSnapshot& snapshot) {
  if (snapshot.FolderSubfolder) return "Output folder: subfolder " + QuotedField(snapshot.SubfolderText);
  return "Output folder: " + QuotedField(snapshot.OtherFolderText);
}

// One end of the file: the remove line and, only when removing, its threshold.
void SilenceLines(LogStream& stream, const std::string& where, const std::string& thresholdName, bool remove,
                  bool digitalZero, const std::string& thresholdText) {
  stream.Line("remove silence at " + where + ": " + YesNoText(remove));
  if (remove) stream.Line(thresholdName + ": " + (digitalZero ? std::string("-inf") : thresholdText));
}

// A length in ms, written only when it is not 0 and its end is cut at all.
void MsLine(LogStream& stream, const std::string& name, int32_t ms, bool cut) {
  if (ms != 0 && cut) stream.Line(name + ": " + std::to_string(ms) + " ms");
}

void ProcessingLines(LogStream& stream, const LogHeaderSnapshot& snapshot) {
  stream.Line("PROCESSING OPTIONS");
  SilenceLines(stream, "beginning", "Threshold beginning", snapshot.RemoveBegin, snapshot.DigitalZeroBegin,
               snapshot.ThresholdBeginText);
  MsLine(stream, "Keep silence at beginning", snapshot.KeepBeginMs, snapshot.RemoveBegin);
  MsLine(stream, "Fade in", snapshot.FadeInMs, snapshot.RemoveBegin);
  SilenceLines(stream, "end", "Threshold end", snapshot.RemoveEnd, snapshot.DigitalZeroEnd, snapshot.ThresholdEndText);
  MsLine(stream, "Keep silence at end", snapshot.KeepEndMs, snapshot.RemoveEnd);
  MsLine(stream, "Fade out", snapshot.FadeOutMs, snapshot.RemoveEnd);
  MsLine(stream, "Ignore clicks shorter than", snapshot.IgnoreClicksMs, snapshot.RemoveBegin || snapshot.RemoveEnd);
  stream.Line("normalize: " + YesNoText(snapshot.Normalize));
  if (snapshot.Normalize && snapshot.NormalizeLoudnessText.empty())
    stream.Line("normalize to: " + snapshot.NormalizeText);
  if (snapshot.Normalize && !snapshot.NormalizeLoudnessText.empty())
    stream.Line("Normalize to: " + snapshot.NormalizeLoudnessText);
  stream.Line("");
}

void OutputLines(LogStream& stream, const LogHeaderSnapshot& snapshot) {
  stream.Line("OUTPUT OPTIONS");
  stream.Line(BitsLine(snapshot));
  if (!snapshot.DitherText.empty()) stream.Line("Dither: " + snapshot.DitherText);
  stream.Line("Prefix: " + NoneOrQuoted(snapshot.Prefix));
  stream.Line("Suffix: " + NoneOrQuoted(snapshot.Suffix));
  stream.Line(FolderLine(snapshot));
  stream.Line("Create files even if nothing changed: " + YesNoText(snapshot.CreateIfUnchanged));
  stream.Line("Overwrite existing files: " + YesNoText(snapshot.Overwrite));
  stream.Line("Stop on error: " + YesNoText(snapshot.StopOnError));
  if (snapshot.KeepMetadata) stream.Line("Keep metadata: " + YesNoText(true));
  stream.Line("");
}

void LogOptionLines(LogStream& stream, const LogSettings& settings) {
  stream.Line("LOGFILE OPTIONS");
  stream.Line("Path for infile: " + YesNoText(settings.PathInfile));
  stream.Line("Path for outfile: " + YesNoText(settings.PathOutfile));
  stream.Line("Decimal separator: " + SeparatorText(static_cast<uint8_t>(settings.SepaDeci)));
  stream.Line("Field separator: " + SeparatorText(static_cast<uint8_t>(settings.SepaField)));
  stream.Line("");
}

// Binary mode keeps the CR LF line ends as written; trunc makes every run start
// from an empty file. An empty name is refused here: it names no file at all.
bool OpenLog(LogStream& stream, const std::string& name) {
  if (stream.Out.is_open()) stream.Out.close();
  stream.Out.clear();
  stream.WriteFailed = false;
  if (name.empty()) return false;
  stream.Out.open(name, std::ios::out | std::ios::trunc | std::ios::binary);
  if (stream.Out.is_open()) return true;
  stream.Out.clear();
  return false;
}

}  // namespace

// The stream's state is looked at after every line, and cleared again, so that a
// full disk is remembered for the end of the run while the run itself goes on. Each line goes
// to the file at once: a run that dies later keeps the records of the files before.
void LogStream::Line(const std::string& text) {
  Out.write(text.data(), static_cast<std::streamsize>(text.size()));
  Out.write("\r\n", 2);
  Out.flush();
  if (!Out) {
    WriteFailed = true;
    Out.clear();
  }
}

Logfile::Logfile() { Clear(); }

void Logfile::Clear() {
  infile.clear();
  outfile.clear();
  channels_in = bits_in = hz_in = samples_in = 0;
  startsample = endsample = 0;
  peakdb = ampdb = 0.0;
  bits_out = samples_out = 0;
  peakdb_known = false;
  clipped = 0;
  nonfinite = 0;
}

bool Logfile::WriteColumnHeader(LogStream& stream) const {
  static const char* const names[] = {"infile",    "channels_in", "bits_in", "hz_in",   "samples_in", "startsample",
                                      "endsample", "peakdb",      "ampdb",   "outfile", "bits_out",   "samples_out"};
  std::string line;
  for (const char* name : names) {
    if (!line.empty()) line += separator;
    line += name;
  }
  if (clipped_column) line += separator + std::string("clipped");
  stream.Line(line);
  return true;
}

bool Logfile::WriteRecord(LogStream& stream, char sepaDeci) const {
  const std::string sep(1, separator);
  std::string line = QuotedField(infile);
  const uint64_t counts[] = {channels_in, bits_in, hz_in, samples_in, startsample, endsample};
  for (uint64_t value : counts) {
    line += sep + std::to_string(value);
  }
  line += sep + (peakdb_known ? LevelText(peakdb, sepaDeci) : Quoted("unknown"));
  line += sep + LevelText(ampdb, sepaDeci);
  line += sep + QuotedField(outfile);
  line += sep + std::to_string(bits_out) + sep + std::to_string(samples_out);
  if (clipped_column) line += sep + std::to_string(clipped);
  // Only the record of a file that had them gets a field past the last column: the columns keep
  // their places, and every other record stays as it was.
  if (nonfinite > 0) line += sep + Quoted("non-finite samples: " + std::to_string(nonfinite));
  stream.Line(line);
  return true;
}

int WriteLogHeader(LogStream& stream, const std::string& name, const LogSettings& settings,
                   const LogHeaderSnapshot& snapshot) {
  if (!OpenLog(stream, name)) return 1;
  if (settings.ProcInfOnly) return 0;
  stream.Line("Tacetix v" TACETIX_VERSION " - Logfile");
  stream.Line("start processing " + DateTimeText());
  stream.Line("");
  ProcessingLines(stream, snapshot);
  OutputLines(stream, snapshot);
  LogOptionLines(stream, settings);
  return 0;
}

// Most failures of a full disk only show when the buffer is flushed, so the flush
// and the close are checked as well as the lines written before them.
int WriteLogFooter(LogStream& stream, const LogSettings& settings) {
  if (!settings.ProcInfOnly) stream.Line("end processing " + DateTimeText());
  stream.Out.flush();
  if (!stream.Out) stream.WriteFailed = true;
  stream.Out.clear();
  stream.Out.close();
  if (!stream.Out) stream.WriteFailed = true;
  stream.Out.clear();
  return stream.WriteFailed ? 1 : 0;
}

}  // namespace tacetix
