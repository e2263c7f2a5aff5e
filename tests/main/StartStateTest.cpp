// The window as it opens, and the enabling rules that follow rows, selection and names.
#include <QComboBox>
#include <QGroupBox>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <map>

#include "WindowFixture.h"

namespace {

using StartState = WindowTest;

TEST_F(StartState, OnlyAddFolderLogAndAboutButtonsAreEnabled) {
  EXPECT_EQ(Status(), "Idle");
  EXPECT_EQ(Summary(), "0 files, 0 selected");
  for (const char* name : {"bt_Add", "bt_FolderOther", "bt_LogOptions", "bt_LogBrowse", "bt_About"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  for (const char* name : {"bt_Process", "bt_Cancel", "bt_Delete", "bt_All", "bt_None", "bt_Reverse", "bt_Reset"}) {
    EXPECT_FALSE(Enabled(name)) << name;
  }
  EXPECT_TRUE(Form->acceptDrops());
  EXPECT_EQ(Form->windowTitle(), "Tacetix v1.1");
}

TEST_F(StartState, PagesAndButtonCaptionsCarryTheirAccelerators) {
  auto* pages = Find<QTabWidget>("PageControl1");
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->tabText(0), "Input");
  EXPECT_EQ(pages->tabText(1), "Processing");
  EXPECT_EQ(pages->tabText(2), "Output");
  EXPECT_EQ(pages->currentIndex(), 0);
  // clang-format off
  const std::pair<const char*, const char*> captions[] = {
      {"bt_Process", "&Process"}, {"bt_Cancel", "Cancel"}, {"bt_About", "A&bout..."},  {"bt_Add", "&Add..."},
      {"bt_Delete", "&Delete"},   {"bt_All", "A&ll"},      {"bt_None", "&None"},        {"bt_Reverse", "&Rev"},
      {"bt_Reset", "Re&set"},     {"bt_FolderOther", "Browse&..."}, {"bt_LogOptions", "&Options..."},
      {"bt_LogBrowse", "Bro&wse..."}};
  // clang-format on
  for (const auto& [name, caption] : captions) EXPECT_EQ(Button(name)->text(), caption) << name;
  EXPECT_TRUE(Button("bt_Process")->isDefault());
}

TEST_F(StartState, OptionControlsStartFromTheirDefaults) {
  const std::tuple<const char*, const char*, bool> checks[] = {
      {"cbx_Link", "&Link silence removal of beginning and end", true},
      {"cbx_Remove1", "&Remove silence", true},
      {"cbx_Remove2", "R&emove silence", true},
      {"cbx_Normalize", "&Normalize to", false},
      {"cbx_Simulation", "&Simulation (no output except logfile)", false},
      {"cbx_Logfile", "&Logfile", false},
      {"cbx_NoChange", "&Create files even if nothing changed (silence, normalizing, bit depth)", false},
      {"cbx_Overwrite", "Overwrite e&xisting files", false},
      {"cbx_StopOnError", "Stop on &error", true}};
  for (const auto& [name, caption, checked] : checks) {
    auto* box = Find<QCheckBox>(name);
    EXPECT_EQ(box->text(), caption) << name;
    EXPECT_EQ(box->isChecked(), checked) << name;
  }
  const std::tuple<const char*, const char*, bool> radios[] = {{"radio_digital0_1", "-inf (digital zero)", true},
                                                               {"radio_other1", "other", false},
                                                               {"radio_digital0_2", "-inf (digital zero)", true},
                                                               {"radio_other2", "other", false},
                                                               {"radio_BitsAll", "convert &all", true},
                                                               {"radio_BitsUp", "only up", false},
                                                               {"radio_BitsDown", "only down", false},
                                                               {"radio_FolderSubfolder", "Source folder with", true},
                                                               {"radio_FolderOther", "Other folder", false}};
  for (const auto& [name, caption, checked] : radios) {
    auto* radio = Find<QRadioButton>(name);
    EXPECT_EQ(radio->text(), caption) << name;
    EXPECT_EQ(radio->isChecked(), checked) << name;
  }
  EXPECT_EQ(Find<QLineEdit>("edit_Threshold1")->text(), "-96.0 dBfs");
  EXPECT_EQ(Find<QLineEdit>("edit_Threshold2")->text(), "-96.0 dBfs");
  EXPECT_EQ(Find<QLineEdit>("edit_Normalize")->text(), "0.0 dBfs");
  EXPECT_EQ(Find<QLineEdit>("edit_Logfile")->text(), "tacetix.log");
  EXPECT_EQ(Find<QLineEdit>("edit_Prefix")->maxLength(), 254);
  EXPECT_EQ(Find<QLineEdit>("edit_FolderSubfolder")->maxLength(), 255);
  EXPECT_EQ(Find<QSlider>("track_Normalize")->value(), 1440);
  EXPECT_EQ(Find<QSlider>("track_Threshold1")->maximum(), 1440);
  EXPECT_EQ(Find<QSlider>("track_Threshold1")->pageStep(), 20);
}

TEST_F(StartState, LinkedEndAndSameAsInputDisableTheirControls) {
  EXPECT_FALSE(Find<QGroupBox>("gbox_End")->isEnabled());
  EXPECT_TRUE(Find<QGroupBox>("gbox_Beginning")->isEnabled());
  for (const char* name : {"cbx_Remove2", "radio_digital0_2", "radio_other2", "edit_Threshold2", "track_Threshold2"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  }
  auto* bits = Find<QComboBox>("combo_Bits");
  ASSERT_EQ(bits->count(), 9);
  EXPECT_EQ(bits->itemText(0), "same as input");
  EXPECT_EQ(bits->itemText(8), "64 bit float");
  EXPECT_EQ(bits->currentIndex(), 0);
  for (const char* name : {"radio_BitsAll", "radio_BitsUp", "radio_BitsDown"}) {
    EXPECT_FALSE(Find<QRadioButton>(name)->isEnabled()) << name;
  }
  EXPECT_EQ(Find<QGroupBox>("gbox_Bits")->title(), " Bit &depth ");
}

TEST_F(StartState, TheWindowOpensCentredOnTheScreen) {
  const QPoint offCentre = Form->frameGeometry().center() - Form->screen()->availableGeometry().center();
  // Up to the frame, which is not known before the window shows.
  EXPECT_LE(offCentre.manhattanLength(), 8) << offCentre.x() << ", " << offCentre.y();
}

TEST_F(StartState, TheSummaryIsPaintedWholeRightOfTheButtons) {
  auto* summary = Find<QLabel>("lab_summary");
  auto expectWhole = [&](const std::string& what) {
    QCoreApplication::processEvents();  // the layout follows the new text
    EXPECT_GE(summary->contentsRect().width(), summary->fontMetrics().horizontalAdvance(summary->text())) << what;
    const QRect placed(summary->mapTo(Form.get(), QPoint(0, 0)), summary->size());
    EXPECT_TRUE(Form->rect().contains(placed)) << what;
    EXPECT_GT(placed.left(), Button("bt_Reset")->mapTo(Form.get(), QPoint(Button("bt_Reset")->width(), 0)).x()) << what;
  };
  AppendRows(12);
  EXPECT_EQ(Summary(), "12 files, 0 selected");
  expectWhole(Summary());
  AppendRows(1988);
  Click("bt_All");
  EXPECT_EQ(Summary(), "2000 files, 2000 selected");
  expectWhole(Summary());
  summary->setText("100000 files, 100000 selected");
  expectWhole(Summary());
}

using EnablingRules = WindowTest;

TEST_F(EnablingRules, ProcessNeedsRowsAndOneNameField) {
  QTest::keyClicks(Find<QLineEdit>("edit_Prefix"), "x");
  EXPECT_FALSE(Enabled("bt_Process")) << "no rows yet";
  Find<QLineEdit>("edit_Prefix")->clear();
  Form->AddFiles({Wave("a.wav")});
  EXPECT_FALSE(Enabled("bt_Process")) << "rows but no name";
  for (const char* name : {"edit_Prefix", "edit_Suffix", "edit_FolderSubfolder"}) {
    auto* edit = Find<QLineEdit>(name);
    QTest::keyClicks(edit, "x");
    EXPECT_TRUE(Enabled("bt_Process")) << name;
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_FALSE(Enabled("bt_Process")) << name;
  }
  Find<QLineEdit>("edit_FolderOther")->setText(QString::fromStdString(Dir.Path().string()));
  EXPECT_TRUE(Enabled("bt_Process"));
}

TEST_F(EnablingRules, SelectionDecidesDeleteAllAndNone) {
  Form->AddFiles({Wave("a.wav"), Wave("b.wav")});
  EXPECT_EQ(Summary(), "2 files, 0 selected");
  EXPECT_TRUE(Enabled("bt_All"));
  EXPECT_FALSE(Enabled("bt_None"));
  EXPECT_FALSE(Enabled("bt_Delete"));
  EXPECT_TRUE(Enabled("bt_Reverse"));
  SelectRows({0, 1});
  EXPECT_EQ(Summary(), "2 files, 2 selected");
  EXPECT_FALSE(Enabled("bt_All"));
  EXPECT_TRUE(Enabled("bt_None"));
  EXPECT_TRUE(Enabled("bt_Delete"));
}

TEST_F(EnablingRules, SummaryPluralFollowsTheRowCountOnly) {
  Form->AddFiles({Wave("a.wav")});
  EXPECT_EQ(Summary(), "1 file, 0 selected");
  SelectRows({0});
  EXPECT_EQ(Summary(), "1 file, 1 selected");
}

TEST_F(EnablingRules, ResetIsEnabledUntilTheStatusReadsIdle) {
  Form->AddFiles({Wave("a.wav")});
  EXPECT_EQ(Status(), "1 file added");
  EXPECT_TRUE(Enabled("bt_Reset"));
  Form->Files().SetStatus(0, "done");
  Click("bt_Reset");
  EXPECT_EQ(Status(), "Idle");
  EXPECT_EQ(Cell(0, 5), "-");
  EXPECT_FALSE(Enabled("bt_Reset"));
}

TEST_F(EnablingRules, WhileBusyOnlyCancelAboutAndOptionsStayUsable) {
  Find<QLineEdit>("edit_Prefix")->setText("p_");
  Form->AddFiles({Wave("a.wav")});
  SelectRows({0});
  std::map<std::string, bool> seen;
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    for (const char* name : {"bt_Add", "bt_Delete", "bt_All", "bt_None", "bt_Reverse", "bt_Reset", "bt_Process",
                             "bt_FolderOther", "bt_LogOptions", "bt_LogBrowse", "bt_Cancel", "bt_About"}) {
      seen[name] = Enabled(name);
    }
    seen["drops"] = Form->acceptDrops();
    seen["cbx_Link"] = Find<QCheckBox>("cbx_Link")->isEnabled();
    row.Path = path;
    return true;
  };
  Form->AddFiles({Dir.File("b.wav").c_str()});
  for (const char* name : {"bt_Add", "bt_Delete", "bt_All", "bt_None", "bt_Reverse", "bt_Reset", "bt_Process",
                           "bt_FolderOther", "bt_LogOptions", "bt_LogBrowse", "drops"}) {
    EXPECT_FALSE(seen[name]) << name;
  }
  EXPECT_TRUE(seen["bt_Cancel"]);
  EXPECT_TRUE(seen["bt_About"]);
  EXPECT_TRUE(seen["cbx_Link"]);
  EXPECT_FALSE(Enabled("bt_Cancel"));
  EXPECT_TRUE(Enabled("bt_Process"));
}

}  // namespace
