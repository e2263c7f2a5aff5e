// tacetix-cli when the system fails it: a file size limit that stops a write half way, logs that
// cannot be written, output folders and paths it cannot use. Each case checks the status words,
// the summary, that no source changed and that every output left behind is readable.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <thread>
#include <unistd.h>

#include "support/TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class FaultCliTest : public ::testing::Test {
 protected:
  TempDir Dir;
  std::string Out;
  std::map<std::string, Bytes> Sources;

  void SetUp() override { ASSERT_TRUE(HaveProgram("sox")) << "sox is required for these tests"; }

  // shellPrefix runs before the CLI in the same shell (limits, traps).
  int Cli(const std::string& args, const std::string& shellPrefix = "") {
    const std::string cli = std::string("exec timeout 60 ") + TACETIX_CLI + " " + args + " 2>&1";
    return RunCommand("cd " + ShellQuote(Dir.Path().string()) + " && bash -c " + ShellQuote(shellPrefix + cli),
                      &Out);
  }
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
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".wav") continue;
      const std::string path = entry.path().string();
      const Bytes b = ReadFile(path);
      ASSERT_GE(b.size(), 44u) << path;
      EXPECT_EQ(Le32At(b, 4) + 8u, b.size()) << path;
      EXPECT_EQ(44u + Le32At(b, 40) + (Le32At(b, 40) & 1u), b.size()) << path;
      std::string err;
      EXPECT_EQ(RunCommand("sox -V1 " + ShellQuote(path) + " -n 2>&1", &err), 0) << path << ": " << err;
    }
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
  const std::string limit = "ulimit -f 64; trap '' XFSZ; ";
  const std::string files = " --bits 24 --subfolder out a.wav big.wav c.wav";
  EXPECT_EQ(Cli(files, limit), 1);
  EXPECT_EQ(Out, Line("done", "a.wav", Dir.File("out/a.wav")) + ErrorLine("I/O error", "big.wav", Dir.File("out/big.wav") + ": File too large") +
                     "1 file processed ok, 1 with errors\n");
  EXPECT_FALSE(fs::exists(Dir.File("out/c.wav")));
  // The cut output keeps what was written, under a header that says so.
  EXPECT_EQ(fs::file_size(Dir.File("out/big.wav")), 64u * 1024u);
  ExpectOutputsReadable(Dir.File("out"));
  ExpectSourcesUnchanged();

  fs::remove_all(Dir.File("out"));
  EXPECT_EQ(Cli("--keep-going" + files, limit), 1);
  EXPECT_EQ(Out, Line("done", "a.wav", Dir.File("out/a.wav")) + ErrorLine("I/O error", "big.wav", Dir.File("out/big.wav") + ": File too large") +
                     Line("done", "c.wav", Dir.File("out/c.wav")) + "2 files processed ok, 1 with errors\n");
  ExpectOutputsReadable(Dir.File("out"));
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, LogOnAFullDiskIsReportedAfterTheSummary) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  SmallFiles();
  EXPECT_EQ(Cli("--subfolder out --log /dev/full a.wav c.wav"), 1);
  EXPECT_EQ(Out, Line("done", "a.wav", Dir.File("out/a.wav")) + Line("done", "c.wav", Dir.File("out/c.wav")) +
                     "2 files processed ok (error writing to Logfile)\n"
                     "tacetix-cli: /dev/full: error writing to Logfile\n");
  ExpectOutputsReadable(Dir.File("out"));
  ExpectSourcesUnchanged();
}

TEST_F(FaultCliTest, LogInAMissingFolderStopsBeforeAnyFile) {
  SmallFiles();
  EXPECT_EQ(Cli("--subfolder out --log no/such/run.log a.wav"), 1);
  EXPECT_EQ(Out, "Error writing to Logfile. Processing stopped.\n"
                 "tacetix-cli: Error writing to Logfile. Processing stopped. (no/such/run.log)\n");
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
  const std::string taken = Dir.File("out") + ": File exists";
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
    EXPECT_EQ(Out, ErrorLine("I/O error", "a.wav", Dir.File("out/a.wav") + ": Is a directory") +
                       Line("done", "c.wav", Dir.File("out/c.wav")) +
                       "1 file processed ok, 1 with errors\n");
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
    const std::string cmd = std::string(TACETIX_CLI) + " --bits 64f --suffix _t " + ShellQuote(Dir.File("long.wav"));
    FILE* pipe = ::popen(("exec " + cmd + " 2>&1 & echo $!; wait $!; echo rc=$?").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[4096];
    ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
    const pid_t pid = std::stoi(line);
    for (int i = 0; i < 500 && !(fs::exists(out) && fs::file_size(out) > 44); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(pid, signal);
    std::string rest;
    while (std::fgets(line, sizeof line, pipe)) rest += line;
    ::pclose(pipe);
    EXPECT_EQ(rest, ErrorLine("cancelled", "long.wav") +
                        "Processing cancelled, 0 files processed ok, 1 with errors\nrc=1\n");
    // The header tells how much was written: not the 0 of a file that was never finished.
    EXPECT_GT(Le32At(ReadFile(out), 40), 0u);
    ExpectOutputsReadable(Dir.Path().string());
  }
  ExpectSourcesUnchanged();
}
