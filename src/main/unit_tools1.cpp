#include "main/unit_tools1.h"

namespace tacetix {

bool FileNamesCaseSensitive() {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
  return false;
#else
  return true;
#endif
}

int ComparePaths(const QString& a, const QString& b, bool caseSensitive) {
  const int folded = QString::compare(a, b, Qt::CaseInsensitive);
  if (folded != 0 || !caseSensitive) return folded;
  return QString::compare(a, b, Qt::CaseSensitive);
}

int FindInSorted(const QStringList& sorted, const QString& text, int upper, bool caseSensitive) {
  int low = 0;
  int high = upper;
  while (low <= high) {
    const int middle = (low + high) / 2;
    const int order = ComparePaths(text, sorted[middle], caseSensitive);
    if (order == 0) return middle;
    if (order < 0) {
      high = middle - 1;
    } else {
      low = middle + 1;
    }
  }
  return -1;
}

QString CountText(int count, const QString& verb) {
  return QString::number(count) + (count == 1 ? QStringLiteral(" file ") : QStringLiteral(" files ")) + verb;
}

}  // namespace tacetix
