// The "Processing" page and the bit-depth group: level texts, the mode a level or target
// selects when it really changes, the link and remove rules and the conversion radio rule.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QTimer>
#include <vector>

#include "main/AlignedEdit.h"
#include "main/unit_main.h"
#include "options/ProcessSettings.h"

namespace tacetix {

namespace {

void EnableAll(std::initializer_list<QWidget*> controls, bool enabled) {
  for (QWidget* control : controls) control->setEnabled(enabled);
}

}  // namespace

void TForm1::LevelSliderChange(const OptionBinding& row) {
  auto* track = static_cast<QSlider*>(row.Control);
  const int position = track->value();
  row.Level->setText(QString::fromStdString(SliderText(position)));
  // A change event that finds the slider where it was must not undo a later choice of
  // "-inf (digital zero)", of "loudness" or an unticked "&Normalize to".
  if (position == track->property("Tag").toInt()) return;
  SelectOwnMode(row);
  track->setProperty("Tag", position);
}

void TForm1::SelectOwnMode(const OptionBinding& row) {
  if (row.Mode != nullptr) row.Mode->setChecked(true);
  if (row.Box != nullptr) row.Box->setChecked(true);
}

void TForm1::track_Threshold1Change() { LevelSliderChange(*BindingOf(track_Threshold1)); }

void TForm1::track_Threshold2Change() { LevelSliderChange(*BindingOf(track_Threshold2)); }

void TForm1::track_NormalizeChange() { LevelSliderChange(*BindingOf(track_Normalize)); }

void TForm1::UpdateSliderValues() {
  track_Threshold1Change();
  track_Threshold2Change();
  track_NormalizeChange();
  cbx_Remove1Click();
  cbx_Remove2Click();
  cbx_LinkClick();
  UpdateLiveControls();
}

// Linked, the end's controls show the beginning's choices, which the run uses; the end's own
// wait in each control's "Own" and come back on unlinking.
void TForm1::MirrorEndWhileLinked() {
  const bool linked = cbx_Link->isChecked();
  std::vector<const OptionBinding*> ends;
  for (const OptionBinding& row : OptionBindings)
    if (row.Follows != nullptr) ends.push_back(&row);
  // All kept before any is shown: checking one radio unchecks its partner.
  for (const OptionBinding* end : ends)
    if (linked && !end->Control->property("Mirrored").toBool())
      end->Control->setProperty("Own", ControlNumber(end->Control));
  ShowingEnd = true;
  for (const OptionBinding* end : ends) {
    const bool mirrored = end->Control->property("Mirrored").toBool();
    end->Control->setProperty("Mirrored", linked);
    if (linked) ShowNumber(end->Control, ControlNumber(end->Follows));
    else if (mirrored) ShowNumber(end->Control, end->Control->property("Own").toInt());
  }
  ShowingEnd = false;
}

void TForm1::cbx_LinkClick() {
  const bool linked = cbx_Link->isChecked();
  MirrorEndWhileLinked();
  gbox_End->setEnabled(!linked);
  if (!linked) {
    cbx_Remove2->setEnabled(true);
    cbx_Remove2Click();
    return;
  }
  // Disabled, not reset: unlinking again brings back the end's own choices.
  EnableAll({cbx_Remove2, lab_Threshold2, radio_digital0_2, radio_other2, edit_Threshold2, track_Threshold2}, false);
}

void TForm1::cbx_Remove1Click() {
  EnableAll({lab_Threshold1, radio_digital0_1, radio_other1, edit_Threshold1, track_Threshold1},
            cbx_Remove1->isChecked());
}

void TForm1::cbx_Remove2Click() {
  EnableAll({lab_Threshold2, radio_digital0_2, radio_other2, edit_Threshold2, track_Threshold2},
            cbx_Remove2->isChecked());
}

void TForm1::UpdateRadioBits() {
  const int choice = combo_Bits->currentIndex();
  radio_BitsAll->setEnabled(choice != 0);
  const bool directional = choice >= 0 && choice < static_cast<int>(BitDepthChoices.size()) &&
                           BitDepthChoices[static_cast<size_t>(choice)].ModesApply();
  radio_BitsUp->setEnabled(directional);
  radio_BitsDown->setEnabled(directional);
}

// FLAC holds integers: while it is the type, the float depths cannot be chosen, and while a
// float depth is chosen, FLAC cannot.
void TForm1::ExcludeFloatFlac() {
  auto* depths = qobject_cast<QStandardItemModel*>(combo_Bits->model());
  auto* types = qobject_cast<QStandardItemModel*>(combo_OutputType->model());
  if (!depths || !types) return;
  const bool flac = combo_OutputType->currentIndex() == static_cast<int>(OutputKind::Flac);
  const int bits = combo_Bits->currentIndex();
  const bool floatDepth = bits > 0 && bits < static_cast<int>(BitDepthChoices.size()) &&
                          BitDepthChoices[static_cast<size_t>(bits)].Samples == TargetSamples::Float;
  for (size_t i = 0; i < BitDepthChoices.size(); ++i)
    if (BitDepthChoices[i].Samples == TargetSamples::Float) depths->item(static_cast<int>(i))->setEnabled(!flac);
  types->item(static_cast<int>(OutputKind::Flac))->setEnabled(!floatDepth);
}

void TForm1::ConnectOptionHandlers() {
  for (const OptionBinding& row : OptionBindings) {
    if (row.Level != nullptr) OnChange(row, this, [this, &row] { LevelSliderChange(row); });
    else if (row.Mode != nullptr) OnChange(row, this, [this, &row] { SelectOwnMode(row); });
  }
  // toggled, not clicked: a toggle by program or by key runs the rule as a click does.
  connect(cbx_Link, &QCheckBox::toggled, this, [this] { cbx_LinkClick(); });
  connect(cbx_Remove1, &QCheckBox::toggled, this, [this] { cbx_Remove1Click(); });
  connect(cbx_Remove2, &QCheckBox::toggled, this, [this] { cbx_Remove2Click(); });
  connect(combo_Bits, &QComboBox::currentIndexChanged, this, [this] { UpdateRadioBits(); });
  connect(combo_Bits, &QComboBox::currentIndexChanged, this, [this] { ExcludeFloatFlac(); });
  connect(combo_OutputType, &QComboBox::currentIndexChanged, this, [this] { ExcludeFloatFlac(); });
  auto showLinkedEnd = [this] {
    if (cbx_Link->isChecked()) cbx_LinkClick();
  };
  for (const OptionBinding& row : OptionBindings) {
    if (row.Follows == nullptr) continue;
    // Linked, what the beginning shows the end shows too.
    OnChange(*BindingOf(row.Follows), this, showLinkedEnd);
    // An end control set by the program while linked sets the end's own choice; the end goes
    // on showing the beginning's once the change is through.
    OnChange(row, this, [this, &row, showLinkedEnd] {
      if (!row.Control->property("Mirrored").toBool() || ShowingEnd) return;
      row.Control->setProperty("Own", ControlNumber(row.Control));
      QTimer::singleShot(0, this, showLinkedEnd);
    });
  }
  for (const OptionBinding& row : OptionBindings) OnChange(row, this, [this] { UpdateLiveControls(); });
  UpdateLiveControls();
  ConnectNameFields();
  ConnectLogControls();
}

}  // namespace tacetix
