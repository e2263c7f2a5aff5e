// The Keep, Fade and Ignore-clicks spins of the "Processing" page: names and ranges, the
// link and remove rules, keyboard reach, what a run reads, and room to show them whole.
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include "WindowFixture.h"

namespace {

using CutControls = WindowTest;

const char* const Spins[] = {"spin_Keep1", "spin_Fade1", "spin_Keep2", "spin_Fade2", "spin_IgnoreClicks"};

TEST_F(CutControls, SpinsStartAtZeroWithMillisecondsAsSuffix) {
  for (const char* name : Spins) {
    SCOPED_TRACE(name);
    auto* spin = Find<QSpinBox>(name);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->value(), 0);
    EXPECT_EQ(spin->suffix(), " ms");
    EXPECT_EQ(spin->minimum(), 0);
    EXPECT_EQ(spin->maximum(), std::string(name) == "spin_IgnoreClicks" ? 1000 : 10000);
  }
}

// Which spins are enabled for each state of Link and the two Remove boxes.
TEST_F(CutControls, EnabledWithTheirGroupsRemoveBox) {
  struct Case {
    bool Link, Remove1, Remove2;
    bool Begin, End, Ignore;
  };
  const Case cases[] = {
      {true, true, true, true, false, true},   {true, false, true, false, false, false},
      {false, true, true, true, true, true},   {false, true, false, true, false, true},
      {false, false, true, false, true, true}, {false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Link) + std::to_string(c.Remove1) + std::to_string(c.Remove2));
    Find<QCheckBox>("cbx_Link")->setChecked(c.Link);
    Find<QCheckBox>("cbx_Remove1")->setChecked(c.Remove1);
    if (!c.Link) Find<QCheckBox>("cbx_Remove2")->setChecked(c.Remove2);
    EXPECT_EQ(On("spin_Keep1"), c.Begin);
    EXPECT_EQ(On("spin_Fade1"), c.Begin);
    EXPECT_EQ(On("lab_Keep1"), c.Begin);
    EXPECT_EQ(On("spin_Keep2"), c.End);
    EXPECT_EQ(On("spin_Fade2"), c.End);
    EXPECT_EQ(On("lab_Fade2"), c.End);
    EXPECT_EQ(On("spin_IgnoreClicks"), c.Ignore);
  }
}

// Linked, the end shows and uses the beginning's values; unlinked, its own come back.
TEST_F(CutControls, LinkedEndShowsAndUsesTheBeginningsValues) {
  auto* link = Find<QCheckBox>("cbx_Link");
  link->setChecked(false);
  Find<QSpinBox>("spin_Keep2")->setValue(300);
  Find<QSpinBox>("spin_Fade2")->setValue(40);
  Find<QSpinBox>("spin_Keep1")->setValue(120);
  Find<QSpinBox>("spin_Fade1")->setValue(15);
  Find<QSpinBox>("spin_IgnoreClicks")->setValue(8);
  tacetix::ProcessSettings s = Form->CaptureSettings();
  EXPECT_EQ(std::vector<int32_t>({s.KeepBeginMs, s.FadeInMs, s.KeepEndMs, s.FadeOutMs, s.IgnoreClicksMs}),
            std::vector<int32_t>({120, 15, 300, 40, 8}));

  link->setChecked(true);
  EXPECT_EQ(Find<QSpinBox>("spin_Keep2")->value(), 120);
  Find<QSpinBox>("spin_Fade1")->setValue(25);
  EXPECT_EQ(Find<QSpinBox>("spin_Fade2")->value(), 25);
  s = Form->CaptureSettings();
  EXPECT_EQ(s.KeepEndMs, 120);
  EXPECT_EQ(s.FadeOutMs, 25);
  const std::vector<std::string> h = Form->CaptureLogHeader().Processing;
  EXPECT_EQ(
      std::vector<std::string>(h.begin() + 2, h.end() - 1),
      std::vector<std::string>({"Keep silence at beginning: 120 ms", "Fade in: 25 ms", "remove silence at end: Yes",
                                "Threshold end: -inf", "Keep silence at end: 120 ms", "Fade out: 25 ms",
                                "Ignore clicks shorter than: 8 ms"}));
  Form->UpdateSliderValues();  // the start-state pass again must not take the mirror for the end's own

  link->setChecked(false);
  EXPECT_EQ(Find<QSpinBox>("spin_Keep2")->value(), 300);
  EXPECT_EQ(Find<QSpinBox>("spin_Fade2")->value(), 40);
  EXPECT_EQ(Form->CaptureSettings().KeepEndMs, 300);
}

// Tab reaches the spins after their group's slider; digits typed there are values, not pages.
TEST_F(CutControls, ReachedByTabAndTypedInto) {
  Activate();
  Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
  Find<QSlider>("track_Threshold1")->setFocus(Qt::TabFocusReason);
  std::vector<std::string> order;
  for (int i = 0; i < 4; ++i) {
    Press(Qt::Key_Tab);
    order.push_back(QApplication::focusWidget()->objectName().toStdString());
  }
  EXPECT_EQ(order, std::vector<std::string>({"spin_Keep1", "spin_Fade1", "spin_IgnoreClicks", "cbx_Normalize"}));
  Find<QSpinBox>("spin_Keep1")->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_A, Qt::ControlModifier);
  Type("350");
  Press(Qt::Key_Tab);
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 1);
  EXPECT_EQ(Find<QSpinBox>("spin_Keep1")->value(), 350);
  Find<QTabWidget>("PageControl1")->tabBar()->setFocus(Qt::TabFocusReason);
  Type("3");  // off the spins, the digit is a command again
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 2);
}

// Every control of the page has at least the room it asks for and lies inside the page,
// with the fonts of a 96 dpi screen and with those of a 144 dpi one (half as large again).
TEST_F(CutControls, NothingOnTheProcessingPageIsClippedAt96And144Dpi) {
  const QFont standard = QApplication::font();
  for (const double scale : {1.0, 1.5}) {
    SCOPED_TRACE(scale);
    QFont font = standard;
    font.setPointSizeF(standard.pointSizeF() * scale);
    QApplication::setFont(font);
    Form = std::make_unique<TForm1>();
    Form->show();
    auto* pages = Find<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);
    QTest::qWait(20);
    QWidget* page = pages->currentWidget();
    for (QWidget* control : page->findChildren<QWidget*>()) {
      // A spin's own line edit is frameless inside it: its spin speaks for it.
      const bool inSpin = control->parentWidget()->inherits("QAbstractSpinBox");
      if (!control->isVisible() || control->objectName().isEmpty() || inSpin) continue;
      SCOPED_TRACE(control->objectName().toStdString());
      EXPECT_GE(control->width(), control->minimumSizeHint().width());
      EXPECT_GE(control->height(), control->minimumSizeHint().height());
      const QRect at(control->mapTo(page, QPoint(0, 0)), control->size());
      EXPECT_TRUE(page->rect().contains(at)) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
    }
  }
  QApplication::setFont(standard);
}

}  // namespace

namespace {

// The split spin reaches the run and its log header; the per-part gain box acts only with a
// split and a gain.
TEST_F(CutControls, SplitReachesTheRunAndItsGainBoxNeedsASplitAndAGain) {
  auto* gap = Find<QSpinBox>("spin_SplitGap");
  auto* perPart = Find<QCheckBox>("cbx_SplitGainPart");
  ASSERT_NE(gap, nullptr);
  ASSERT_NE(perPart, nullptr);
  EXPECT_EQ(gap->value(), 0);
  EXPECT_FALSE(On("cbx_SplitGainPart"));
  gap->setValue(1500);
  EXPECT_FALSE(On("cbx_SplitGainPart"));
  Find<QCheckBox>("cbx_Normalize")->setChecked(true);
  EXPECT_TRUE(On("cbx_SplitGainPart"));
  perPart->setChecked(true);
  const tacetix::ProcessSettings s = Form->CaptureSettings();
  EXPECT_EQ(s.SplitGapMs, 1500);
  EXPECT_TRUE(s.SplitGainPerPart);
  const std::vector<std::string> h = Form->CaptureLogHeader().Processing;
  EXPECT_NE(std::find(h.begin(), h.end(), "Split at silences of at least: 1500 ms"), h.end());
  gap->setValue(0);
  EXPECT_FALSE(On("cbx_SplitGainPart"));
}

}  // namespace
