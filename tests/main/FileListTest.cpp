// Adding, refusing, cancelling, dropping, sorting, selecting and deleting rows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QLocale>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <thread>

#include "WindowFixture.h"

namespace {

using Texts = std::vector<std::string>;

using AddingFiles = WindowTest;

TEST_F(AddingFiles, AnalysesEachFileAndRefusesTextNamedWav) {
  const QString stereo = Wave("stereo.wav", 48000, 24, 2, 48000);
  const QString mono = Wave("mono.wav", 8000, 8, 1, 4000);
  Form->AddFiles({stereo, TextFile("notes.wav"), mono});
  EXPECT_EQ(Status(), "2 files added, 1 not added");
  ASSERT_EQ(Rows(), 2);
  // New rows come in path order.
  EXPECT_EQ(Cell(0, 0), mono.toStdString());
  EXPECT_EQ(Cell(0, 1), "8");
  EXPECT_EQ(Cell(0, 2), "8000");
  EXPECT_EQ(Cell(0, 3), "1");
  EXPECT_EQ(Cell(0, 4), "00:00:00.500");
  EXPECT_EQ(Cell(0, 5), "-");
  EXPECT_EQ(Cell(1, 1), "24");
  EXPECT_EQ(Cell(1, 3), "2");
  EXPECT_EQ(Cell(1, 4), "00:00:01.000");
  EXPECT_FALSE(Enabled("bt_Cancel"));
}

TEST_F(AddingFiles, NewRowsComeCaseInsensitivelySortedAfterTheOldOnes) {
  Form->AddFiles({Wave("z.wav")});
  Form->AddFiles({Wave("c.wav"), Wave("a.wav"), Wave("B.wav")});
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(Name(0), "z.wav");
  EXPECT_EQ(Name(1), "a.wav");
  EXPECT_EQ(Name(2), "B.wav");
  EXPECT_EQ(Name(3), "c.wav");
  EXPECT_EQ(Status(), "3 files added");
}

TEST_F(AddingFiles, APathAlreadyListedIsRefused) {
  const QString a = Wave("a.wav");
  const QString b = Wave("b.wav");
  Form->AddFiles({a, b});
  Form->AddFiles({b, Wave("c.wav"), a});
  EXPECT_EQ(Status(), "1 file added, 2 not added");
  EXPECT_EQ(Rows(), 3);
  Form->AddFiles({a, a});
  EXPECT_EQ(Status(), "0 files added, 2 not added");
  EXPECT_EQ(Rows(), 3);
}

TEST_F(AddingFiles, APathNamedTwiceInOneAddGivesOneRow) {
  const QString a = Wave("a.wav");
  Form->AddFiles({a, a});
  EXPECT_EQ(Status(), "1 file added, 1 not added");
  EXPECT_EQ(Rows(), 1);
}

TEST_F(AddingFiles, PathsDifferingInCaseFollowThePlatformsFileNames) {
  const QString lower = Wave("take.wav");
  const QString upper = Wave("TAKE.wav");
  Form->AddFiles({lower});
  Form->AddFiles({upper});
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
  EXPECT_EQ(Status(), "0 files added, 1 not added");
  EXPECT_EQ(Rows(), 1);
#else
  EXPECT_EQ(Status(), "1 file added");
  EXPECT_EQ(Rows(), 2);
#endif
}

TEST_F(AddingFiles, CancelDuringTheThirdFileKeepsItAndSkipsTheRest) {
  QStringList paths;
  for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"}) paths << Wave(name);
  int analysed = 0;
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    // The click waits in the queue like a user's, and is handled at the next pump.
    if (++analysed == 3) QTimer::singleShot(0, Button("bt_Cancel"), &QPushButton::click);
    row.Path = path;
    return true;
  };
  Form->AddFiles(paths);
  EXPECT_EQ(analysed, 3);
  EXPECT_EQ(Status(), "Adding cancelled, 3 files added");
  EXPECT_EQ(Rows(), 3);
  EXPECT_FALSE(Form->CancelRequested);
}

TEST_F(AddingFiles, AnExceptionInTheAnalysisRefusesOnlyThatFile) {
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) -> bool {
    if (path.endsWith("bad.wav")) throw std::runtime_error("broken");
    row.Path = path;
    return true;
  };
  Form->AddFiles({Wave("bad.wav"), Wave("good.wav")});
  EXPECT_EQ(Status(), "1 file added, 1 not added");
  EXPECT_FALSE(Enabled("bt_Cancel"));
}

TEST_F(AddingFiles, AnExceptionInAClickHandlerBecomesAStatus) {
  Form->ChooseSourceFiles = []() -> QStringList { throw std::runtime_error("no dialog"); };
  Click("bt_Add");
  EXPECT_EQ(Status(), "Adding stopped: internal error (no dialog)");
  EXPECT_TRUE(Enabled("bt_Add"));
}

TEST_F(AddingFiles, TheDialogsChoiceIsAddedAndItsCancelChangesNothing) {
  const QString a = Wave("a.wav");
  Form->ChooseSourceFiles = [] { return QStringList(); };
  Click("bt_Add");
  EXPECT_EQ(Status(), "Idle");
  Form->ChooseSourceFiles = [a] { return QStringList{a}; };
  Click("bt_Add");
  EXPECT_EQ(Status(), "1 file added");
  EXPECT_EQ(Rows(), 1);
}

TEST_F(AddingFiles, DroppedFilesAreAddedWhileIdleOnly) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Wave("a.wav"))});
  // As from the desktop: the drop follows an accepted enter.
  auto dragEnter = [&] {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(Form.get(), &enter);
    return enter.isAccepted();
  };
  ASSERT_TRUE(dragEnter());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Form.get(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  QTest::qWait(20);
  EXPECT_EQ(Status(), "1 file added");
  Form->DropFiles({QUrl("http://example.org/x.wav")});
  EXPECT_EQ(Status(), "0 files added") << "a web link is no file, and the add still ends";
  EXPECT_EQ(Rows(), 1);

  Button("bt_Cancel")->setEnabled(true);  // as during an add, a delete or a run
  EXPECT_FALSE(dragEnter());
  Button("bt_Cancel")->setEnabled(false);
}

TEST_F(AddingFiles, AFifoIsNotAddedAndNothingWaitsForIt) {
  const std::string fifo = Dir.File("fifo.wav");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Should the add wait for a writer, one comes after 5 s: the test then fails instead of hanging.
  std::atomic<bool> finished{false}, rescued{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 500 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    while (!finished) {
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        rescued = true;
        ::close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  Form->AddFiles({QString::fromStdString(fifo), Wave("a.wav")});
  finished = true;
  watchdog.join();
  EXPECT_FALSE(rescued) << "adding waited for a writer";
  EXPECT_EQ(Status(), "1 file added, 1 not added");
}

TEST_F(AddingFiles, CancelDuringALongChunkWalkEndsTheAdd) {
  // Zeros after the RIFF header read as empty chunks: 20,000 of them.
  testsupport::Bytes zeros = testsupport::WavBuilder{}.Build();
  zeros.resize(zeros.size() + 8 * 20000, 0);
  testsupport::WriteFile(Dir.File("zeros.wav"), zeros);
  // A 0 ms timer fires once per pump: before a.wav (first in path order), before zeros.wav,
  // then within its walk. The walked file is neither added nor counted as refused.
  int fired = 0;
  QTimer pumps;
  QObject::connect(&pumps, &QTimer::timeout, [&] {
    if (++fired == 3) Button("bt_Cancel")->click();
  });
  pumps.start(0);
  Form->AddFiles({QString::fromStdString(Dir.File("zeros.wav")), Wave("a.wav")});
  pumps.stop();
  EXPECT_EQ(Status(), "Adding cancelled, 1 file added");
  EXPECT_EQ(Rows(), 1);
}

using Sorting = WindowTest;

TEST_F(Sorting, BitsSortNumericallyAndFlipOnTheSecondClick) {
  Form->AddFiles({Wave("a.wav", 44100, 24), Wave("b.wav", 22050, 8), Wave("c.wav", 96000, 16)});
  auto bitsColumn = [&] { return Texts{Cell(0, 1), Cell(1, 1), Cell(2, 1)}; };
  QHeaderView* header = List()->header();
  ClickHeader(1);
  EXPECT_EQ(bitsColumn(), Texts({"8", "16", "24"}));
  EXPECT_EQ(Form->SortTag(), 3);
  EXPECT_TRUE(header->isSortIndicatorShown());
  EXPECT_EQ(header->sortIndicatorSection(), 1);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  ClickHeader(1);
  EXPECT_EQ(bitsColumn(), Texts({"24", "16", "8"}));
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  ClickHeader(1);
  EXPECT_EQ(bitsColumn(), Texts({"8", "16", "24"}));
  ClickHeader(2);
  EXPECT_EQ(Texts({Cell(0, 2), Cell(1, 2), Cell(2, 2)}), Texts({"22050", "44100", "96000"}));
  EXPECT_EQ(Form->SortTag(), 5);
  EXPECT_EQ(header->sortIndicatorSection(), 2);
}

TEST_F(Sorting, LengthOrdersByTimeAndFileIgnoresCase) {
  Form->AddFiles({Wave("a.wav", 1000, 8, 1, 60000), Wave("B.wav", 1000, 8, 1, 9000), Wave("c.wav", 1000, 8, 1, 600)});
  ClickHeader(4);
  EXPECT_EQ(Texts({Cell(0, 4), Cell(1, 4), Cell(2, 4)}), Texts({"00:00:00.600", "00:00:09.000", "00:01:00.000"}));
  ClickHeader(0);
  EXPECT_EQ(Name(0), "a.wav");
  EXPECT_EQ(Name(1), "B.wav");
  ClickHeader(0);
  EXPECT_EQ(Name(0), "c.wav");
}

TEST_F(Sorting, TextColumnsIgnoreCaseUnderARealLocaleToo) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  Form->AddFiles({Wave("c.wav"), Wave("a.wav")});
  Form->AddFiles({Wave("B.wav")});
  ClickHeader(0);
  QLocale::setDefault(previous);
  EXPECT_EQ(Texts({Name(0), Name(1), Name(2)}), Texts({"a.wav", "B.wav", "c.wav"}));
}

TEST_F(Sorting, SelectionFollowsItsRows) {
  Form->AddFiles({Wave("a.wav", 44100, 24), Wave("b.wav", 44100, 8)});
  SelectRows({0});
  ClickHeader(1);
  EXPECT_TRUE(List()->selectionModel()->isRowSelected(1, {}));
  EXPECT_FALSE(List()->selectionModel()->isRowSelected(0, {}));
}

TEST_F(Sorting, AddingRowsOrAnEmptyListLeavesNoArrow) {
  ClickHeader(1);
  EXPECT_EQ(Form->SortTag(), 0);
  EXPECT_FALSE(List()->header()->isSortIndicatorShown());
  Form->AddFiles({Wave("a.wav"), Wave("b.wav")});
  ClickHeader(1);
  Form->AddFiles({Wave("c.wav")});
  EXPECT_EQ(Form->SortTag(), 0);
  EXPECT_FALSE(List()->header()->isSortIndicatorShown());
}

TEST_F(Sorting, AClickWhileBusyChangesNothing) {
  Form->AddFiles({Wave("a.wav", 44100, 24), Wave("b.wav", 44100, 8)});
  Button("bt_Cancel")->setEnabled(true);
  ClickHeader(1);
  Button("bt_Cancel")->setEnabled(false);
  EXPECT_EQ(Form->SortTag(), 0);
  EXPECT_EQ(Cell(0, 1), "24");
  EXPECT_FALSE(List()->header()->isSortIndicatorShown());
}

// How many pixels of each row of the header the sort arrow changes, top row first.
std::vector<int> ArrowWidths(QHeaderView* header) {
  const QImage shown = header->grab().toImage();
  header->setSortIndicatorShown(false);
  const QImage hidden = header->grab().toImage();
  header->setSortIndicatorShown(true);
  std::vector<int> widths;
  for (int y = 0; y < shown.height(); ++y) {
    int changed = 0;
    for (int x = 0; x < shown.width(); ++x) changed += shown.pixel(x, y) != hidden.pixel(x, y) ? 1 : 0;
    if (changed > 0) widths.push_back(changed);
  }
  return widths;
}

TEST_F(Sorting, TheArrowPointsUpForAscendingAndDownForDescending) {
  Form->AddFiles({Wave("a.wav", 44100, 24), Wave("b.wav", 22050, 8)});
  ClickHeader(1);
  std::vector<int> widths = ArrowWidths(List()->header());
  ASSERT_GE(widths.size(), 3u);
  EXPECT_LT(widths.front(), widths.back()) << "ascending: narrow at the top";
  ClickHeader(1);
  widths = ArrowWidths(List()->header());
  ASSERT_GE(widths.size(), 3u);
  EXPECT_GT(widths.front(), widths.back()) << "descending: narrow at the bottom";
}

using ListColumns = WindowTest;

TEST_F(ListColumns, PathsAndStatusWordsShowWholeAsTooltipsAndColumnsKeepTheirMinimums) {
  const QString path = Wave("a.wav");
  Form->AddFiles({path});
  Form->Files().SetStatus(0, "output file already exists");
  auto tip = [&](int column) { return List()->model()->index(0, column).data(Qt::ToolTipRole).toString(); };
  EXPECT_EQ(tip(0), path);
  EXPECT_EQ(tip(5), "output file already exists");
  EXPECT_EQ(tip(1), "") << "numbers are never cut";
  QHeaderView* header = List()->header();
  const int minimums[] = {50, 30, 30, 50, 50};
  for (int column = 0; column < 5; ++column) {
    header->resizeSection(column, 10);
    EXPECT_EQ(header->sectionSize(column), minimums[column]) << column;
  }
}

using Selecting = WindowTest;

TEST_F(Selecting, ReverseInvertsScatteredSpansUpToBothEnds) {
  AppendRows(8);
  const std::pair<std::vector<int>, std::vector<int>> cases[] = {
      {{0, 2, 3, 7}, {1, 4, 5, 6}}, {{1, 4, 5, 6}, {0, 2, 3, 7}}, {{}, {0, 1, 2, 3, 4, 5, 6, 7}}};
  for (const auto& [before, after] : cases) {
    SelectRows(before);
    Click("bt_Reverse");
    EXPECT_EQ(SelectedRowNumbers(), after);
  }
}

TEST_F(Selecting, AllNoneAndReverse) {
  Form->AddFiles({Wave("a.wav"), Wave("b.wav"), Wave("c.wav")});
  SelectRows({1});
  Click("bt_Reverse");
  EXPECT_EQ(Summary(), "3 files, 2 selected");
  EXPECT_FALSE(List()->selectionModel()->isRowSelected(1, {}));
  Click("bt_All");
  EXPECT_EQ(Summary(), "3 files, 3 selected");
  Click("bt_None");
  EXPECT_EQ(Summary(), "3 files, 0 selected");
}

using Deleting = WindowTest;

TEST_F(Deleting, SomeRowsKeepTheSortAndTheLastRowClearsIt) {
  Form->AddFiles({Wave("a.wav"), Wave("b.wav"), Wave("c.wav")});
  ClickHeader(0);
  SelectRows({1});
  Click("bt_Delete");
  EXPECT_EQ(Status(), "1 file deleted");
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Name(0), "a.wav");
  EXPECT_EQ(Name(1), "c.wav");
  EXPECT_EQ(Form->SortTag(), 1);
  Click("bt_All");
  Click("bt_Delete");
  EXPECT_EQ(Status(), "2 files deleted");
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(Form->SortTag(), 0);
  EXPECT_FALSE(List()->header()->isSortIndicatorShown());
  EXPECT_EQ(Summary(), "0 files, 0 selected");
}

TEST_F(Deleting, ACancelAfterABatchKeepsEveryRowNotReachedWithItsSelection) {
  AppendRows(40);
  std::vector<int> evenRows, expectLeft;
  for (int row = 0; row < 40; ++row) {
    if (row % 2 == 0) evenRows.push_back(row);
    if (row < 16 || row % 2 == 1 || row == 30) expectLeft.push_back(row);
  }
  SelectRows(evenRows);
  // Each pump comes before one row, from the last row up: pump k before row 40 - k.
  int pumps = 0;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (!Form->Busy()) return;
    ++pumps;
    if (pumps == 5) {
      List()->selectionModel()->select(List()->model()->index(30, 0),
                                       QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    if (pumps == 10) QTest::qSleep(150);  // the rows deleted so far leave the list at the next one
    if (pumps == 25) Button("bt_Cancel")->click();
  });
  watcher.start(0);
  Click("bt_Delete");
  watcher.stop();
  EXPECT_EQ(Status(), "Deleting cancelled, 11 files deleted");
  std::vector<int> left;
  for (int row = 0; row < Rows(); ++row) left.push_back(std::stoi(Name(row)));
  EXPECT_EQ(left, expectLeft) << "the 11 even rows from 38 to 16 went, but for 30";
  EXPECT_EQ(SelectedRowNumbers(), std::vector<int>({0, 2, 4, 6, 8, 10, 12, 14}));
  EXPECT_EQ(Summary(), "29 files, 8 selected");
}

TEST_F(Deleting, TheListsOwnSelectAllIsRefusedWhileBusy) {
  AppendRows(10);
  SelectRows({0});
  int pumps = 0;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (Form->Busy() && ++pumps == 2) QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
  });
  watcher.start(0);
  Click("bt_Delete");
  watcher.stop();
  EXPECT_EQ(Status(), "1 file deleted");
  ASSERT_EQ(Rows(), 9);
  EXPECT_EQ(Name(0), "01.wav") << "the chosen row went, and only it";
  EXPECT_EQ(Name(8), "09.wav");
  QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Summary(), "9 files, 9 selected") << "idle, select-all works again";
}

TEST_F(Deleting, CancelStopsBeforeTheNextRow) {
  QStringList paths;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) paths << Wave(name);
  Form->AddFiles(paths);
  Click("bt_All");
  // Handled at the pump before the second deletion.
  int pumps = 0;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (Form->Busy() && ++pumps == 2) Button("bt_Cancel")->click();
  });
  watcher.start(0);
  Click("bt_Delete");
  watcher.stop();
  EXPECT_EQ(Status(), "Deleting cancelled, 1 file deleted");
  EXPECT_EQ(Rows(), 3);
  EXPECT_FALSE(Form->CancelRequested);
}

}  // namespace
