// Files named on the window's command line, as the desktop entry passes them (%F).
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace tacetix {

class TForm1;

// The file arguments (every argument after the program's name that Qt left) as a drop of
// them carries them: local file URLs with absolute paths. An empty argument stays an empty
// URL, which the drop skips like a name the shell did not give.
QList<QUrl> CommandLineFiles(const QStringList& arguments);

// Adds those files as a drop of them is added (same refusals, same closing message), in the
// order named, from the event loop, so once the window is shown. No file arguments, nothing happens.
void AddCommandLineFiles(TForm1& form, const QStringList& arguments);

}  // namespace tacetix
