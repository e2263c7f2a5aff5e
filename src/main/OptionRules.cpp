// The "Processing" page and the bit-depth group: level texts, the selection of "other"
// or "&Normalize to" when a slider really moves, the link and remove rules and the
// conversion radio rule.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <string_view>

#include "batch/ProcessSettings.h"
#include "main/AlignedEdit.h"
#include "main/unit_main.h"

namespace tacetix {

namespace {

void EnableAll(std::initializer_list<QWidget*> controls, bool enabled) {
  for (QWidget* control : controls) control->setEnabled(enabled);
}

}  // namespace

void TForm1::LevelSliderChange(QSlider* track, QLineEdit* levelText, QAbstractButton* selectOnMove) {
  const int position = track->value();
  levelText->setText(QString::fromStdString(SliderText(position)));
  // A change event that finds the slider where it was must not undo a later choice of
  // "-inf (digital zero)" or an unticked "&Normalize to".
  if (position == track->property("Tag").toInt()) return;
  selectOnMove->setChecked(true);
  track->setProperty("Tag", position);
}

void TForm1::track_Threshold1Change() { LevelSliderChange(track_Threshold1, edit_Threshold1, radio_other1); }

void TForm1::track_Threshold2Change() { LevelSliderChange(track_Threshold2, edit_Threshold2, radio_other2); }

void TForm1::track_NormalizeChange() { LevelSliderChange(track_Normalize, edit_Normalize, cbx_Normalize); }

void TForm1::UpdateSliderValues() {
  track_Threshold1Change();
  track_Threshold2Change();
  track_NormalizeChange();
  cbx_Remove1Click();
  cbx_Remove2Click();
  cbx_LinkClick();
  UpdateCutControls();
}

namespace {

struct EndShown {
  bool Remove, DigitalZero;
  int Position, Tag;
};

EndShown ReadEnd(const TForm1& form) {
  return {form.cbx_Remove2->isChecked(), form.radio_digital0_2->isChecked(), form.track_Threshold2->value(),
          form.track_Threshold2->property("Tag").toInt()};
}

void ShowEnd(TForm1& form, const EndShown& end) {
  form.gbox_End->setProperty("Showing", true);
  // The tag first: a shown position is no move of the end's slider, so "other" stays as it is.
  form.track_Threshold2->setProperty("Tag", end.Position);
  form.track_Threshold2->setValue(end.Position);
  form.track_Threshold2->setProperty("Tag", end.Tag);
  (end.DigitalZero ? form.radio_digital0_2 : form.radio_other2)->setChecked(true);
  form.cbx_Remove2->setChecked(end.Remove);
  form.gbox_End->setProperty("Showing", false);
}

void KeepOwnEnd(QGroupBox* group, const EndShown& own) {
  group->setProperty("OwnRemove", own.Remove);
  group->setProperty("OwnZero", own.DigitalZero);
  group->setProperty("OwnPosition", own.Position);
  group->setProperty("OwnTag", own.Tag);
}

}  // namespace

// Linked, the end's controls show the beginning's choices, which the run uses; the end's own
// wait in properties of its group and come back on unlinking.
void TForm1::MirrorEndWhileLinked() {
  const bool linked = cbx_Link->isChecked();
  const bool mirrored = gbox_End->property("Mirrored").toBool();
  if (linked && !mirrored) KeepOwnEnd(gbox_End, ReadEnd(*this));
  gbox_End->setProperty("Mirrored", linked);
  if (linked) {
    ShowEnd(*this, {cbx_Remove1->isChecked(), radio_digital0_1->isChecked(), track_Threshold1->value(),
                    track_Threshold2->property("Tag").toInt()});
  } else if (mirrored) {
    ShowEnd(*this, {gbox_End->property("OwnRemove").toBool(), gbox_End->property("OwnZero").toBool(),
                    gbox_End->property("OwnPosition").toInt(), gbox_End->property("OwnTag").toInt()});
  }
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

void TForm1::combo_BitsExit() { KeyPreview = true; }

void TForm1::ConnectOptionHandlers() {
  connect(track_Threshold1, &QSlider::valueChanged, this, [this] { track_Threshold1Change(); });
  connect(track_Threshold2, &QSlider::valueChanged, this, [this] { track_Threshold2Change(); });
  connect(track_Normalize, &QSlider::valueChanged, this, [this] { track_NormalizeChange(); });
  // toggled, not clicked: a toggle by program or by key runs the rule as a click does.
  connect(cbx_Link, &QCheckBox::toggled, this, [this] { cbx_LinkClick(); });
  connect(cbx_Remove1, &QCheckBox::toggled, this, [this] { cbx_Remove1Click(); });
  connect(cbx_Remove2, &QCheckBox::toggled, this, [this] { cbx_Remove2Click(); });
  connect(combo_Bits, &QComboBox::currentIndexChanged, this, [this] { UpdateRadioBits(); });
  // Linked, what the beginning shows the end shows too.
  auto followBeginning = [this] {
    if (cbx_Link->isChecked()) cbx_LinkClick();
  };
  connect(track_Threshold1, &QSlider::valueChanged, this, followBeginning);
  connect(radio_digital0_1, &QRadioButton::toggled, this, followBeginning);
  connect(cbx_Remove1, &QCheckBox::toggled, this, followBeginning);
  // An end control set by the program while linked sets the end's own choice; the group goes
  // on showing the beginning's once the change is through.
  auto ownEndChange = [this](const char* own, auto value) {
    if (!gbox_End->property("Mirrored").toBool() || gbox_End->property("Showing").toBool()) return;
    gbox_End->setProperty(own, value);
    if (std::string_view(own) == "OwnPosition") gbox_End->setProperty("OwnTag", track_Threshold2->property("Tag"));
    QTimer::singleShot(0, this, [this] {
      if (cbx_Link->isChecked()) cbx_LinkClick();
    });
  };
  connect(track_Threshold2, &QSlider::valueChanged, this, [=](int value) { ownEndChange("OwnPosition", value); });
  connect(radio_digital0_2, &QRadioButton::toggled, this, [=](bool on) { ownEndChange("OwnZero", on); });
  connect(cbx_Remove2, &QCheckBox::toggled, this, [=](bool on) { ownEndChange("OwnRemove", on); });
  ConnectCutControls();
  ConnectNameFields();
  ConnectLogControls();
}

}  // namespace tacetix
