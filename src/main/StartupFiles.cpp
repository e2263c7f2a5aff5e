// The window's command line: the files it names join the list as a drop of them would.
#include "main/StartupFiles.h"

#include <QFileInfo>
#include <QTimer>

#include "main/unit_main.h"

namespace tacetix {

QList<QUrl> CommandLineFiles(const QStringList& arguments) {
  QList<QUrl> urls;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    urls.append(argument.isEmpty() ? QUrl() : QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath()));
  }
  return urls;
}

void AddCommandLineFiles(TForm1& form, const QStringList& arguments) {
  const QList<QUrl> urls = CommandLineFiles(arguments);
  if (urls.isEmpty()) return;
  QTimer::singleShot(0, &form, [&form, urls] { form.DropFiles(urls, true); });
}

}  // namespace tacetix
