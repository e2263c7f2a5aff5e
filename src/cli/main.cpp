// tacetix-cli: the batch run of the window, from the command line.
#include <csignal>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "batch/BatchRun.h"
#include "cli/CliFrontEnd.h"
#include "cli/CliOptions.h"

namespace {
volatile std::sig_atomic_t CancelRequested = 0;
extern "C" void OnInterrupt(int) { CancelRequested = 1; }
}  // namespace

int main(int argc, char** argv) {
  using namespace tacetix;
  CliConfig config;
  std::string error;
  if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), config, error)) {
    std::cerr << "tacetix-cli: " << error << '\n';
    return 2;
  }
  if (config.ShowHelp) {
    std::cout << UsageText();
    return 0;
  }
  if (config.ShowVersion) {
    std::cout << VersionText();
    return 0;
  }
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  // A stop asked for by the system (timeout, logout, shutdown) cancels as Ctrl+C does, so
  // a partly written output still gets its header; left to the default it would claim no data.
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A reader that goes away (| head) must not kill the run between two files: the failed
  // write that follows cancels it instead, and the log is still closed properly.
  std::signal(SIGPIPE, SIG_IGN);
  const auto buffer = std::make_unique<double[]>(BlockValues);
  CliFrontEnd frontEnd(std::cout, std::cerr, config.Quiet, ::isatty(STDERR_FILENO) == 1, config.Request.Files,
                       &CancelRequested);
  const RunResult result = RunBatch(config.Request, buffer.get(), frontEnd);
  if (!result.LogRefusal.empty()) {
    std::cerr << "tacetix-cli: " << result.LogRefusal << '\n';
    return 2;
  }
  if (!result.Started) {
    std::cerr << "tacetix-cli: " << result.Summary << " (" << config.Request.LogName << ")\n";
    return 1;
  }
  return (result.Cancelled || !frontEnd.AllDone() || result.LogWriteError) ? 1 : 0;
}
