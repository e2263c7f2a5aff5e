// "&Process" and "Cancel": the snapshot of the controls, the run through the core,
// and the window's answers to the run's calls.
#include "main/RunInWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <cmath>
#include <utility>

#include "batch/RunChoices.h"
#include "main/AlignedEdit.h"
#include "main/unit_main.h"

namespace tacetix {

namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

void WindowFrontEnd::SetRowStatus(int32_t row, RowStatus status) {
  if (status == RowStatus::Processing) CurrentRow = row;
  Form.Files().SetStatus(row, RowWord(status));
}

void WindowFrontEnd::SetRowResult(int32_t row, const RowResult& result) {
  if (!result.Reason.empty()) Form.Files().SetStatusReason(row, QString::fromStdString(result.Reason));
}

void WindowFrontEnd::SetStatus(const std::string& text) { Form.SetStatus(QString::fromStdString(text)); }

void WindowFrontEnd::SetStatusProgress(const std::string& text, int32_t percent) {
  Form.SetStatusProgress(QString::fromStdString(text), percent);
}

void WindowFrontEnd::SetProgress(int32_t percent) { Form.SetProgress(percent); }

bool WindowFrontEnd::Pump() {
  QCoreApplication::processEvents();
  return Form.CancelRequested;
}

void WindowFrontEnd::BeginBusy() {
  BusyNow = true;
  Form.BeginOperation();
  Form.ResetFileStatuses();
}

void WindowFrontEnd::EndBusy(bool rowsTouched) {
  BusyNow = false;
  Form.EndOperation();
  const int tag = Form.SortTag();
  // Sorted by Status, the order no longer matches the new words.
  if (rowsTouched && (tag == 11 || tag == 12)) {
    Form.UpdateSortArrow(false);
    Form.SetSortTag(0);
  }
}

RunChoices TForm1::CaptureChoices() const {
  RunChoices choices;
  choices.Begin = {cbx_Remove1->isChecked(), radio_digital0_1->isChecked(), track_Threshold1->value()};
  choices.End = {cbx_Remove2->isChecked(), radio_digital0_2->isChecked(), track_Threshold2->value()};
  choices.Linked = cbx_Link->isChecked();
  CaptureCuts(choices);
  choices.Normalize = cbx_Normalize->isChecked();
  choices.NormalizePosition = track_Normalize->value();
  choices.NormalizeLoudness = radio_NormLoudness->isChecked();
  choices.LoudnessTenths = static_cast<int32_t>(std::lround(spin_Lufs->value() * 10));
  choices.TruePeakTenths = static_cast<int32_t>(std::lround(spin_TruePeak->value() * 10));
  choices.Dither = combo_Dither->currentIndex();
  choices.BitsChoice = combo_Bits->currentIndex();
  choices.BitsMode = radio_BitsAll->isChecked() ? ConvertAll : radio_BitsUp->isChecked() ? OnlyUp : OnlyDown;
  choices.Prefix = Text(edit_Prefix);
  choices.Suffix = Text(edit_Suffix);
  choices.FolderSubfolder = radio_FolderSubfolder->isChecked();
  choices.SubfolderText = Text(edit_FolderSubfolder);
  choices.OtherFolderText = QFile::encodeName(edit_FolderOther->text()).toStdString();
  choices.CreateIfUnchanged = cbx_NoChange->isChecked();
  choices.Overwrite = cbx_Overwrite->isChecked();
  choices.Simulation = cbx_Simulation->isChecked();
  choices.StopOnError = cbx_StopOnError->isChecked();
  choices.KeepMetadata = cbx_KeepMetadata->isChecked();
  choices.LogEnabled = cbx_Logfile->isChecked();
  return choices;
}

ProcessSettings TForm1::CaptureSettings() const { return DescribeRun(CaptureChoices()).Settings; }

LogHeaderSnapshot TForm1::CaptureLogHeader() const { return DescribeRun(CaptureChoices()).Header; }

void TForm1::bt_ProcessClick() {
  if (!bt_Process->isEnabled()) return;
  RunRequest request;
  for (const QString& path : FileModel->Paths()) request.Files.push_back(QFile::encodeName(path).toStdString());
  // One reading of the controls gives both, so the log states exactly what the run does.
  RunDescription description = DescribeRun(CaptureChoices());
  request.Settings = std::move(description.Settings);
  request.Log = LogSettings;
  request.LogName = QFile::encodeName(edit_Logfile->text()).toStdString();
  request.Header = std::move(description.Header);
  WindowFrontEnd frontEnd(*this);
  try {
    if (RunBatchFunction) {
      RunBatchFunction(request, frontEnd);
    } else {
      RunBatch(request, frontEnd);
    }
  } catch (const std::exception& error) {
    // The file in progress takes the blame; the window must not stay busy.
    if (frontEnd.RowInProgress() >= 0) FileModel->SetStatus(frontEnd.RowInProgress(), RowWord(RowStatus::IoError));
    if (frontEnd.IsBusy()) frontEnd.EndBusy(true);
    ReportFailure(QStringLiteral("Processing"), error.what());
  }
}

void TForm1::bt_CancelClick() {
  if (bt_Cancel->isEnabled()) CancelRequested = true;
}

}  // namespace tacetix
