// The run log: the options that shape it, the header snapshot, the record writer
// and the opening and closing of the log file. Standard library only.
#pragma once

#include <cstdint>
#include <ctime>
#include <fstream>
#include <locale>
#include <string>
#include <vector>

namespace tacetix {

// The five log options the window keeps between runs.
struct LogSettings {
  bool PathInfile = true;
  bool PathOutfile = true;
  bool ProcInfOnly = false;
  char SepaDeci = '.';
  char SepaField = ';';
};

// The quote around a record's text fields; as the field separator it would end every
// quoted name in the middle, so neither front end accepts it there.
constexpr char FieldQuote = '"';
// A name as RFC 4180 reads it, in the records and the header alike: quoted, a quote inside
// doubled, a line break written as one space.
std::string QuotedField(const std::string& text);

// Why a character cannot separate the log's fields; None when it can. The checks run in this
// order, so a clash that choosing the other decimal separator mends is told as such.
enum class SeparatorFault {
  None,
  NoCharacter,       // NUL
  Quote,             // the quote around the names: it would end a name in its middle
  LineBreak,         // it would end every record at its first field
  DecimalSeparator,  // it would split each level in two
  InNumbers,         // a digit, a letter, a sign or a point, which the unquoted numbers hold
};
SeparatorFault FieldSeparatorFault(char field, char sepaDeci);

// What the header block states of the run's options, in ready lines: the processing
// section's and the output section's. The log's own options it states itself.
struct LogHeaderSnapshot {
  std::vector<std::string> Processing;
  std::vector<std::string> Output;
};

// The open log of one run. Remembers whether any write failed after the open.
struct LogStream {
  std::ofstream Out;
  bool WriteFailed = false;
  int WriteError = 0;  // the system's error number of the first failed write; 0 when it gave none
  // Writes text and the CR LF line end and flushes; records a failure instead of throwing.
  void Line(const std::string& text);
  // Remembers a failure that the stream's state shows, with errno as the write left it.
  void NoteState();
};

// The twelve result fields of one file and the writer of the column and record lines.
class Logfile {
 public:
  Logfile();
  void Clear();
  bool WriteColumnHeader(LogStream& stream) const;
  // sepaDeci is the decimal separator of the two level columns.
  bool WriteRecord(LogStream& stream, char sepaDeci) const;

  char separator = ',';
  std::string infile;
  std::string outfile;
  uint32_t channels_in = 0;
  uint32_t bits_in = 0;
  uint32_t hz_in = 0;
  uint64_t samples_in = 0;  // frames; 64-bit, as long files have more than 4 G of them
  uint64_t startsample = 0;
  uint64_t endsample = 0;
  double peakdb = 0.0;
  double ampdb = 0.0;
  uint32_t bits_out = 0;
  uint64_t samples_out = 0;
  bool peakdb_known = false;
  // A thirteenth column, only in the logs of runs that normalise to a loudness or dither.
  bool clipped_column = false;
  uint64_t clipped = 0;    // output samples the gain, the dither or the conversion saturated
  uint64_t nonfinite = 0;  // NaN and infinite samples, which no scan counts as sound
};

// Creates or truncates the log and writes the header block unless ProcInfOnly.
// 1 when the file cannot be opened for writing (an empty name included).
int WriteLogHeader(LogStream& stream, const std::string& name, const LogSettings& settings,
                   const LogHeaderSnapshot& snapshot);
// Writes the end line unless ProcInfOnly, then flushes and closes.
// 1 when any write, the flush or the close failed since the log was opened.
int WriteLogFooter(LogStream& stream, const LogSettings& settings);

std::string YesNoText(bool flag);
std::string SeparatorText(uint8_t code);
// Fixed-point, six decimals, at most nine significant digits, no "-0.000000".
std::string LevelText(double value, char sepaDeci);
// The user's short date and long time; the date alone at exactly midnight.
std::string DateTimeText();
// The same rendering of a given broken-down time in a given locale.
std::string DateTimeText(const std::tm& when, const std::locale& locale);

}  // namespace tacetix
