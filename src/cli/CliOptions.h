// The command line of tacetix-cli, turned into the same run request the window builds.
#pragma once

#include <string>
#include <vector>

#include "options/OptionTable.h"
#include "run/BatchRun.h"

namespace tacetix {

// One input named on the command line: a wave file or folder, or a file that lists them.
struct InputSource {
  bool IsList = false;  // given with --files-from
  std::string Name;
};

struct CliConfig {
  RunRequest Request;               // Files stays empty: the input list fills it
  std::vector<InputSource> Inputs;  // in the order given
  bool NulSeparated = false;        // the lists hold NUL-separated names
  bool Recursive = false;
  std::string ReportName;  // "" none, "-" standard output
  bool Quiet = false;
  bool Verbose = false;
  // --preview: the picture of one file instead of a run.
  std::string PreviewFile;  // "" no preview
  std::string PreviewOut = "preview.png";
  int32_t PreviewWidth = 1200;
  int32_t PreviewHeight = 360;
  bool PreviewDecibels = true;
  bool ShowHelp = false;
  bool ShowVersion = false;
};

// Parses args (without the program name). false with a one-line error for a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CliConfig& config, std::string& error);

std::string UsageText();
// The few lines printed for a bare "tacetix-cli".
std::string ShortUsageText();
std::string VersionText();

}  // namespace tacetix
