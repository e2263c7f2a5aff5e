#include "main/unit_tools1.h"

#include <QFileDialog>
#include <QUrl>

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

QChar UpperAscii(QChar character) {
  const char16_t code = character.unicode();
  return code >= u'a' && code <= u'z' ? QChar(static_cast<char16_t>(code - 32)) : character;
}

QString StripInvalidChars(const QString& text) {
  QString clean = text;
  for (const QChar refused : QStringLiteral("\\/|\":*?<>")) clean.remove(refused);
  return clean;
}

QString StripControlChars(const QString& text) {
  QString clean = text;
  clean.removeIf([](QChar character) { return character.unicode() < 32; });
  return clean;
}

namespace {

bool IsBlankOrControl(QChar character) { return character.unicode() <= 32; }

}  // namespace

QString TrimLeadingControls(const QString& text) {
  qsizetype first = 0;
  while (first < text.size() && IsBlankOrControl(text[first])) ++first;
  return text.mid(first);
}

QString TrimTrailingControls(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && IsBlankOrControl(text[end - 1])) --end;
  return text.left(end);
}

bool BrowseFolder(QWidget* owner, QString& path) {
  // Asked for a URL limited to file: so that a virtual place (a network share the desktop
  // only knows by URL, a trash folder) cannot be confirmed.
  const QUrl chosen = QFileDialog::getExistingDirectoryUrl(owner, QStringLiteral("Select output folder..."),
                                                           QUrl::fromLocalFile(path), QFileDialog::ShowDirsOnly,
                                                           {QStringLiteral("file")});
  if (chosen.isEmpty() || !chosen.isLocalFile() || chosen.toLocalFile().isEmpty()) return false;
  path = chosen.toLocalFile();
  return true;
}

}  // namespace tacetix
