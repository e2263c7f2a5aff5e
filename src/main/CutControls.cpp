// The natural-cut controls of the "Processing" page: "Keep" and "Fade" in each of the
// Beginning and End groups, and "Ignore clicks shorter than" below them. They act only where
// their end is cut; linked, the end keeps and fades as the beginning does.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "main/Widgets.h"
#include "main/unit_main.h"
#include "options/ProcessSettings.h"

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
  if (begin) {
    auto cut = [this] { return cbx_Remove1->isChecked(); };
    // clang-format off
    Bind({.Key = "keep-begin", .Control = keep, .Tip = "Silence kept before the sound (ms).", .Live = cut});
    Bind({.Key = "fade-in", .Control = fade, .Tip = "Fade-in over the start of what is kept (ms).", .Live = cut});
    // clang-format on
    return;
  }
  auto cut = [this] { return !cbx_Link->isChecked() && cbx_Remove2->isChecked(); };
  // clang-format off
  Bind({.Key = "keep-end", .Control = keep, .Tip = "Silence kept after the sound (ms).",
        .Follows = BindingControl("keep-begin"), .Live = cut});
  Bind({.Key = "fade-out", .Control = fade, .Tip = "Fade-out over the end of what is kept (ms).",
        .Follows = BindingControl("fade-in"), .Live = cut});
  // clang-format on
}

QLayout* TForm1::BuildIgnoreClicksRow(QWidget* page) {
  auto* label = MakeLabel(page, "lab_IgnoreClicks", "Ignore clicks shorter than");
  auto* spin = MakeMsSpin(page, "spin_IgnoreClicks", MaxIgnoreClicksMs);
  label->setBuddy(spin);
  auto* row = new QHBoxLayout();
  row->addWidget(label);
  row->addWidget(spin);
  row->addStretch(1);
  // Linked, the end removes what the beginning does.
  // clang-format off
  Bind({.Key = "ignore-clicks", .Control = spin,
        .Tip = "Sound shorter than this (ms) inside the silence is cut with it.",
        .Live = [this] { return cbx_Remove1->isChecked() || (!cbx_Link->isChecked() && cbx_Remove2->isChecked()); }});
  // clang-format on
  return row;
}

// Splitting goes with the cut: each part is cut as the ends are. The per-part gain acts only
// with a split and a gain.
QLayout* TForm1::BuildSplitRow(QWidget* page) {
  auto* label = MakeLabel(page, "lab_SplitGap", "Split at silences of at least");
  auto* spin = MakeMsSpin(page, "spin_SplitGap", MaxSplitMs);
  label->setBuddy(spin);
  auto* perPart = MakeCheck(page, "cbx_SplitGainPart", "normalise each part by itself");
  auto* row = new QHBoxLayout();
  row->addWidget(label);
  row->addWidget(spin);
  row->addSpacing(16);
  row->addWidget(perPart);
  row->addStretch(1);
  // clang-format off
  Bind({.Key = "split-gap", .Control = spin,
        .Tip = "Cut each file into parts at every silence at least this long (ms); 0 keeps it whole."});
  Bind({.Key = "split-gain", .Control = perPart, .Value = 1,
        .Tip = "Give each part its own gain rather than one gain for all parts of a file.",
        .Live = [this, spin] { return spin->value() > 0 && cbx_Normalize->isChecked(); }});
  // clang-format on
  return row;
}

}  // namespace tacetix
