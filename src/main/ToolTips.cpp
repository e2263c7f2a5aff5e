// What each control does, with its unit, shown when the pointer rests on it (an option
// control's text is its binding row's); and why "&Process" cannot start, while it cannot.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "main/unit_main.h"

namespace tacetix {

namespace {

struct Tip {
  QWidget* Control;
  const char* Text;
};

constexpr const char* LinkedNote = " With Link ticked, the Beginning's value holds for the end too.";

}  // namespace

void TForm1::SetToolTips() {
  // A level's slider and its text name the unit; the beginning's ms spins hold for the end too
  // while linked, and the end's show them then.
  const QString level = QStringLiteral(" (dBfs, 0.1 dB a step).");
  for (const OptionBinding& row : OptionBindings) {
    QString tip = QString::fromUtf8(row.Tip);
    if (qobject_cast<QSlider*>(row.Control)) tip += level;
    if (qobject_cast<QSpinBox*>(row.Control)) tip += QString::fromLatin1(LinkedNote);
    row.Control->setToolTip(tip);
    row.Control->setProperty("OnTip", tip);
    if (row.Level != nullptr) row.Level->setToolTip(tip);
  }
  UpdateLiveControls();
  const Tip tips[] = {
      {bt_FolderOther, "Choose the folder for every output."},
      {bt_LogOptions, "What the log holds and its separators."},
      {bt_LogBrowse, "Choose the log file."},
      {bt_Add, "Add wave files to the list (A)."},
      {bt_AddFolder, "Add every wave file in a folder and its subfolders (O)."},
      {bt_Preview, "Show the current file's waveform and what the run would cut (V, or a double-click)."},
      {bt_NotAdded, "Which files the last add refused, and why."}};
  for (const Tip& tip : tips) tip.Control->setToolTip(QString::fromUtf8(tip.Text));
}

void TForm1::UpdateLiveControls() {
  for (const OptionBinding& row : OptionBindings) {
    if (!row.Live) continue;
    const bool live = row.Live();
    row.Control->setEnabled(live);
    for (QLabel* label : row.Control->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
      if (label->buddy() == row.Control) label->setEnabled(live);
    if (row.OffTip != nullptr)
      row.Control->setToolTip(live ? row.Control->property("OnTip").toString() : QString::fromUtf8(row.OffTip));
  }
}

void TForm1::UpdateProcessTip(bool idle, int rows, bool named, bool notASubfolder) {
  QString tip = QStringLiteral("Process every file of the list (P).");
  if (!idle) tip = QStringLiteral("Busy: wait for the running operation or cancel it.");
  else if (rows < 1) tip = QStringLiteral("No files: add some on the page \"Input\".");
  else if (!named)
    tip = QStringLiteral("No output name: give a prefix, a suffix, a subfolder or another folder on the page "
                         "\"Output\", or the outputs would replace their sources.");
  else if (notASubfolder)
    tip = QStringLiteral("The subfolder \".\" or \"..\" is no subfolder: the outputs would land beside the sources.");
  bt_Process->setToolTip(tip);
}

}  // namespace tacetix
