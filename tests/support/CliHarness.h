// Runs a command-line program as a child the way a script would: its arguments read by the
// shell (quoting, globs), standard input from a string, standard output and error captured,
// and one time limit past which the child is killed and the test fails.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace testsupport {

// Long enough for a loaded machine or a sanitizer build; a test that knows better passes its own.
inline constexpr std::chrono::seconds DefaultCliTimeout{120};

// What to run and how: CliCall(program, args).In(folder).WithInput("...") and so on.
struct CliCall {
  CliCall(std::string program, std::string args) : Program(std::move(program)), Args(std::move(args)) {}
  CliCall& In(const std::filesystem::path& folder) {
    Folder = folder.string();
    return *this;
  }
  CliCall& WithInput(std::optional<std::string> input) {
    Input = std::move(input);
    return *this;
  }
  CliCall& SeparateErr() {
    MergeErr = false;
    return *this;
  }
  CliCall& LimitFileSize(uint64_t bytes) {
    FileSizeLimit = bytes;
    return *this;
  }
  CliCall& AfterShell(std::string commands) {
    ShellPrefix = std::move(commands);
    return *this;
  }
  CliCall& TimeLimit(std::chrono::seconds limit) {
    Timeout = limit;
    return *this;
  }

  std::string Program;
  std::string Args;                  // as a shell reads them
  std::string Folder;                // the child's current folder; "" = the test's
  std::optional<std::string> Input;  // standard input; without it /dev/null
  bool MergeErr = true;              // standard error into Out, in the order written
  uint64_t FileSizeLimit = 0;        // bytes a write may reach (the write fails, nothing kills); 0 = none
  std::string ShellPrefix;           // shell commands run before the program, in its shell
  std::chrono::seconds Timeout = DefaultCliTimeout;
};

struct CliResult {
  int Status = -1;  // exit code, 128 + signal for a child a signal ended (as a shell says), -1 when timed out
  std::string Out;
  std::string Err;   // empty when merged into Out
  int KilledBy = 0;  // the signal that ended the child, 0 when it exited
};

// A started child; Finish collects it. The shell execs the program, so Signal reaches the program.
class CliChild {
 public:
  explicit CliChild(const CliCall& call);
  ~CliChild();
  CliChild(const CliChild&) = delete;
  CliChild& operator=(const CliChild&) = delete;
  // Sends signal to the child while it runs (never to a pid that is not its own).
  void Signal(int signal) const;
  // Sends signal to the child's process group when the child leads one (setsid), as a terminal's
  // Ctrl+C does; else to the child alone.
  void SignalGroup(int signal) const;
  // Reads both streams to their end and waits for the child, killing it past the time limit.
  CliResult Finish();

 private:
  bool Pump(CliResult& result, int waitMs);
  void FeedInput();
  void Kill();

  CliCall call_;
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  size_t written_ = 0;
  std::chrono::steady_clock::time_point deadline_;
};

CliResult RunCli(const CliCall& call);

}  // namespace testsupport
