// Help and version texts of tacetix-cli; the option lines come from the option table, which the
// man page (docs/man/tacetix-cli.1) and the completion (scripts/completion/tacetix-cli) follow.
#include "cli/CliOptions.h"

#include "TacetixVersion.h"

namespace tacetix {

std::string VersionText() { return "tacetix-cli " TACETIX_VERSION "\nLicence: MIT\n"; }

std::string ShortUsageText() {
  return "Usage: tacetix-cli [OPTION]... FILE...\n"
         "Cuts the silence at both ends of WAV files into new files.\n"
         "Try 'tacetix-cli --help' for more information.\n";
}

std::string UsageText() {
  return R"TXT(Usage: tacetix-cli [OPTION]... FILE...
  or:  tacetix-cli [OPTION]... --preview FILE
Cuts the silence at the beginning and end of WAV files, optionally normalises
and converts the bit depth, and writes new files. Sources are never changed.
Give at least one of --prefix, --suffix, --subfolder or --output-dir.

)TXT" + OptionHelp() +
         R"TXT(      --                   ends the options: every later argument is a file.

Long options may be abbreviated while they stay unambiguous; --opt=VALUE works
as well as --opt VALUE. Levels round to whole 0.1 dB steps. Files done are
listed on standard output ("done:", or "unchanged:" and "silent:" when no
output was needed); every other file gets a line on standard error:
  tacetix-cli: FILE: STATUS (reason)

Examples:
  tacetix-cli --begin -60 --normalize -1 -o trimmed *.wav
      Cut what is quieter than -60 dBfs at both ends, normalise the peak to
      -1 dBfs and write the results into the folder trimmed.
  find /archive -path '*/trimmed' -prune -o -iname '*.wav' -print0 |
    tacetix-cli -0 --files-from - -k --subfolder trimmed --report run.jsonl
      Trim a whole tree, going on after errors, with a report for scripts.

Exit status:
  0    every file ended "done"
  1    a file did not, or a folder was given without --recursive
  2    usage error, a list of files could not be read, or the log or the
       report is named like a source, an output or a wave file: nothing was
       processed
  3    the run's own records could not be written: the log or the report
       could not be created or written, or standard output could not be
       written (a full disk, a closed pipe); the reason is on standard error.
       Not every file's result is recorded: run it again once that is mended
  130  stopped by Ctrl+C (SIGINT); 143 by SIGTERM, 129 by SIGHUP. The file in
       progress ends "cancelled", what it wrote kept as a readable WAV where
       the name was free, and the log and the report are closed first.
)TXT";
}

}  // namespace tacetix
