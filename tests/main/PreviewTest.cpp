// frm_Preview: opened by V, the button and a double-click, on the current row, with the numbers
// of the core for the options as they stand, and a window that keeps running while it reads.
#include <QDialog>
#include <QElapsedTimer>
#include <QSlider>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "batch/RowText.h"
#include "main/unit_Preview.h"

namespace {

class PreviewTest : public WindowTest {
 protected:
  QDialog* Preview() { return Form->findChild<QDialog*>(QStringLiteral("frm_Preview")); }
  std::string CutLine() {
    return Preview()->findChild<QLabel*>(QStringLiteral("lab_PreviewCut"))->text().toStdString();
  }
  // The line the core gives for the row's file and the options as the window holds them.
  std::string CoreLine(int row) {
    const std::string path = List()->model()->index(row, 0).data().toString().toStdString();
    return tacetix::PreviewCutText(tacetix::PlanPreview(path, Form->CaptureSettings()));
  }
  bool ShowsRow(int row) {
    const std::string expected = CoreLine(row);
    return QTest::qWaitFor([&] { return Preview() && CutLine() == expected; }, 5000);
  }
};

TEST_F(PreviewTest, OpensByKeyButtonAndDoubleClickAndFollowsRowAndOptions) {
  Form->AddFiles({PaddedWave(Dir, "a.wav", 100), PaddedWave(Dir, "b.wav", 700), PaddedWave(Dir, "c.wav", 40)});
  Activate();
  EXPECT_EQ(Preview(), nullptr);
  Press(Qt::Key_V);
  ASSERT_NE(Preview(), nullptr);
  EXPECT_TRUE(Preview()->isVisible());
  EXPECT_TRUE(ShowsRow(0));
  QTest::keyClick(Preview(), Qt::Key_Escape);
  EXPECT_FALSE(Preview()->isVisible());
  Click("bt_Preview");
  EXPECT_TRUE(Preview()->isVisible());
  QTest::keyClick(Preview(), Qt::Key_Right);
  EXPECT_TRUE(ShowsRow(1));
  QTest::keyClick(Preview(), Qt::Key_Down);
  EXPECT_TRUE(ShowsRow(2));
  QTest::keyClick(Preview(), Qt::Key_Up);
  EXPECT_TRUE(ShowsRow(1));
  // A threshold moved: the numbers are decided again, as the run would decide them now.
  const std::string before = CutLine();
  Find<QSlider>("track_Threshold1")->setValue(1300);
  EXPECT_TRUE(ShowsRow(1));
  EXPECT_NE(CutLine(), before);
  Preview()->close();
  const QRect rowRect = List()->visualRect(List()->model()->index(2, 0));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, rowRect.center());
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, rowRect.center());
  EXPECT_TRUE(Preview()->isVisible());
  EXPECT_TRUE(ShowsRow(2));
}

// A long file read for its overview: the event loop's ticks keep coming while it is read.
TEST_F(PreviewTest, WindowKeepsRunningWhileTheOverviewIsRead) {
  const std::string path = Dir.File("long.wav");
  const uint32_t dataBytes = 384u << 20;  // sparse zeros: made at once, read at memory speed
  testsupport::Bytes header = testsupport::SimpleWav(1, 2, 44100, 16, {});
  for (int i = 0; i < 4; ++i) header[40 + i] = static_cast<uint8_t>(dataBytes >> (8 * i));
  const uint32_t riff = dataBytes + 36;
  for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  testsupport::WriteFile(path, header);
  std::filesystem::resize_file(path, header.size() + dataBytes);
  Form->AddFiles({QString::fromStdString(path)});
  Click("bt_Preview");
  auto* preview = Form->PreviewWindow();
  ASSERT_NE(preview, nullptr);
  int ticksWhileReading = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ticksWhileReading += preview->OverviewBusy() ? 1 : 0; });
  tick.start(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !preview->OverviewBusy(); }, 60000));
  EXPECT_GE(ticksWhileReading, 3);
}

}  // namespace
