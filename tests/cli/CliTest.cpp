// tacetix-cli end to end on generated files, with sox as the reader of what it writes.
#include <gtest/gtest.h>

#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "CliFixture.h"
#include "cli/CliOptions.h"
#include "support/TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class CliTest : public clitest::CliFixture {
 protected:
  void Tone(const std::string& name, const std::string& format, const std::string& effects) {
    ASSERT_EQ(RunCommand("sox -n " + format + " " + ShellQuote(Dir.File(name)) + " " + effects + " 2>&1"), 0)
        << "sox is required";
  }
  std::string SoxInfo(const std::string& name, const std::string& what) {
    std::string out;
    RunCommand("sox --i -" + what + " " + ShellQuote(Dir.File(name)), &out);
    return out.substr(0, out.find('\n'));
  }
};

}  // namespace

TEST_F(CliTest, TrimsNormalisesConvertsAndSoxReadsTheResult) {
  ASSERT_TRUE(HaveProgram("sox")) << "sox is required for this test";
  Tone("a.wav", "-r 44100 -c 2 -b 16", "synth 1 sine 440 gain -6 pad 0.5 0.25");
  Tone("b.wav", "-r 8000 -c 1 -b 24", "synth 0.5 square 100 gain -20 pad 0.1 0");
  ASSERT_EQ(Cli("--begin -60 --normalize -1.0 --bits 32f --subfolder out --log run.log a.wav b.wav"), 0) << Out;
  EXPECT_NE(Out.find("done: " + Dir.File("a.wav") + " -> " + Dir.File("out/a.wav")), std::string::npos) << Out;
  EXPECT_NE(Out.find("2 files processed ok"), std::string::npos);
  for (const char* f : {"out/a.wav", "out/b.wav"}) {
    EXPECT_EQ(SoxInfo(f, "b"), "32") << f;
    EXPECT_EQ(SoxInfo(f, "e"), "Floating Point PCM") << f;
    std::string stat;
    RunCommand("sox " + ShellQuote(Dir.File(f)) + " -n stat 2>&1 | grep 'Maximum amplitude'", &stat);
    EXPECT_NE(stat.find("0.89"), std::string::npos) << f << stat;  // -1 dBFS is 0.891
  }
  // About one second of tone is kept of the 1.75 s file.
  const double seconds = std::stod(SoxInfo("out/a.wav", "D"));
  EXPECT_NEAR(seconds, 1.0, 0.01);
  const std::string log = ReadText(Dir.File("run.log"));
  EXPECT_NE(log.find("Threshold beginning: -60.0 dBfs\r\n"), std::string::npos);
  EXPECT_NE(log.find("normalize to: -1.0 dBfs\r\n"), std::string::npos);
  EXPECT_NE(log.find("Bit depth: 32 bit float, convert all\r\n"), std::string::npos);
}

TEST_F(CliTest, RelativeNamesAreMadeAbsoluteAndDashFilesFollowTheMarker) {
  WriteWav16(Dir.File("-odd.wav"), 1, {0, 0, 100, 0});
  WriteWav16(Dir.File("plain.wav"), 1, {0, 100});
  ASSERT_EQ(Cli("--suffix _t -- -odd.wav plain.wav"), 0) << Out;
  EXPECT_TRUE(fs::exists(Dir.File("-odd_t.wav")));
  EXPECT_TRUE(fs::exists(Dir.File("plain_t.wav")));
  EXPECT_NE(Out.find(Dir.File("plain_t.wav")), std::string::npos);
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndWriteNothing) {
  WriteWav16(Dir.File("a.wav"), 1, {0, 100});
  // clang-format off
  const char* bad[] = {
      "--begin -144.1 --suffix _t a.wav", "--begin 0.1 --suffix _t a.wav", "--normalize -inf --suffix _t a.wav",
      "--bogus --suffix _t a.wav",        "--suffix _t",                    "a.wav",
      "--prefix 'x/y' a.wav",             "--suffix 'a:b' a.wav",           "--subfolder 'o?' a.wav",
      "--log-decimal-comma --log-separator comma --log r.log --suffix _t a.wav",
      "--bits 48 --suffix _t a.wav",      "--bits-mode sideways --suffix _t a.wav", "--suffix",
      "--subfolder . a.wav",              "--subfolder ' .. ' a.wav",       "--suffix _t a.wav ''",
      "--suffix _t --output-dir '' a.wav",
      "--keep 10001 --suffix _t a.wav",   "--fade-in 1.5 --suffix _t a.wav", "--keep-end 5 --suffix _t a.wav",
  };
  // clang-format on
  for (const char* args : bad) {
    EXPECT_EQ(Cli(args), 2) << args;
    EXPECT_EQ(std::count(Out.begin(), Out.end(), '\n'), 1) << args << ": " << Out;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(CliTest, NamesInADeletedCurrentFolderAreAUsageError) {
  WriteWav16(Dir.File("a.wav"), 1, {0, 100});
  const std::string gone = "mkdir gone && cd gone && rmdir ../gone && ";
  for (const std::string& args : {std::string("../a.wav"), "--output-dir out " + Dir.File("a.wav")}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(Run(Call("--suffix _t " + args).AfterShell(gone)), 2);
    EXPECT_NE(Out.find("cannot tell where "), std::string::npos) << Out;
  }
  EXPECT_FALSE(fs::exists(Dir.File("a_t.wav")));
}

TEST_F(CliTest, HelpAndVersion) {
  EXPECT_EQ(Cli("--help"), 0);
  EXPECT_NE(Out.find("Usage: tacetix-cli"), std::string::npos);
  std::istringstream help(Out);
  for (std::string line; std::getline(help, line);) EXPECT_LE(line.size(), 79u) << line;
  EXPECT_EQ(Cli("--version"), 0);
  EXPECT_EQ(Out, "tacetix-cli 1.1\nLicence: MIT\n");
}

TEST_F(CliTest, ExitStatusFollowsTheFiles) {
  WriteWav16(Dir.File("a.wav"), 1, {0, 100});
  WriteFile(Dir.File("broken.wav"), Bytes{'R', 'I', 'F', 'F', 0, 0});
  EXPECT_EQ(Cli("--suffix _t --keep-going a.wav broken.wav"), 1);
  EXPECT_NE(Out.find("tacetix-cli: " + Dir.File("broken.wav") + ": I/O error"), std::string::npos) << Out;
  EXPECT_NE(Out.find("1 file processed ok, 1 with errors"), std::string::npos);
  EXPECT_EQ(Cli("--suffix _t --overwrite a.wav"), 0);
  EXPECT_EQ(Cli("--suffix _t a.wav"), 1);
  EXPECT_NE(Out.find("output file already exists"), std::string::npos);
  EXPECT_EQ(Cli("--subfolder '' --overwrite a.wav"), 2);  // would write over the source
  EXPECT_EQ(Cli("--output-dir . --overwrite a.wav"), 1);
  EXPECT_NE(Out.find("output file is input file"), std::string::npos) << Out;
}

TEST_F(CliTest, InterruptCancelsTheFileInProgressAndClosesTheLog) {
  ASSERT_TRUE(HaveProgram("sox")) << "sox is required for this test";
  Tone("long.wav", "-r 48000 -c 2 -b 16", "synth 600 sine 440");
  CliChild cli(
      Call("--bits 64f --suffix _t --log " + ShellQuote(Dir.File("run.log")) + " " + ShellQuote(Dir.File("long.wav"))));
  // Wait until the output has started, then interrupt.
  for (int i = 0; i < 500 && OutputBytesSoFar(Dir.File("long_t.wav")) <= 44; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  cli.Signal(SIGINT);
  const CliResult run = cli.Finish();
  const std::string rest = run.Out + "rc=" + std::to_string(run.Status) + "\n";
  EXPECT_NE(rest.find("tacetix-cli: " + Dir.File("long.wav") +
                      ": cancelled (partial output kept: " + Dir.File("long_t.wav") + ")\n"),
            std::string::npos)
      << rest;
  EXPECT_NE(rest.find("rc=130"), std::string::npos) << rest;
  const std::string log = ReadText(Dir.File("run.log"));
  EXPECT_NE(log.find("Processing cancelled, 0 files processed ok, 1 with errors\r\nend processing "),
            std::string::npos);
  // The partial output is a well-formed file that sox reads.
  std::string info;
  EXPECT_EQ(RunCommand("sox --i -s " + ShellQuote(Dir.File("long_t.wav")), &info), 0);
  EXPECT_GT(std::stol(info), 0);
}

TEST(CliOptionsTest, LevelsSnapToTheSliderSteps) {
  int32_t p = 0;
  EXPECT_TRUE(tacetix::LevelToPosition("-96", p));
  EXPECT_EQ(p, 480);
  EXPECT_TRUE(tacetix::LevelToPosition("-0.04", p));
  EXPECT_EQ(p, 1440);
  EXPECT_TRUE(tacetix::LevelToPosition("-143.96", p));
  EXPECT_EQ(p, 0);
  EXPECT_TRUE(tacetix::LevelToPosition("-60.06", p));
  EXPECT_EQ(p, 839);
  EXPECT_TRUE(tacetix::LevelToPosition("-144", p));
  EXPECT_EQ(p, 0);
  // Outside the range before any rounding.
  EXPECT_FALSE(tacetix::LevelToPosition("-144.04", p));
  EXPECT_FALSE(tacetix::LevelToPosition("0.04", p));
  EXPECT_FALSE(tacetix::LevelToPosition("-6x", p));
  EXPECT_FALSE(tacetix::LevelToPosition("nan", p));
}

TEST(CliOptionsTest, NamesLoseBlanksAndControlCharactersAsInTheWindow) {
  tacetix::CliConfig c;
  std::string error;
  ASSERT_TRUE(tacetix::ParseCommandLine({"--prefix", "\t p ", "--suffix", " s\t ", "--subfolder", "\n o \t", "a.wav"},
                                        c, error))
      << error;
  EXPECT_EQ(c.Request.Settings.Prefix, "p ");
  EXPECT_EQ(c.Request.Settings.Suffix, " s");
  EXPECT_EQ(c.Request.Settings.FolderText, "o");
}

TEST(CliOptionsTest, LinkedEndFollowsTheBeginningInSettingsAndHeader) {
  tacetix::CliConfig c;
  std::string error;
  ASSERT_TRUE(tacetix::ParseCommandLine({"--begin", "-50", "--suffix", "_x", "a.wav"}, c, error)) << error;
  EXPECT_EQ(c.Request.Settings.ThresholdEnd, c.Request.Settings.ThresholdBegin);
  EXPECT_EQ(c.Request.Header.Processing.at(3), "Threshold end: -50.0 dBfs");

  tacetix::CliConfig d;
  ASSERT_TRUE(tacetix::ParseCommandLine({"--no-trim-begin", "--end", "-70", "--suffix", "_x", "a.wav"}, d, error));
  EXPECT_FALSE(d.Request.Settings.RemoveBegin);
  EXPECT_TRUE(d.Request.Settings.RemoveEnd);
  EXPECT_EQ(d.Request.Settings.ThresholdEnd, tacetix::SliderFactor(740));
  EXPECT_EQ(d.Request.Settings.ThresholdBegin, 0.0);
}

TEST_F(CliTest, ProgressLineOnlyOnATerminal) {
  std::vector<int16_t> s(2 * 400000, 300);
  WriteWav16(Dir.File("long.wav"), 2, s);
  ASSERT_EQ(Cli("--bits 24 --suffix _a long.wav"), 0);
  EXPECT_EQ(Out.find('%'), std::string::npos) << "no progress line into a pipe";
  // script(1) gives the program a terminal for stdout and stderr.
  ASSERT_TRUE(HaveProgram("script")) << "script (bsdutils) is required";
  const std::string cmd = std::string(TACETIX_CLI) + " --bits 24 --suffix _b " + ShellQuote(Dir.File("long.wav"));
  ASSERT_EQ(RunCommand("script -qec " + ShellQuote(cmd) + " /dev/null", &Out), 0);
  EXPECT_NE(Out.find("100% " + Dir.File("long.wav")), std::string::npos) << Out;
  EXPECT_NE(Out.find("\r\033[Kdone: " + Dir.File("long.wav")), std::string::npos) << "the progress line is cleared";
}

// Lines, log, report, exit status and outputs of several jobs are those of one, on broken,
// silent, unchanged and refused files among good ones (date lines and timings aside), also
// when the run stops at an early broken file.
TEST_F(CliTest, JobsGiveTheLinesLogReportAndOutputsOfOneJob) {
  const auto runIn = [&](const std::string& sub, const std::string& jobs, int broken = 7) {
    fs::create_directories(Dir.File(sub + "/out"));
    std::string names;
    for (int i = 0; i < 12; ++i) {
      const std::string name = sub + "/f" + std::to_string(i) + ".wav";
      std::vector<int16_t> s(static_cast<size_t>(3000 + 1000 * i), static_cast<int16_t>(200 * (i + 1)));
      if (i % 4 != 3) s.front() = s.back() = 0;  // every fourth file has nothing to cut
      if (i == 5) s.assign(s.size(), 0);         // silent
      WriteWav16(Dir.File(name), 2, s);
      names += " " + name;
    }
    WriteFile(Dir.File(sub + "/f" + std::to_string(broken) + ".wav"), Bytes{'R', 'I', 'F', 'F'});
    WriteWav16(Dir.File(sub + "/out/f9.wav"), 1, {1});  // output name taken
    const int status = Cli(jobs + " --subfolder out --log " + sub + "/run.log --report " + sub + "/rep.jsonl" + names);
    std::string picture = std::to_string(status) + Out + ReadText(Dir.File(sub + "/run.log")) +
                          ReadText(Dir.File(sub + "/rep.jsonl"));
    for (const auto& e : fs::directory_iterator(Dir.File(sub + "/out"))) {
      const Bytes b = ReadFile(e.path().string());
      picture += e.path().filename().string() + ":" + std::string(b.begin(), b.end());
    }
    picture = std::regex_replace(picture, std::regex("processing [0-9./: -]+"), "processing DATE");
    picture = std::regex_replace(picture, std::regex("\"seconds\":[0-9.e-]+"), "\"seconds\":T");
    return std::regex_replace(picture, std::regex("/" + sub + "/"), "/SUB/");
  };
  const std::string one = runIn("one", "-j1 -k");
  EXPECT_NE(one.find("unchanged: "), std::string::npos);
  EXPECT_NE(one.find("silent: "), std::string::npos);
  EXPECT_NE(one.find("output file already exists"), std::string::npos);
  EXPECT_EQ(runIn("two", "-j2 -k"), one);
  EXPECT_EQ(runIn("four", "--jobs=4 -k"), one);
  const std::string stopped = runIn("stop1", "-j1", 1);
  EXPECT_EQ(stopped.find("f2.wav:"), std::string::npos) << "nothing after the broken file";
  EXPECT_EQ(runIn("stop4", "-j4", 1), stopped);
}

// Kept silence and fades through the whole program: sox reads the longer output and the
// faded start, the log states the options and the written range.
TEST_F(CliTest, KeepAndFadeReachTheOutputAndTheLog) {
  ASSERT_TRUE(HaveProgram("sox")) << "sox is required for this test";
  Tone("a.wav", "-r 44100 -c 2 -b 16", "synth 1 sine 440 gain -6 pad 0.5 0.25");
  ASSERT_EQ(Cli("--begin -60 --fade-in 20 --end -60 --keep-end 100 --fade-out 10 --ignore-clicks 5 --suffix _n "
                "--log run.log a.wav"),
            0)
      << Out;
  EXPECT_NEAR(std::stod(SoxInfo("a_n.wav", "D")), 1.1, 0.001);
  std::string stat;
  RunCommand("sox " + ShellQuote(Dir.File("a_n.wav")) + " -n trim 0 0.01 stat 2>&1 | grep 'Maximum amplitude'", &stat);
  const double firstTen = std::stod(stat.substr(stat.find(':') + 1));
  EXPECT_LT(firstTen, 0.5 * 0.51);  // the first half of the fade: its factor stays below 0.5
  EXPECT_GT(firstTen, 0.2);
  const std::string log = ReadText(Dir.File("run.log"));
  for (const char* line : {"Fade in: 20 ms\r\n", "Keep silence at end: 100 ms\r\n", "Fade out: 10 ms\r\n",
                           "Ignore clicks shorter than: 5 ms\r\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  EXPECT_EQ(log.find("Keep silence at beginning"), std::string::npos);
  const std::regex record(R"(;(\d+);(\d+);[^;]*;[^;]*;"[^"]*";16;(\d+)\r\n)");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(log, m, record)) << log;
  const long first = std::stol(m[1]), last = std::stol(m[2]);
  EXPECT_NEAR(first, 22050, 2);
  EXPECT_NEAR(last, 66150 + 4410, 2);
  EXPECT_EQ(std::stol(m[3]), last - first + 1);
}

// Coded samples that sox writes in a WAVE file are refused by name, never read as 8-bit PCM
// and passed on as noise: no output, and the report says why.
TEST_F(CliTest, CodedFormatsAreRefusedByName) {
  ASSERT_TRUE(HaveProgram("sox")) << "sox is required for this test";
  const std::pair<const char*, const char*> codings[] = {
      {"a-law", "A-law"}, {"u-law", "mu-law"}, {"ima-adpcm", "IMA ADPCM"}, {"ms-adpcm", "MS ADPCM"}};
  for (const auto& [encoding, name] : codings) {
    SCOPED_TRACE(encoding);
    Tone("coded.wav", std::string("-r 8000 -e ") + encoding, "synth 1 sine 440 pad 0.3 0.3");
    ASSERT_EQ(Cli("--subfolder out --report r.json coded.wav"), 1) << Out;
    EXPECT_FALSE(fs::exists(Dir.File("out/coded.wav")));
    const std::string report = ReadText(Dir.File("r.json"));
    EXPECT_NE(report.find("\"status\":\"I/O error\",\"reason\":\"unsupported format: " + std::string(name) + "\""),
              std::string::npos)
        << report;
  }
}

// A simulation takes the names its earlier rows would have written, as the run takes the names
// its earlier rows wrote: the rows' words are the real run's, with or without overwriting, and
// whatever the jobs. A row without an output (silent) takes no name.
TEST_F(CliTest, SimulationPredictsTheNamesTheRunFindsTaken) {
  const auto words = [&](const std::string& args) {
    EXPECT_EQ(Cli(args + " -o out -k -r tree --report -"), 1) << Out;
    std::string found;
    const std::regex status("\"status\":\"([^\"]+)\"");
    for (std::sregex_iterator it(Out.begin(), Out.end(), status), end; it != end; ++it) found += (*it)[1].str() + ",";
    return found;
  };
  for (const std::string options : {"-j 1", "-j 3", "-j 3 --overwrite"}) {
    SCOPED_TRACE(options);
    fs::remove_all(Dir.File("tree"));
    fs::remove_all(Dir.File("out"));
    fs::create_directories(Dir.File("tree/a"));
    WriteWav16(Dir.File("tree/a/x.wav"), 1, {0, 0, 0});
    for (const char* name : {"tree/b/x.wav", "tree/c/x.wav", "tree/d/y.wav", "tree/e/x.wav"}) {
      fs::create_directories(fs::path(Dir.File(name)).parent_path());
      WriteWav16(Dir.File(name), 1, {0, 300, -300, 0});
    }
    const std::string simulated = words("-n " + options);
    EXPECT_FALSE(fs::exists(Dir.File("out")));
    EXPECT_EQ(simulated, "done,done,output file already exists,done,output file already exists,");
    EXPECT_EQ(words(options), simulated);
  }
}
