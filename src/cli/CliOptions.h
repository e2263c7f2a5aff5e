// The command line of tacetix-cli, turned into the same run request the window builds.
#pragma once

#include <string>
#include <vector>

#include "batch/BatchRun.h"

namespace tacetix {

struct CliConfig {
  RunRequest Request;
  bool Quiet = false;
  bool ShowHelp = false;
  bool ShowVersion = false;
};

// Parses args (without the program name). false with a one-line error for a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CliConfig& config, std::string& error);

// A level in dBfs ("-inf" not included) to the nearest slider position; false when outside -144.0..0.0.
bool LevelToPosition(const std::string& text, int32_t& position);

std::string UsageText();
std::string VersionText();

}  // namespace tacetix
