// How lview_Files looks: its columns, their smallest widths and how they share the list's
// width, paths cut so that the file names stay apart, and a sort arrow that points up for
// ascending.
#include "main/FileListView.h"

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>

#include "main/Widgets.h"
#include "main/unit_main.h"

namespace tacetix {

namespace {

constexpr int ColumnMinimumWidths[FileListModel::ColumnCount] = {50, 30, 30, 50, 50, 50, 50};
// The texts that set the width of the columns whose content has a known widest form.
constexpr const char* WidestTexts[FileListModel::ColumnCount] = {
    "", "Bits", "192000", "Channels", "00:00:00.000", "Status", "Reason"};
// Room beside a cell's text: the cell's margins and the header's sort arrow.
constexpr int CellPadding = 16;
// A reason wider than this share of the list leaves the rest to the tooltip, so the paths keep room.
constexpr double ReasonShare = 0.25;
// File takes up to this share of the list from Status and Reason to show its longest file name.
constexpr double FileNameShare = 0.5;

// Rows of one folder differ only at the end of their paths, often in the middle of their
// names; a cut at the right would make them all look alike. Status words and reasons lose
// their middle too: "output file already exists" and "output file is input file" differ at
// the end, and a reason ends with the file it names. Their tooltips and Ctrl+C hold them whole.
class FileColumnDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideMiddle;
    if (index.column() != FileListModel::ColFile) return;
    const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
    // The style keeps a margin either side of the text within its rectangle.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option->widget) + 1;
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, option, option->widget);
    if (text.width() > 2 * margin) option->text = Elided(option->text, option->fontMetrics, text.width() - 2 * margin);
  }

 private:
  // A running batch repaints the same rows many times a second: each path is cut once a width.
  QString Elided(const QString& path, const QFontMetrics& metrics, int width) const {
    if (width != CutWidth || Cut.size() > 4096) {
      Cut.clear();
      CutWidth = width;
    }
    auto it = Cut.constFind(path);
    if (it == Cut.constEnd()) it = Cut.insert(path, ElidedPath(path, metrics, width));
    return *it;
  }

  mutable QHash<QString, QString> Cut;
  mutable int CutWidth = -1;
};

// Styles disagree on the header arrow (Qt's own convention points down for ascending on
// some); this list always shows up for ascending and down for descending.
class SortArrowStyle : public QProxyStyle {
 public:
  explicit SortArrowStyle(QStyle* base) : QProxyStyle(base) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const auto* header = qobject_cast<const QHeaderView*>(widget);
    if (element != PE_IndicatorHeaderArrow || header == nullptr) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    const bool ascending = header->sortIndicatorOrder() == Qt::AscendingOrder;
    QProxyStyle::drawPrimitive(ascending ? PE_IndicatorArrowUp : PE_IndicatorArrowDown, option, painter, widget);
  }
};

QStyle* ApplicationStyleCopy() { return QStyleFactory::create(QApplication::style()->name()); }

void SetUpColumns(QTreeView* view) {
  QHeaderView* header = view->header();
  header->setSectionsClickable(true);
  header->setSectionsMovable(false);
  // File takes what the others leave (ColumnSharing), so no column is stretched.
  header->setStretchLastSection(false);
  header->setSortIndicatorShown(false);
  auto* arrows = new SortArrowStyle(ApplicationStyleCopy());
  arrows->setParent(header);
  header->setStyle(arrows);
  header->setMinimumSectionSize(*std::min_element(std::begin(ColumnMinimumWidths), std::end(ColumnMinimumWidths)));
  // The header knows one smallest width for all columns; the wider ones hold their own.
  QObject::connect(header, &QHeaderView::sectionResized, header, [header](int column, int, int width) {
    if (column >= 0 && column < FileListModel::ColumnCount && width < ColumnMinimumWidths[column]) {
      header->resizeSection(column, ColumnMinimumWidths[column]);
    }
  });
  for (int c = FileListModel::ColBits; c < FileListModel::ColumnCount; ++c)
    header->resizeSection(c, view->fontMetrics().horizontalAdvance(QString::fromLatin1(WidestTexts[c])) + CellPadding);
}

// Status and Reason as wide as the longest text they hold, File the rest of the list's width:
// a long status word is not cut while a short path has room to give, and the columns never
// need a horizontal scroll bar, also when the vertical one takes its share.
class ColumnSharing : public QObject {
 public:
  ColumnSharing(QTreeView* view, FileListModel* model) : QObject(view), View(view), Model(model) {
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->viewport()->installEventFilter(this);
    // A run changes only the words of its rows; their paths stay.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& top, const QModelIndex& bottom) { Measure(top.row(), bottom.row(), false); });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Measure(first, last, true); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { Measure(0, Model->rowCount() - 1, true); });
    Measure(0, -1, true);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) Share();
    return QObject::eventFilter(watched, event);
  }

 private:
  int TextWidth(const QString& text) const { return View->fontMetrics().horizontalAdvance(text) + CellPadding; }
  // A run gives most rows one of a few words: each is measured once.
  int WordWidth(const QString& text) {
    auto it = Widths.constFind(text);
    if (it == Widths.constEnd()) it = Widths.insert(text, TextWidth(text));
    return *it;
  }
  // A file name with the row's icon beside it.
  int NameWidth(const QString& path) const {
    const int icon = View->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, View) + 4;
    return TextWidth(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1)) + icon;
  }

  // A change of many rows is a reset of the whole column (a new run): the widths start again.
  void Measure(int first, int last, bool paths) {
    const bool whole = last - first > 64 || (first == 0 && last == Model->rowCount() - 1);
    if (whole) {
      StatusWidth = TextWidth(QString::fromLatin1(WidestTexts[FileListModel::ColStatus]));
      ReasonWidth = TextWidth(QString::fromLatin1(WidestTexts[FileListModel::ColReason]));
      if (paths) FileNameWidth = 0;
      if (Widths.size() > 256) Widths.clear();
    }
    for (int row = std::max(first, 0); row <= last && row < Model->rowCount(); ++row) {
      const FileRow& r = Model->Row(row);
      StatusWidth = std::max(StatusWidth, WordWidth(r.Status));
      ReasonWidth = std::max(ReasonWidth, WordWidth(r.StatusReason));
      if (paths) FileNameWidth = std::max(FileNameWidth, NameWidth(r.Path));
    }
    Share();
  }

  // Names kept apart come first: Reason, then Status give up room down to their smallest
  // widths for File to show its longest name (up to FileNameShare of the list).
  void Share() {
    QHeaderView* header = View->header();
    const int available = View->viewport()->width();
    int fixed = 0;
    for (int c = FileListModel::ColBits; c < FileListModel::ColStatus; ++c) fixed += header->sectionSize(c);
    const int reasonLeast = ColumnMinimumWidths[FileListModel::ColReason];
    const int statusLeast = ColumnMinimumWidths[FileListModel::ColStatus];
    int reason = std::min(ReasonWidth, std::max(reasonLeast, static_cast<int>(available * ReasonShare)));
    int status = StatusWidth;
    const int fileWanted = std::min(FileNameWidth, static_cast<int>(available * FileNameShare));
    int missing = fileWanted - (available - fixed - status - reason);
    const int fromReason = std::clamp(missing, 0, std::max(reason - reasonLeast, 0));
    reason -= fromReason;
    missing -= fromReason;
    status -= std::clamp(missing, 0, std::max(status - statusLeast, 0));
    header->resizeSection(FileListModel::ColStatus, status);
    header->resizeSection(FileListModel::ColReason, reason);
    header->resizeSection(FileListModel::ColFile,
                          std::max(ColumnMinimumWidths[FileListModel::ColFile], available - fixed - status - reason));
  }

  QTreeView* View;
  FileListModel* Model;
  int StatusWidth = 0;
  int ReasonWidth = 0;
  int FileNameWidth = 0;  // the widest file name, with its icon
  QHash<QString, int> Widths;
};

}  // namespace

QString ElidedPath(const QString& path, const QFontMetrics& metrics, int width) {
  if (width <= 0 || metrics.horizontalAdvance(path) <= width) return path;
  const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  const QString left = metrics.elidedText(path, Qt::ElideLeft, width);
  if (left.size() > name.size()) return left;  // the ellipsis and at least the whole name
  return metrics.elidedText(name, Qt::ElideMiddle, width);
}

void TForm1::BuildFileListView(QWidget* page) {
  lview_Files = Named(new QTreeView(page), "lview_Files");
  lview_Files->setModel(FileModel);
  lview_Files->setItemDelegate(new FileColumnDelegate(lview_Files));
  lview_Files->setRootIsDecorated(false);
  lview_Files->setUniformRowHeights(true);
  lview_Files->setItemsExpandable(false);
  lview_Files->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lview_Files->setSelectionBehavior(QAbstractItemView::SelectRows);
  lview_Files->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lview_Files->setMinimumSize(585, 289);
  // The selection stays as visible when the list loses the focus.
  QPalette colours = lview_Files->palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   colours.color(QPalette::Active, QPalette::HighlightedText));
  lview_Files->setPalette(colours);
  SetUpColumns(lview_Files);
  new ColumnSharing(lview_Files, FileModel);
}

}  // namespace tacetix
