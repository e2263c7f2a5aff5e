// The terminal front end of a run: one line per file, a progress line on a terminal.
#pragma once

#include <csignal>
#include <ostream>
#include <vector>

#include "batch/BatchRun.h"

namespace tacetix {

class CliFrontEnd : public RunFrontEnd {
 public:
  // cancelFlag is set asynchronously (by the SIGINT handler).
  CliFrontEnd(std::ostream& out, std::ostream& err, bool quiet, bool progressLine,
              const std::vector<std::string>& files, const volatile std::sig_atomic_t* cancelFlag);

  void SetRowStatus(int32_t row, const std::string& word) override;
  void SetRowOutput(int32_t row, const std::string& path) override;
  void SetStatus(const std::string& text) override;
  void SetStatusProgress(const std::string& text, int32_t percent) override;
  void SetProgress(int32_t percent) override;
  bool Pump() override;
  // Every file that started ended in "done".
  bool AllDone() const { return DoneCount == static_cast<int32_t>(Files.size()); }

 private:
  void ClearProgressLine();
  void NoteOutputState();

  std::ostream& Out;
  std::ostream& Err;
  bool Quiet;
  bool ProgressLine;
  const std::vector<std::string>& Files;
  // Only the latest row's output path: a row's final word always comes before the next
  // row's path is set, and one path per listed file would make memory grow with the list.
  int32_t OutputRow = -1;
  std::string Output;
  const volatile std::sig_atomic_t* Cancel;
  int32_t CurrentRow = -1;
  int32_t LastPercent = -1;
  bool LineOpen = false;
  int32_t DoneCount = 0;
  bool OutputLost = false;  // a write to Out failed: the run is cancelled
};

}  // namespace tacetix
