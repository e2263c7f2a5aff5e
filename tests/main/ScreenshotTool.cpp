// Not a check: a utility that photographs the three pages on a real X display.
// xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb TACETIX_SHOTS=docs
//   build/tests/main/main_tests --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'
#include <QScreen>
#include <QTabWidget>

#include "WindowFixture.h"

namespace {

using PageScreenshots = WindowTest;

TEST_F(PageScreenshots, DISABLED_Screenshots) {
  const QByteArray folder = qgetenv("TACETIX_SHOTS");
  ASSERT_FALSE(folder.isEmpty()) << "TACETIX_SHOTS names the folder for the pictures";
  Form->AddFiles({Wave("drums.wav", 44100, 16, 2, 44100), Wave("voice.wav", 48000, 24, 1, 96000),
                  Wave("organ.wav", 96000, 8, 2, 9600)});
  ClickHeader(1);
  Form->move(10, 10);
  auto* pages = Find<QTabWidget>("PageControl1");
  const char* names[] = {"page-input.png", "page-processing.png", "page-output.png"};
  for (int page = 0; page < 3; ++page) {
    pages->setCurrentIndex(page);
    QTest::qWait(400);
    const QRect frame = Form->frameGeometry();
    // The screen's pixels, frame included where a window manager draws one.
    const QPixmap shot = Form->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const QString path = QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(names[page]);
    EXPECT_TRUE(shot.save(path)) << path.toStdString();
  }
}

}  // namespace
