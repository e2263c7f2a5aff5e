// What the window tells about a run and an add: the reason of each row, the progress of a
// running batch, folders added whole with the refusals listed, and the lengths shown.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <set>

#include "WindowFixture.h"
#include "main/RunInWindow.h"
#include "main/StartupFiles.h"

namespace {

constexpr int ReasonColumn = 6;

using WhatHappened = WindowTest;

TEST_F(WhatHappened, EachRowShowsWhyItEndedAndCtrlCCopiesTheRowsWhole) {
  const QString cut = PaddedWave(Dir, "a.wav", 10);
  const QString unchanged = Wave("b.wav");
  const QString gone = PaddedWave(Dir, "c.wav", 10);
  Form->AddFiles({cut, unchanged, gone});
  std::filesystem::remove(gone.toStdString());
  Find<QLineEdit>("edit_FolderSubfolder")->setText("out");
  Find<QCheckBox>("cbx_StopOnError")->setChecked(false);
  Click("bt_Process");
  ASSERT_EQ(Cell(2, 5), "I/O error");
  const std::vector<std::string> reasons = {Cell(0, ReasonColumn), Cell(1, ReasonColumn), Cell(2, ReasonColumn)};
  EXPECT_EQ(reasons, std::vector<std::string>({"", "nothing to cut, no output", "No such file or directory"}));
  SelectRows({1, 2});
  List()->setFocus();
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            unchanged + "\tdone\tnothing to cut, no output\n" + gone + "\tI/O error\tNo such file or directory\n");
}

TEST_F(WhatHappened, ARunShowsWhichFileOfHowManyAndTheShareOfTheBytes) {
  Form->AddFiles({Wave("a.wav", 8000, 16, 1, 300), Wave("b.wav", 8000, 16, 1, 100), Wave("c.wav", 8000, 16, 1, 100)});
  Find<QLineEdit>("edit_Suffix")->setText("_x");
  std::string during;
  std::vector<int> percents;
  auto bar = [&] { percents.push_back(Find<QProgressBar>("ProgressBar1")->value()); };
  Form->RunBatchFunction = [&](const tacetix::RunRequest& request, tacetix::RunFrontEnd& frontEnd) {
    frontEnd.BeginBusy();
    frontEnd.SetRowStatus(1, tacetix::RowStatus::Processing);
    frontEnd.SetStatusProgress("Processing", 33);
    Frame(frontEnd);
    during = Find<QLabel>("lab_Progress")->text().toStdString();
    bar();
    frontEnd.SetFileProgress(2, 100);  // a worker's file ahead of the turn
    Frame(frontEnd);
    bar();
    for (int32_t row : {1, 2}) {
      frontEnd.SetRowStatus(row, tacetix::RowStatus::Processing);
      frontEnd.SetRowStatus(row, tacetix::RowStatus::Done);  // silent: no write moved its bar
    }
    frontEnd.EndBusy(true);
    frontEnd.SetStatus("3 files processed ok");
    bar();
    EXPECT_GT(request.Jobs, 0);
    return tacetix::RunResult{};
  };
  Click("bt_Process");
  EXPECT_EQ(during, "file 2 of 3, 0:00 elapsed");
  ASSERT_EQ(percents.size(), 3u);
  // a.wav holds 600 of the 1,000 bytes of samples; with headers, a little less than 60 %; c.wav
  // done ahead adds a little more than 20 %; the end is all of it.
  EXPECT_TRUE(percents[0] >= 55 && percents[0] <= 60) << percents[0];
  EXPECT_TRUE(percents[1] >= 76 && percents[1] <= 80) << percents[1];
  EXPECT_EQ(percents[2], 100);
  EXPECT_EQ(Find<QLabel>("lab_Progress")->text(), "file 3 of 3, 0:00 in all");
  Form->AddFiles({Wave("d.wav")});
  EXPECT_EQ(Find<QLabel>("lab_Progress")->text(), "");
}

TEST_F(WhatHappened, TheListFollowsTheRunningRowUntilTheUserScrollsAway) {
  AppendRows(100);
  Find<QLineEdit>("edit_Suffix")->setText("_x");
  std::vector<bool> seen;
  auto visible = [&](int row) {
    return List()->viewport()->rect().intersects(List()->visualRect(List()->model()->index(row, 0)));
  };
  Form->RunBatchFunction = [&](const tacetix::RunRequest&, tacetix::RunFrontEnd& frontEnd) {
    frontEnd.BeginBusy();
    frontEnd.SetRowStatus(0, tacetix::RowStatus::Processing);
    Frame(frontEnd);
    frontEnd.SetRowStatus(80, tacetix::RowStatus::Processing);
    Frame(frontEnd);
    seen.push_back(visible(80));
    List()->scrollToTop();
    frontEnd.SetRowStatus(81, tacetix::RowStatus::Processing);
    Frame(frontEnd);
    seen.push_back(visible(81));
    frontEnd.EndBusy(true);
    return tacetix::RunResult{};
  };
  Click("bt_Process");
  EXPECT_EQ(seen, std::vector<bool>({true, false}));
}

TEST_F(WhatHappened, AFolderAddsEveryWaveBelowItAndTheRefusalsAreListedWithReasons) {
  const auto folder = Dir.Path() / "take";
  std::filesystem::create_directories(folder / "sub");
  const auto elsewhere = Dir.Path() / "elsewhere";
  std::filesystem::create_directories(elsewhere);
  for (const char* name : {"take/b.wav", "take/sub/a.wav", "take/A.WAV", "elsewhere/x.wav"}) Wave(name);
  TextFile("take/c.wav");
  TextFile("take/notes.txt");
  std::filesystem::create_directory_symlink(elsewhere, folder / "link");
  Form->DropFiles({QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
  QTest::qWait(0);
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(Status(), "3 files added, 1 not added");
  Form->AddFiles({QString::fromStdString((folder / "b.wav").string())});
  ASSERT_TRUE(Button("bt_NotAdded")->isVisible());
  QTimer::singleShot(0, [] {
    auto* list = QApplication::activeModalWidget()->findChild<QTreeWidget*>("lview_NotAdded");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "already in the list");
    QApplication::activeModalWidget()->close();
  });
  Click("bt_NotAdded");
}

TEST_F(WhatHappened, FolderAddsWhatRecursiveWouldInItsOrderWithoutTheOutputFolder) {
  for (const char* name : {"take/a.wav", "take/B.wav", "take/kb/a.wav", "take/kb/B.wav"}) {
    std::filesystem::create_directories(std::filesystem::path(Dir.File(name)).parent_path());
    Wave(name);
  }
  Find<QLineEdit>("edit_FolderSubfolder")->setText("kb");
  Form->ChooseSourceFolder = [this] { return QString::fromStdString(Dir.File("take")); };
  Click("bt_AddFolder");
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Name(0) + " " + Name(1), "B.wav a.wav");  // by bytes, as -r and the command line
  EXPECT_EQ(Status(), "2 files added, 1 not added");
}

TEST_F(WhatHappened, CommandLineFilesKeepTheirOrderAndExtensibleFilesShowTheirLength) {
  const std::string sox = Dir.File("sox24.wav");
  ASSERT_EQ(
      testsupport::RunCommand("sox -n -b 24 -c 2 -r 8000 " + testsupport::ShellQuote(sox) + " synth 1.5 sine 440"), 0);
  tacetix::AddCommandLineFiles(*Form, {"tacetix", Wave("z.wav"), QString::fromStdString(sox), Wave("a.wav")});
  QTest::qWait(0);
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Name(0) + " " + Name(1) + " " + Name(2), "z.wav sox24.wav a.wav");
  EXPECT_EQ(Cell(1, 4), "00:00:01.500");
}

TEST_F(WhatHappened, ALongStatusWordTakesRoomFromThePathsWithoutAHorizontalScrollBar) {
  AppendRows(60);
  Form->Files().SetStatus(59, "output file already exists");
  for (int wait = 0; wait < 50 && !List()->verticalScrollBar()->isVisible(); ++wait) QTest::qWait(20);
  ASSERT_TRUE(List()->verticalScrollBar()->isVisible());
  EXPECT_FALSE(List()->horizontalScrollBar()->isVisible());
  const QHeaderView* header = List()->header();
  EXPECT_GE(header->sectionSize(5), List()->fontMetrics().horizontalAdvance("output file already exists"));
}

// The text a cell of the list is drawn with, and how it is cut where it does not fit.
struct CellPeek : QStyledItemDelegate {
  static QStyleOptionViewItem Option(QTreeView* view, int row, int column) {
    const QModelIndex index = view->model()->index(row, column);
    QStyleOptionViewItem option;
    option.initFrom(view->viewport());
    option.rect = view->visualRect(index);
    option.widget = view;
    const auto* delegate = qobject_cast<const QStyledItemDelegate*>(view->itemDelegate());
    (delegate->*(&CellPeek::initStyleOption))(&option, index);
    return option;
  }
  // What the style draws of it: cut to its text rectangle less a margin either side.
  static QString Shown(QTreeView* view, int row, int column) {
    const QStyleOptionViewItem option = Option(view, row, column);
    const QStyle* style = view->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int width = style->subElementRect(QStyle::SE_ItemViewItemText, &option, view).width() - 2 * margin;
    return option.fontMetrics.elidedText(option.text, option.textElideMode, width);
  }
};

TEST_F(WhatHappened, NamesOfOneFolderStayApartAndLongReasonsKeepTheirEnds) {
  const QString folder = QStringLiteral("/home/someone/recordings/session of the twelfth/");
  std::vector<tacetix::FileRow> rows(7);
  for (int i = 0; i < 7; ++i)
    rows[static_cast<size_t>(i)].Path =
        folder +
        QStringLiteral("take 0%1 (%2).wav").arg(i + 1).arg(i < 4 ? "rough mix, second half" : "final mix, second half");
  Form->Files().AppendRows(std::move(rows));
  for (int i = 0; i < 7; ++i) {
    Form->Files().SetStatus(i, "output file already exists");
    Form->Files().SetStatusReason(i, folder + "out/" + QFileInfo(Form->Files().Row(i).Path).fileName());
  }
  QTest::qWait(0);
  std::set<QString> shown;
  for (int i = 0; i < 7; ++i) {
    const QString file = CellPeek::Shown(List(), i, 0);
    EXPECT_TRUE(file.endsWith(".wav")) << file.toStdString();
    shown.insert(file);
    EXPECT_EQ(CellPeek::Option(List(), i, ReasonColumn).textElideMode, Qt::ElideMiddle);
    EXPECT_EQ(List()->model()->index(i, 0).data(Qt::ToolTipRole).toString(), Form->Files().Row(i).Path);
  }
  EXPECT_EQ(shown.size(), 7u);
}

TEST_F(WhatHappened, ARelativeLogNameGoesBesideTheFirstListedFile) {
  const QStringList files = {"/music/take/a.wav", "/other/b.wav"};
  const std::pair<QString, QString> cases[] = {{"run.log", "/music/take/run.log"},
                                               {"logs/run.log", "/music/take/logs/run.log"},
                                               {"/tmp/run.log", "/tmp/run.log"}};
  for (const auto& [name, path] : cases) EXPECT_EQ(tacetix::LogPathFor(name, files), path) << name.toStdString();
}

TEST_F(WhatHappened, EveryOptionControlExplainsItselfAndProcessSaysWhyItCannotStart) {
  for (QWidget* control :
       Find<QWidget>("TabSheet2")->findChildren<QWidget*>() + Find<QWidget>("TabSheet3")->findChildren<QWidget*>()) {
    const bool option = qobject_cast<QAbstractButton*>(control) || qobject_cast<QAbstractSlider*>(control) ||
                        qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QLineEdit*>(control) ||
                        qobject_cast<QComboBox*>(control);
    if (option && !control->objectName().isEmpty() && !control->objectName().startsWith("qt_")) {
      EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }
  }
  const QString normalize = Find<QWidget>("cbx_Normalize")->toolTip();
  EXPECT_TRUE(normalize.contains("peak") && normalize.contains("loudness")) << normalize.toStdString();
  std::vector<QString> tips = {Button("bt_Process")->toolTip()};
  Form->AddFiles({Wave("a.wav")});
  tips.push_back(Button("bt_Process")->toolTip());
  Find<QLineEdit>("edit_FolderSubfolder")->setText("..");
  tips.push_back(Button("bt_Process")->toolTip());
  Find<QLineEdit>("edit_FolderSubfolder")->setText("out");
  tips.push_back(Button("bt_Process")->toolTip());
  ASSERT_TRUE(Enabled("bt_Process"));
  for (size_t i = 0; i < tips.size(); ++i)
    for (size_t j = i + 1; j < tips.size(); ++j) EXPECT_NE(tips[i], tips[j]) << i << " " << j;
}

}  // namespace
