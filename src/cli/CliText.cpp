// Help and version texts of tacetix-cli. The man page (docs/man/tacetix-cli.1) says the same
// in more words; the completion (scripts/completion/tacetix-cli) offers the same options.
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

Processing:
      --begin LEVEL        silence threshold at the beginning, dBfs from -144.0
                           to 0.0, or -inf (digital zero, the default).
      --no-trim-begin      keep the beginning.
      --end LEVEL          threshold at the end; unlinks the end from the
                           beginning, which it follows otherwise.
      --no-trim-end        keep the end; unlinks the end from the beginning.
      --keep-begin MS      keep MS milliseconds (0-10000) of silence before the
                           first sound; --keep-end after the last; --keep both.
      --fade-in MS         fade the first MS milliseconds (0-10000) of the
                           output in, only when the beginning was cut;
                           --fade-out the last ones out; --fade both. While
                           the end follows the beginning it keeps and fades
                           as the beginning does: give --end to use
                           --keep-end or --fade-out.
      --ignore-clicks MS   sound shorter than MS milliseconds (0-1000) at
                           either end counts as silence.
      --normalize LEVEL    normalise the peak of what is kept to LEVEL dBfs.
      --loudness LUFS      normalise the integrated loudness (EBU R128) of what
                           is kept to LUFS, -70.0 to 0.0 (-23.0 is broadcast),
                           with one gain a file; not with --normalize.
      --true-peak DBTP     with --loudness: lower the gain so the true peak
                           stays at or below DBTP, -9.0 to 0.0 (default -1.0).
  -b, --bits DEPTH         same (default), 8, 12, 16, 20, 24, 32, 32f, 64f.
      --bits-mode MODE     all (default), up, down.
      --dither KIND        none (default), tpdf (triangular) or shaped (noise
                           shaped) when the output has fewer bits than the
                           input; the same bytes every run, silence stays 0.

Output files:
      --prefix TEXT        put TEXT before the output file names.
      --suffix TEXT        put TEXT after the output file names (before .wav).
      --subfolder NAME     write into NAME inside each source folder
                           (empty name = the source folder).
  -o, --output-dir DIR     write into DIR ('-' is refused: ./- for that name).
      --create-unchanged   write files even if nothing changed.
      --overwrite          replace existing output files.
  -n, --simulate           do everything but create folders and wave files.
      --keep-metadata      carry INFO, bext, iXML, markers and loops into the
                           outputs, moved with the cut; other chunks are
                           dropped and named (-v, --report). Outputs of more
                           than 2 channels or 16 bits keep the speaker layout.

Input files:
      --files-from LIST    also process the files named in LIST, one a line
                           ('-' reads standard input).
  -0, --null               names in the lists end with a NUL, not a newline
                           (as find -print0 writes them).
  -r, --recursive          take every *.wav file below a folder given, in
                           name order; links to folders are not followed,
                           nor the run's --subfolder and --output-dir.
                           A file named twice is processed once.

Run and messages:
  -j, --jobs N             process N files at once (0: one a core; default 1).
                           Changes nothing but the time: lines, log, report
                           and files are those of one job.
  -k, --keep-going         do not stop at the first file with an error.
  -q, --quiet              print nothing but errors.
  -v, --verbose            print the figures of every file done.

Log and report:
      --log FILE           write the run log to FILE ('-' is refused).
      --log-short          only the column line and the records.
      --log-names-only     infile and outfile without folders.
      --log-decimal-comma  a comma as decimal separator of the level columns.
      --log-separator SEP  comma, semicolon (default), tab or one character.
      --report FILE        write a JSON Lines report to FILE: an object per
                           file, then the summary. '-' writes it to standard
                           output and the lines for people to standard error.
                           A name's bytes that are not UTF-8 become \udcXX.

Preview:
      --preview FILE       process nothing: print the cut the options give FILE
                           and draw it into a PNG picture (the whole file, its
                           first and last second; cut parts red, kept silence
                           blue, fades, thresholds, clicks passed over).
      --preview-out PNG    the picture's name (default preview.png).
      --preview-width N    its width in pixels, 16-8192 (default 1200);
      --preview-height N   its height, 16-4096 (default 360).
      --preview-scale S    db (default) or linear.

  -h, --help               show this help and exit.
  -V, --version            show the version and exit.
      --                   ends the options: every later argument is a file.

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
  1    a file did not, a folder was given without --recursive, or the log or
       the report failed
  2    usage error, a list of files could not be read, or the log or the
       report is named like a source, an output or a wave file: nothing was
       processed
  130  stopped by Ctrl+C (SIGINT); 143 by SIGTERM, 129 by SIGHUP. The file in
       progress ends "cancelled", what it wrote kept as a readable WAV where
       the name was free, and the log and the report are closed first.
)TXT";
}

}  // namespace tacetix
