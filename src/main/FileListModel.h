// The rows of lview_Files: one wave file each, with the format its analysis found.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "run/RowStatus.h"

namespace tacetix {

// A row's status as its Status cell shows it.
inline QString RowWord(RowStatus status) { return QString::fromStdString(StatusWord(status)); }

struct FileRow {
  QString Path;  // the caption: the full path exactly as received
  uint32_t Bits = 0;
  uint32_t Hz = 0;
  uint32_t Channels = 0;
  QString Length;
  int64_t LengthMs = -1;  // the length as a number, for sorting; -1 when unknown
  QString Status = RowWord(RowStatus::NotStarted);
  QString StatusReason;  // why the row ended in its word: the Reason cell, and the Status cell's tooltip
};

class FileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { ColFile, ColBits, ColHz, ColChannels, ColLength, ColStatus, ColReason, ColumnCount };

  explicit FileListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Appends rows with one insertion notice for the whole batch.
  void AppendRows(std::vector<FileRow>&& rows);
  void RemoveRow(int row);
  // Removes the rows at these indexes in one change; a removed row's selection and
  // current mark go with it, the other rows keep theirs.
  void RemoveRows(const std::vector<int>& rows);
  const FileRow& Row(int row) const { return Rows[static_cast<size_t>(row)]; }
  QStringList Paths() const;
  // A new word drops the reason of the old one.
  void SetStatus(int row, const QString& word);
  void SetStatusReason(int row, const QString& reason);
  // One change notice for the whole Status column.
  void SetAllStatuses(const QString& word);
  // Path, status and reason of each row, tab-separated, a line each: what Ctrl+C copies.
  QString RowsAsText(const std::vector<int>& rows) const;
  // Reorders by comparer entry 2c + d (column c, d = 1 descending); selections follow their rows.
  void SortBy(int comparer);

  static constexpr int ComparerCount = 2 * ColumnCount;

 private:
  // Persistent indexes (selection, current row) follow their rows to newPlace[old row];
  // -1 drops them.
  void MovePersistentRows(const std::vector<int>& newPlace);

  std::vector<FileRow> Rows;
  QIcon RowIcon;
};

}  // namespace tacetix
