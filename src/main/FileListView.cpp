// How lview_Files looks: its columns and their smallest widths, paths cut at the left
// so that the file name stays in sight, and a sort arrow that points up for ascending.
#include <QApplication>
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

constexpr int ColumnWidths[FileListModel::ColumnCount] = {235, 60, 55, 85, 75, 70};
constexpr int ColumnMinimumWidths[FileListModel::ColumnCount] = {50, 30, 30, 50, 50, 50};

// Rows of one folder differ only at the end of their paths; a cut at the right would
// make them all look alike.
class FileColumnDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == FileListModel::ColFile) option->textElideMode = Qt::ElideLeft;
  }
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
  // Status takes the rest, so that its longer words stay readable.
  header->setStretchLastSection(true);
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
  // The widths are a floor: a wider font must not cut the length text.
  const char* widest[FileListModel::ColumnCount] = {"", "Bits", "44100", "Channels", "00:00:00.000", "Status"};
  for (int c = 0; c < FileListModel::ColumnCount; ++c) {
    const int textWidth = view->fontMetrics().horizontalAdvance(QString::fromLatin1(widest[c])) + 24;
    header->resizeSection(c, std::max(ColumnWidths[c], textWidth));
  }
}

}  // namespace

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
}

}  // namespace tacetix
