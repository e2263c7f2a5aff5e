#include "cli/CliFrontEnd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "cli/TerminalText.h"
#include "run/PartOutputs.h"
#include "run/RowText.h"

namespace tacetix {

CliFrontEnd::CliFrontEnd(const CliStreams& streams, const std::vector<std::string>& files, bool normalize,
                         JsonReport* report, const volatile std::sig_atomic_t* cancelFlag)
    : S(streams), Files(files), Normalize(normalize), Report(report), Cancel(cancelFlag) {
  S.ProgressLine = S.ProgressLine && !S.Quiet;
}

void CliFrontEnd::ClearProgressLine() {
  if (!LineOpen) return;
  S.Errors << "\r\033[K" << std::flush;
  LineOpen = false;
}

void CliFrontEnd::BeginBusy() {
  Started = true;
  if (S.ProgressLine) Progress = std::make_unique<RunProgress>(RunProgress::SizesOf(Files), RunProgress::Clock::now());
}

void CliFrontEnd::SetRowStatus(int32_t row, RowStatus status) {
  if (status != RowStatus::Processing) return;
  CurrentRow = row;
  LastPercent = -1;
  if (Progress) Progress->RowStarted(row);
}

// A status line that cannot be written (a closed pipe, a full disk) ends the run as Ctrl+C
// would: the lines of the later files would be lost, and so would their meaning. Error lines
// go to their own stream and still get out.
void CliFrontEnd::NoteOutputState() {
  if (!S.Lines && !LinesLost) LinesErrorNumber = errno;
  if (!S.Lines) LinesLost = OutputLost = true;
}

// A file that got no output says so: its word is still "done", but "done: a -> b" would
// name a file that was never written.
void CliFrontEnd::WriteDoneLine(const std::string& file, const RowResult& r) {
  errno = 0;
  if (r.OutputMade && !r.Parts.empty())
    S.Lines << "done: " << file << " -> " << TerminalName(PartPath(r.OutputPath, 0, r.Parts.size())) << " ("
            << PartsText(r.Parts.size()) << ")\n";
  else if (r.OutputMade) S.Lines << "done: " << file << " -> " << TerminalName(r.OutputPath) << '\n';
  else if (r.Silent) S.Lines << "silent: " << file << " (" << NoOutputWords << ")\n";
  else S.Lines << "unchanged: " << file << " (" << NoOutputText(false) << ")\n";
  if (S.Verbose) S.Lines << "  " << FiguresText(r, Normalize) << '\n';
  if (S.Verbose && !r.Parts.empty()) S.Lines << "  " << PartsListText(PartFramesOf(r.Parts), r.Figures.hz_in) << '\n';
  if (S.Verbose && r.OutputMade && !r.DroppedChunks.empty()) {
    S.Lines << "  dropped chunks:";
    for (const std::string& name : r.DroppedChunks)
      S.Lines << ' ' << name << (&name != &r.DroppedChunks.back() ? "," : "");
    S.Lines << '\n';
  }
  S.Lines << std::flush;
  NoteOutputState();
}

// The lines for people quote a name that would steer the terminal; the report keeps its bytes.
void CliFrontEnd::SetRowResult(int32_t row, const RowResult& result) {
  const std::string& source = Files[static_cast<size_t>(row)];
  const std::string file = TerminalName(source);
  ClearProgressLine();
  ++EndedCount;
  if (!S.Quiet)
    for (const std::string& path : result.RemovedTemporaries)
      S.Errors << "tacetix-cli: removed a temporary file an ended process left: " << TerminalName(path) << '\n'
               << std::flush;
  if (result.Status == RowStatus::Done) {
    ++DoneCount;
    if (!S.Quiet) WriteDoneLine(file, result);
    for (const std::string& note : result.Notes)
      S.Errors << "tacetix-cli: " << file << ": " << note << '\n' << std::flush;
  } else {
    S.Errors << "tacetix-cli: " << file << ": " << StatusWord(result.Status);
    if (!result.Reason.empty()) S.Errors << " (" << result.Reason << ")";
    S.Errors << '\n' << std::flush;
  }
  if (Report) Report->Record(source, result, Normalize);
  // The report is the run's result for scripts: one that lost a record is cancelled too.
  if (Report && Report->WriteFailed()) OutputLost = true;
}

// A run that could not start is a failure a script must see: the caller says so on the error
// stream, with the reason, and nothing goes to the lines of files done. The summary names the
// files a stopped run never started and, when an error stopped it, how to go on past errors;
// that goes before a remark in brackets ("(error writing to Logfile)").
void CliFrontEnd::SetStatus(const std::string& text) {
  if (!Started) return;
  ClearProgressLine();
  std::string line = text;
  const int32_t notStarted = static_cast<int32_t>(Files.size()) - EndedCount;
  if (notStarted > 0) {
    const bool cancelled = OutputLost || (Cancel && *Cancel != 0);
    line.insert(std::min(line.find(" ("), line.size()), ", " + std::to_string(notStarted) + " not started" +
                                                            (S.StopOnError && !cancelled ? " (-k goes on)" : ""));
  }
  errno = 0;
  if (!S.Quiet) S.Lines << line << '\n' << std::flush;
  NoteOutputState();
}

// The per-row "Processing ..." text is the status bar's business; the terminal shows the write progress.
void CliFrontEnd::SetStatusProgress(const std::string&, int32_t) {}

// The run's share is what the window's bar shows; the terminal counts files instead.
void CliFrontEnd::SetProgress(int32_t) {}

// With workers, the files ahead of the one in turn move the share too.
void CliFrontEnd::SetFileProgress(int32_t row, int32_t percent) {
  if (!Progress || CurrentRow < 0) return;
  Progress->RowFraction(row, percent / 100.0);
  const int32_t shown = Progress->InProgressPercent();
  if (shown == LastPercent) return;
  LastPercent = shown;
  S.Errors << "\r\033[K"
           << ProgressText(CurrentRow, Files.size(), shown, Files[static_cast<size_t>(CurrentRow)], S.Columns)
           << std::flush;
  LineOpen = true;
}

std::string ProgressText(int32_t row, size_t rows, int32_t percent, const std::string& file, int columns) {
  char head[64];
  std::snprintf(head, sizeof head, "%d/%zu %3d%% ", row + 1, rows, static_cast<int>(percent));
  const size_t room = columns > 1 ? static_cast<size_t>(columns - 1) : 0;
  std::string text = head;
  if (text.size() >= room) return text.substr(0, room);
  const size_t nameRoom = room - text.size();
  const std::string name = TerminalName(file);
  if (ScreenColumns(name) <= nameRoom) return text + name;
  if (nameRoom < 4) return text;
  // The end of the name tells the files apart: "...take 12.wav".
  return text + "..." + name.substr(TailStart(name, nameRoom - 3));
}

bool CliFrontEnd::Pump() { return OutputLost || (Cancel && *Cancel != 0); }

}  // namespace tacetix
