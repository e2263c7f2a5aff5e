// The log file as written: header block, column and record lines, closing, and the
// failures of opening and writing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "log/unit_logging.h"
#include "support/TestSupport.h"

using namespace tacetix;
using testsupport::ReadText;
using testsupport::TempDir;

namespace {

const std::string SemicolonColumns =
    "infile;channels_in;bits_in;hz_in;samples_in;startsample;endsample;peakdb;ampdb;outfile;bits_out;samples_out";

// Splits at CR LF and fails on any line end that is not CR LF.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  for (const auto& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
  return lines;
}

Logfile SongRecord() {
  Logfile lf;
  lf.separator = ';';
  lf.infile = "song.wav";
  lf.outfile = "song_new.wav";
  lf.channels_in = 2;
  lf.bits_in = 16;
  lf.hz_in = 44100;
  lf.samples_in = 441000;
  lf.startsample = 11025;
  lf.endsample = 429999;
  lf.peakdb_known = true;
  lf.peakdb = -3.5214761;
  lf.ampdb = -0.1 - lf.peakdb;
  lf.bits_out = 16;
  lf.samples_out = 418975;
  return lf;
}

std::vector<std::string> HeaderLines(const LogSettings& settings, const LogHeaderSnapshot& snapshot) {
  TempDir dir;
  LogStream s;
  EXPECT_EQ(WriteLogHeader(s, dir.File("run.log"), settings, snapshot), 0);
  s.Out.close();
  auto lines = CrLfLines(ReadText(dir.File("run.log")));
  EXPECT_EQ(lines.at(1).rfind("start processing ", 0), 0u) << lines.at(1);
  lines.at(1) = "start processing";
  return lines;
}

}  // namespace

// The option lines come ready from the run; the log states its own options after them.
TEST(LogHeader, GivenSectionsThenTheLogsOwnOptions) {
  const LogHeaderSnapshot snapshot{{"remove silence at beginning: No"}, {"Bit depth: same as input", "Prefix: none"}};
  // clang-format off
  const std::vector<std::string> expected = {
      "Tacetix v1.1 - Logfile", "start processing", "", "PROCESSING OPTIONS", "remove silence at beginning: No", "",
      "OUTPUT OPTIONS", "Bit depth: same as input", "Prefix: none", "", "LOGFILE OPTIONS", "Path for infile: No",
      "Path for outfile: Yes", "Decimal separator: ASCII 44 (\",\")", "Field separator: ASCII 9 (Tabulator)", ""};
  // clang-format on
  EXPECT_EQ(HeaderLines(LogSettings{false, true, false, ',', '\t'}, snapshot), expected);
}

TEST(LogRecord, WorkedExampleWithDecimalComma) {
  LogStream s;
  TempDir dir;
  ASSERT_EQ(WriteLogHeader(s, dir.File("run.log"), LogSettings{false, false, true, ',', ';'}, {}), 0);
  SongRecord().WriteRecord(s, ',');
  s.Out.close();
  EXPECT_EQ(ReadText(dir.File("run.log")),
            "\"song.wav\";2;16;44100;441000;11025;429999;-3,521476;3,421476;\"song_new.wav\";16;418975\r\n");
}

TEST(LogRecord, UnknownPeakAndClearedFields) {
  TempDir dir;
  LogStream s;
  ASSERT_EQ(WriteLogHeader(s, dir.File("run.log"), LogSettings{false, false, true, '.', '\t'}, {}), 0);
  Logfile lf = SongRecord();
  lf.separator = '\t';
  lf.peakdb_known = false;
  lf.ampdb = 0.0;
  lf.WriteColumnHeader(s);
  lf.WriteRecord(s, '.');
  lf.Clear();
  lf.WriteRecord(s, '.');
  EXPECT_EQ(WriteLogFooter(s, LogSettings{false, false, true, '.', '\t'}), 0);
  // clang-format off
  const std::vector<std::string> expected = {
      "infile\tchannels_in\tbits_in\thz_in\tsamples_in\tstartsample\tendsample\tpeakdb\tampdb\toutfile\t"
      "bits_out\tsamples_out",
      "\"song.wav\"\t2\t16\t44100\t441000\t11025\t429999\t\"unknown\"\t0.000000\t\"song_new.wav\"\t16\t418975",
      "\"\"\t0\t0\t0\t0\t0\t0\t\"unknown\"\t0.000000\t\"\"\t0\t0"};
  // clang-format on
  EXPECT_EQ(CrLfLines(ReadText(dir.File("run.log"))), expected);
}

// Python's csv module is the spreadsheet: every separator the rule lets through gives back the
// twelve columns, the name holding the separator and the levels with their signs.
TEST(LogRecord, EveryAcceptedSeparatorKeepsTheColumns) {
  const char* reader = R"PY(
import csv, sys
codes = [int(c) for c in sys.argv[2].split(',')]
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')[:-1]
for code, line in zip(codes, lines):
    f = next(csv.reader([line.decode('latin-1')], delimiter=chr(code)))
    print(len(f), f[0] == 'a%sb' % chr(code), f[4], f[7], f[8])
)PY";
  for (const char deci : {'.', ','}) {
    SCOPED_TRACE(deci);
    TempDir dir;
    LogStream stream;
    stream.Out.open(dir.File("records.log"), std::ios::binary);
    std::string codes, expected;
    for (int code = 0; code < 256; ++code) {
      const char sep = static_cast<char>(code);
      if (FieldSeparatorFault(sep, deci) != SeparatorFault::None) continue;
      Logfile record = SongRecord();
      record.separator = sep;
      record.infile = std::string("a") + sep + "b";
      record.samples_in = 1234567890;
      record.ampdb = -std::numeric_limits<double>::infinity();
      record.WriteRecord(stream, deci);
      codes += (codes.empty() ? "" : ",") + std::to_string(code);
      expected += std::string("12 True 1234567890 -3") + deci + "521476 -inf\n";
    }
    stream.Out.close();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), ',') + 1, deci == '.' ? 187 : 186);
    std::string out;
    ASSERT_EQ(testsupport::RunCommand("python3 -c " + testsupport::ShellQuote(reader) + " " +
                                          testsupport::ShellQuote(dir.File("records.log")) + " " + codes,
                                      &out),
              0);
    EXPECT_EQ(out, expected);
  }
}

TEST(LogFile, WholeRunEndsWithSummaryAndEndLine) {
  TempDir dir;
  LogStream s;
  LogSettings settings;
  ASSERT_EQ(WriteLogHeader(s, dir.File("run.log"), settings, {}), 0);
  Logfile lf;
  EXPECT_EQ(lf.separator, ',');
  lf.separator = settings.SepaField;
  lf.WriteColumnHeader(s);
  SongRecord().WriteRecord(s, settings.SepaDeci);
  s.Line("");
  s.Line("1 file processed ok");
  EXPECT_EQ(WriteLogFooter(s, settings), 0);
  EXPECT_FALSE(s.Out.is_open());
  const auto lines = CrLfLines(ReadText(dir.File("run.log")));
  ASSERT_EQ(lines.size(), 13u + 5u);
  EXPECT_EQ(lines[13], SemicolonColumns);
  EXPECT_EQ(lines[14].substr(lines[14].find("-3.")), "-3.521476;3.421476;\"song_new.wav\";16;418975");
  EXPECT_EQ(lines[15], "");
  EXPECT_EQ(lines[16], "1 file processed ok");
  EXPECT_EQ(lines[17].rfind("end processing ", 0), 0u);
}

TEST(LogFile, ShortListHoldsOnlyColumnAndRecordsAndReplacesAnOldLog) {
  TempDir dir;
  testsupport::WriteFile(dir.File("run.log"), testsupport::Bytes(20000, 'x'));
  LogSettings settings{true, true, true, '.', ';'};
  LogStream s;
  ASSERT_EQ(WriteLogHeader(s, dir.File("run.log"), settings, {}), 0);
  Logfile lf;
  lf.separator = ';';
  lf.WriteColumnHeader(s);
  EXPECT_EQ(WriteLogFooter(s, settings), 0);
  EXPECT_EQ(ReadText(dir.File("run.log")), SemicolonColumns + "\r\n");
}

TEST(LogOpen, UnusableNamesFailAndCreateNothing) {
  TempDir dir;
  LogStream s;
  EXPECT_EQ(WriteLogHeader(s, "", LogSettings{}, {}), 1);
  EXPECT_FALSE(s.Out.is_open());
  EXPECT_EQ(WriteLogHeader(s, dir.File("missing/run.log"), LogSettings{}, {}), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  EXPECT_EQ(WriteLogHeader(s, dir.Path().string(), LogSettings{}, {}), 1);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(LogWrite, FullDiskIsReportedNotThrown) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  LogSettings settings;
  {
    LogStream s;
    ASSERT_EQ(WriteLogHeader(s, "/dev/full", settings, {}), 0);
    EXPECT_EQ(WriteLogFooter(s, settings), 1);  // small enough to fail only at the flush
  }
  LogStream s;
  ASSERT_EQ(WriteLogHeader(s, "/dev/full", settings, {}), 0);
  const Logfile lf = SongRecord();
  for (int i = 0; i < 1000 && !s.WriteFailed; ++i) lf.WriteRecord(s, '.');
  EXPECT_TRUE(s.WriteFailed);  // seen by the line that overflowed the buffer
  s.Line("still no exception");
  EXPECT_EQ(WriteLogFooter(s, settings), 1);
  // A later run on a good file starts clean.
  TempDir dir;
  ASSERT_EQ(WriteLogHeader(s, dir.File("run.log"), settings, {}), 0);
  EXPECT_EQ(WriteLogFooter(s, settings), 0);
}

// A record is in the file as soon as it is written: a run that dies at a later file keeps it.
TEST(LogWrite, ARecordIsInTheFileOnceWritten) {
  TempDir dir;
  LogStream s;
  ASSERT_EQ(WriteLogHeader(s, dir.File("run.log"), LogSettings{}, {}), 0);
  SongRecord().WriteRecord(s, '.');
  ASSERT_TRUE(s.Out.is_open());
  EXPECT_NE(ReadText(dir.File("run.log")).find(";\"song_new.wav\";16;418975\r\n"), std::string::npos);
}
