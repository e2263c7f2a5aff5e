// "&Process" and "Cancel": the snapshot of the controls, the run through the core,
// and the window's answers to the run's calls.
#include "main/RunInWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "batch/NaturalCuts.h"
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

ProcessSettings TForm1::CaptureSettings() const {
  ProcessSettings settings;
  settings.Simulation = cbx_Simulation->isChecked();
  settings.LogEnabled = cbx_Logfile->isChecked();
  settings.Prefix = Text(edit_Prefix);
  settings.Suffix = Text(edit_Suffix);
  settings.FolderMode = radio_FolderSubfolder->isChecked() ? 1 : 2;
  settings.FolderText = settings.FolderMode == 1 ? Text(edit_FolderSubfolder)
                                                 : QFile::encodeName(edit_FolderOther->text()).toStdString();
  settings.Normalize = cbx_Normalize->isChecked();
  settings.CreateIfUnchanged = cbx_NoChange->isChecked();
  settings.Overwrite = cbx_Overwrite->isChecked();
  settings.StopOnError = cbx_StopOnError->isChecked();
  settings.KeepMetadata = cbx_KeepMetadata->isChecked();
  settings.BitsChoice = combo_Bits->currentIndex();
  settings.BitsMode = radio_BitsAll->isChecked() ? ConvertAll : radio_BitsUp->isChecked() ? OnlyUp : OnlyDown;
  settings.RemoveBegin = cbx_Remove1->isChecked();
  settings.RemoveEnd = (cbx_Remove2->isChecked() && cbx_Remove2->isEnabled()) ||
                       (cbx_Link->isChecked() && cbx_Remove1->isChecked());
  settings.ThresholdBegin = radio_digital0_1->isChecked() ? 0.0 : SliderFactor(track_Threshold1->value());
  if (cbx_Link->isChecked()) {
    settings.ThresholdEnd = settings.ThresholdBegin;
  } else {
    settings.ThresholdEnd = radio_digital0_2->isChecked() ? 0.0 : SliderFactor(track_Threshold2->value());
  }
  // The run keeps this target even if the slider moves while it works.
  settings.NormalizeTarget = SliderFactor(track_Normalize->value());
  settings.NormalizeLevelDb = SliderToDb(track_Normalize->value());
  CaptureCuts(settings);
  return settings;
}

LogHeaderSnapshot TForm1::CaptureLogHeader() const {
  LogHeaderSnapshot header;
  header.RemoveBegin = cbx_Remove1->isChecked();
  header.DigitalZeroBegin = radio_digital0_1->isChecked();
  header.ThresholdBeginText = Text(edit_Threshold1);
  // Linked, the end does what the beginning does, and the header says so.
  const bool linked = cbx_Link->isChecked();
  header.RemoveEnd = linked ? header.RemoveBegin : cbx_Remove2->isChecked();
  header.DigitalZeroEnd = linked ? header.DigitalZeroBegin : radio_digital0_2->isChecked();
  header.ThresholdEndText = linked ? header.ThresholdBeginText : Text(edit_Threshold2);
  ProcessSettings cuts;
  CaptureCuts(cuts);
  StateCutsInHeader(cuts, header);
  header.Normalize = cbx_Normalize->isChecked();
  header.NormalizeText = Text(edit_Normalize);
  header.BitsText = combo_Bits->currentText().toStdString();
  header.BitsChoice = combo_Bits->currentIndex();
  header.BitsMode = radio_BitsAll->isChecked() ? 0 : radio_BitsUp->isChecked() ? 1 : 2;
  header.Prefix = Text(edit_Prefix);
  header.Suffix = Text(edit_Suffix);
  header.FolderSubfolder = radio_FolderSubfolder->isChecked();
  header.SubfolderText = Text(edit_FolderSubfolder);
  header.OtherFolderText = Text(edit_FolderOther);
  header.CreateIfUnchanged = cbx_NoChange->isChecked();
  header.Overwrite = cbx_Overwrite->isChecked();
  header.StopOnError = cbx_StopOnError->isChecked();
  header.KeepMetadata = cbx_KeepMetadata->isChecked();
  return header;
}

void TForm1::bt_ProcessClick() {
  if (!bt_Process->isEnabled()) return;
  RunRequest request;
  for (const QString& path : FileModel->Paths()) request.Files.push_back(QFile::encodeName(path).toStdString());
  request.Settings = CaptureSettings();
  request.Log = LogSettings;
  request.LogName = QFile::encodeName(edit_Logfile->text()).toStdString();
  request.Header = CaptureLogHeader();
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
