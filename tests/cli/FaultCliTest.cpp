// tacetix-cli when the system fails it: a file size limit that stops a write half way, logs that
// cannot be written, output folders and paths it cannot use. Each case checks the status words,
// the summary, that no source changed and that every output left behind is readable.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "CliFixture.h"
#include "support/TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class FaultCliTest : public clitest::CliFixture {
 protected:
  std::map<std::string, Bytes> Sources;

  void SetUp() override { ASSERT_TRUE(HaveProgram("sox")) << "sox is required for these tests"; }

  void Tone(const std::string& name, const std::string& format, const std::string& effects) {
    ASSERT_EQ(RunCommand("sox -D -n " + format + " " + ShellQuote(Dir.File(name)) + " " + effects + " 2>&1"), 0);
    Sources[Dir.File(name)] = ReadFile(Dir.File(name));
  }
  void SmallFiles() {
    Tone("a.wav", "-r 8000 -c 1 -b 16", "synth 0.2 sine 300 pad 0.05 0.05");
    Tone("big.wav", "-r 44100 -c 2 -b 16", "synth 3 sine 440 gain -3 pad 0.1 0.1");
    Tone("c.wav", "-r 8000 -c 2 -b 16", "synth 0.2 square 200 gain -6 pad 0.05 0");
  }
  void ExpectSourcesUnchanged() {
    for (const auto& [path, bytes] : Sources) EXPECT_EQ(ReadFile(path), bytes) << path << " changed";
  }
  // Every wave file under folder: header sizes that agree with the file, and sox reads all of it.
  void ExpectOutputsReadable(const std::string& folder) {
    if (!fs::exists(folder)) return;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (entry.is_regular_file() && entry.path().extension() == ".wav") clitest::ExpectReadableWav(entry.path());
  }
  // Converts long.wav to long_t.wav and sends signal once the output has data; what the
  // CLI printed after that, and its exit status as "rc=N".
  std::string SignalMidWrite(int signal) {
    CliChild cli(Call("--bits 64f --suffix _t " + ShellQuote(Dir.File("long.wav"))));
    for (int i = 0; i < 500 && OutputBytesSoFar(Dir.File("long_t.wav")) <= 44; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    cli.Signal(signal);
    const CliResult run = cli.Finish();
    return run.Out + "rc=" + std::to_string(run.Status) + "\n";
  }
  std::string Line(const std::string& word, const std::string& name, const std::string& output) {
    return word + ": " + Dir.File(name) + " -> " + output + "\n";
  }
  // The line of a file that did not end "done", on the error stream.
  std::string ErrorLine(const std::string& word, const std::string& name, const std::string& reason = "") {
    return "tacetix-cli: " + Dir.File(name) + ": " + word + (reason.empty() ? "" : " (" + reason + ")") + "\n";
  }
};

}  // namespace

TEST_F(FaultCliTest, WriteThatFailsHalfWayEndsTheFileInIoError) {
  SmallFiles();
  // 64 KiB per file: a.wav and c.wav fit as 24-bit, big.wav does not. SIGXFSZ ignored makes
  // the write fail with EFBIG instead of killing the process.
  const uint64_t limit = 64 * 1024;
  const std::string files = " --bits 24 --subfolder out a.wav big.wav c.wav";
  EXPECT_EQ(Run(Call(files).LimitFileSize(limit)), 1);
  EXPECT_EQ(Out, Line("done", "a.wav", Dir.File("out/a.wav")) +
                     ErrorLine("I/O error", "big.wav", Dir.File("out/big.wav") + ": File too large") +
                     "1 file processed ok, 1 with errors, 1 not started (-k goes on)\n");
  EXPECT_FALSE(fs::exists(Dir.File("out/c.wav")));
  // The cut output is removed: nothing under its name, no temporary file left.
  EXPECT_FALSE(fs::exists(Dir.File("out/big.wav")));
  EXPECT_TRUE(TemporaryOutputs(Dir.File("out/big.wav")).empty());
  ExpectOutputsReadable(Dir.File("out"));
  ExpectSourcesUnchanged();

  fs::remove_all(Dir.File("out"));
  EXPECT_EQ(Run(Call("--keep-going" + files).LimitFileSize(limit)), 1);
  EXPECT_EQ(Out, Line("done", "a.wav", Dir.File("out/a.wav")) +
                     ErrorLine("I/O error", "big.wav", Dir.File("out/big.wav") + ": File too large") +
                     Line("done", "c.wav", Dir.File("out/c.wav")) + "2 files processed ok, 1 with errors\n");
  ExpectOutputsReadable(Dir.File("out"));
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, LogOnAFullDiskIsReportedAfterTheSummary) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  SmallFiles();
  EXPECT_EQ(Cli("--subfolder out --log /dev/full a.wav c.wav"), 3);
  const std::string full = std::strerror(ENOSPC);
  EXPECT_EQ(Out, Line("done", "a.wav", Dir.File("out/a.wav")) + Line("done", "c.wav", Dir.File("out/c.wav")) +
                     "2 files processed ok (error writing to Logfile: " + full +
                     ")\n"
                     "tacetix-cli: /dev/full: error writing to Logfile (" +
                     full + ")\n");
  ExpectOutputsReadable(Dir.File("out"));
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, LogInAMissingFolderStopsBeforeAnyFile) {
  SmallFiles();
  EXPECT_EQ(Cli("--subfolder out --log no/such/run.log a.wav"), 3);
  EXPECT_EQ(Out, "tacetix-cli: Error writing to Logfile. Processing stopped. (no/such/run.log: " +
                     std::string(std::strerror(ENOENT)) + ")\n");
  EXPECT_FALSE(fs::exists(Dir.File("out")));
  EXPECT_FALSE(fs::exists(Dir.File("no")));
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, FolderThatRefusesNewFiles) {
  SmallFiles();
  // /proc/self exists and refuses new entries even for root.
  EXPECT_EQ(Cli("--keep-going --output-dir /proc/self a.wav c.wav"), 1);
  EXPECT_EQ(Out, ErrorLine("I/O error", "a.wav", "/proc/self/a.wav: No such file or directory") +
                     ErrorLine("I/O error", "c.wav", "/proc/self/c.wav: No such file or directory") +
                     "0 files processed ok, 2 with errors\n");
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, ReadOnlyFolders) {
  // Root ignores mode bits; FolderThatRefusesNewFiles covers root with /proc.
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: mode 0555 folders stay writable";
  SmallFiles();
  fs::create_directory(Dir.File("ro"));
  fs::permissions(Dir.File("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Cli("--output-dir ro a.wav"), 1);
  EXPECT_EQ(Out, ErrorLine("I/O error", "a.wav", Dir.File("ro/a.wav") + ": Permission denied") +
                     "0 files processed ok, 1 with errors\n");
  fs::permissions(Dir.File("ro"), fs::perms::owner_all);
  fs::create_directory(Dir.File("src"));
  WriteWav16(Dir.File("src/s.wav"), 1, {0, 100, 0});
  fs::permissions(Dir.File("src"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Cli("--subfolder out src/s.wav"), 1);
  EXPECT_EQ(Out, ErrorLine("error creating output folder", "src/s.wav", Dir.File("src/out") + ": Permission denied") +
                     "0 files processed ok, 1 with errors\n");
  fs::permissions(Dir.File("src"), fs::perms::owner_all);
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, SubfolderNameTakenByAFile) {
  SmallFiles();
  WriteFile(Dir.File("out"), {'x'});
  EXPECT_EQ(Cli("--keep-going --subfolder out a.wav c.wav"), 1);
  const std::string taken = Dir.File("out") + ": not a folder";
  EXPECT_EQ(Out, ErrorLine("error creating output folder", "a.wav", taken) +
                     ErrorLine("error creating output folder", "c.wav", taken) +
                     "0 files processed ok, 2 with errors\n");
  EXPECT_EQ(ReadFile(Dir.File("out")), Bytes{'x'});
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, OutputPathTakenByAFolder) {
  SmallFiles();
  fs::create_directories(Dir.File("out/a.wav/inner"));
  for (const char* overwrite : {"", "--overwrite "}) {
    SCOPED_TRACE(overwrite);
    EXPECT_EQ(Cli(std::string(overwrite) + "--keep-going --subfolder out a.wav c.wav"), 1);
    EXPECT_EQ(Out, ErrorLine("I/O error", "a.wav", Dir.File("out/a.wav") + ": output file is not a regular file") +
                       Line("done", "c.wav", Dir.File("out/c.wav")) + "1 file processed ok, 1 with errors\n");
    // The folder in the way is left as it was.
    EXPECT_TRUE(fs::is_directory(Dir.File("out/a.wav/inner")));
    ExpectOutputsReadable(Dir.File("out"));
    fs::remove(Dir.File("out/c.wav"));
  }
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, StopBySignalFinishesThePartOutput) {
  Tone("long.wav", "-r 48000 -c 2 -b 16", "synth 600 sine 440");
  const std::string out = Dir.File("long_t.wav");
  for (int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    fs::remove(out);
    // 143 or 129: the shell's word for a program the signal ended, once the cleanup is done.
    EXPECT_EQ(SignalMidWrite(signal), ErrorLine("cancelled", "long.wav", "partial output kept: " + out) +
                                          "Processing cancelled, 0 files processed ok, 1 with errors\nrc=" +
                                          std::to_string(128 + signal) + "\n");
    // The header tells how much was written: not the 0 of a file that was never finished.
    EXPECT_GT(Le32At(ReadFile(out), 40), 0u);
    ExpectOutputsReadable(Dir.Path().string());
  }
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, ALogNamedLikeAWaveFileStartsNothing) {
  fs::create_directory(Dir.File("takes"));
  for (const char* n : {"takes/a.wav", "takes/b.wav", "takes/c.wav"})
    Tone(n, "-r 8000 -c 1 -b 16", "synth 0.1 sine 300 pad 0.05 0");
  Tone("a.wav", "-r 8000 -c 1 -b 16", "synth 0.1 sine 300 pad 0.05 0");
  Tone("a_t.wav", "-r 8000 -c 1 -b 16", "synth 0.1 sine 300");  // an earlier run's output
  fs::create_hard_link(Dir.File("takes/c.wav"), Dir.File("link.log"));
  fs::create_symlink("a_u.wav", Dir.File("dangling.log"));  // writing the log would create a_u.wav
  struct Case {
    const char* Args;
    const char* Why;
  };
  // The shell's first match taken as the log's name; an output's name; a listed source under
  // three spellings: its own, another path to it, and a hard link.
  for (Case c :
       {Case{"--suffix _t --log takes/*.wav", "the log file is a wave file: takes/a.wav"},
        Case{"--overwrite --suffix _t --log a_t.wav a.wav", "the log file is one of the output files: a_t.wav"},
        Case{"--subfolder out --log takes/b.wav takes/b.wav", "the log file is one of the input files: takes/b.wav"},
        Case{"--subfolder out --log takes/../takes/b.wav takes/b.wav",
             "the log file is one of the input files: takes/../takes/b.wav"},
        Case{"--subfolder out --log link.log takes/c.wav", "the log file is one of the input files: link.log"},
        Case{"--overwrite --suffix _u --log dangling.log a.wav",
             "the log file is one of the output files: dangling.log"}}) {
    SCOPED_TRACE(c.Args);
    EXPECT_EQ(Run(Call(c.Args).SeparateErr()), 2);
    EXPECT_EQ(Out, "");
    EXPECT_EQ(Err, std::string("tacetix-cli: ") + c.Why + "\n");
    ExpectSourcesUnchanged();
    EXPECT_FALSE(fs::exists(Dir.File("takes/b_t.wav")));
    EXPECT_FALSE(fs::exists(Dir.File("out")));
    EXPECT_FALSE(fs::exists(Dir.File("a_u.wav")));
  }
}

TEST_F(FaultCliTest, AReportNamedLikeASourceAnOutputTheLogOrAWaveFileStartsNothing) {
  Tone("a.wav", "-r 8000 -c 1 -b 16", "synth 0.1 sine 300 pad 0.05 0");
  Tone("b.wav", "-r 8000 -c 1 -b 16", "synth 0.1 sine 300");
  WriteFile(Dir.File("notes.txt"), Bytes{'n', 'o', 't', 'e'});
  struct Case {
    const char* Args;
    const char* Why;
  };
  // A listed source that is no wave file is found by its identity alone.
  for (Case c :
       {Case{"--suffix _t --report notes.txt notes.txt a.wav", "the report file is one of the input files: notes.txt"},
        Case{"--suffix _t --report b.wav a.wav", "the report file is a wave file: b.wav"},
        Case{"--suffix _t --report a_t.wav a.wav", "the report file is one of the output files: a_t.wav"},
        Case{"--suffix _t --log r.txt --report ./r.txt a.wav", "the report file is the log file: ./r.txt"}}) {
    SCOPED_TRACE(c.Args);
    EXPECT_EQ(Cli(c.Args), 2);
    EXPECT_EQ(Out, std::string("tacetix-cli: ") + c.Why + "\n");
    ExpectSourcesUnchanged();
    EXPECT_EQ(ReadFile(Dir.File("notes.txt")), (Bytes{'n', 'o', 't', 'e'}));
    EXPECT_FALSE(fs::exists(Dir.File("a_t.wav")));
  }
}

TEST_F(FaultCliTest, TwoRunsOnOneOutputNameNeverBothWriteIt) {
  // Long enough that both have passed the existence check before either is done.
  Tone("x.wav", "-r 48000 -c 2 -b 16", "synth 20 sine 440 gain -6 pad 0.5 0.5");
  const std::string run = std::string(TACETIX_CLI) + " --normalize -1 --output-dir ";
  for (const char* bits : {"16", "24"})
    ASSERT_EQ(Cli("--normalize -1 --output-dir r" + std::string(bits) + " --bits " + bits + " x.wav"), 0);
  ASSERT_EQ(RunCommand("cd " + ShellQuote(Dir.Path().string()) + " && (" + run + "race --bits 16 x.wav >o16 2>&1 & " +
                       run + "race --bits 24 x.wav >o24 2>&1 & wait)"),
            0);
  const std::string both = ReadText(Dir.File("o16")) + ReadText(Dir.File("o24"));
  const auto count = [&](const std::string& word) {
    size_t n = 0;
    for (size_t at = both.find(word); at != std::string::npos; at = both.find(word, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("done: "), 1u) << both;
  EXPECT_EQ(count(": output file already exists (" + Dir.File("race/x.wav") + ")\n"), 1u) << both;
  const Bytes survivor = ReadFile(Dir.File("race/x.wav"));
  EXPECT_TRUE(survivor == ReadFile(Dir.File("r16/x.wav")) || survivor == ReadFile(Dir.File("r24/x.wav")));
  EXPECT_TRUE(TemporaryOutputs(Dir.File("race/x.wav")).empty());
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, KilledMidWriteLeavesNothingUnderTheOutputsName) {
  Tone("long.wav", "-r 48000 -c 2 -b 16", "synth 600 sine 440");
  const std::string out = Dir.File("long_t.wav");
  EXPECT_EQ(SignalMidWrite(SIGKILL), "rc=137\n");
  // No file with a header that claims no data: only the temporary one, named for what it is.
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(TemporaryOutputs(out).size(), 1u);
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, AClosedPipeCancelsTheRunAndTheLogIsClosed) {
  SmallFiles();
  // The reader is gone before the first status line (or report record) is written.
  for (const std::string report : {"", " --report -"}) {
    SCOPED_TRACE(report);
    fs::remove(Dir.File("a_t.wav"));
    const std::string cli = std::string(TACETIX_CLI) + " --suffix _t --log run.log" + report + " a.wav c.wav";
    ASSERT_EQ(RunCommand("cd " + ShellQuote(Dir.Path().string()) + " && { sleep 0.3; " + cli +
                         " 2>err; echo $? >rc; } | true"),
              0);
    EXPECT_EQ(ReadText(Dir.File("rc")), "3\n");
    EXPECT_TRUE(fs::exists(Dir.File("a_t.wav")));
    EXPECT_FALSE(fs::exists(Dir.File("c_t.wav")));
    const std::string log = ReadText(Dir.File("run.log"));
    std::string record = "\"";  // built in steps: g++ 12 misreads "x" + string + "y" (-Wrestrict)
    record += Dir.File("a.wav");
    record += "\";";
    EXPECT_NE(log.find(record), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nProcessing cancelled, 1 file processed ok\r\nend processing "), std::string::npos) << log;
    const bool reportLost = ReadText(Dir.File("err")).find("-: error writing the report") != std::string::npos;
    EXPECT_EQ(reportLost, !report.empty());
    ExpectOutputsReadable(Dir.Path().string());
  }
  ExpectSourcesUnchanged();
}

// Cut short by a cancel or a file size limit (the shell's ulimit, SIGXFSZ as it comes), with one
// job or two: a cancelled file keeps what it wrote where its name was free, and says so; nothing
// else cut short ever stands under an output's name, and an earlier output there stays whole.
TEST_F(FaultCliTest, AnOutputCutShortNeverReplacesAFileAndIsNeverLeftUnnamed) {
  Tone("long.wav", "-r 48000 -c 2 -b 16", "synth 600 sine 440");
  Tone("a.wav", "-r 8000 -c 1 -b 16", "synth 0.2 sine 300 pad 0.05 0.05");
  // Split at its one silence: a first part that fits the size limit, then the long one.
  Tone("first.wav", "-r 48000 -c 2 -b 16", "synth 1 sine 440 pad 0 2");
  ASSERT_EQ(RunCommand("sox " + ShellQuote(Dir.File("first.wav")) + " " + ShellQuote(Dir.File("long.wav")) + " " +
                       ShellQuote(Dir.File("split.wav"))),
            0);
  Sources[Dir.File("split.wav")] = ReadFile(Dir.File("split.wav"));
  const std::string out = Dir.File("o/long.wav");
  const Bytes earlier = SimpleWav(1, 1, 8000, 16, Bytes(200, 1));
  struct Case {
    const char* Args;
    bool Earlier, Cancel;
    int Status;
    bool Kept;
    bool Split = false;  // split.wav's parts: all or nothing, but a cancel keeps what was written
  };
  for (Case c : {Case{"", false, true, 130, true}, Case{"-j 2 ", false, true, 130, true},
                 Case{"--overwrite ", true, true, 130, false}, Case{"--overwrite -j 2 ", true, true, 130, false},
                 Case{"", false, false, 1, false}, Case{"--overwrite -j 2 ", true, false, 1, false},
                 Case{"--split-gap 1000 ", false, true, 130, true, true},
                 Case{"--split-gap 1000 -j 2 ", false, false, 1, false, true}}) {
    SCOPED_TRACE(std::string(c.Args) + (c.Cancel ? "cancel" : "ulimit -f"));
    fs::remove_all(Dir.File("o"));
    fs::create_directory(Dir.File("o"));
    if (c.Earlier) WriteFile(out, earlier);
    const std::string source = c.Split ? "split.wav" : "long.wav";
    const std::string cut = c.Split ? Dir.File("o/split-02.wav") : out;  // the output cut short
    CliCall call = Call(std::string(c.Args) + "-k --bits 64f --output-dir o --report r.jsonl " + source + " a.wav");
    if (!c.Cancel) call.AfterShell("ulimit -f 2048; ");
    CliChild cli(call);
    // Signalled once the temporary file holds data: the name may hold the earlier output.
    std::error_code ec;
    for (int i = 0; c.Cancel && i < 500; ++i) {
      const auto temporaries = TemporaryOutputs(cut);
      if (!temporaries.empty() && fs::file_size(temporaries[0], ec) > 44) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (c.Cancel) cli.Signal(SIGINT);
    EXPECT_EQ(cli.Finish().Status, c.Status);
    EXPECT_TRUE(TemporaryOutputs(cut).empty());
    const std::string report = ReadText(Dir.File("r.jsonl"));
    if (c.Split) {
      const std::string first = Dir.File("o/split-01.wav");
      EXPECT_EQ(report.find("\"parts_kept\":[\"" + first + "\",\"" + cut + "\"]") != std::string::npos, c.Kept)
          << report;
      EXPECT_TRUE(TemporaryOutputs(first).empty());
      EXPECT_EQ(fs::exists(first), c.Kept);
      if (c.Kept) clitest::ExpectReadableWav(first);
    } else {
      EXPECT_EQ(report.find("\"partial_output\":\"" + out + "\"") != std::string::npos, c.Kept) << report;
    }
    if (c.Kept) clitest::ExpectReadableWav(cut);
    else if (c.Earlier) EXPECT_EQ(ReadFile(out), earlier);
    else EXPECT_FALSE(fs::exists(cut));
  }
  ExpectSourcesUnchanged();
}

// A run that writes into a folder removes the temporary files that killed processes of this
// machine left there, once, and names them; nothing else that looks like one is touched. With
// --clean-temporaries, also any machine's that nothing wrote to for that long.
TEST_F(FaultCliTest, TemporaryFilesOfEndedProcessesAreRemovedByTheNextRun) {
  Tone("long.wav", "-r 48000 -c 2 -b 16", "synth 600 sine 440");
  Tone("a.wav", "-r 8000 -c 1 -b 16", "synth 0.2 sine 300 pad 0.05 0.05");
  Tone("b.wav", "-r 8000 -c 1 -b 16", "synth 0.2 sine 400 pad 0.05 0.05");
  EXPECT_EQ(SignalMidWrite(SIGKILL), "rc=137\n");
  const auto left = TemporaryOutputs(Dir.File("long_t.wav"));
  ASSERT_EQ(left.size(), 1u);
  // ".long_t.wav.tacetix-PID@HOST-TAG": the killed process and this machine as it names them.
  const std::string killed = left[0].filename().string();
  const size_t at = killed.rfind('@'), dash = killed.rfind('-');
  const std::string host = killed.substr(at + 1, dash - at - 1);
  const std::string deadPid = killed.substr(killed.rfind('-', at) + 1, at - killed.rfind('-', at) - 1);
  const std::string livePid = std::to_string(::getpid());
  const std::string other = ".x.wav.tacetix-" + deadPid + "@elsewhere" + host;
  struct Case {
    std::string Name;
    int MinutesOld;     // since the last write
    bool Removed;       // by a run without --clean-temporaries
    bool RemovedStale;  // else by the next, with --clean-temporaries 60
  };
  const Case cases[] = {{killed, 0, true, false},
                        {".x.wav.tacetix-" + deadPid + "@" + host + "-Zz9Zz9", 0, true, false},
                        {".x.wav.tacetix-" + livePid + "@" + host + "-Zz9Zz9", 120, false, false},
                        {other + "-Zz9Zz9", 59, false, false},
                        {other + "-Zz9Zz8", 61, false, true},
                        {".x.wav.tacetix-" + deadPid + "@other_pod-2.x-Zz9Zz9", 61, false, true},
                        {".x.wav.tacetix-" + deadPid + "@other:pod-Zz9Zz9", 61, false, false},
                        {".x.wav.tacetix-" + deadPid + "@" + host + "-Zz9Zz", 120, false, false},
                        {"x.wav.tacetix-" + deadPid + "@" + host + "-Zz9Zz9", 120, false, false},
                        {".x.wav.tacetix-Zz9Zz9", 120, false, false}};
  for (const Case& c : cases) {
    if (c.Name != killed) WriteFile(Dir.File(c.Name), {'t'});
    fs::last_write_time(Dir.File(c.Name), fs::file_time_type::clock::now() - std::chrono::minutes(c.MinutesOld));
  }
  for (const bool stale : {false, true}) {
    SCOPED_TRACE(stale ? "--clean-temporaries 60" : "without --clean-temporaries");
    std::string removed;
    for (const Case& c : cases)
      if (stale ? c.RemovedStale : c.Removed)
        removed += (removed.empty() ? "" : ",") + ("\"" + Dir.File(c.Name) + "\"");
    const std::string options = stale ? "--clean-temporaries 60 --overwrite " : "";
    EXPECT_EQ(Run(Call("-j 2 --suffix _t --report r.jsonl " + options + "a.wav b.wav").SeparateErr()), 0);
    for (const Case& c : cases)
      EXPECT_EQ(fs::exists(Dir.File(c.Name)), !c.Removed && !(stale && c.RemovedStale)) << c.Name;
    for (const Case& c : cases)
      EXPECT_EQ(Err.find(Dir.File(c.Name) + "\n") != std::string::npos, stale ? c.RemovedStale : c.Removed) << Err;
    const std::string report = ReadText(Dir.File("r.jsonl"));
    const size_t first = report.find("\"removed_temporaries\":[" + removed + "]");
    EXPECT_NE(first, std::string::npos) << report;
    EXPECT_EQ(report.find("\"removed_temporaries\"", first + 1), std::string::npos) << "named once";
  }
  ExpectSourcesUnchanged();
}
