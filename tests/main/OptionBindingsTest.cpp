// Every row of the window's binding table: a change replans an open preview, a numeric entry
// keeps the keys typed into it, and a level or target chooses what it is for.
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QSlider>
#include <QTabWidget>
#include <cmath>
#include <functional>
#include <map>

#include "WindowFixture.h"
#include "main/unit_Preview.h"

namespace {

using tacetix::ProcessSettings;

class Bindings : public WindowTest {
 protected:
  // Gives the control a value other than its own, as the user could.
  static void Change(QWidget* control) {
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
      if (radio->isChecked()) CheckAnother(radio);
      else radio->setChecked(true);
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
      box->toggle();
    } else if (auto* slider = qobject_cast<QSlider*>(control)) {
      slider->setValue(slider->value() > 200 ? slider->value() - 100 : slider->value() + 100);
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) {
      const QString before = spin->text();
      spin->stepBy(1);
      if (spin->text() == before) spin->stepBy(-1);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
      combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
    } else {
      auto* edit = qobject_cast<QLineEdit*>(control);
      ASSERT_NE(edit, nullptr) << control->objectName().toStdString();
      edit->setText(edit->text() + QStringLiteral("x"));
    }
  }
  static void CheckAnother(QAbstractButton* radio) {
    for (QAbstractButton* other : radio->group()->buttons()) {
      if (other != radio) return other->setChecked(true);
    }
  }
  int PageOf(const QWidget* control) {
    auto* pages = Find<QTabWidget>("PageControl1");
    for (int page = 0; page < pages->count(); ++page)
      if (pages->widget(page)->isAncestorOf(control)) return page;
    return -1;
  }
  QAbstractButton* Named(const std::string& name) {
    return name.empty() ? nullptr : Find<QAbstractButton>(name.c_str());
  }
};

TEST_F(Bindings, EveryControlChangedReplansTheOpenPreviewWithTheRunsSettings) {
  Form->AddFiles({PaddedWave(Dir, "a.wav", 100)});
  Click("bt_Preview");
  tacetix::Tfrm_Preview* preview = Form->PreviewWindow();
  ASSERT_NE(preview, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return preview->PlansMade() > 0; }, 5000));
  for (const tacetix::OptionBinding& row : Form->Bindings()) {
    const int plans = preview->PlansMade();
    Change(row.Control);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return preview->PlansMade() > plans && preview->PlannedSettings() == Form->CaptureSettings(); }, 5000))
        << row.Key << " " << row.Control->objectName().toStdString();
  }
}

// A digit or a minus typed into a number is part of the number, never a page switch.
TEST_F(Bindings, EveryNumericEntryKeepsDigitsAndMinus) {
  Activate();
  Find<QCheckBox>("cbx_Link")->setChecked(false);  // the end's entries take the focus too
  auto* pages = Find<QTabWidget>("PageControl1");
  int entries = 0;
  for (const tacetix::OptionBinding& row : Form->Bindings()) {
    auto* entry = qobject_cast<QAbstractSpinBox*>(row.Control);
    if (entry == nullptr) continue;
    ++entries;
    const int page = PageOf(entry);
    pages->setCurrentIndex(page);
    entry->setFocus(Qt::TabFocusReason);
    const QString before = entry->text();
    Press(Qt::Key_A, Qt::ControlModifier);
    Type("-31");
    EXPECT_EQ(pages->currentIndex(), page) << row.Key;
    EXPECT_TRUE(entry->hasFocus()) << row.Key;
    EXPECT_NE(entry->text(), before) << row.Key;
  }
  EXPECT_EQ(entries, 8);
}

// Whatever was chosen before, a level or target the user changes is what the run then uses.
TEST_F(Bindings, EveryLevelOrTargetSelectsItsModeAndTicksItsBox) {
  struct Chooses {
    std::string Mode, Box;
    std::function<bool(const ProcessSettings&)> RunUses;
  };
  auto loudness = [](const ProcessSettings& s) { return s.Normalize && s.NormalizeLoudness; };
  const std::map<std::string, Chooses> expected = {
      {"begin", {"radio_other1", "", [](const ProcessSettings& s) { return s.ThresholdBegin > 0.0; }}},
      {"end", {"radio_other2", "", [](const ProcessSettings& s) { return s.ThresholdEnd > 0.0; }}},
      {"normalize",
       {"radio_NormPeak", "cbx_Normalize",
        [](const ProcessSettings& s) { return s.Normalize && !s.NormalizeLoudness && s.NormalizeTarget < 1.0; }}},
      {"loudness", {"radio_NormLoudness", "cbx_Normalize", loudness}},
      {"true-peak", {"radio_NormLoudness", "cbx_Normalize", loudness}}};
  Find<QCheckBox>("cbx_Link")->setChecked(false);
  int levels = 0;
  for (const tacetix::OptionBinding& row : Form->Bindings()) {
    if (!qobject_cast<QSlider*>(row.Control) && !qobject_cast<QDoubleSpinBox*>(row.Control)) continue;
    ++levels;
    const auto found = expected.find(row.Key);
    ASSERT_NE(found, expected.end()) << row.Key;
    QAbstractButton* mode = Named(found->second.Mode);
    QAbstractButton* box = Named(found->second.Box);
    CheckAnother(mode);
    if (box != nullptr) box->setChecked(false);
    Change(row.Control);
    EXPECT_TRUE(mode->isChecked()) << row.Key;
    EXPECT_TRUE(box == nullptr || box->isChecked()) << row.Key;
    EXPECT_TRUE(found->second.RunUses(Form->CaptureSettings())) << row.Key;
  }
  EXPECT_EQ(levels, 5);
}

// The user's way to the fault: loudness chosen, then the peak slider dragged; the output's
// peak, as sox measures it, is the slider's level.
TEST_F(Bindings, APeakDraggedAfterLoudnessWasChosenNormalisesTheRunToThePeak) {
  if (!testsupport::HaveProgram("sox")) GTEST_SKIP() << "sox not installed";
  Form->AddFiles({PaddedWave(Dir, "a.wav", 100)});
  Find<QLineEdit>("edit_Suffix")->setText("_n");
  Find<QDoubleSpinBox>("spin_Lufs")->setValue(-16.0);
  ASSERT_TRUE(Checked("radio_NormLoudness"));
  Find<QSlider>("track_Normalize")->setValue(1380);  // -6.0 dBfs
  Click("bt_Process");
  ASSERT_EQ(Status(), "1 file processed ok");
  std::string out;
  ASSERT_EQ(testsupport::RunCommand("sox " + testsupport::ShellQuote(Dir.File("a_n.wav")) + " -n stat 2>&1", &out), 0);
  const size_t at = out.find("Maximum amplitude:");
  ASSERT_NE(at, std::string::npos) << out;
  const double peak = std::stod(out.substr(at + 18));
  EXPECT_NEAR(20 * std::log10(peak), -6.0, 0.01) << out;
}

}  // namespace
