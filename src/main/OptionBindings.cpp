// The binding table of the window's option controls and the reading and showing of a row.
#include "main/OptionBindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <cmath>
#include <type_traits>

#include "main/AlignedEdit.h"
#include "main/unit_main.h"
#include "options/RunChoices.h"

namespace tacetix {

#define CHOICE(member) [](RunChoices& c) -> ChoiceField { return &c.member; }

void TForm1::BindOptions() {
  // clang-format off
  OptionBindings = {
      {"link", cbx_Link, CHOICE(Linked), 1, "Cut the end with the Beginning's settings; untick to set the end apart."},
      {"no-trim-begin", cbx_Remove1, CHOICE(Begin.Remove), 1, "Cut the silence at the beginning of each file."},
      {"begin-mode", radio_digital0_1, CHOICE(Begin.DigitalZero), 1, "Only samples of exactly zero count as silence at the beginning."},
      {"begin-mode", radio_other1, CHOICE(Begin.DigitalZero), 0, "Samples below the level on the slider count as silence at the beginning."},
      {"begin", track_Threshold1, CHOICE(Begin.Position), 0, "The beginning's silence level", radio_other1, nullptr, edit_Threshold1},
      {"keep-begin", spin_Keep1, CHOICE(Begin.KeepMs), 0, "Silence kept before the sound (ms)."},
      {"fade-in", spin_Fade1, CHOICE(Begin.FadeMs), 0, "Fade-in over the start of what is kept (ms)."},
      {"no-trim-end", cbx_Remove2, CHOICE(End.Remove), 1, "Cut the silence at the end of each file.", nullptr, nullptr, nullptr, cbx_Remove1},
      {"end-mode", radio_digital0_2, CHOICE(End.DigitalZero), 1, "Only samples of exactly zero count as silence at the end.", nullptr, nullptr, nullptr, radio_digital0_1},
      {"end-mode", radio_other2, CHOICE(End.DigitalZero), 0, "Samples below the level on the slider count as silence at the end.", nullptr, nullptr, nullptr, radio_other1},
      {"end", track_Threshold2, CHOICE(End.Position), 0, "The end's silence level", radio_other2, nullptr, edit_Threshold2, track_Threshold1},
      {"keep-end", spin_Keep2, CHOICE(End.KeepMs), 0, "Silence kept after the sound (ms).", nullptr, nullptr, nullptr, spin_Keep1},
      {"fade-out", spin_Fade2, CHOICE(End.FadeMs), 0, "Fade-out over the end of what is kept (ms).", nullptr, nullptr, nullptr, spin_Fade1},
      {"ignore-clicks", spin_IgnoreClicks, CHOICE(IgnoreClicksMs), 0, "Sound shorter than this (ms) inside the silence is cut with it."},
      {"normalize-to", cbx_Normalize, CHOICE(Normalize), 1, "Scale what is kept so that its peak reaches the level on the slider, or its loudness the level in LUFS below."},
      {"normalize-mode", radio_NormPeak, CHOICE(NormalizeLoudness), 0, "Normalise by the peak: the loudest sample reaches the level on the slider."},
      {"normalize", track_Normalize, CHOICE(NormalizePosition), 0, "The peak level to normalise to", radio_NormPeak, cbx_Normalize, edit_Normalize},
      {"normalize-mode", radio_NormLoudness, CHOICE(NormalizeLoudness), 1, "Normalise by the integrated loudness (EBU R128), with a ceiling for the true peak."},
      {"loudness", spin_Lufs, CHOICE(LoudnessTenths), 0, "The loudness to normalise to (LUFS, 0.1 a step).", radio_NormLoudness, cbx_Normalize},
      {"true-peak", spin_TruePeak, CHOICE(TruePeakTenths), 0, "The highest true peak the gain may reach (dBTP, 0.1 a step); the gain is lowered to meet it.", radio_NormLoudness, cbx_Normalize},
      {"bits", combo_Bits, CHOICE(BitsChoice), 0, "The bit depth of the output files."},
      {"bits-mode", radio_BitsAll, CHOICE(BitsMode), int32_t(BitsModeKind::All), "Convert every file to the chosen bit depth."},
      {"bits-mode", radio_BitsUp, CHOICE(BitsMode), int32_t(BitsModeKind::Up), "Convert only files of a lower bit depth; others keep theirs."},
      {"bits-mode", radio_BitsDown, CHOICE(BitsMode), int32_t(BitsModeKind::Down), "Convert only files of a higher bit depth; others keep theirs."},
      {"dither", combo_Dither, CHOICE(Dither), 0, "Noise added before rounding to fewer bits: off, triangular (1 step) or shaped towards high frequencies."},
      {"format", combo_OutputType, CHOICE(OutputType), 0, "The output files' type: that of each source, WAV, FLAC or AIFF. FLAC holds integers: it excludes the float depths."},
      {"prefix", edit_Prefix, CHOICE(Prefix), 0, "Text put before each output file's name."},
      {"suffix", edit_Suffix, CHOICE(Suffix), 0, "Text put after each output file's name, before its extension."},
      {"folder-mode", radio_FolderSubfolder, CHOICE(FolderMode), int32_t(FolderKind::Subfolder), "Write each output into a subfolder of its source's folder."},
      {"subfolder", edit_FolderSubfolder, CHOICE(SubfolderText), 0, "The subfolder's name (created where missing)."},
      {"folder-mode", radio_FolderOther, CHOICE(FolderMode), int32_t(FolderKind::OtherFolder), "Write every output into one folder."},
      {"output-dir", edit_FolderOther, CHOICE(OtherFolderText), 0, "The folder for every output."},
      {"simulate", cbx_Simulation, CHOICE(Simulation), 1, "Do everything but write wave files and folders; the log tells what would happen."},
      {"logfile", cbx_Logfile, CHOICE(LogEnabled), 1, "Write a log of the run's options and one line of results per file."},
      {"log", edit_Logfile, nullptr, 0, "The log file. A name without a folder goes into the folder of the list's first file."},
      {"create-unchanged", cbx_NoChange, CHOICE(CreateIfUnchanged), 1, "Write an output also for a file in which nothing would change."},
      {"overwrite", cbx_Overwrite, CHOICE(Overwrite), 1, "Replace output files that exist already (never a source file)."},
      {"keep-going", cbx_StopOnError, CHOICE(StopOnError), 1, "Stop the run at the first file that fails."},
      {"keep-metadata", cbx_KeepMetadata, CHOICE(KeepMetadata), 1, "Carry the source's metadata chunks into its output, moved with the cut."}};
  // clang-format on
}

#undef CHOICE

const OptionBinding* TForm1::BindingOf(const QObject* control) const {
  for (const OptionBinding& row : OptionBindings)
    if (row.Control == control) return &row;
  return nullptr;
}

void TForm1::ShowDefaults() {
  RunChoices defaults;
  for (const OptionBinding& row : OptionBindings) ShowChoice(row, defaults);
}

int32_t ControlNumber(const QWidget* control) {
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->isChecked() ? 1 : 0;
  if (auto* slider = qobject_cast<const QSlider*>(control)) return slider->value();
  if (auto* spin = qobject_cast<const QSpinBox*>(control)) return spin->value();
  if (auto* tenths = qobject_cast<const QDoubleSpinBox*>(control))
    return static_cast<int32_t>(std::lround(tenths->value() * 10));
  return static_cast<const QComboBox*>(control)->currentIndex();
}

void ShowNumber(QWidget* control, int32_t number) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setChecked(number != 0);
  } else if (auto* slider = qobject_cast<QSlider*>(control)) {
    // Shown, not moved: the slider's change event must not take it for the user's move, so
    // the mode stays as it is.
    slider->setProperty("Tag", number);
    slider->setValue(number);
  } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
    spin->setValue(number);
  } else if (auto* tenths = qobject_cast<QDoubleSpinBox*>(control)) {
    tenths->setValue(number / 10.0);
  } else {
    static_cast<QComboBox*>(control)->setCurrentIndex(number);
  }
}

// Every text names part of a file's path, so it goes as the file system spells names. Of a
// choice's radios, the checked one sets the field.
void ReadControl(const OptionBinding& row, RunChoices& choices) {
  const auto* radio = qobject_cast<const QRadioButton*>(row.Control);
  if (row.Field == nullptr || (radio != nullptr && !radio->isChecked())) return;
  std::visit(
      [&](auto* field) {
        if constexpr (std::is_same_v<decltype(field), std::string*>)
          *field = QFile::encodeName(static_cast<const QLineEdit*>(row.Control)->text()).toStdString();
        else
          *field = static_cast<std::remove_pointer_t<decltype(field)>>(radio ? row.Value : ControlNumber(row.Control));
      },
      row.Field(choices));
}

// A radio unchecked is no change: its group checks the radio of the field's value.
void ShowChoice(const OptionBinding& row, RunChoices& choices) {
  if (row.Field == nullptr) return;
  std::visit(
      [&](auto* field) {
        if constexpr (std::is_same_v<decltype(field), std::string*>)
          static_cast<QLineEdit*>(row.Control)->setText(QFile::decodeName(field->c_str()));
        else {
          const auto number = static_cast<int32_t>(*field);
          ShowNumber(row.Control, qobject_cast<QRadioButton*>(row.Control) ? number == row.Value : number);
        }
      },
      row.Field(choices));
}

void OnChange(const OptionBinding& row, QObject* receiver, const std::function<void()>& changed) {
  QWidget* control = row.Control;
  if (auto* button = qobject_cast<QAbstractButton*>(control))
    QObject::connect(button, &QAbstractButton::toggled, receiver, changed);
  else if (auto* slider = qobject_cast<QSlider*>(control))
    QObject::connect(slider, &QSlider::valueChanged, receiver, changed);
  else if (auto* spin = qobject_cast<QSpinBox*>(control))
    QObject::connect(spin, &QSpinBox::valueChanged, receiver, changed);
  else if (auto* tenths = qobject_cast<QDoubleSpinBox*>(control))
    QObject::connect(tenths, &QDoubleSpinBox::valueChanged, receiver, changed);
  else if (auto* combo = qobject_cast<QComboBox*>(control))
    QObject::connect(combo, &QComboBox::currentIndexChanged, receiver, changed);
  else QObject::connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, receiver, changed);
}

bool TakesTyping(const QWidget* control) {
  if (auto* edit = qobject_cast<const QLineEdit*>(control)) return !edit->isReadOnly();
  return qobject_cast<const QAbstractSpinBox*>(control) != nullptr ||
         qobject_cast<const QComboBox*>(control) != nullptr;
}

}  // namespace tacetix
