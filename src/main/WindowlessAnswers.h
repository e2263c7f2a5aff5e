// What the window's program answers from its command line alone, before Qt looks for a
// display: --version and --help work on a server or over ssh without one.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tacetix {

// Writes the version or the help text for --version / --help (-h) and returns true, or
// returns false when the arguments ask for the window. Arguments after "--" are files.
bool AnswerWithoutWindow(const std::vector<std::string>& arguments, std::ostream& out);

}  // namespace tacetix
