// The terminal front end of a run: a line per file, errors on their own stream, a progress
// line on a terminal, and the report's records.
#pragma once

#include <csignal>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/JsonReport.h"
#include "run/BatchRun.h"
#include "run/RunProgress.h"

namespace tacetix {

struct CliStreams {
  std::ostream& Lines;   // status lines of files done and the summary
  std::ostream& Errors;  // error lines and the progress line
  bool Quiet = false;    // errors only
  bool Verbose = false;  // the figures of every file done
  bool ProgressLine = false;
  int Columns = 80;          // the terminal's width: the progress line stays shorter, so it never wraps
  bool StopOnError = false;  // the run ends at the first file with an error
};

class CliFrontEnd : public RunFrontEnd {
 public:
  // cancelFlag is set asynchronously (by the signal handler). report may be null.
  CliFrontEnd(const CliStreams& streams, const std::vector<std::string>& files, bool normalize, JsonReport* report,
              const volatile std::sig_atomic_t* cancelFlag);

  void SetRowStatus(int32_t row, RowStatus status) override;
  void SetRowResult(int32_t row, const RowResult& result) override;
  void SetStatus(const std::string& text) override;
  void SetStatusProgress(const std::string& text, int32_t percent) override;
  void SetProgress(int32_t percent) override;
  void SetFileProgress(int32_t row, int32_t percent) override;
  bool Pump() override;
  void BeginBusy() override;
  // Every listed file ended done.
  bool AllDone() const { return DoneCount == static_cast<int32_t>(Files.size()); }
  // A line for people could not be written; LinesError() is the system's error number (0: none given).
  bool LinesFailed() const { return LinesLost; }
  int LinesError() const { return LinesErrorNumber; }

 private:
  void ClearProgressLine();
  void WriteDoneLine(const std::string& file, const RowResult& result);
  void NoteOutputState();

  CliStreams S;
  const std::vector<std::string>& Files;
  bool Normalize;
  JsonReport* Report;
  const volatile std::sig_atomic_t* Cancel;
  int32_t CurrentRow = -1;
  int32_t LastPercent = -1;
  std::unique_ptr<RunProgress> Progress;  // with a progress line: the files in progress by their bytes
  bool LineOpen = false;
  bool Started = false;  // the log was opened and the files' turn has come
  int32_t DoneCount = 0;
  int32_t EndedCount = 0;   // files that got their final word; the rest were never started
  bool OutputLost = false;  // a write to the status lines or the report failed: the run is cancelled
  bool LinesLost = false;
  int LinesErrorNumber = 0;
};

// "37/200  45% FILE": the row among the rows, the share of the bytes of the files in progress
// (with one job, the file's own progress) and as much of its name's end as fits in columns - 1
// (the last column would wrap on some terminals).
std::string ProgressText(int32_t row, size_t rows, int32_t percent, const std::string& file, int columns);

}  // namespace tacetix
