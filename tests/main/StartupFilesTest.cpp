// Files named on the window's command line join the list as a drop of them does.
#include <QDir>

#include "WindowFixture.h"
#include "main/StartupFiles.h"

using CommandLine = WindowTest;

TEST_F(CommandLine, FilesAreAddedAsADropOnceTheLoopRuns) {
  const QString good = Wave("good.wav");
  const QString notWave = TextFile("notes.wav");
  // A relative name, as typed in a terminal, arrives as the absolute path a drop carries.
  const QString startFolder = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(Dir.Path().string())));
  tacetix::AddCommandLineFiles(*Form, {QStringLiteral("tacetix"), QStringLiteral("good.wav"), notWave});
  QDir::setCurrent(startFolder);
  EXPECT_EQ(Rows(), 0);  // nothing before the event loop, which runs once the window shows
  QTest::qWait(20);
  EXPECT_EQ(Status(), "1 file added, 1 not added");
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), good.toStdString());

  // No file arguments: the status stays as it was.
  tacetix::AddCommandLineFiles(*Form, {QStringLiteral("tacetix")});
  QTest::qWait(20);
  EXPECT_EQ(Status(), "1 file added, 1 not added");
}
