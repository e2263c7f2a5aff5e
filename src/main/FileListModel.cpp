#include "main/FileListModel.h"

#include <QApplication>
#include <QCollator>
#include <QCollatorSortKey>
#include <QStyle>
#include <algorithm>
#include <numeric>

namespace tacetix {

namespace {

const char* const HeaderCaptions[FileListModel::ColumnCount] = {"File",   "Bits",   "Hz",    "Channels",
                                                                "Length", "Status", "Reason"};

const QString& TextKey(const FileRow& row, int column) {
  if (column == FileListModel::ColFile) return row.Path;
  if (column == FileListModel::ColReason) return row.StatusReason;
  return row.Status;
}

// Lengths compare as numbers: past 99 hours the text has more digits.
int64_t NumberKey(const FileRow& row, int column) {
  if (column == FileListModel::ColLength) return row.LengthMs;
  if (column == FileListModel::ColBits) return row.Bits;
  if (column == FileListModel::ColHz) return row.Hz;
  return row.Channels;
}

// The permutation that puts rows in comparer order. Text columns compare through
// collation keys built once per row, which keeps a 10,000-row sort far below a second.
std::vector<int> SortedOrder(const std::vector<FileRow>& rows, int comparer) {
  const int column = comparer / 2;
  const bool descending = (comparer % 2) == 1;
  std::vector<int> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  const bool numeric = column == FileListModel::ColBits || column == FileListModel::ColHz ||
                       column == FileListModel::ColChannels || column == FileListModel::ColLength;
  if (numeric) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const int64_t x = NumberKey(rows[a], column), y = NumberKey(rows[b], column);
      return descending ? y < x : x < y;
    });
    return order;
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  // Qt's collator ignores the case setting in the C locale; fold the case by hand there.
  if (collator.locale().language() == QLocale::C) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const int cmp = QString::compare(TextKey(rows[a], column), TextKey(rows[b], column), Qt::CaseInsensitive);
      return descending ? cmp > 0 : cmp < 0;
    });
    return order;
  }
  std::vector<QCollatorSortKey> keys;
  keys.reserve(rows.size());
  for (const FileRow& row : rows) keys.push_back(collator.sortKey(TextKey(row, column)));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const int cmp = keys[a].compare(keys[b]);
    return descending ? cmp > 0 : cmp < 0;
  });
  return order;
}

}  // namespace

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent), RowIcon(QApplication::style()->standardIcon(QStyle::SP_FileIcon)) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const FileRow& row = Rows[static_cast<size_t>(index.row())];
  if (role == Qt::DecorationRole && index.column() == ColFile) return RowIcon;
  // Narrow columns cut paths and the longer status words; the tooltip shows them whole,
  // the status with the reason it was given.
  if (role == Qt::ToolTipRole) {
    if (index.column() == ColFile) return row.Path;
    if (index.column() == ColReason) return row.StatusReason.isEmpty() ? QVariant() : row.StatusReason;
    if (index.column() != ColStatus) return {};
    return row.StatusReason.isEmpty() ? row.Status : row.Status + QStringLiteral(" (") + row.StatusReason + ')';
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case ColFile: return row.Path;
    case ColBits: return QString::number(row.Bits);
    case ColHz: return QString::number(row.Hz);
    case ColChannels: return QString::number(row.Channels);
    case ColLength: return row.Length;
    case ColReason: return row.StatusReason;
    default: return row.Status;
  }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) {
    return {};
  }
  return QString::fromLatin1(HeaderCaptions[section]);
}

void FileListModel::AppendRows(std::vector<FileRow>&& rows) {
  if (rows.empty()) return;
  const int first = rowCount();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
  Rows.insert(Rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  endInsertRows();
  rows.clear();
}

void FileListModel::RemoveRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  beginRemoveRows(QModelIndex(), row, row);
  Rows.erase(Rows.begin() + row);
  endRemoveRows();
}

void FileListModel::MovePersistentRows(const std::vector<int>& newPlace) {
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before) {
    const int place = newPlace[static_cast<size_t>(old.row())];
    after.append(place < 0 ? QModelIndex() : index(place, old.column()));
  }
  changePersistentIndexList(before, after);
}

void FileListModel::RemoveRows(const std::vector<int>& rows) {
  std::vector<int> newPlace(Rows.size(), 0);
  for (int row : rows) {
    if (row >= 0 && row < rowCount()) newPlace[static_cast<size_t>(row)] = -1;
  }
  if (std::find(newPlace.begin(), newPlace.end(), -1) == newPlace.end()) return;
  // One layout change for the whole batch: a removal notice per row or per range makes
  // the view lay out every row again each time, which is what made big deletes slow.
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  int kept = 0;
  for (size_t i = 0; i < Rows.size(); ++i) {
    if (newPlace[i] < 0) continue;
    newPlace[i] = kept;
    if (static_cast<int>(i) != kept) Rows[static_cast<size_t>(kept)] = std::move(Rows[i]);
    ++kept;
  }
  Rows.resize(static_cast<size_t>(kept));
  MovePersistentRows(newPlace);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QStringList FileListModel::Paths() const {
  QStringList paths;
  paths.reserve(rowCount());
  for (const FileRow& row : Rows) paths.append(row.Path);
  return paths;
}

void FileListModel::SetStatus(int row, const QString& word) {
  if (row < 0 || row >= rowCount()) return;
  Rows[static_cast<size_t>(row)].Status = word;
  Rows[static_cast<size_t>(row)].StatusReason.clear();
  emit dataChanged(index(row, ColStatus), index(row, ColReason), {Qt::DisplayRole, Qt::ToolTipRole});
}

void FileListModel::SetStatusReason(int row, const QString& reason) {
  if (row < 0 || row >= rowCount()) return;
  Rows[static_cast<size_t>(row)].StatusReason = reason;
  emit dataChanged(index(row, ColStatus), index(row, ColReason), {Qt::DisplayRole, Qt::ToolTipRole});
}

void FileListModel::SetAllStatuses(const QString& word) {
  if (Rows.empty()) return;
  for (FileRow& row : Rows) {
    row.Status = word;
    row.StatusReason.clear();
  }
  emit dataChanged(index(0, ColStatus), index(rowCount() - 1, ColReason), {Qt::DisplayRole});
}

QString FileListModel::RowsAsText(const std::vector<int>& rows) const {
  QString text;
  for (int row : rows) {
    if (row < 0 || row >= rowCount()) continue;
    const FileRow& r = Rows[static_cast<size_t>(row)];
    text += r.Path + QLatin1Char('\t') + r.Status + QLatin1Char('\t') + r.StatusReason + QLatin1Char('\n');
  }
  return text;
}

void FileListModel::SortBy(int comparer) {
  if (comparer < 0 || comparer >= ComparerCount || Rows.size() < 2) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<int> order = SortedOrder(Rows, comparer);
  std::vector<int> newPlace(order.size());
  std::vector<FileRow> sorted;
  sorted.reserve(Rows.size());
  for (size_t i = 0; i < order.size(); ++i) {
    newPlace[static_cast<size_t>(order[i])] = static_cast<int>(i);
    sorted.push_back(std::move(Rows[static_cast<size_t>(order[i])]));
  }
  Rows = std::move(sorted);
  MovePersistentRows(newPlace);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tacetix
