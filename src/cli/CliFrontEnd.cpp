#include "cli/CliFrontEnd.h"

namespace tacetix {

CliFrontEnd::CliFrontEnd(std::ostream& out, std::ostream& err, bool quiet, bool progressLine,
                         const std::vector<std::string>& files, const volatile std::sig_atomic_t* cancelFlag)
    : Out(out), Err(err), Quiet(quiet), ProgressLine(progressLine && !quiet), Files(files),
      Cancel(cancelFlag) {}

void CliFrontEnd::ClearProgressLine() {
  if (!LineOpen) return;
  Err << "\r\033[K" << std::flush;
  LineOpen = false;
}

void CliFrontEnd::SetRowStatus(int32_t row, const std::string& word) {
  if (word == "processing") {
    CurrentRow = row;
    LastPercent = -1;
    return;
  }
  if (word == "-") return;
  if (word == "done") ++DoneCount;
  if (Quiet) return;
  ClearProgressLine();
  const size_t i = static_cast<size_t>(row);
  Out << word << ": " << Files[i];
  if (row == OutputRow && !Output.empty()) Out << " -> " << Output;
  Out << '\n' << std::flush;
  NoteOutputState();
}

// A status line that cannot be written (a closed pipe, a full disk) ends the run as Ctrl+C
// would: the lines of the later files would be lost, and so would their meaning.
void CliFrontEnd::NoteOutputState() {
  if (!Out) OutputLost = true;
}

void CliFrontEnd::SetRowOutput(int32_t row, const std::string& path) {
  OutputRow = row;
  Output = path;
}

void CliFrontEnd::SetStatus(const std::string& text) {
  ClearProgressLine();
  if (!Quiet) Out << text << '\n' << std::flush;
  NoteOutputState();
}

// The per-row "Processing ..." text is the status bar's business; the terminal shows the write progress.
void CliFrontEnd::SetStatusProgress(const std::string&, int32_t) {}

void CliFrontEnd::SetProgress(int32_t percent) {
  if (!ProgressLine || percent == LastPercent || CurrentRow < 0) return;
  LastPercent = percent;
  Err << "\r\033[K" << percent << "% " << Files[static_cast<size_t>(CurrentRow)] << std::flush;
  LineOpen = true;
}

bool CliFrontEnd::Pump() { return OutputLost || (Cancel && *Cancel != 0); }

}  // namespace tacetix
