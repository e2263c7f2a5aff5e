// The "Keep metadata" box of the Output page: caption, key, tab order, the warning it changes,
// and what a run takes from it.
#include <QApplication>
#include <QLabel>
#include <QTabWidget>

#include "WindowFixture.h"

namespace {

class KeepMetadataControl : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Activate();
    Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    Find<QTabWidget>("PageControl1")->tabBar()->setFocus(Qt::TabFocusReason);
  }
  QString Warning() { return Find<QLabel>("lab_Warning")->text(); }
};

TEST_F(KeepMetadataControl, TickingChangesTheWarningAndTheRunAndUntickingRestoresThem) {
  auto* box = Find<QCheckBox>("cbx_KeepMetadata");
  EXPECT_EQ(box->text(), "Keep &metadata (bext, iXML, markers, INFO)");
  EXPECT_FALSE(box->isChecked());
  const QString before = Warning();
  EXPECT_EQ(before, "Warning: Overwriting input files is not supported. Extra chunks/metadata like loops or root keys "
                    "are ignored and will not be written to output files.");
  struct Step {
    const char* Keys;
    bool Ticked;
  };
  for (const Step& step : {Step{"m", true}, Step{"m", false}, Step{"mm", false}}) {
    SCOPED_TRACE(step.Keys);
    Type(step.Keys);
    EXPECT_EQ(box->isChecked(), step.Ticked);
    EXPECT_EQ(Form->CaptureSettings().KeepMetadata, step.Ticked);
    EXPECT_EQ(Form->CaptureLogHeader().Output.back() == "Keep metadata: Yes", step.Ticked);
    if (step.Ticked) {
      EXPECT_TRUE(Warning().contains("Kept: INFO, bext, iXML")) << Warning().toStdString();
      EXPECT_TRUE(Warning().contains("other chunks are dropped"));
    } else {
      EXPECT_EQ(Warning(), before);
    }
    // Either text fits the label without growing the page.
    auto* label = Find<QLabel>("lab_Warning");
    EXPECT_LE(label->heightForWidth(label->width()), label->height());
  }
}

TEST_F(KeepMetadataControl, TabReachesItAfterStopOnError) {
  Find<QCheckBox>("cbx_StopOnError")->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("cbx_KeepMetadata"));
  Press(Qt::Key_Space);
  EXPECT_TRUE(Checked("cbx_KeepMetadata"));
}

}  // namespace
