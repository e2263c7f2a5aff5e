// How the file list shows a path that is wider than its cell.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace tacetix {

// The path within width pixels: the folder goes first ("…/take 01 (rough).wav"), and a file
// name that does not fit alone loses its middle ("take 0…ugh).wav"), so that rows of one folder
// that differ anywhere in their names stay apart.
QString ElidedPath(const QString& path, const QFontMetrics& metrics, int width);

}  // namespace tacetix
