// Small helpers of the window: path ordering, the sorted search, the closing messages,
// the name-field cleaning and the folder browser.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tacetix {

// True where the platform's file names differ by letter case (Linux), so two paths
// that differ only in case name two files.
bool FileNamesCaseSensitive();

// Orders paths case-insensitively; where names are case-sensitive, paths equal but for
// case are ordered case-sensitively after that, so they stay distinct and sorted.
int ComparePaths(const QString& a, const QString& b, bool caseSensitive);

// Bisection over entries 0..upper of a list sorted by ComparePaths; the index of an
// entry equal to text, or -1.
int FindInSorted(const QStringList& sorted, const QString& text, int upper, bool caseSensitive);

// "3 files added", "1 file deleted": count, " file", "s" unless exactly 1, " ", verb.
QString CountText(int count, const QString& verb);

// a..z become A..Z; every other character, accented letters included, stays as it is.
QChar UpperAscii(QChar character);

// The text without any of the nine characters a file name cannot hold: \ / | " : * ? < >
QString StripInvalidChars(const QString& text);

// The text without characters of code 0..31 (line breaks, tabs and other controls).
QString StripControlChars(const QString& text);

// The text without leading (or trailing) characters of code 0..32: blanks and controls.
QString TrimLeadingControls(const QString& text);
QString TrimTrailingControls(const QString& text);

// The desktop's folder chooser, "Select output folder...", starting at path. Only a
// folder with a file-system path can be confirmed; true and path set when one was.
bool BrowseFolder(QWidget* owner, QString& path);

}  // namespace tacetix
