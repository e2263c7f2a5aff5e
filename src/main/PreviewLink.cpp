// The main window's side of the preview: the button, the double-click, and the preview kept on
// the current row and on the options as they change.
#include <QFile>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include "main/HandlerGuard.h"
#include "main/unit_Preview.h"
#include "main/unit_main.h"

namespace tacetix {

void TForm1::ConnectPreview() {
  connect(lview_Files, &QAbstractItemView::doubleClicked, this,
          Guarded(this, QStringLiteral("Preview"), [this] { bt_PreviewClick(); }));
  connect(lview_Files->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          Guarded(this, QStringLiteral("Preview"), [this] { FollowCurrentRow(); }));
  // A slider dragged moves many steps: the cut is decided again once they have all arrived.
  auto* settle = new QTimer(this);
  settle->setSingleShot(true);
  settle->setInterval(0);
  connect(settle, &QTimer::timeout, this,
          Guarded(this, QStringLiteral("Preview"), [this] { PreviewOptionsChanged(); }));
  auto changed = [settle] { settle->start(); };
  for (const OptionBinding& row : OptionBindings) OnChange(row, settle, changed);
}

void TForm1::bt_PreviewClick() {
  if (!bt_Preview->isEnabled()) return;
  if (!PreviewDialog) {
    PreviewDialog = new Tfrm_Preview(this);
    connect(PreviewDialog, &Tfrm_Preview::StepRequested, this,
            [this](int step) { Guarded(this, QStringLiteral("Preview"), [this, step] { StepCurrentRow(step); })(); });
  }
  QItemSelectionModel* selection = lview_Files->selectionModel();
  if (!selection->currentIndex().isValid() && FileModel->rowCount() > 0)
    selection->setCurrentIndex(FileModel->index(0, 0), QItemSelectionModel::NoUpdate);
  PreviewDialog->ShowPreview();
  PreviewDialog->SetSettings(CaptureSettings());
  FollowCurrentRow();
}

Tfrm_Preview* TForm1::PreviewWindow() const { return PreviewDialog; }

void TForm1::FollowCurrentRow() {
  if (!PreviewDialog || !PreviewDialog->isVisible()) return;
  const QModelIndex current = lview_Files->selectionModel()->currentIndex();
  PreviewDialog->ShowFile(current.isValid() ? FileModel->Row(current.row()).Path : QString());
}

void TForm1::PreviewOptionsChanged() {
  if (PreviewDialog && PreviewDialog->isVisible()) PreviewDialog->SetSettings(CaptureSettings());
}

// As the list's own arrow keys move it: the row becomes current and the only one selected.
void TForm1::StepCurrentRow(int step) {
  const int rows = FileModel->rowCount();
  if (rows == 0) return;
  const QModelIndex current = lview_Files->selectionModel()->currentIndex();
  const int row = std::clamp(current.isValid() ? current.row() + step : 0, 0, rows - 1);
  lview_Files->selectionModel()->setCurrentIndex(FileModel->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  lview_Files->scrollTo(FileModel->index(row, 0));
}

}  // namespace tacetix
