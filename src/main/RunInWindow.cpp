// "&Process" and "Cancel": the snapshot of the controls, the run through the core,
// and the window's answers to the run's calls.
#include "main/RunInWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <thread>
#include <utility>

#include "main/unit_main.h"
#include "options/RunChoices.h"
#include "run/RowText.h"

namespace tacetix {

QString LogPathFor(const QString& name, const QStringList& files) {
  // The window shows no working folder, so a bare name goes where the user's files are.
  if (name.isEmpty() || !QFileInfo(name).isRelative() || files.isEmpty()) return name;
  return QDir(QFileInfo(files.constFirst()).absolutePath()).filePath(name);
}

WindowFrontEnd::WindowFrontEnd(TForm1& form, const std::vector<std::string>& files) : Form(form), Files(files) {}

// The run's calls only note what moved; the next frame (Pump) shows it. A batch of short files
// gives many rows a frame, and drawing the bar, the texts and the list's place for each of
// them cost the window a good part of the run's time.
void WindowFrontEnd::SetRowStatus(int32_t row, RowStatus status) {
  if (status == RowStatus::Processing) {
    CurrentRow = row;
    if (Progress) Progress->RowStarted(row);
  } else if (Progress && status != RowStatus::NotStarted) {
    Progress->RowEnded(row);
  }
  Form.Files().SetStatus(row, RowWord(status));
}

void WindowFrontEnd::SetRowResult(int32_t row, const RowResult& result) {
  const std::string reason = RowStatusReason(result);
  if (!reason.empty()) Form.Files().SetStatusReason(row, QString::fromStdString(reason));
}

// The run's last word puts the bar back at 0: what the run did stays beside the summary.
void WindowFrontEnd::SetStatus(const std::string& text) {
  Form.SetStatus(QString::fromStdString(text));
  if (!FinalText.isEmpty()) ShowFinal();
}

// The run's own percentages count rows; the bar shows the share of the bytes instead.
void WindowFrontEnd::SetStatusProgress(const std::string& text, int32_t /*percent*/) {
  RowText = QString::fromStdString(text);
}

void WindowFrontEnd::SetProgress(int32_t /*percent*/) {}

void WindowFrontEnd::SetFileProgress(int32_t row, int32_t percent) {
  if (Progress) Progress->RowFraction(row, percent / 100.0);
}

void WindowFrontEnd::ShowProgress() {
  // The bar repaints at once whenever its value changes: it is set once a frame.
  const int32_t percent = Progress ? Progress->Percent() : 0;
  if (!RowText.isEmpty()) Form.SetStatusProgress(std::exchange(RowText, QString()), percent);
  if (CurrentRow >= 0) FollowRow(CurrentRow);
  if (!Progress) return;
  Form.SetProgress(percent);
  // The label is laid out and repainted only when its text changes.
  const QString text =
      QString::fromStdString(Progress->FileText() + ", " + Progress->TimeText(RunProgress::Clock::now()));
  if (text != Form.lab_Progress->text()) Form.lab_Progress->setText(text);
}

void WindowFrontEnd::ShowFinal() {
  Form.SetProgress(Progress->Percent());
  Form.lab_Progress->setText(FinalText);
}

// The list shows the row being processed, unless the user has scrolled the previous one out of sight.
void WindowFrontEnd::FollowRow(int32_t row) {
  QTreeView* view = Form.lview_Files;
  const QModelIndex previous = Form.Files().index(CurrentRowShown, 0);
  if (row == CurrentRowShown) return;
  if (CurrentRowShown >= 0 && !view->viewport()->rect().intersects(view->visualRect(previous))) return;
  CurrentRowShown = row;
  view->scrollTo(Form.Files().index(row, 0));
}

bool WindowFrontEnd::Pump() {
  // The run pumps at every row and every block; some 30 frames a second keep the window live
  // and a cancel prompt.
  const auto now = RunProgress::Clock::now();
  if (now - LastPumped < std::chrono::milliseconds(33)) return Form.CancelRequested;
  LastPumped = now;
  // The time keeps moving while a long file holds the run's turn.
  ShowProgress();
  QCoreApplication::processEvents();
  return Form.CancelRequested;
}

void WindowFrontEnd::BeginBusy() {
  BusyNow = true;
  Form.BeginOperation();
  Form.ResetFileStatuses();
  Started = RunProgress::Clock::now();
  Progress = std::make_unique<RunProgress>(RunProgress::SizesOf(Files), Started);
}

void WindowFrontEnd::EndBusy(bool rowsTouched) {
  BusyNow = false;
  ShowProgress();  // the last frame: the list shows where the run ended
  Form.EndOperation();
  if (Progress && rowsTouched) {
    const auto took = std::chrono::duration_cast<std::chrono::seconds>(RunProgress::Clock::now() - Started);
    FinalText = QString::fromStdString(Progress->FileText() + ", " + ClockText(took) + " in all");
    ShowFinal();
  }
  // Sorted by Status or Reason, the order no longer matches the new words.
  const int column = Form.SortColumn();
  if (rowsTouched && (column == FileListModel::ColStatus || column == FileListModel::ColReason)) {
    Form.UpdateSortArrow(false);
    Form.SetSortTag(0);
  }
}

RunChoices TForm1::CaptureChoices() const {
  RunChoices choices;
  for (const OptionBinding& row : OptionBindings) ReadControl(row, choices);
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
  request.LogName = QFile::encodeName(LogPathFor(edit_Logfile->text(), FileModel->Paths())).toStdString();
  request.Header = std::move(description.Header);
  // One worker a core, as tacetix-cli -j 0: the words, the log and the order are those of one.
  request.Jobs = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  WindowFrontEnd frontEnd(*this, request.Files);
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
