// The file list's commands: adding (dialog, folder and drop) with the duplicate search, the
// analysis of each file and the reasons for those refused, deleting, bulk selection, copying
// rows, sorting and the header's sort arrow.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>

#include "main/unit_main.h"
#include "main/unit_tools1.h"
#include "run/FolderWalk.h"
#include "run/SourceFacts.h"

namespace tacetix {

namespace {

QStringList RunSourceDialog(QWidget* owner) {
  QFileDialog dialog(owner, QStringLiteral("Source files..."));
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(
      {QStringLiteral("Audio files (*.wav *.flac *.aif *.aiff *.aifc)"), QStringLiteral("All files (*.*)")});
  dialog.setFilter(dialog.filter() | QDir::Hidden);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString RunSourceFolderDialog(QWidget* owner) {
  return QFileDialog::getExistingDirectory(owner, QStringLiteral("Source folder..."));
}

// Only the header and the format are read; the samples stay on disk.
bool AnalyzeWith(SourceProbe& probe, const QString& path, FileRow& row) {
  SourceFacts facts;
  if (!probe.Read(QFile::encodeName(path).toStdString(), facts)) return false;
  row.Path = path;
  row.Bits = facts.Bits;
  row.Hz = facts.Hz;
  row.Channels = facts.Channels;
  row.Length = QString::fromStdString(facts.Length);
  row.LengthMs = facts.LengthMs;
  row.Status = RowWord(RowStatus::NotStarted);
  return true;
}

// Painting the status for every file costs more than analysing the file; shown at most
// every 40 ms, the text still follows the work as closely as the eye can tell.
class StatusPacer {
 public:
  bool Due() {
    if (Clock.isValid() && Clock.elapsed() < 40) return false;
    Clock.start();
    return true;
  }

 private:
  QElapsedTimer Clock;
};

int RoundedPercent(int done, float step) {
  return static_cast<int>(std::nearbyint(static_cast<double>(done) * static_cast<double>(step)));
}

QString ClosingMessage(bool cancelled, const QString& cancelPrefix, int count, const QString& verb) {
  return (cancelled ? cancelPrefix : QString()) + CountText(count, verb);
}

}  // namespace

void TForm1::bt_AddClick() {
  if (!bt_Add->isEnabled()) return;
  const QStringList chosen = ChooseSourceFiles ? ChooseSourceFiles() : RunSourceDialog(this);
  if (chosen.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  repaint();
  QApplication::restoreOverrideCursor();
  AddFiles(chosen);
}

void TForm1::bt_AddFolderClick() {
  if (!bt_AddFolder->isEnabled()) return;
  const QString folder = ChooseSourceFolder ? ChooseSourceFolder() : RunSourceFolderDialog(this);
  // In the walk's order, as the same folder named on the command line (or to -r) is.
  if (!folder.isEmpty()) AddFiles({folder}, true);
}

void TForm1::bt_NotAddedClick() {
  QDialog dialog(this);
  dialog.setObjectName(QStringLiteral("frm_NotAdded"));
  dialog.setWindowTitle(QStringLiteral("Not added"));
  auto* list = new QTreeWidget(&dialog);
  list->setObjectName(QStringLiteral("lview_NotAdded"));
  list->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Reason")});
  list->setRootIsDecorated(false);
  for (const auto& [path, reason] : NotAdded) list->addTopLevelItem(new QTreeWidgetItem({path, reason}));
  list->resizeColumnToContents(0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog.resize(width(), height() * 2 / 3);
  dialog.exec();
}

void TForm1::CopySelectedRows() const {
  std::vector<int> rows;
  for (const auto& [first, last] : SelectedSpans())
    for (int row = first; row <= last; ++row) rows.push_back(row);
  QApplication::clipboard()->setText(FileModel->RowsAsText(rows));
}

void TForm1::Refuse(const QString& path, const QString& reason, int& refused) {
  NotAdded.emplace_back(path, reason);
  ++refused;
}

// A folder adds what -r would: its wave files in the walk's order, without the folders the
// output settings of the moment write to.
QStringList TForm1::ExpandFolders(const QStringList& paths, int& refused) {
  QStringList files;
  const ProcessSettings settings = CaptureSettings();
  for (const QString& path : paths) {
    if (!QFileInfo(path).isDir()) {
      files.append(path);
      continue;
    }
    WaveWalk walk;
    walk.SkipFolder = [&](const std::filesystem::path& folder) {
      if (!IsOutputFolderOf(folder, settings)) return false;
      Refuse(QFile::decodeName(folder.c_str()), QStringLiteral("output folder, not read"), refused);
      return true;
    };
    walk.File = [&files](const std::string& file) { files.append(QFile::decodeName(file.c_str())); };
    walk.Problem = [&](const std::string& problem) { Refuse(path, QString::fromLocal8Bit(problem.c_str()), refused); };
    WalkWaveFolder(QFile::encodeName(path).toStdString(), walk);
  }
  return files;
}

void TForm1::DropFiles(const QList<QUrl>& urls, bool keepOrder) {
  if (Busy()) return;
  try {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetStatus(QStringLiteral("Preparing to add %1 files...").arg(urls.size()));
    QStringList names;
    for (const QUrl& url : urls) {
      const QString name = url.toLocalFile();
      if (!name.isEmpty()) names.append(name);
    }
    QApplication::restoreOverrideCursor();
    // Web links are no files: with none left the add still ends with its message.
    AddFiles(names, keepOrder);
  } catch (const std::exception& error) {
    QApplication::restoreOverrideCursor();
    if (Busy()) EndOperation();
    ReportFailure(QStringLiteral("Adding"), error.what());
  }
}

void TForm1::RefuseDuplicates(QStringList& queue, int& refused, bool keepOrder) {
  const bool caseSensitive = FileNamesCaseSensitive();
  auto order = [caseSensitive](const QString& a, const QString& b) { return ComparePaths(a, b, caseSensitive) < 0; };
  const QStringList given = queue;
  QStringList existing = FileModel->Paths();
  std::sort(existing.begin(), existing.end(), order);
  std::sort(queue.begin(), queue.end(), order);
  // A path named twice in one add would give two rows for one file.
  QStringList once;
  once.reserve(queue.size());
  for (const QString& path : queue) {
    if (!once.isEmpty() && ComparePaths(once.back(), path, caseSensitive) == 0)
      Refuse(path, QStringLiteral("named more than once"), refused);
    else once.append(path);
  }
  queue = std::move(once);
  // Walking the queue from its end, a match at r bounds every later search to 0..r.
  const int last = static_cast<int>(existing.size()) - 1;
  int upper = last;
  for (int i = static_cast<int>(queue.size()) - 1; i >= 0 && last >= 0; --i) {
    const int found = FindInSorted(existing, queue[i], upper, caseSensitive);
    if (found >= 0) {
      Refuse(queue[i], QStringLiteral("already in the list"), refused);
      queue.removeAt(i);
      upper = found;
    } else {
      upper = last;
    }
  }
  if (!keepOrder) return;
  // Back to the order given, each kept path once.
  QSet<QString> kept(queue.begin(), queue.end());
  queue.clear();
  for (const QString& path : given)
    if (kept.remove(path)) queue.append(path);
}

int TForm1::AnalyzeQueue(const QStringList& queue, int& refused) {
  const float step = 100.0f / static_cast<float>(queue.size());
  // A file of a great many chunks takes a while to walk: the window stays live and Cancel works.
  SourceProbe file([this] {
    QCoreApplication::processEvents();
    return CancelRequested;
  });
  std::vector<FileRow> pending;
  QElapsedTimer sinceFlush;
  sinceFlush.start();
  StatusPacer pacer;
  int added = 0;
  for (int i = 0; i < queue.size(); ++i) {
    QCoreApplication::processEvents();
    if (CancelRequested) break;
    if (pacer.Due()) {
      SetStatusProgress(QStringLiteral("Analyzing \"%1\"").arg(queue[i]), RoundedPercent(i + 1, step));
    }
    FileRow row;
    bool readable = false;
    try {
      readable = AnalyzeFile ? AnalyzeFile(queue[i], row) : AnalyzeWith(file, queue[i], row);
    } catch (const std::exception&) {
      readable = false;
    }
    if (!readable && file.Stopped()) break;  // not looked at, so not refused
    if (!readable) {
      const std::string reason = file.Reason();
      Refuse(queue[i], reason.empty() ? QStringLiteral("not a readable wave file") : QString::fromStdString(reason),
             refused);
      continue;
    }
    pending.push_back(std::move(row));
    ++added;
    // Rows reach the view in batches: one insertion per row would dominate big adds.
    if (sinceFlush.elapsed() >= 100) {
      FileModel->AppendRows(std::move(pending));
      pending.clear();
      sinceFlush.restart();
    }
  }
  FileModel->AppendRows(std::move(pending));
  return added;
}

void TForm1::AddFiles(const QStringList& paths, bool keepOrder) {
  BeginOperation();
  SetStatus(QStringLiteral("Adding %1 files, searching for dublicates...").arg(paths.size()));
  // The last run's count and time no longer describe the list.
  lab_Progress->clear();
  int refused = 0;
  int added = 0;
  NotAdded.clear();
  QStringList queue = ExpandFolders(paths, refused);
  RefuseDuplicates(queue, refused, keepOrder);
  if (!queue.isEmpty()) added = AnalyzeQueue(queue, refused);
  EndOperation();
  if (added > 0) {
    UpdateSortArrow(false);
    SortTagValue = 0;
  }
  QString message =
      ClosingMessage(CancelRequested, QStringLiteral("Adding cancelled, "), added, QStringLiteral("added"));
  CancelRequested = false;
  if (refused != 0) message += QStringLiteral(", %1 not added").arg(refused);
  SetStatus(message);
  bt_NotAdded->setVisible(!NotAdded.empty());
}

namespace {

// Rows leave the list in batches, so the list is laid out and painted a few times a
// second instead of once per row. The delete walks up from the last row and only rows
// below the walk move, so the rows still to visit keep their indexes.
class RemovalBatch {
 public:
  explicit RemovalBatch(FileListModel& model) : Model(model) { SinceFlush.start(); }
  void Add(int row) {
    Rows.push_back(row);
    Lowest = row;
  }
  void FlushIfDue() {
    if (SinceFlush.elapsed() >= 100) Flush();
  }
  void Flush() {
    Model.RemoveRows(Rows);
    Rows.clear();
    SinceFlush.restart();
  }
  int LowestRow() const { return Lowest; }

 private:
  FileListModel& Model;
  std::vector<int> Rows;
  int Lowest = 0;
  QElapsedTimer SinceFlush;
};

bool InSpans(const std::vector<std::pair<int, int>>& spans, int row) {
  const auto after = std::upper_bound(spans.begin(), spans.end(), std::pair{row, INT_MAX});
  return after != spans.begin() && std::prev(after)->second >= row;
}

}  // namespace

void TForm1::DeleteSelectedRows(int selected, int& deleted) {
  const float step = 100.0f / static_cast<float>(selected);
  // The selection is read again only after it has changed (a click while the delete
  // runs): asking the selection model row by row costs as much as the ranges it holds.
  bool selectionMoved = true;
  const QMetaObject::Connection watch = connect(lview_Files->selectionModel(), &QItemSelectionModel::selectionChanged,
                                                this, [&selectionMoved] { selectionMoved = true; });
  std::vector<std::pair<int, int>> spans;
  RemovalBatch batch(*FileModel);
  StatusPacer pacer;
  for (int row = FileModel->rowCount() - 1; row >= 0; --row) {
    QCoreApplication::processEvents();
    if (CancelRequested) break;
    if (selectionMoved) {
      spans = SelectedSpans();
      selectionMoved = false;
    }
    if (!InSpans(spans, row)) continue;
    ++deleted;
    if (pacer.Due()) {
      SetStatusProgress(QStringLiteral("Deleting \"%1\"").arg(FileModel->Row(row).Path), RoundedPercent(deleted, step));
    }
    batch.Add(row);
    if (deleted == selected) break;
    batch.FlushIfDue();
  }
  disconnect(watch);
  batch.Flush();
  KeepCurrentRowNear(batch.LowestRow());
}

void TForm1::KeepCurrentRowNear(int row) {
  // The current row went with the deleted ones: the keyboard goes on from where they stood.
  QItemSelectionModel* selection = lview_Files->selectionModel();
  const int rows = FileModel->rowCount();
  if (selection->currentIndex().isValid() || rows == 0) return;
  selection->setCurrentIndex(FileModel->index(std::min(row, rows - 1), 0), QItemSelectionModel::NoUpdate);
}

void TForm1::bt_DeleteClick() {
  if (!bt_Delete->isEnabled()) return;
  const int selected = SelectedCount();
  int deleted = 0;
  if (selected > 0) {
    BeginOperation();
    DeleteSelectedRows(selected, deleted);
    EndOperation();
  }
  if (FileModel->rowCount() == 0) {
    UpdateSortArrow(false);
    SortTagValue = 0;
  }
  const QString message =
      ClosingMessage(CancelRequested, QStringLiteral("Deleting cancelled, "), deleted, QStringLiteral("deleted"));
  CancelRequested = false;
  SetStatus(message);
}

// One repaint for a selection change of any size, under the wait cursor.
void TForm1::ChangeSelection(const std::function<void()>& change) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  lview_Files->setUpdatesEnabled(false);
  change();
  lview_Files->setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
  lview_Files->setFocus();
}

void TForm1::bt_AllClick() {
  if (!bt_All->isEnabled()) return;
  ChangeSelection([&] { lview_Files->selectAll(); });
}

void TForm1::bt_NoneClick() {
  if (!bt_None->isEnabled()) return;
  ChangeSelection([&] { lview_Files->selectionModel()->clearSelection(); });
}

void TForm1::bt_ReverseClick() {
  if (!bt_Reverse->isEnabled()) return;
  ChangeSelection([&] {
    // The gaps between the selected spans, built as one selection of ranges: a toggle
    // lets Qt split every selected range against the new one, seconds for 5,000 rows.
    const int lastColumn = FileListModel::ColumnCount - 1;
    QItemSelection inverse;
    auto addRows = [&](int first, int last) {
      if (first <= last)
        inverse.append(QItemSelectionRange(FileModel->index(first, 0), FileModel->index(last, lastColumn)));
    };
    int next = 0;
    for (const auto& [first, last] : SelectedSpans()) {
      addRows(next, first - 1);
      next = last + 1;
    }
    addRows(next, FileModel->rowCount() - 1);
    // Cleared first: Qt compares an old and a new selection range by range otherwise.
    lview_Files->selectionModel()->clearSelection();
    lview_Files->selectionModel()->select(inverse, QItemSelectionModel::Select);
  });
}

void TForm1::bt_ResetClick() {
  if (!bt_Reset->isEnabled()) return;
  ResetFileStatuses();
  lview_Files->setFocus();
  UpdateControls();
}

void TForm1::lview_FilesChange() { RefreshControls(); }

void TForm1::lview_FilesColumnClick(int column) {
  if (Busy() || FileModel->rowCount() == 0 || column < 0 || column >= FileListModel::ColumnCount) {
    // The header may have moved its own arrow on the click; the sort tag decides.
    UpdateSortArrow(SortTagValue > 0);
    return;
  }
  const int descending = SortTagValue == 2 * column + 1 ? 1 : 0;
  UpdateSortArrow(false);
  SortTagValue = 2 * column + descending + 1;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  FileModel->SortBy(2 * column + descending);
  QApplication::restoreOverrideCursor();
  UpdateSortArrow(true);
}

void TForm1::UpdateSortArrow(bool show) {
  QHeaderView* header = lview_Files->header();
  const int column = (SortTagValue - 1) / 2;
  const int image = (SortTagValue - 1) % 2;
  if (!show || image < 0) {
    header->setSortIndicatorShown(false);
    return;
  }
  header->setSortIndicator(column, image == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
  header->setSortIndicatorShown(true);
}

}  // namespace tacetix
