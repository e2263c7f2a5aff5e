// The natural-cut controls of the "Processing" page: "Keep" and "Fade" in each of the
// Beginning and End groups, and "Ignore clicks shorter than" below them; their enabling
// and link rules.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "batch/ProcessSettings.h"
#include "main/Widgets.h"
#include "main/unit_main.h"

namespace tacetix {

namespace {

QSpinBox* MakeMsSpin(QWidget* parent, const char* name, int maximum) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(0, maximum);
  spin->setSuffix(QStringLiteral(" ms"));
  spin->setAlignment(Qt::AlignRight);
  return spin;
}

}  // namespace

void TForm1::AddCutRow(QGridLayout* grid, QWidget* group, int which) {
  const bool begin = which == 1;
  auto* keepLabel = MakeLabel(group, begin ? "lab_Keep1" : "lab_Keep2", "Keep");
  auto* keep = MakeMsSpin(group, begin ? "spin_Keep1" : "spin_Keep2", MaxKeepFadeMs);
  auto* fadeLabel = MakeLabel(group, begin ? "lab_Fade1" : "lab_Fade2", "Fade");
  auto* fade = MakeMsSpin(group, begin ? "spin_Fade1" : "spin_Fade2", MaxKeepFadeMs);
  keepLabel->setBuddy(keep);
  fadeLabel->setBuddy(fade);
  auto* row = new QHBoxLayout();
  row->addWidget(keep);
  row->addSpacing(16);
  row->addWidget(fadeLabel);
  row->addWidget(fade);
  row->addStretch(1);
  grid->addWidget(keepLabel, 3, 0);
  grid->addLayout(row, 3, 1, 1, 3);
  (begin ? lab_Keep1 : lab_Keep2) = keepLabel;
  (begin ? spin_Keep1 : spin_Keep2) = keep;
  (begin ? lab_Fade1 : lab_Fade2) = fadeLabel;
  (begin ? spin_Fade1 : spin_Fade2) = fade;
}

QLayout* TForm1::BuildIgnoreClicksRow(QWidget* page) {
  lab_IgnoreClicks = MakeLabel(page, "lab_IgnoreClicks", "Ignore clicks shorter than");
  spin_IgnoreClicks = MakeMsSpin(page, "spin_IgnoreClicks", MaxIgnoreClicksMs);
  lab_IgnoreClicks->setBuddy(spin_IgnoreClicks);
  auto* row = new QHBoxLayout();
  row->addWidget(lab_IgnoreClicks);
  row->addWidget(spin_IgnoreClicks);
  row->addStretch(1);
  return row;
}

void TForm1::UpdateCutControls() {
  const bool begin = cbx_Remove1->isChecked();
  const bool end = !cbx_Link->isChecked() && cbx_Remove2->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(lab_Keep1), static_cast<QWidget*>(spin_Keep1),
                           static_cast<QWidget*>(lab_Fade1), static_cast<QWidget*>(spin_Fade1)})
    control->setEnabled(begin);
  for (QWidget* control : {static_cast<QWidget*>(lab_Keep2), static_cast<QWidget*>(spin_Keep2),
                           static_cast<QWidget*>(lab_Fade2), static_cast<QWidget*>(spin_Fade2)})
    control->setEnabled(end);
  // Linked, the end removes what the beginning does.
  lab_IgnoreClicks->setEnabled(begin || end);
  spin_IgnoreClicks->setEnabled(begin || end);
}

void TForm1::ConnectCutControls() {
  for (QCheckBox* box : {cbx_Link, cbx_Remove1, cbx_Remove2})
    connect(box, &QCheckBox::toggled, this, [this] { UpdateCutControls(); });
  UpdateCutControls();
}

}  // namespace tacetix
