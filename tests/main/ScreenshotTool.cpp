// Not a check: a utility that photographs the three pages, a run in progress and a run
// after a failure on a real X display. TACETIX_SHOT_SUFFIX goes before ".png" (for a
// second set at another scale, e.g. QT_SCALE_FACTOR=1.5 for 144 dpi).
// xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb TACETIX_SHOTS=docs
//   build/tests/main/main_tests --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <cmath>
#include <filesystem>

#include "WindowFixture.h"
#include "main/unit_Preview.h"

namespace {

class PageScreenshots : public WindowTest {
 protected:
  void Shoot(const char* name) {
    QTest::qWait(400);
    const QRect frame = Form->frameGeometry();
    // The screen's pixels, frame included where a window manager draws one.
    const QPixmap shot = Form->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = QString::fromLocal8Bit(qgetenv("TACETIX_SHOTS")) + QLatin1Char('/') + QLatin1String(name) +
                         QString::fromLocal8Bit(qgetenv("TACETIX_SHOT_SUFFIX")) + QStringLiteral(".png");
    EXPECT_TRUE(shot.save(path)) << path.toStdString();
  }
};

TEST_F(PageScreenshots, DISABLED_Screenshots) {
  ASSERT_FALSE(qgetenv("TACETIX_SHOTS").isEmpty()) << "TACETIX_SHOTS names the folder for the pictures";
  const QString gone = Wave("bass.wav", 44100, 16, 2, 44100);
  Form->AddFiles({Wave("drums.wav", 44100, 16, 2, 44100), Wave("voice.wav", 48000, 24, 1, 96000),
                  Wave("organ.wav", 96000, 8, 2, 9600), gone});
  ClickHeader(1);
  Form->move(10, 10);
  auto* pages = Find<QTabWidget>("PageControl1");
  const char* names[] = {"page-input", "page-processing", "page-output"};
  for (int page = 0; page < 3; ++page) {
    pages->setCurrentIndex(page);
    Shoot(names[page]);
  }
  pages->setCurrentIndex(0);
  Find<QLineEdit>("edit_FolderSubfolder")->setText("trimmed");
  Find<QCheckBox>("cbx_StopOnError")->setChecked(false);
  std::filesystem::remove(gone.toStdString());
  auto real = [](const tacetix::RunRequest& request, tacetix::RunFrontEnd& frontEnd) {
    return tacetix::RunBatch(request, frontEnd);
  };
  // Held at its third file, as a long batch shows itself while it works.
  Form->RunBatchFunction = [&](const tacetix::RunRequest& request, tacetix::RunFrontEnd& frontEnd) {
    frontEnd.BeginBusy();
    for (int row = 0; row < 2; ++row) {
      frontEnd.SetRowStatus(row, tacetix::RowStatus::Processing);
      frontEnd.SetRowStatus(row, tacetix::RowStatus::Done);
    }
    frontEnd.SetRowStatus(2, tacetix::RowStatus::Processing);
    frontEnd.SetStatusProgress("Processing \"" + request.Files[2] + "\"", 0);
    frontEnd.SetFileProgress(2, 40);
    frontEnd.Pump();
    Shoot("run-progress");
    frontEnd.EndBusy(true);
    return tacetix::RunResult{};
  };
  Click("bt_Process");
  Form->RunBatchFunction = real;
  Click("bt_Process");
  Shoot("run-failure");
}

// A take of 6 s at 44.1 kHz: room noise, a click, a rising tone, a breath, room noise.
QString Take(const testsupport::TempDir& dir) {
  std::vector<int16_t> samples(6 * 44100);
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = static_cast<double>(i) / 44100.0;
    double v = 20.0 * std::sin(i * 12.9898);
    if (t >= 1.2 && t < 5.1)
      v += 9000.0 * std::sin(2 * 3.14159265 * 220 * t) * std::min(1.0, (t - 1.2) * 4) * (0.6 + 0.4 * std::sin(3 * t));
    if (t >= 5.1 && t < 5.3) v += 600.0 * std::sin(i * 78.233);
    if (t >= 0.6 && t < 0.601) v += 14000.0;
    samples[i] = static_cast<int16_t>(v);
  }
  const std::string path = dir.File("take 12.wav");
  testsupport::WriteWav16(path, 1, samples, 44100);
  return QString::fromStdString(path);
}

TEST_F(PageScreenshots, DISABLED_PreviewScreenshot) {
  const QByteArray folder = qgetenv("TACETIX_SHOTS");
  ASSERT_FALSE(folder.isEmpty()) << "TACETIX_SHOTS names the folder for the pictures";
  Form->AddFiles({Take(Dir)});
  Find<QSlider>("track_Threshold1")->setValue(1440 - 500);
  Find<QSpinBox>("spin_Keep1")->setValue(150);
  Find<QSpinBox>("spin_Fade1")->setValue(100);
  Find<QSpinBox>("spin_IgnoreClicks")->setValue(5);
  Form->bt_PreviewClick();
  tacetix::Tfrm_Preview* preview = Form->PreviewWindow();
  preview->move(10, 10);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->OverviewBusy() && preview->PlansMade() > 0; }, 10000));
  QTest::qWait(400);
  const QRect frame = preview->frameGeometry();
  const QPixmap shot = preview->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  const QString path = QString::fromLocal8Bit(folder) + QStringLiteral("/preview.png");
  EXPECT_TRUE(shot.save(path)) << path.toStdString();
}

}  // namespace
