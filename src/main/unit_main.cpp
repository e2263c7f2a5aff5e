// TForm1's life: creation, the first show, the status helpers, the enabling rules
// and closing, which waits for a busy operation instead of pulling its state away.
#include "main/unit_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <utility>
#include <vector>

#include "TacetixVersion.h"
#include "main/AlignedEdit.h"
#include "main/HandlerGuard.h"

namespace tacetix {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Tacetix v" TACETIX_VERSION));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  FileModel = new FileListModel(this);
  BuildWindow();
  ShowDefaults();
  SetToolTips();
  ConnectHandlers();
  InstallDefaultDialogs();
  FormCreate();
  const QSize hint = sizeHint();
  setFixedSize(std::max(hint.width(), 670), std::max(hint.height(), 387 + StatusBar1->sizeHint().height()));
  if (const QScreen* desktop = QGuiApplication::primaryScreen()) {
    move(desktop->availableGeometry().center() - rect().center());
  }
}

TForm1::~TForm1() {
  // The children die after this body; their last focus events must not reach the handlers.
  QApplication::instance()->removeEventFilter(this);
}

void TForm1::FormCreate() {
  setAcceptDrops(true);
  // Application-wide, so that the window sees a key before the focused control does.
  QApplication::instance()->installEventFilter(this);
  LogSettings = tacetix::LogSettings{};
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Shown) {
    Shown = true;
    FormShow();
  }
}

void TForm1::FormShow() {
  SetStatusIdle();
  RefreshControls();
  UpdateSliderValues();
  UpdateRadioBits();
}

void TForm1::SetStatus(const QString& text) {
  StatusPanel0->setText(text);
  StatusPanel0->repaint();
  ProgressBar1->setValue(0);
}

void TForm1::SetStatusIdle() { SetStatus(QStringLiteral("Idle")); }

void TForm1::SetStatusProgress(const QString& text, int percent) {
  StatusPanel0->setText(text);
  SetProgress(percent);
}

void TForm1::SetProgress(int percent) { ProgressBar1->setValue(std::clamp(percent, 0, 100)); }

QString TForm1::StatusText() const { return StatusPanel0->text(); }

bool TForm1::Busy() const { return bt_Cancel->isEnabled(); }

void TForm1::ResetFileStatuses() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SetStatus(QStringLiteral("Resetting status..."));
  FileModel->SetAllStatuses(RowWord(RowStatus::NotStarted));
  QApplication::restoreOverrideCursor();
  SetStatusIdle();
}

std::vector<std::pair<int, int>> TForm1::SelectedSpans() const {
  // Read from the ranges, not row by row, so that a summary of 10,000 rows stays cheap.
  std::vector<std::pair<int, int>> spans;
  for (const QItemSelectionRange& range : lview_Files->selectionModel()->selection()) {
    spans.emplace_back(range.top(), range.bottom());
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<int, int>> merged;
  for (const auto& [top, bottom] : spans) {
    if (!merged.empty() && top <= merged.back().second + 1) {
      merged.back().second = std::max(merged.back().second, bottom);
    } else {
      merged.emplace_back(top, bottom);
    }
  }
  return merged;
}

int TForm1::SelectedCount() const {
  int count = 0;
  for (const auto& [first, last] : SelectedSpans()) count += last - first + 1;
  return count;
}

void TForm1::UpdateSummary() {
  const int rows = FileModel->rowCount();
  lab_summary->setText(QString::number(rows) + (rows == 1 ? QStringLiteral(" file, ") : QStringLiteral(" files, ")) +
                       QString::number(SelectedCount()) + QStringLiteral(" selected"));
}

void TForm1::UpdateControls() {
  const bool idle = !Busy();
  const int rows = FileModel->rowCount();
  const int selected = SelectedCount();
  const bool named = !edit_Prefix->text().isEmpty() || !edit_Suffix->text().isEmpty() ||
                     !edit_FolderSubfolder->text().isEmpty() || !edit_FolderOther->text().isEmpty();
  // "." and ".." name no subfolder: the outputs would go into the source folder or its parent.
  const QString subfolder = edit_FolderSubfolder->text();
  const bool notASubfolder = radio_FolderSubfolder->isChecked() &&
                             (subfolder == QStringLiteral(".") || subfolder == QStringLiteral(".."));
  setAcceptDrops(idle);
  bt_Add->setEnabled(idle);
  bt_AddFolder->setEnabled(idle);
  bt_Delete->setEnabled(idle && selected >= 1);
  bt_All->setEnabled(idle && rows >= 1 && selected != rows);
  bt_None->setEnabled(idle && rows >= 1 && selected >= 1);
  bt_Reverse->setEnabled(idle && rows >= 1);
  bt_Reset->setEnabled(idle && StatusText() != QStringLiteral("Idle"));
  // The preview only reads: it stays usable while busy.
  bt_Preview->setEnabled(rows >= 1);
  bt_Process->setEnabled(idle && rows >= 1 && named && !notASubfolder);
  UpdateProcessTip(idle, rows, named, notASubfolder);
  bt_FolderOther->setEnabled(idle);
  bt_LogOptions->setEnabled(idle);
  bt_LogBrowse->setEnabled(idle);
}

void TForm1::RefreshControls() {
  UpdateControls();
  UpdateSummary();
}

void TForm1::BeginOperation() {
  CancelRequested = false;
  bt_Cancel->setEnabled(true);
  RefreshControls();
}

void TForm1::EndOperation() {
  bt_Cancel->setEnabled(false);
  RefreshControls();
  // A close asked for while busy was put off; the operation has let go of everything now.
  if (CloseWhenIdle) QTimer::singleShot(0, this, [this] { close(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (Busy()) {
    CancelRequested = true;
    CloseWhenIdle = true;
    event->ignore();
    return;
  }
  CloseWhenIdle = false;
  QMainWindow::closeEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!Busy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
  if (!Busy() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  if (Busy() || !event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
  // The add runs after the drop has been answered, so the dragging program is not kept waiting.
  const QList<QUrl> urls = event->mimeData()->urls();
  QTimer::singleShot(0, this, [this, urls] { DropFiles(urls); });
}

void TForm1::ReportFailure(const QString& operation, const char* what) {
  SetStatus(QStringLiteral("%1 stopped: internal error (%2)").arg(operation, QString::fromLocal8Bit(what)));
}

void TForm1::ConnectHandlers() {
  struct Click {
    QPushButton* Button;
    void (TForm1::*Handler)();
    const char* Operation;  // how a failure names what stopped
  };
  const Click clicks[] = {{bt_Process, &TForm1::bt_ProcessClick, "Processing"},
                          {bt_Cancel, &TForm1::bt_CancelClick, "Cancelling"},
                          {bt_About, &TForm1::bt_AboutClick, "About"},
                          {bt_Add, &TForm1::bt_AddClick, "Adding"},
                          {bt_AddFolder, &TForm1::bt_AddFolderClick, "Adding"},
                          {bt_NotAdded, &TForm1::bt_NotAddedClick, "Not added"},
                          {bt_Delete, &TForm1::bt_DeleteClick, "Deleting"},
                          {bt_All, &TForm1::bt_AllClick, "Selecting"},
                          {bt_None, &TForm1::bt_NoneClick, "Selecting"},
                          {bt_Reverse, &TForm1::bt_ReverseClick, "Selecting"},
                          {bt_Reset, &TForm1::bt_ResetClick, "Resetting"},
                          {bt_Preview, &TForm1::bt_PreviewClick, "Preview"},
                          {bt_FolderOther, &TForm1::bt_FolderOtherClick, "Choosing a folder"},
                          {bt_LogOptions, &TForm1::bt_LogOptionsClick, "Log options"},
                          {bt_LogBrowse, &TForm1::bt_LogBrowseClick, "Choosing a logfile"}};
  for (const Click& click : clicks) {
    connect(
        click.Button, &QPushButton::clicked, this,
        Guarded(this, QString::fromLatin1(click.Operation), [this, handler = click.Handler] { (this->*handler)(); }));
  }
  auto change = [this] { lview_FilesChange(); };
  connect(FileModel, &QAbstractItemModel::dataChanged, this, change);
  connect(FileModel, &QAbstractItemModel::rowsInserted, this, change);
  connect(FileModel, &QAbstractItemModel::rowsRemoved, this, change);
  connect(FileModel, &QAbstractItemModel::layoutChanged, this, change);
  connect(FileModel, &QAbstractItemModel::modelReset, this, change);
  connect(lview_Files->selectionModel(), &QItemSelectionModel::selectionChanged, this, change);
  connect(lview_Files->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    Guarded(this, QStringLiteral("Sorting"), [this, column] { lview_FilesColumnClick(column); })();
  });
  ConnectOptionHandlers();
  ConnectPageSwitching();
  ConnectPreview();
}

}  // namespace tacetix
