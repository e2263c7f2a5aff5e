// The start state of the option controls: level texts, the link and remove rules and
// the conversion radio rule. The controls' event wiring builds on these.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include "batch/ProcessSettings.h"
#include "main/AlignedEdit.h"
#include "main/unit_main.h"

namespace tacetix {

namespace {

void EnableThresholdControls(std::initializer_list<QWidget*> controls, bool enabled) {
  for (QWidget* control : controls) control->setEnabled(enabled);
}

}  // namespace

void TForm1::UpdateSliderValues() {
  edit_Threshold1->setText(QString::fromStdString(SliderText(track_Threshold1->value())));
  edit_Threshold2->setText(QString::fromStdString(SliderText(track_Threshold2->value())));
  edit_Normalize->setText(QString::fromStdString(SliderText(track_Normalize->value())));
  EnableThresholdControls({lab_Threshold1, radio_digital0_1, radio_other1, edit_Threshold1, track_Threshold1},
                          cbx_Remove1->isChecked());
  EnableThresholdControls({lab_Threshold2, radio_digital0_2, radio_other2, edit_Threshold2, track_Threshold2},
                          cbx_Remove2->isChecked());
  ApplyLinkRule();
}

void TForm1::ApplyLinkRule() {
  const bool linked = cbx_Link->isChecked();
  gbox_End->setEnabled(!linked);
  if (!linked) {
    cbx_Remove2->setEnabled(true);
    EnableThresholdControls({lab_Threshold2, radio_digital0_2, radio_other2, edit_Threshold2, track_Threshold2},
                            cbx_Remove2->isChecked());
    return;
  }
  EnableThresholdControls(
      {cbx_Remove2, lab_Threshold2, radio_digital0_2, radio_other2, edit_Threshold2, track_Threshold2}, false);
}

void TForm1::UpdateRadioBits() {
  const int choice = combo_Bits->currentIndex();
  const int last = static_cast<int>(BitDepthChoices.size()) - 1;
  radio_BitsAll->setEnabled(choice != 0);
  const bool directional = choice != 0 && choice != 1 && choice != last;
  radio_BitsUp->setEnabled(directional);
  radio_BitsDown->setEnabled(directional);
}

}  // namespace tacetix
