// Help and version texts of tacetix-cli.
#include "cli/CliOptions.h"

#include "TacetixVersion.h"

namespace tacetix {

std::string VersionText() { return "tacetix-cli " TACETIX_VERSION "\nLicence: MIT\n"; }

std::string UsageText() {
  return R"(Usage: tacetix-cli [OPTIONS] FILE...
Cuts the silence at the beginning and end of WAV files, optionally normalises and
converts the bit depth, and writes new files. The source files are never changed.

  --begin LEVEL        silence threshold at the beginning, dBFS from -144.0 to 0.0,
                       or -inf (digital zero). Default -inf.
  --no-trim-begin      keep the beginning.
  --end LEVEL          threshold at the end; unlinks the end from the beginning.
  --no-trim-end        keep the end; unlinks the end from the beginning.
                       (Without --end/--no-trim-end the end follows the beginning.)
  --normalize LEVEL    normalise the peak of what is kept to LEVEL dBFS (-144.0 to 0.0).
  --bits DEPTH         same (default), 8, 12, 16, 20, 24, 32, 32f, 64f.
  --bits-mode MODE     all (default), up, down.
  --prefix TEXT        put TEXT before the output file names.
  --suffix TEXT        put TEXT after the output file names (before .wav).
  --subfolder NAME     write into NAME inside each source folder
                       (empty name = the source folder).
  --output-dir DIR     write into DIR.
  --create-unchanged   write files even if nothing changed.
  --overwrite          replace existing output files.
  --keep-going         do not stop at the first file with an error.
  --simulate           do everything but create folders and wave files.
  --log FILE           write the run log to FILE.
  --log-short          only the column line and the records.
  --log-names-only     infile and outfile without folders.
  --log-decimal-comma  a comma as decimal separator of the level columns.
  --log-separator SEP  comma, semicolon (default), tab or one character.
  --quiet              print nothing but errors.
  --help, --version
  --                   ends the options: every later argument is a file.

Levels snap to 0.1 dB steps. Exit status: 0 when every file ended "done",
1 when any did not or the run was cancelled (Ctrl+C), 2 for usage errors.
)";
}

}  // namespace tacetix
