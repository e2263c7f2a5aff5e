// The window as the batch run's front end.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "run/BatchRun.h"
#include "run/RunProgress.h"

#include <QString>
#include <QStringList>

namespace tacetix {

class TForm1;

// The log file's path: a relative name is taken in the folder of the first listed file.
QString LogPathFor(const QString& name, const QStringList& files);

class WindowFrontEnd : public RunFrontEnd {
 public:
  // files: the run's, in list order; their sizes weigh the progress.
  WindowFrontEnd(TForm1& form, const std::vector<std::string>& files);
  void SetRowStatus(int32_t row, RowStatus status) override;
  void SetRowResult(int32_t row, const RowResult& result) override;
  void SetStatus(const std::string& text) override;
  void SetStatusProgress(const std::string& text, int32_t percent) override;
  void SetProgress(int32_t percent) override;
  void SetFileProgress(int32_t row, int32_t percent) override;
  // Handles the window's events once, then reports the cancel flag.
  bool Pump() override;
  void BeginBusy() override;
  void EndBusy(bool rowsTouched) override;

  bool IsBusy() const { return BusyNow; }
  int32_t RowInProgress() const { return CurrentRow; }

 private:
  void ShowProgress();
  // The run has ended: the share it did and its time in all.
  void ShowFinal();
  void FollowRow(int32_t row);

  TForm1& Form;
  const std::vector<std::string>& Files;
  std::unique_ptr<RunProgress> Progress;  // from the start of the run
  RunProgress::Clock::time_point Started;
  RunProgress::Clock::time_point LastPumped;
  QString RowText;               // "Processing ..." of the row in turn, until a frame shows it
  QString FinalText;             // "file 38 of 38, 0:32 in all" once the run has ended
  int32_t CurrentRowShown = -1;  // the last row the list was scrolled to
  bool BusyNow = false;
  int32_t CurrentRow = -1;  // the last row that showed Processing
};

}  // namespace tacetix
