// Tacetix, the desktop program: the application, the main window and its two dialogs.
#include <QApplication>

#include "main/unit_main.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  TForm1 form;
  // The About and log options dialogs are created here, hidden, and wired through
  // form.OnAbout and form.OnLogOptions once they exist.
  form.show();
  return application.exec();
}
