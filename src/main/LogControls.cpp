// The log controls of the "Output" page, the log options and About dialogs, and the
// desktop's dialogs the window opens (chooser and message box defaults).
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "main/RunInWindow.h"
#include "main/unit_About.h"
#include "main/unit_LogOptions.h"
#include "main/unit_main.h"
#include "main/unit_tools1.h"

namespace tacetix {

namespace {

bool RunLogFileDialog(QWidget* owner, QString& path) {
  QFileDialog dialog(owner, QStringLiteral("Logfile..."));
  dialog.setObjectName(QStringLiteral("opendlg_Log"));
  // An open dialog that takes any name: a new log file may be typed, and choosing an
  // existing one asks nothing, as the run will overwrite it anyway.
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("log"));
  dialog.setNameFilters(
      {QStringLiteral("Logfiles (*.log)"), QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*.*)")});
  dialog.setFilter(dialog.filter() | QDir::Hidden);
  dialog.setSizeGripEnabled(true);
  if (QFileInfo(path).isDir()) dialog.setDirectory(path);
  else if (!path.isEmpty()) dialog.selectFile(path);
  // The file may be new, its folder may not: a mistyped folder would only show at the
  // next run. The dialog comes back until the name is usable or the user cancels.
  for (;;) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.isEmpty()) return false;
    const QFileInfo file(chosen);
    if (file.absoluteDir().exists()) {
      path = chosen;
      return true;
    }
    QMessageBox::warning(&dialog, dialog.windowTitle(),
                         QStringLiteral("%1\nFolder not found.\nPlease verify the correct folder name was given.")
                             .arg(QDir::toNativeSeparators(file.absolutePath())));
    // The name stays in the dialog as typed: handed back as a path of a folder that does not
    // exist, the dialog would drop its leading "/" and join it to its own folder next time.
  }
}

}  // namespace

void TForm1::InstallDefaultDialogs() {
  ChooseOutputFolder = [this](QString& path) { return BrowseFolder(this, path); };
  ChooseLogFile = [this](QString& path) { return RunLogFileDialog(this, path); };
  ShowInternalError = [this](const QString& text) {
    QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, this);
    box.exec();
  };
}

void TForm1::SetDialogs(Tfrm_About* about, Tfrm_LogOptions* logOptions) {
  AboutDialog = about;
  LogOptionsDialog = logOptions;
}

void TForm1::bt_AboutClick() {
  if (bt_About->isEnabled() && AboutDialog) AboutDialog->ShowAbout();
}

void TForm1::bt_LogOptionsClick() {
  if (!bt_LogOptions->isEnabled() || !LogOptionsDialog) return;
  RunLogOptions(*LogOptionsDialog, LogSettings);
}

void TForm1::bt_LogBrowseClick() {
  // The dialog starts where the run would write the log: a bare name goes beside the first file.
  const QStringList files = FileModel->Paths();
  QString path = LogPathFor(edit_Logfile->text(), files);
  if (path.isEmpty() && !files.isEmpty()) path = QFileInfo(files.constFirst()).absolutePath();
  if (ChooseLogFile(path)) edit_Logfile->setText(path);
}

void TForm1::edit_LogfileChange() { cbx_Logfile->setChecked(!edit_Logfile->text().isEmpty()); }

void TForm1::cbx_LogfileClick() {
  // A simulation writes nothing but its log, so it cannot go on without one.
  if (!cbx_Logfile->isChecked()) cbx_Simulation->setChecked(false);
}

void TForm1::cbx_SimulationClick() {
  if (cbx_Simulation->isChecked()) cbx_Logfile->setChecked(true);
}

void TForm1::ConnectLogControls() {
  connect(edit_Logfile, &QLineEdit::textChanged, this, [this] { edit_LogfileChange(); });
  connect(cbx_Logfile, &QCheckBox::toggled, this, [this] { cbx_LogfileClick(); });
  connect(cbx_Simulation, &QCheckBox::toggled, this, [this] { cbx_SimulationClick(); });
}

}  // namespace tacetix
