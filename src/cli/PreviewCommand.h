// tacetix-cli --preview: the cut of one file as a line of numbers and a picture (PNG, or SVG by its name), with nothing
// processed.
#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace tacetix {

// Prints the preview's line to lines and writes the picture; the exit status: 0, or 1 when
// the file cannot be read or the picture not written (said on errors).
int WritePreview(const CliConfig& config, std::ostream& lines, std::ostream& errors);

}  // namespace tacetix
