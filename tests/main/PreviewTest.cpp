// frm_Preview: opened by V, the button and a double-click, on the current row, with the numbers
// of the core for the options as they stand, and a window that keeps running while it reads.
#include <QDialog>
#include <QElapsedTimer>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "WindowFixture.h"
#include "main/WaveformView.h"
#include "main/unit_Preview.h"
#include "run/RowText.h"

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
  // Until its own are made, the figures of the file shown before do not stand for this one.
  EXPECT_EQ(CutLine(), "measuring\xE2\x80\xA6");
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

// view_Waveform through the drawing it paints: the cut's times on the ruler, the thresholds named
// by their levels, the pointer's time and level; in the font as set and half as large again,
// every text inside the view and clear of the others.
TEST_F(PreviewTest, TheWaveformNamesTheCutAndItsTextFitsALargerFont) {
  Form->AddFiles({PaddedWave(Dir, "d.wav", 200)});  // sound from 0.025 s to 0.050 s at 8000 Hz
  Find<QSlider>("track_Threshold1")->setValue(1440 - 600);
  Click("bt_Preview");
  auto* preview = Form->PreviewWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->OverviewBusy() && preview->PlansMade() > 0; }, 10000));
  auto* view = preview->findChild<tacetix::WaveformView*>(QStringLiteral("view_Waveform"));
  const double points = preview->font().pointSizeF();
  for (double factor : {1.0, 1.5}) {
    SCOPED_TRACE(factor);
    QFont font = preview->font();
    font.setPointSizeF(points * factor);
    preview->setFont(font);
    QTest::qWait(50);
    const QFontMetrics metrics = view->fontMetrics();
    std::vector<std::string> texts;
    std::vector<QRect> boxes;
    for (const tacetix::Shape& s : view->Describe().Shapes) {
      if (s.What != tacetix::Shape::Kind::Text) continue;
      texts.push_back(s.Words);
      boxes.emplace_back(s.Left(), s.Y0 - metrics.ascent(), metrics.horizontalAdvance(QString::fromStdString(s.Words)),
                         metrics.ascent() + metrics.descent());
    }
    for (const char* wanted : {"0:00.025", "0:00.050",
                               "begin \xE2\x88\x92"
                               "60.0 dB",
                               "end \xE2\x88\x92"
                               "60.0 dB"})
      EXPECT_EQ(std::count(texts.begin(), texts.end(), wanted), 1) << wanted;
    for (size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_TRUE(view->rect().contains(boxes[i])) << texts[i];
      for (size_t j = i + 1; j < boxes.size(); ++j)
        EXPECT_FALSE(boxes[i].intersects(boxes[j])) << texts[i] << " " << texts[j];
    }
  }
  tacetix::ViewFrame frame;
  view->Describe(&frame);
  const int middle = frame.Plot.Y + frame.Plot.Height / 2;  // the floor, below the thresholds by 36 dB
  EXPECT_EQ(view->PointAt({frame.Plot.X, middle}).toStdString(), "0:00.000  \xE2\x88\x92"
                                                                 "96.0 dBFS");
  EXPECT_EQ(view->PointAt({frame.Plot.X - 1, middle}).toStdString(), "");
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
