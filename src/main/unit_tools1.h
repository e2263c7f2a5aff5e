// Small helpers of the window: path ordering, the sorted search and the closing messages.
#pragma once

#include <QString>
#include <QStringList>

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

}  // namespace tacetix
