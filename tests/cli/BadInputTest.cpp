// Malformed and hostile inputs end to end through tacetix-cli: each one gets its status line
// and the summary, nothing else, in bounded time, and whatever output is left is readable.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>
#include <regex>
#include <sstream>

#include "CliFixture.h"
#include "support/TestSupport.h"

using namespace testsupport;
using clitest::ExpectReadableWav;
namespace fs = std::filesystem;

namespace {

class BadInputTest : public clitest::CliFixture {
 protected:
  std::string OneFile(const std::string& name, const Bytes& bytes, const std::string& options, bool missing = false) {
    if (!missing) WriteFile(Dir.File(name), bytes);
    Cli("--keep-going --subfolder out " + options + " -- " + ShellQuote(name));
    return Dir.File(name);
  }
  size_t OutputCount() {
    if (!fs::exists(Dir.File("out"))) return 0;
    return static_cast<size_t>(std::distance(fs::directory_iterator(Dir.File("out")), fs::directory_iterator()));
  }
};

std::vector<long> AsInt16(const std::vector<double>& samples) {
  std::vector<long> v;
  for (double x : samples) v.push_back(std::lrint(x * 32767.0));
  return v;
}

struct BadCase {
  const char* Name;
  Bytes File;
  bool Done;                   // else "I/O error"
  const char* Reason;          // of the I/O error
  const char* Kind;            // the report's
  bool Missing = false;        // no file of that name at all
  const char* Note = nullptr;  // of a done file, on the error stream and in the report
};

std::vector<BadCase> HeaderCases() {
  const Bytes tone = Pcm16({0, 0, 900, -900, 500, 0});
  const Bytes fmt = FmtBody(1, 1, 8000, 16);
  const Bytes canonical = WavBuilder{}.Fmt(1, 1, 8000, 16).Data(tone).Build();
  auto cut = [&](size_t n) { return Bytes(canonical.begin(), canonical.begin() + static_cast<long>(n)); };
  WavBuilder rifx;
  rifx.riffId = "RIFX";
  WavBuilder avi;
  avi.formType = "AVI ";
  const char* noRiff = "not a WAV file: no RIFF header";
  const char* runsPast = "data chunk missing: chunk 'fmt ' runs past the end of the file";
  return {
      {"empty", {}, false, noRiff, "not_wave"},
      {"riff-id-only", cut(4), false, noRiff, "not_wave"},
      {"riff-header-only", WavBuilder{}.Build(), false, "fmt chunk missing", "malformed"},
      {"cut-in-fmt", cut(30), false, runsPast, "malformed"},
      {"cut-in-data-header", cut(40), false, "data chunk missing", "malformed"},
      // the data is cut to the file: 2 silent samples, no output due; the 7 bytes missing are told
      {"cut-in-data", cut(49), true, nullptr, "none", false, "data chunk ends 7 bytes early"},
      {"data-size-past-end", WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 1000, tone).Build(), true, nullptr,
       "none", false, "data chunk ends 988 bytes early"},
      {"rifx", rifx.Fmt(1, 1, 8000, 16).Data(tone).Build(), false, "big-endian WAV (RIFX) is not read", "unsupported"},
      {"form-avi", avi.Fmt(1, 1, 8000, 16).Data(tone).Build(), false, "not a WAV file: RIFF form is not WAVE",
       "not_wave"},
      {"fmt-id-misspelt", WavBuilder{}.Chunk("fmt_", fmt).Data(tone).Build(), false, "fmt chunk missing", "malformed"},
      {"no-data-chunk", WavBuilder{}.Fmt(1, 1, 8000, 16).Build(), false, "data chunk missing", "malformed"},
      {"fmt-size-past-end", WavBuilder{}.ChunkDeclared("fmt ", 1000, fmt).Data(tone).Build(), false, runsPast,
       "malformed"},
      {"chunk-size-past-end",
       WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("LIST", 5000, {'a', 'b', 'c', 'd'}).Data(tone).Build(), false,
       "data chunk missing: chunk 'LIST' runs past the end of the file", "malformed"},
      {"odd-chunk-padded", WavBuilder{}.Fmt(1, 1, 8000, 16).Chunk("LIST", {'a', 'b', 'c'}).Data(tone).Build(), true,
       nullptr, "none"},
      {"odd-chunk-unpadded", WavBuilder{}.Fmt(1, 1, 8000, 16).Chunk("LIST", {'a', 'b', 'c'}, false).Data(tone).Build(),
       false, "data chunk missing: a chunk runs past the end of the file", "malformed"},
      {"data-before-fmt", WavBuilder{}.Data(tone).Fmt(1, 1, 8000, 16).Build(), false, "data chunk missing",
       "malformed"},
      {"fmt-14-bytes", WavBuilder{}.Chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14)).Data(tone).Build(), false,
       "fmt chunk too short", "malformed"},
      {"data-size-0", WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 0, {}).Build(), false, "data chunk empty",
       "malformed"},
      {"data-size-ffffffff", WavBuilder{}.Fmt(1, 1, 8000, 16).ChunkDeclared("data", 0xFFFFFFFF, tone).Build(), true,
       nullptr, "none"},
      {"channels-0", WavBuilder{}.Fmt(1, 0, 8000, 16, 2).Data(tone).Build(), false, "fmt chunk: no channels",
       "malformed"},
      {"align-not-whole-channels", WavBuilder{}.Fmt(1, 2, 8000, 16, 3).Data(tone).Build(), false,
       "fmt chunk: block align 3 is no whole number of bytes a channel", "malformed"},
      {"container-5-bytes", WavBuilder{}.Fmt(1, 1, 8000, 40, 5).Data(tone).Build(), false,
       "samples of 5 bytes are not supported", "unsupported"},
      {"a-law", WavBuilder{}.Fmt(6, 1, 8000, 8).Data(tone).Build(), false, "unsupported format: A-law", "unsupported"},
      // No program reads a wave file without a rate: the source is at fault, not the output.
      {"rate-0", WavBuilder{}.Fmt(1, 1, 0, 16).Data(tone).Build(), false, "fmt chunk: sample rate 0 Hz", "malformed"},
      {"missing", {}, false, "No such file or directory", "cannot_open", true},
  };
}

}  // namespace

TEST_F(BadInputTest, EveryMalformedHeaderGetsOneStatusLine) {
  for (const BadCase& c : HeaderCases()) {
    SCOPED_TRACE(c.Name);
    const std::string name = std::string(c.Name) + ".wav";
    const std::string path = OneFile(name, c.File, "--report r.jsonl", c.Missing);
    const std::string summary = c.Done ? "1 file processed ok" : "0 files processed ok, 1 with errors";
    const std::string output = Dir.File("out/" + name);
    const bool written = fs::exists(output);
    // A file that fails is named on the error stream; one done without output says so.
    std::string reason = c.Reason ? c.Reason : "";
    if (reason.rfind("OUT: ", 0) == 0) reason = output + reason.substr(3);
    const std::string line = !c.Done   ? "tacetix-cli: " + path + ": I/O error (" + reason + ")\n"
                             : written ? "done: " + path + " -> " + output + "\n"
                                       : "silent: " + path + " (no output)\n";
    const std::string note = c.Note ? "tacetix-cli: " + path + ": " + c.Note + "\n" : "";
    EXPECT_EQ(Out, line + note + summary + "\n");
    // Scripts tell the failures apart by the report's kind, whatever the words say.
    std::smatch kind;
    const std::string report = ReadText(Dir.File("r.jsonl"));
    ASSERT_TRUE(std::regex_search(report, kind, std::regex("\"kind\":\"([a-z_]+)\""))) << report;
    EXPECT_EQ(kind[1].str(), c.Kind);
    EXPECT_EQ(report.find("\"notes\":[") != std::string::npos, c.Note != nullptr) << report;
    if (!c.Missing) {
      EXPECT_EQ(ReadFile(path), c.File) << "the source changed";
    }
    if (written) ExpectReadableWav(output);
    EXPECT_TRUE(c.Done || !written) << "a failed file left an output";
    // The folder made for its output goes with a failure; a file done keeps it, output or not.
    EXPECT_EQ(fs::exists(Dir.File("out")), c.Done);
    fs::remove_all(Dir.File("out"));
  }
}

// Files of 2 GiB and more are read like any other: this one is silent from end to end.
TEST_F(BadInputTest, FileOfTwoGibibytesIsReadToTheEnd) {
  const std::string path = Dir.File("huge.wav");
  WriteFile(path, WavBuilder{}.Fmt(1, 2, 44100, 16).ChunkDeclared("data", 0x7FFFFFD4, {}).Build());
  ASSERT_EQ(::truncate(path.c_str(), off_t{1} << 31), 0);
  EXPECT_EQ(Cli("--subfolder out huge.wav"), 0);
  EXPECT_EQ(Out, "silent: " + path + " (no output)\n1 file processed ok\n");
  EXPECT_EQ(OutputCount(), 0u);
  EXPECT_EQ(fs::file_size(path), uint64_t{1} << 31);
}

TEST_F(BadInputTest, NanAndInfinityBecomeZeroInIntegerOutputs) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> values = {0.0f, 0.5f, std::nanf(""), inf, -inf, -0.25f, 0.0f};
  Bytes data;
  for (float v : values) Put32(data, std::bit_cast<uint32_t>(v));
  const Bytes file = WavBuilder{}.Fmt(3, 1, 8000, 32).Data(data).Build();

  OneFile("f.wav", file, "--bits 16");
  ASSERT_EQ(Out, "done: " + Dir.File("f.wav") + " -> " + Dir.File("out/f.wav") + "\n1 file processed ok\n");
  ExpectReadableWav(Dir.File("out/f.wav"));
  int32_t channels = 0, bits = 0, tag = 0;
  std::vector<double> s;
  ASSERT_TRUE(ReadWav(Dir.File("out/f.wav"), channels, bits, tag, s));
  EXPECT_EQ(AsInt16(s), (std::vector<long>{16384, 0, 0, 0, -8192}));

  // The infinities are no peak: the gain comes from the finite samples.
  fs::remove_all(Dir.File("out"));
  OneFile("f.wav", file, "--normalize -1 --bits 16");
  ASSERT_EQ(Out, "done: " + Dir.File("f.wav") + " -> " + Dir.File("out/f.wav") + "\n1 file processed ok\n");
  ExpectReadableWav(Dir.File("out/f.wav"));
  ASSERT_TRUE(ReadWav(Dir.File("out/f.wav"), channels, bits, tag, s));
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[1], 0.0);
  EXPECT_NEAR(s[0], std::pow(10.0, -1.0 / 20.0), 1e-4);
  for (double v : s) EXPECT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.0001) << v;
}

TEST_F(BadInputTest, SixtyFiveThousandChannels) {
  Bytes data(65535, 128);  // one silent frame of 8-bit samples, then one that is not
  for (int i = 0; i < 65535; ++i) data.push_back(i % 2 ? 200 : 60);
  const Bytes file = WavBuilder{}.Fmt(1, 65535, 8000, 8, 65535).Data(data).Build();
  OneFile("wide.wav", file, "");
  ASSERT_EQ(Out, "done: " + Dir.File("wide.wav") + " -> " + Dir.File("out/wide.wav") + "\n1 file processed ok\n");
  ExpectReadableWav(Dir.File("out/wide.wav"));
  EXPECT_EQ(fs::file_size(Dir.File("out/wide.wav")), 44u + 65535u + 1u);

  // 16 bits for 65535 channels do not fit the 16-bit block align: refused, and no empty file stays.
  fs::remove_all(Dir.File("out"));
  OneFile("wide.wav", file, "--bits 16");
  EXPECT_EQ(Out, "tacetix-cli: " + Dir.File("wide.wav") + ": I/O error (" + Dir.File("out/wide.wav") +
                     ": 65535 channels of 2 bytes do not fit a WAV header)\n0 files processed ok, 1 with errors\n");
  EXPECT_EQ(OutputCount(), 0u);
}

// The log, the report and the -v line state the depths read and written, which are the
// container's, as sox reads the output, not the header's.
TEST_F(BadInputTest, DepthsTheContainerCannotHoldAreWrittenAsTheContainer) {
  const Bytes pcm = Pcm16({0, 1000, -1000, 0});
  const Bytes doubles = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xe0, 0x3f, 0, 0, 0, 0, 0, 0, 0, 0};
  struct Depth {
    const char* Name;
    uint16_t Tag, Bits, BlockAlign, WrittenBits;
  };
  for (Depth d : {Depth{"bits40", 1, 40, 2, 16}, Depth{"bits0", 1, 0, 2, 16}, Depth{"float64in4", 3, 64, 4, 32},
                  Depth{"float16in4", 3, 16, 4, 32}, Depth{"bits12", 1, 12, 2, 12}, Depth{"float32in8", 3, 32, 8, 64},
                  Depth{"bits33", 1, 33, 4, 32}}) {
    SCOPED_TRACE(d.Name);
    const Bytes data = d.BlockAlign == 8   ? doubles
                       : d.BlockAlign == 4 ? Bytes{0, 0, 0, 0, 0, 0, 0x80, 0x3e, 0, 0, 0, 0}
                                           : pcm;
    const std::string name = std::string(d.Name) + ".wav";
    OneFile(name, WavBuilder{}.Fmt(d.Tag, 1, 8000, d.Bits, d.BlockAlign).Data(data).Build(),
            "-v --log run.log --report r.json");
    ASSERT_EQ(Out.rfind("done: " + Dir.File(name) + " -> " + Dir.File("out/" + name) + "\n", 0), 0u) << Out;
    ExpectReadableWav(Dir.File("out/" + name));
    const Bytes b = ReadFile(Dir.File("out/" + name));
    EXPECT_EQ(b[34] | b[35] << 8, d.WrittenBits);
    std::string soxBits;
    ASSERT_EQ(RunCommand("sox --i -b " + ShellQuote(Dir.File("out/" + name)), &soxBits), 0);
    EXPECT_EQ(std::stoi(soxBits), d.WrittenBits);
    const std::string bits = std::to_string(d.WrittenBits);
    EXPECT_NE(Out.find(" kept, " + bits + " -> " + bits + " bits, "), std::string::npos) << Out;
    EXPECT_NE(ReadText(Dir.File("r.json")).find("\"bits_in\":" + bits + ",\"bits_out\":" + bits + ","),
              std::string::npos);
    // infile;channels_in;bits_in;...;outfile;bits_out;samples_out
    const std::string log = ReadText(Dir.File("run.log"));
    const size_t record = log.find("\"" + Dir.File(name) + "\";1;");
    ASSERT_NE(record, std::string::npos) << log;
    std::vector<std::string> fields;
    std::istringstream line(log.substr(record, log.find('\n', record) - record));
    for (std::string f; std::getline(line, f, ';');) fields.push_back(f);
    ASSERT_EQ(fields.size(), 12u);
    EXPECT_EQ(fields[2], bits);
    EXPECT_EQ(fields[10], bits);
    fs::remove_all(Dir.File("out"));
  }
}

TEST_F(BadInputTest, CutOffStereoFileGivesWholeFrames) {
  // 7 samples of 2 channels: the last frame is cut in half.
  const Bytes file = WavBuilder{}.Fmt(1, 2, 8000, 16).Data(Pcm16({0, 0, 900, 800, 700, 600, 500})).Build();
  for (const char* options : {"", "--no-trim-end", "--no-trim-begin --create-unchanged --bits 24"}) {
    SCOPED_TRACE(options);
    OneFile("cut.wav", file, options);
    ASSERT_EQ(Out, "done: " + Dir.File("cut.wav") + " -> " + Dir.File("out/cut.wav") + "\n1 file processed ok\n");
    ExpectReadableWav(Dir.File("out/cut.wav"));
    int32_t channels = 0, bits = 0, tag = 0;
    std::vector<double> s;
    ASSERT_TRUE(ReadWav(Dir.File("out/cut.wav"), channels, bits, tag, s));
    EXPECT_EQ(s.size() % 2, 0u);
    EXPECT_EQ(AsInt16(s).back(), 600) << "the half frame was written";
    fs::remove_all(Dir.File("out"));
  }
}

TEST_F(BadInputTest, AwkwardFileNames) {
  const std::vector<std::string> names = {"a b.wav",         "it's \"q\".wav", "x;y.wav",
                                          "line\nbreak.wav", "-dash.wav",      "\xff\xfe-latin.wav"};
  std::string args = "--keep-going --subfolder out --log run.log --";
  for (const std::string& n : names) {
    WriteWav16(Dir.File(n), 1, {0, 300, -300, 0});
    args += " " + ShellQuote(n);
  }
  EXPECT_EQ(Cli(args), 0) << Out;
  // The line break would split the line: that name is quoted as a shell reads it back.
  const auto shown = [](const std::string& path) {
    const size_t at = path.find('\n');
    return at == std::string::npos ? path : "'" + path.substr(0, at) + "'$'\\n''" + path.substr(at + 1) + "'";
  };
  std::string expected;
  for (const std::string& n : names) {
    expected += "done: " + shown(Dir.File(n)) + " -> " + shown(Dir.File("out/" + n)) + "\n";
    ExpectReadableWav(Dir.File("out/" + n));
  }
  EXPECT_EQ(Out, expected + "6 files processed ok\n");
  // Read back as a spreadsheet reads the log: one record a file, the name whole, a line break as a space.
  const std::string readLog =
      "import csv,sys\nl=open(sys.argv[1],encoding='latin-1',newline='').read().split('\\r\\n')\n"
      "s=next(i for i,x in enumerate(l) if x.startswith('infile;'))\nsys.stdout.reconfigure(encoding='latin-1')\n"
      "for r in csv.reader(l[s+1:l.index('',s)],delimiter=';',strict=True):print(len(r),r[0],sep='|')\n";
  std::string rows, records;
  ASSERT_EQ(RunCommand("python3 -c " + ShellQuote(readLog) + " " + ShellQuote(Dir.File("run.log")), &rows), 0);
  for (const std::string& n : names) {
    std::string name = Dir.File(n);
    std::replace(name.begin(), name.end(), '\n', ' ');
    records += "12|" + name + "\n";
  }
  EXPECT_EQ(rows, records);
}

TEST_F(BadInputTest, SourcesThatAreNoRegularFilesFailWithoutWaiting) {
  // A FIFO that no one writes to would hold an open for ever.
  ASSERT_EQ(::mkfifo(Dir.File("fifo.wav").c_str(), 0600), 0);
  fs::create_directory(Dir.File("folder.wav"));
  fs::create_symlink("/dev/zero", Dir.File("zero.wav"));
  EXPECT_EQ(Cli("--keep-going --subfolder out fifo.wav folder.wav zero.wav"), 1);
  // The folder is turned down while the list is read; the others fail when opened.
  std::string expected = "tacetix-cli: " + Dir.File("folder.wav") + ": is a folder (use --recursive)\n";
  for (const char* n : {"fifo.wav", "zero.wav"})
    expected += "tacetix-cli: " + Dir.File(n) + ": I/O error (not a regular file)\n";
  EXPECT_EQ(Out, expected + "0 files processed ok, 2 with errors\n");
  EXPECT_EQ(OutputCount(), 0u);
}

TEST_F(BadInputTest, FileOfZerosIsRefusedAfterABoundedWalk) {
  // 2 GiB - 1 of zeros after the RIFF header: 268 million empty chunks if walked to the end.
  const std::string path = Dir.File("zeros.wav");
  WriteFile(path, WavBuilder{}.Build());
  ASSERT_EQ(::truncate(path.c_str(), off_t{0x7FFFFFFF}), 0);
  EXPECT_EQ(Cli("--subfolder out zeros.wav"), 1);
  EXPECT_EQ(Out,
            "tacetix-cli: " + path + ": I/O error (more than 100000 chunks)\n0 files processed ok, 1 with errors\n");
}

TEST_F(BadInputTest, HeadersOtherProgramsRefuseNeverReachAnOutput) {
  const Bytes pcm = Pcm16({0, 1000, -1000, 0});
  Bytes lowByteRate = WavBuilder{}.Fmt(1, 1, 8000, 16).Data(pcm).Build();
  lowByteRate[28] = 3;
  struct Header {
    const char* Name;
    Bytes File;
    uint16_t WrittenBits;  // 0: refused as malformed
    const char* Reason;    // of the refusal
  };
  const std::vector<Header> cases = {
      {"float16in2", WavBuilder{}.Fmt(3, 1, 8000, 16, 2).Data(pcm).Build(), 0,
       "float samples of 2 bytes are not supported"},
      {"rate2g", WavBuilder{}.Fmt(1, 1, 0x80000000u, 16).Data(pcm).Build(), 0,
       "sample rate 2147483648 Hz is out of range"},
      {"integer64", WavBuilder{}.Fmt(1, 1, 8000, 64, 8).Data(Bytes(32, 1)).Build(), 0,
       "integer samples of 8 bytes are not supported"},
      {"bits4in8", WavBuilder{}.Fmt(1, 1, 8000, 4, 1).Data({128, 128, 200, 60, 128, 128}).Build(), 8, ""},
      {"byteRate3", lowByteRate, 16, ""},
  };
  for (const Header& h : cases) {
    SCOPED_TRACE(h.Name);
    const std::string name = std::string(h.Name) + ".wav";
    OneFile(name, h.File, "");
    const std::string line = h.WrittenBits ? "done: " + Dir.File(name) + " -> " + Dir.File("out/" + name) + "\n"
                                           : "tacetix-cli: " + Dir.File(name) + ": I/O error (" + h.Reason + ")\n";
    EXPECT_EQ(Out, line + (h.WrittenBits ? "1 file processed ok\n" : "0 files processed ok, 1 with errors\n"));
    if (h.WrittenBits) {
      ExpectReadableWav(Dir.File("out/" + name));
      const Bytes b = ReadFile(Dir.File("out/" + name));
      EXPECT_EQ(Le16At(b, 34), h.WrittenBits);
      EXPECT_EQ(Le32At(b, 28), Le32At(b, 24) * Le16At(b, 32)) << "byte rate";
    }
    EXPECT_EQ(OutputCount(), h.WrittenBits ? 1u : 0u);
    fs::remove_all(Dir.File("out"));
  }
}

// NaN and infinities in the silence, in the sound and in a fade, through every kind of
// output: never sound, never the peak, 0 in integer outputs and fades, kept in float outputs
// outside the fades, and counted over the whole file whichever passes read it. A 64-bit
// value past the float range saturates in a 32-bit float output.
TEST_F(BadInputTest, NonFiniteSamplesNeverDecideTheCutNorThePeak) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  std::vector<double> tone(600, 0.0);
  for (int i = 100; i < 500; ++i) tone[i] = 0.5 * std::sin(i / 3.0);
  std::vector<double> special = tone;
  special[50] = inf, special[300] = nan, special[301] = inf, special[550] = -inf;
  std::vector<double> huge = tone;
  huge[200] = 1e300, huge[201] = -1e300;
  auto file = [](const std::vector<double>& v, int bits) {
    Bytes data;
    for (double x : v) {
      const uint64_t stored = bits == 32 ? std::bit_cast<uint32_t>(static_cast<float>(x)) : std::bit_cast<uint64_t>(x);
      for (int k = 0; k < bits / 8; ++k) data.push_back(static_cast<uint8_t>(stored >> 8 * k));
    }
    return WavBuilder{}.Fmt(3, 1, 8000, static_cast<uint16_t>(bits)).Data(data).Build();
  };
  struct Case {
    const char* Options;
    Bytes File;
    long Frames;      // in the output; 0: none
    int KeptSpecial;  // non-finite samples in the output
    double Peak;      // largest finite magnitude of the output
    int Counted;      // non-finite samples the report names
  };
  double sine = 0.0;
  for (double v : tone) sine = std::max(sine, std::fabs(v));
  const double top = std::pow(10.0, -1.0 / 20.0), flt = std::numeric_limits<float>::max();
  const Case cases[] = {
      {"--bits 16", file(special, 32), 400, 0, sine, 4},
      {"--bits 24 --normalize -1", file(special, 64), 400, 0, top, 4},
      {"--normalize -1", file(special, 32), 400, 2, top, 4},
      {"--bits 64f --keep-begin 10 --fade-in 10 --no-trim-end", file(special, 32), 580, 3, sine, 4},
      {"--simulate", file(special, 32), 0, 0, 0, 4},
      {"--no-trim-begin --no-trim-end", file(special, 64), 0, 0, 0, 4},
      {"--bits 32f", file(huge, 64), 400, 0, flt, 0},
      {"--bits 24 --dither tpdf", file(special, 32), 400, 0, sine, 4},
      {"--bits 24 --dither shaped --normalize -1", file(special, 64), 400, 0, top, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options);
    OneFile("f.wav", c.File, std::string(c.Options) + " --report r.json --log r.log");
    const std::string report = ReadText(Dir.File("r.json")), log = ReadText(Dir.File("r.log"));
    const std::string counted = "non-finite samples: " + std::to_string(c.Counted) + "\"\r\n";
    EXPECT_EQ(report.find("\"non_finite_samples\":" + std::to_string(c.Counted)) != std::string::npos, c.Counted > 0);
    EXPECT_EQ(log.find(counted) != std::string::npos, c.Counted > 0) << log;
    EXPECT_EQ(fs::exists(Dir.File("out/f.wav")), c.Frames > 0) << Out;
    if (c.Frames == 0) continue;
    int32_t channels = 0, bits = 0, tag = 0;
    std::vector<double> s;
    ASSERT_TRUE(ReadWav(Dir.File("out/f.wav"), channels, bits, tag, s));
    EXPECT_EQ(static_cast<long>(s.size()), c.Frames);
    double peak = 0.0;
    for (double v : s) peak = std::isfinite(v) ? std::max(peak, std::fabs(v)) : peak;
    EXPECT_EQ(std::count_if(s.begin(), s.end(), [](double v) { return !std::isfinite(v); }), c.KeptSpecial);
    EXPECT_NEAR(peak, c.Peak, c.Peak * 1e-4);
    if (tag == 1) ExpectReadableWav(Dir.File("out/f.wav"));
    fs::remove_all(Dir.File("out"));
  }
}

// A RIFF data chunk of the streaming size 0xFFFFFFFF with more behind it: read as far as the
// size says, as libsndfile (and sox) read it, and the rest named as ignored, on the error stream and in the
// report. A file that ends within the size has nothing to name. Sparse, and only simulated.
TEST_F(BadInputTest, StreamedRiffPastFourGibibytesNamesWhatIsIgnored) {
  ASSERT_TRUE(HaveProgram("sndfile-info")) << "sndfile-info is required for this test";
  WavBuilder b;
  b.overrideRiff = true;
  b.riffSizeOverride = 0xFFFFFFFF;
  const Bytes header = b.Fmt(1, 2, 48000, 16).ChunkDeclared("data", 0xFFFFFFFF, {}).Build();
  const uint64_t sizeFrames = 0xFFFFFFFFull / 4;
  const std::string path = Dir.File("streamed.wav");
  for (uint64_t frames : {sizeFrames + 1000000, sizeFrames}) {
    SCOPED_TRACE(frames);
    WriteFile(path, header);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(header.size() + frames * 4)), 0);
    const Bytes loud = Pcm16({0x4000, -0x4000});
    const int fd = ::open(path.c_str(), O_WRONLY);
    for (uint64_t at : {uint64_t{1000}, sizeFrames - 1000})
      ASSERT_EQ(::pwrite(fd, loud.data(), 4, static_cast<off_t>(header.size() + at * 4)), 4);
    ::close(fd);
    ASSERT_EQ(Cli("-n --subfolder out --report r.json streamed.wav"), 0) << Out;
    const bool past = frames > sizeFrames;
    EXPECT_EQ(Out.find("tacetix-cli: " + path + ": data past 4 GiB ignored\n") != std::string::npos, past) << Out;
    std::string peer;
    RunCommand("sndfile-info " + ShellQuote(path) + " | sed -n 's/^Frames *: //p'", &peer);
    const std::string report = ReadText(Dir.File("r.json"));
    EXPECT_NE(report.find("\"frames_in\":" + peer.substr(0, peer.find('\n')) + ","), std::string::npos) << peer;
    EXPECT_EQ(report.find("\"notes\":[\"data past 4 GiB ignored\"]") != std::string::npos, past) << report;
  }
}
