// The window as the batch run's front end.
#pragma once

#include "batch/BatchRun.h"

namespace tacetix {

class TForm1;

class WindowFrontEnd : public RunFrontEnd {
 public:
  explicit WindowFrontEnd(TForm1& form) : Form(form) {}
  void SetRowStatus(int32_t row, RowStatus status) override;
  void SetRowResult(int32_t row, const RowResult& result) override;
  void SetStatus(const std::string& text) override;
  void SetStatusProgress(const std::string& text, int32_t percent) override;
  void SetProgress(int32_t percent) override;
  // Handles the window's events once, then reports the cancel flag.
  bool Pump() override;
  void BeginBusy() override;
  void EndBusy(bool rowsTouched) override;

  bool IsBusy() const { return BusyNow; }
  int32_t RowInProgress() const { return CurrentRow; }

 private:
  TForm1& Form;
  bool BusyNow = false;
  int32_t CurrentRow = -1;  // the last row that showed Processing
};

}  // namespace tacetix
