// Not a check: a utility that photographs the three pages, a run in progress and a run
// after a failure on a real X display. TACETIX_SHOT_SUFFIX goes before ".png" (for a
// second set at another scale, e.g. QT_SCALE_FACTOR=1.5 for 144 dpi).
// xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb TACETIX_SHOTS=docs
//   build/tests/main/main_tests --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'
#include <QScreen>
#include <QTabWidget>
#include <filesystem>

#include "WindowFixture.h"

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
    frontEnd.SetFileProgress(40);
    Shoot("run-progress");
    frontEnd.EndBusy(true);
    return tacetix::RunResult{};
  };
  Click("bt_Process");
  Form->RunBatchFunction = real;
  Click("bt_Process");
  Shoot("run-failure");
}

}  // namespace
