// tacetix-cli: the batch run of the window, from the command line.
#include <sys/ioctl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "cli/CliFrontEnd.h"
#include "cli/CliOptions.h"
#include "cli/InputList.h"
#include "cli/JsonReport.h"
#include "cli/PreviewCommand.h"
#include "run/AudioSignature.h"
#include "run/BatchRun.h"
#include "run/FileIdentity.h"
#include "run/RowText.h"

namespace {
volatile std::sig_atomic_t CancelRequested = 0;
// The signal itself, for the exit status a shell expects of a program it stopped (128 + signal).
extern "C" void OnInterrupt(int signal) { CancelRequested = signal; }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A stop asked for by the system (timeout, logout, shutdown) cancels as Ctrl+C does, so
  // a partly written output still gets its header; left to the default it would claim no data.
  // One ignored by whoever started the run (nohup, a script's background job) stays ignored.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    sigaction(signal, nullptr, &before);
    if (before.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
  }
  // A reader that goes away (| head) must not kill the run between two files: the failed
  // write that follows cancels it instead, and the log is still closed properly.
  std::signal(SIGPIPE, SIG_IGN);
  // A file size limit (ulimit -f) must fail the write that reaches it, not kill the run: the
  // file ends in an I/O error, its output is removed, and the log and the report are closed.
  std::signal(SIGXFSZ, SIG_IGN);
}

// Ends the process by the signal's own default action; the status is still what a shell says
// of it (128 + signal) should the signal not end the process after all (the kernel drops it
// for a container's PID 1).
[[noreturn]] void DieOf(int signal) {
  std::cout.flush();
  std::cerr.flush();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);
}

// A progress line needs a terminal that can go back to the line's start: stderr a terminal,
// and one that is not "dumb" (an editor's shell buffer, a CI log).
bool DrawProgress() {
  const char* term = std::getenv("TERM");
  return ::isatty(STDERR_FILENO) == 1 && !(term && std::string(term) == "dumb");
}

int TerminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  const char* columns = std::getenv("COLUMNS");
  return columns && std::atoi(columns) > 0 ? std::atoi(columns) : 80;
}

void Complain(const std::string& text) { std::cerr << "tacetix-cli: " << text << '\n' << std::flush; }

// A side file named like a list of names would overwrite the list the run was given.
std::string ListConflict(const tacetix::CliConfig& config, const std::string& name, const std::string& what) {
  for (const tacetix::InputSource& input : config.Inputs)
    if (input.IsList && input.Name != "-" && tacetix::SameFile(name, input.Name))
      return "the " + what + " file is a list of input files: " + name;
  return "";
}

// Every side file is checked before any is opened (emptied): a refused log leaves the report
// as it was. The report must not be the log either.
std::string SideFileRefusal(const tacetix::CliConfig& config) {
  using namespace tacetix;
  const RunRequest& request = config.Request;
  const std::string& report = config.ReportName;
  std::string why;
  if (!report.empty() && report != "-") {
    if (request.Settings.LogEnabled && SameFile(report, request.LogName))
      return "the report file is the log file: " + report;
    why = SideFileConflict(request, report, "report");
    if (why.empty()) why = ListConflict(config, report, "report");
  }
  if (why.empty() && request.Settings.LogEnabled) why = SideFileConflict(request, request.LogName, "log");
  if (why.empty() && request.Settings.LogEnabled) why = ListConflict(config, request.LogName, "log");
  return why;
}

// The picture never replaces the file it shows, nor any other recording.
std::string PreviewOutRefusal(const tacetix::CliConfig& config) {
  const std::string& name = config.PreviewOut;
  if (tacetix::SameFile(name, config.PreviewFile)) return "the preview file is the file it shows: " + name;
  return tacetix::AudioFileRefusal(name, "preview");
}

// The run's own records (the log, the report, the lines on standard output) could not all be
// written or created: what became of the files is not all told, and a run again may mend it
// (a full disk), where a file that failed would fail again.
constexpr int RecordsLost = 3;

std::string WithReason(const std::string& text, const std::string& reason) {
  return reason.empty() ? text : text + " (" + reason + ")";
}
std::string ReasonOf(int error) { return error != 0 ? std::strerror(error) : ""; }

// What went to standard output got there, or the error stream says why not (errno is the failed
// write's) and the status is that of records lost.
int StandardOutputStatus(int status) {
  std::cout.flush();
  if (std::cout) return status;
  Complain(WithReason("error writing to standard output", ReasonOf(errno)));
  return RecordsLost;
}

// The run itself; 0 when every file ended "done" and everything was written.
int Run(const tacetix::CliConfig& config, bool inputProblems) {
  using namespace tacetix;
  const RunRequest& request = config.Request;
  JsonReport report;
  const std::string refusal = SideFileRefusal(config);
  if (!refusal.empty()) {
    Complain(refusal);
    return 2;
  }
  if (!config.ReportName.empty() && !report.Open(config.ReportName, std::cout)) {
    Complain(config.ReportName + ": " + std::strerror(errno));
    return RecordsLost;
  }
  report.SetKeepMetadata(request.Settings.KeepMetadata);
  report.SetLoudnessFields(CountsClipped(request.Settings));
  // With the report on standard output, the lines for people move to the error stream.
  const CliStreams streams{config.ReportName == "-" ? std::cerr : std::cout,
                           std::cerr,
                           config.Quiet,
                           config.Verbose,
                           DrawProgress(),
                           TerminalColumns(),
                           request.Settings.StopOnError};
  CliFrontEnd frontEnd(streams, request.Files, request.Settings.Normalize, report.IsOpen() ? &report : nullptr,
                       &CancelRequested);
  const RunResult result = RunBatch(request, frontEnd);
  const bool failed = result.Cancelled || !frontEnd.AllDone() || inputProblems;
  // A refused log name is a usage error: nothing was touched.
  const bool logRefused = !result.LogRefusal.empty();
  if (logRefused) Complain(result.LogRefusal);
  else if (!result.Started) Complain(result.Summary + " (" + request.LogName + ": " + result.LogOpenReason + ")");
  bool lost = (!result.Started && !logRefused) || result.LogWriteError;
  if (result.LogWriteError) Complain(WithReason(request.LogName + ": error writing to Logfile", result.LogWriteReason));
  if (report.IsOpen() && !report.Finish(result, request.Files.size(), request.Settings.Simulation)) {
    Complain(WithReason(config.ReportName + ": error writing the report", ReasonOf(report.WriteError())));
    lost = true;
  }
  if (frontEnd.LinesFailed()) {
    Complain(WithReason("error writing to standard output", ReasonOf(frontEnd.LinesError())));
    lost = true;
  }
  if (logRefused) return 2;
  return lost ? RecordsLost : failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tacetix;
  if (argc < 2) {
    std::cerr << ShortUsageText();
    return 2;
  }
  CliConfig config;
  std::string error;
  if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), config, error)) {
    Complain(error);
    return 2;
  }
  if (config.ShowHelp || config.ShowVersion) {
    errno = 0;
    std::cout << (config.ShowHelp ? UsageText() : VersionText());
    return StandardOutputStatus(0);
  }
  if (!config.PreviewFile.empty()) {
    const std::string refusal = PreviewOutRefusal(config);
    if (refusal.empty()) return StandardOutputStatus(WritePreview(config, std::cout, std::cerr));
    Complain(refusal);
    return 2;
  }
  InputList inputs(config.Recursive, config.NulSeparated, std::cin);
  inputs.SkipOutputs(config.Request.Settings);
  const bool listsRead = inputs.Expand(config.Inputs);
  for (const std::string& problem : inputs.Problems) Complain(problem);
  if (!config.Quiet)
    for (const std::string& note : inputs.Notes) Complain(note);
  if (!listsRead) return 2;
  config.Request.Files = std::move(inputs.Files);
  CatchStopSignals();
  const int status = Run(config, !inputs.Problems.empty());
  // Cleaned up (partial outputs finished, log and report closed), the run ends as the signal
  // would have ended it: bash stops a loop on Ctrl+C only when the child died of the signal,
  // and a job engine tells a cancel from a failure.
  if (CancelRequested != 0) DieOf(CancelRequested);
  return status;
}
