// Tacetix, the desktop program: the application, the main window and its two dialogs.
// Files named on the command line (tacetix a.wav b.wav) are added as if dropped on the window.
#include <QApplication>
#include <QIcon>
#include <csignal>
#include <iostream>

#include "main/StartupFiles.h"
#include "main/WindowlessAnswers.h"
#include "main/unit_About.h"
#include "main/unit_LogOptions.h"
#include "main/unit_main.h"

int main(int argc, char* argv[]) {
  if (tacetix::AnswerWithoutWindow(std::vector<std::string>(argv + 1, argv + argc), std::cout)) return 0;
  // A file size limit (ulimit -f) fails the write that reaches it instead of killing the
  // window: that file ends in an I/O error and the run goes on.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication application(argc, argv);
  // Lets the desktop match the window to its entry and icon (org.tacetix.Tacetix.desktop).
  QApplication::setDesktopFileName(QStringLiteral("org.tacetix.Tacetix"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tacetix.Tacetix")));
  TForm1 form;
  // Created once and kept hidden: the log options keep their user-defined separator
  // between showings, and About only ever comes to the front. As the window's children
  // they open centred over it and go with it.
  auto* about = new Tfrm_About(&form);
  auto* logOptions = new Tfrm_LogOptions(&form);
  form.SetDialogs(about, logOptions);
  form.show();
  tacetix::AddCommandLineFiles(form, QApplication::arguments());
  return QApplication::exec();
}
