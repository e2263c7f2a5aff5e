// What each option control does, with its unit, shown when the pointer rests on it; and
// why "&Process" cannot start, while it cannot.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include "main/AlignedEdit.h"
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
  const QString level = QStringLiteral(" (dBfs, 0.1 dB a step).");
  // clang-format off
  const Tip tips[] = {
      {cbx_Link, "Cut the end with the Beginning's settings; untick to set the end apart."},
      {cbx_Remove1, "Cut the silence at the beginning of each file."},
      {radio_digital0_1, "Only samples of exactly zero count as silence at the beginning."},
      {radio_other1, "Samples below the level on the slider count as silence at the beginning."},
      {edit_Threshold1, "The beginning's silence level"},
      {track_Threshold1, "The beginning's silence level"},
      {cbx_Remove2, "Cut the silence at the end of each file."},
      {radio_digital0_2, "Only samples of exactly zero count as silence at the end."},
      {radio_other2, "Samples below the level on the slider count as silence at the end."},
      {edit_Threshold2, "The end's silence level"},
      {track_Threshold2, "The end's silence level"},
      {cbx_Normalize, "Scale what is kept so that its peak reaches the level on the slider."},
      {edit_Normalize, "The peak level to normalise to"},
      {track_Normalize, "The peak level to normalise to"},
      {radio_NormPeak, "Normalise by the peak: the loudest sample reaches the level on the slider."},
      {radio_NormLoudness, "Normalise by the integrated loudness (EBU R128), with a ceiling for the true peak."},
      {spin_Lufs, "The loudness to normalise to (LUFS, 0.1 a step)."},
      {spin_TruePeak, "The highest true peak the gain may reach (dBTP, 0.1 a step); the gain is lowered to meet it."},
      {combo_Bits, "The bit depth of the output files."},
      {radio_BitsAll, "Convert every file to the chosen bit depth."},
      {radio_BitsUp, "Convert only files of a lower bit depth; others keep theirs."},
      {radio_BitsDown, "Convert only files of a higher bit depth; others keep theirs."},
      {combo_Dither, "Noise added before rounding to fewer bits: off, triangular (1 step) or shaped towards high frequencies."},
      {edit_Prefix, "Text put before each output file's name."},
      {edit_Suffix, "Text put after each output file's name, before \".wav\"."},
      {radio_FolderSubfolder, "Write each output into a subfolder of its source's folder."},
      {edit_FolderSubfolder, "The subfolder's name (created where missing)."},
      {radio_FolderOther, "Write every output into one folder."},
      {bt_FolderOther, "Choose the folder for every output."},
      {edit_FolderOther, "The folder for every output."},
      {cbx_Simulation, "Do everything but write wave files and folders; the log tells what would happen."},
      {cbx_Logfile, "Write a log of the run's options and one line of results per file."},
      {bt_LogOptions, "What the log holds and its separators."},
      {bt_LogBrowse, "Choose the log file."},
      {edit_Logfile, "The log file. A name without a folder goes into the folder of the list's first file."},
      {cbx_NoChange, "Write an output also for a file in which nothing would change."},
      {cbx_Overwrite, "Replace output files that exist already (never a source file)."},
      {cbx_StopOnError, "Stop the run at the first file that fails."},
      {cbx_KeepMetadata, "Carry the source's metadata chunks into its output, moved with the cut."},
      {bt_Add, "Add wave files to the list (A)."},
      {bt_AddFolder, "Add every wave file in a folder and its subfolders (O)."},
      {bt_Preview, "Show the current file's waveform and what the run would cut (V, or a double-click)."},
      {bt_NotAdded, "Which files the last add refused, and why."}};
  // clang-format on
  for (const Tip& tip : tips) tip.Control->setToolTip(QString::fromUtf8(tip.Text));
  for (QWidget* slider : {static_cast<QWidget*>(edit_Threshold1), static_cast<QWidget*>(track_Threshold1),
                          static_cast<QWidget*>(edit_Threshold2), static_cast<QWidget*>(track_Threshold2),
                          static_cast<QWidget*>(edit_Normalize), static_cast<QWidget*>(track_Normalize)})
    slider->setToolTip(slider->toolTip() + level);
  const Tip cuts[] = {{spin_Keep1, "Silence kept before the sound (ms)."},
                      {spin_Fade1, "Fade-in over the start of what is kept (ms)."},
                      {spin_Keep2, "Silence kept after the sound (ms)."},
                      {spin_Fade2, "Fade-out over the end of what is kept (ms)."},
                      {spin_IgnoreClicks, "Sound shorter than this (ms) inside the silence is cut with it."}};
  for (const Tip& tip : cuts) tip.Control->setToolTip(QString::fromUtf8(tip.Text) + QString::fromLatin1(LinkedNote));
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
