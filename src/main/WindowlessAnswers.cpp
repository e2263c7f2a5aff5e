#include "main/WindowlessAnswers.h"

#include "TacetixVersion.h"

namespace tacetix {

namespace {
const char* const HelpText = "Usage: tacetix [FILE]...\n"
                             "Opens the Tacetix window, which cuts the silence at both ends of WAV files\n"
                             "into new files. Files named here are added to its list as if they had been\n"
                             "dropped on it.\n"
                             "\n"
                             "  -h, --help     show this help and exit\n"
                             "      --version  show the version and exit\n"
                             "\n"
                             "The standard options of Qt programs (such as -platform) are accepted.\n"
                             "tacetix-cli runs the same batch from the command line.\n";
}  // namespace

bool AnswerWithoutWindow(const std::vector<std::string>& arguments, std::ostream& out) {
  for (const std::string& argument : arguments) {
    if (argument == "--") return false;
    if (argument == "--version") {
      out << "tacetix " TACETIX_VERSION "\nLicence: MIT\n" << std::flush;
      return true;
    }
    if (argument == "--help" || argument == "-h") {
      out << HelpText << std::flush;
      return true;
    }
  }
  return false;
}

}  // namespace tacetix
