// The run log: opening, the header block, the column and record lines, the end line
// and the closing, with every write failure after the open remembered.
#include "log/unit_logging.h"

#include <cerrno>

#include "TacetixVersion.h"

namespace tacetix {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void Section(LogStream& stream, const char* title, const std::vector<std::string>& lines) {
  stream.Line(title);
  for (const std::string& line : lines) stream.Line(line);
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
  stream.WriteError = 0;
  if (name.empty()) return false;
  stream.Out.open(name, std::ios::out | std::ios::trunc | std::ios::binary);
  if (stream.Out.is_open()) return true;
  stream.Out.clear();
  return false;
}

}  // namespace

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

// The stream's state is looked at after every line, and cleared again, so that a
// full disk is remembered for the end of the run while the run itself goes on. Each line goes
// to the file at once: a run that dies later keeps the records of the files before.
void LogStream::Line(const std::string& text) {
  errno = 0;
  Out.write(text.data(), static_cast<std::streamsize>(text.size()));
  Out.write("\r\n", 2);
  Out.flush();
  NoteState();
}

// The first failure's reason is the one to tell: later writes fail for the same cause.
void LogStream::NoteState() {
  if (Out) return;
  if (!WriteFailed) WriteError = errno;
  WriteFailed = true;
  Out.clear();
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
  Section(stream, "PROCESSING OPTIONS", snapshot.Processing);
  Section(stream, "OUTPUT OPTIONS", snapshot.Output);
  LogOptionLines(stream, settings);
  return 0;
}

// Most failures of a full disk only show when the buffer is flushed, so the flush
// and the close are checked as well as the lines written before them.
int WriteLogFooter(LogStream& stream, const LogSettings& settings) {
  if (!settings.ProcInfOnly) stream.Line("end processing " + DateTimeText());
  errno = 0;
  stream.Out.flush();
  stream.NoteState();
  errno = 0;
  stream.Out.close();
  stream.NoteState();
  return stream.WriteFailed ? 1 : 0;
}

}  // namespace tacetix
