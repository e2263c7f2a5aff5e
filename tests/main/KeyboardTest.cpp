// Keyboard commands through the real key path: the focused control, the window's key
// preview and Qt's accelerators. Letters act only on their page; the typing fields
// switch the commands off.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "main/unit_About.h"
#include "main/unit_LogOptions.h"
#include "support/WaveClass.h"

namespace {

class Keys : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Activate();
    Form->ChooseSourceFiles = [this] {
      ++AddDialogs;
      return ToAdd;
    };
    Form->ChooseLogFile = [this](QString&) {
      ++LogDialogs;
      return false;
    };
    Form->ChooseOutputFolder = [this](QString&) {
      ++FolderDialogs;
      return false;
    };
    Form->ShowInternalError = [this](const QString& text) { Errors.push_back(text.toStdString()); };
    About.OpenUrl = [](const QUrl&) {};
    Form->SetDialogs(&About, &LogOptions);
    FocusNeutral();
  }
  QTabWidget* Pages() { return Find<QTabWidget>("PageControl1"); }
  int Page() { return Pages()->currentIndex(); }
  // The tab bar takes no letters of its own, so a key there is only a command.
  void FocusNeutral() { Pages()->tabBar()->setFocus(Qt::TabFocusReason); }
  bool HasFocus(const char* name) { return QApplication::focusWidget() == Find<QWidget>(name); }
  // A key that types no character, such as a keypad digit with NumLock off would be.
  void KeyDownOnly(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString());
    QApplication::sendEvent(QApplication::focusWidget(), &press);
  }
  int SelectedRows() { return List()->selectionModel()->selectedRows().size(); }

  QStringList ToAdd;
  int AddDialogs = 0;
  int LogDialogs = 0;
  int FolderDialogs = 0;
  std::vector<std::string> Errors;
  Tfrm_About About;
  Tfrm_LogOptions LogOptions;
};

TEST_F(Keys, DigitsAndKeypadDigitsSwitchPagesFromAnywhere) {
  Type("2");
  EXPECT_EQ(Page(), 1);
  Type("3");
  EXPECT_EQ(Page(), 2);
  KeyDownOnly(Qt::Key_1, Qt::KeypadModifier);
  EXPECT_EQ(Page(), 0);
  KeyDownOnly(Qt::Key_2, Qt::NoModifier);
  EXPECT_EQ(Page(), 0) << "only the keypad's digit keys switch without a character";
  Press(Qt::Key_3, Qt::KeypadModifier);
  EXPECT_EQ(Page(), 2);
  Type("b");
  EXPECT_TRUE(About.isVisible());
  EXPECT_TRUE(Errors.empty());
}

TEST_F(Keys, InputPageLettersRunTheListCommands) {
  ToAdd = {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")};
  Type("a");
  EXPECT_EQ(AddDialogs, 1);
  ASSERT_EQ(Rows(), 3);
  Type("l");
  EXPECT_EQ(SelectedRows(), 3);
  Type("n");
  EXPECT_EQ(SelectedRows(), 0);
  SelectRows({1});
  Type("r");
  EXPECT_EQ(SelectedRows(), 2);
  Type("S");
  EXPECT_EQ(Status(), "Idle");
  FocusNeutral();
  SelectRows({0});
  Type("d");
  EXPECT_EQ(Rows(), 2);

  FocusNeutral();
  SelectRows({0});
  Press(Qt::Key_Delete);
  EXPECT_EQ(Rows(), 1);
  ToAdd.clear();
  Press(Qt::Key_Insert);
  EXPECT_EQ(AddDialogs, 2);
  FocusNeutral();
  SelectRows({});
  Press(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(SelectedRows(), 1);
  EXPECT_EQ(AddDialogs, 2) << "Ctrl+A selects; it does not add";
}

TEST_F(Keys, ProcessingPageLettersFollowTheLink) {
  Type("2");
  Type("e");
  EXPECT_TRUE(Checked("cbx_Remove2")) << "linked, E does nothing";
  Type("h");
  EXPECT_FALSE(HasFocus("track_Threshold2"));
  Type("l");
  EXPECT_FALSE(Checked("cbx_Link"));
  EXPECT_TRUE(On("gbox_End")) << "the toggle runs the link rule";
  Type("e");
  EXPECT_FALSE(Checked("cbx_Remove2"));
  Type("h");
  EXPECT_FALSE(HasFocus("track_Threshold2")) << "its label is disabled now";
  Type("eh");
  EXPECT_TRUE(HasFocus("track_Threshold2"));
  FocusNeutral();
  Type("n");
  EXPECT_TRUE(Checked("cbx_Normalize"));
  Type("rt");
  EXPECT_FALSE(Checked("cbx_Remove1"));
  EXPECT_FALSE(HasFocus("track_Threshold1"));
  Type("rt");
  EXPECT_TRUE(HasFocus("track_Threshold1"));
}

TEST_F(Keys, OutputPageLettersToggleFocusAndBrowse) {
  Type("3");
  Type("cexl");
  EXPECT_TRUE(Checked("cbx_NoChange"));
  EXPECT_FALSE(Checked("cbx_StopOnError"));
  EXPECT_TRUE(Checked("cbx_Overwrite"));
  EXPECT_TRUE(Checked("cbx_Logfile"));
  Type("s");
  EXPECT_TRUE(Checked("cbx_Simulation"));
  Type("l");
  EXPECT_FALSE(Checked("cbx_Logfile"));
  EXPECT_FALSE(Checked("cbx_Simulation")) << "the toggle runs the click handler";
  Type("w.");
  EXPECT_EQ(LogDialogs, 1);
  EXPECT_EQ(FolderDialogs, 1);

  Find<QComboBox>("combo_Bits")->setCurrentIndex(3);
  Find<QRadioButton>("radio_BitsDown")->setChecked(true);
  FocusNeutral();
  Type("a");
  EXPECT_TRUE(Checked("radio_BitsAll"));

  const std::pair<const char*, const char*> focusKeys[] = {
      {"d", "combo_Bits"}, {"f", "edit_FolderSubfolder"}, {"r", "edit_Prefix"}, {"u", "edit_Suffix"}};
  for (const auto& [key, name] : focusKeys) {
    FocusNeutral();
    ASSERT_TRUE(Form->KeyPreview) << name;
    Type(key);
    EXPECT_TRUE(HasFocus(name)) << name;
    EXPECT_FALSE(Form->KeyPreview) << name;
  }

  FocusNeutral();
  bool optionsShown = false;
  QTimer::singleShot(0, &LogOptions, [&] {
    optionsShown = LogOptions.isVisible();
    LogOptions.reject();
  });
  Type("o");
  EXPECT_TRUE(optionsShown);
}

TEST_F(Keys, LMeansAllThenLinkThenLogfile) {
  ToAdd = {Wave("a.wav"), Wave("b.wav")};
  Type("a");
  FocusNeutral();
  Type("l");
  EXPECT_EQ(SelectedRows(), 2);
  Type("2l");
  EXPECT_FALSE(Checked("cbx_Link"));
  EXPECT_FALSE(Checked("cbx_Logfile"));
  Type("3l");
  EXPECT_TRUE(Checked("cbx_Logfile"));
  EXPECT_FALSE(Checked("cbx_Link"));
}

TEST_F(Keys, ASwitchedPageLeavesTheFocusWithThePageControl) {
  Type("2");
  Find<QCheckBox>("cbx_Link")->setFocus();
  Type("3");
  EXPECT_FALSE(HasFocus("combo_Bits"));
  Type("l");
  EXPECT_TRUE(Checked("cbx_Logfile"));

  Type("r");
  ASSERT_TRUE(HasFocus("edit_Prefix"));
  QTabBar* tabs = Pages()->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(Page(), 1);
  EXPECT_TRUE(Form->KeyPreview) << "leaving the page left the field";
  Type("3");
  EXPECT_FALSE(HasFocus("edit_Prefix")) << "coming back does not return into the field";
}

TEST_F(Keys, CtrlTabLeavesTheFocusWithThePageControlToo) {
  auto* bits = Find<QComboBox>("combo_Bits");
  Type("2");
  Find<QCheckBox>("cbx_Link")->setFocus();
  Press(Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_EQ(Page(), 2);
  EXPECT_FALSE(HasFocus("combo_Bits"));
  Type("1");
  EXPECT_EQ(Page(), 0) << "the digit is a command again";
  EXPECT_EQ(bits->currentIndex(), 0) << "not \"12 bit signed integer\"";

  List()->setFocus();
  Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(Page(), 2);
  Type("1");
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(bits->currentIndex(), 0);
}

TEST_F(Keys, TabWalksThePageThenProcessCancelAndAbout) {
  ToAdd = {Wave("a.wav")};
  Type("a");
  Find<QLineEdit>("edit_Suffix")->setText("_x");
  FocusNeutral();
  std::vector<std::string> order;
  for (int i = 0; i < 10; ++i) {
    Press(Qt::Key_Tab);
    order.push_back(QApplication::focusWidget()->objectName().toStdString());
  }
  // Delete, None and Cancel are disabled and skipped.
  EXPECT_EQ(order, std::vector<std::string>({"lview_Files", "bt_Add", "bt_AddFolder", "bt_All", "bt_Reverse",
                                             "bt_Reset", "bt_Preview", "bt_Process", "bt_About",
                                             Pages()->tabBar()->objectName().toStdString()}));
}

TEST_F(Keys, TypingFieldsTakeLettersNotCommands) {
  ToAdd = {PaddedWave(Dir, "a.wav", 5)};
  Type("a3");
  Find<QLineEdit>("edit_Suffix")->setText("x");
  ASSERT_TRUE(Enabled("bt_Process"));
  const std::string status = Status();
  Type("r");
  ASSERT_TRUE(HasFocus("edit_Prefix"));
  Type("pa1bl");
  EXPECT_EQ(Find<QLineEdit>("edit_Prefix")->text(), "pa1bl");
  EXPECT_EQ(Page(), 2);
  EXPECT_EQ(AddDialogs, 1);
  EXPECT_EQ(Status(), status) << "no run started";
  EXPECT_FALSE(About.isVisible());
  EXPECT_FALSE(Checked("cbx_Logfile"));

  Press(Qt::Key_Tab);
  ASSERT_TRUE(HasFocus("edit_Suffix"));
  Type("2p");
  EXPECT_EQ(Page(), 2);
  EXPECT_EQ(Status(), status);

  // Clicking a check box leaves the field, and the commands are back.
  auto* overwrite = Find<QCheckBox>("cbx_Overwrite");
  QTest::mouseClick(overwrite, Qt::LeftButton, {}, QPoint(6, overwrite->height() / 2));
  ASSERT_TRUE(HasFocus("cbx_Overwrite"));
  Type("p");
  EXPECT_EQ(Status(), "1 file processed ok");
  EXPECT_TRUE(std::filesystem::exists(Dir.Path() / "pa1bla2p.wav"));
}

TEST_F(Keys, EscapeCancelsAnAddButNotFromATypingField) {
  ToAdd = {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")};
  int analysed = 0;
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    if (analysed++ % 3 == 0) {
      // Delivered at the add's next look at the event queue, like a real key.
      QCoreApplication::postEvent(QApplication::focusWidget(),
                                  new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b"));
    }
    row.Path = path;
    return true;
  };
  Type("a");
  EXPECT_EQ(Status(), "Adding cancelled, 1 file added");

  Type("3r");
  ASSERT_TRUE(HasFocus("edit_Prefix"));
  ToAdd = {Wave("d.wav"), Wave("e.wav"), Wave("f.wav")};
  Form->bt_AddClick();
  EXPECT_EQ(Status(), "3 files added");
}

TEST_F(Keys, AltAcceleratorsStillWorkAndRunOnce) {
  Type("3");
  Press(Qt::Key_S, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Checked("cbx_Simulation"); }, 2000));
  QTest::qWait(150);
  EXPECT_TRUE(Checked("cbx_Simulation")) << "one toggle, not two";
  EXPECT_TRUE(Checked("cbx_Logfile"));
  EXPECT_TRUE(Form->KeyPreview);

  Press(Qt::Key_2, Qt::AltModifier);
  EXPECT_EQ(Page(), 2) << "Alt with a key no caption claims types no command";

  Type("1");
  FocusNeutral();
  Press(Qt::Key_A, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([this] { return AddDialogs > 0; }, 2000));
  QTest::qWait(150);
  EXPECT_EQ(AddDialogs, 1);
}

TEST_F(Keys, EnterPressesProcessUnlessAButtonHasTheFocus) {
  ToAdd = {PaddedWave(Dir, "a.wav", 5)};
  Type("a3u_e");
  Find<QPushButton>("bt_About")->setFocus();
  Press(Qt::Key_Return);
  EXPECT_EQ(Status(), "1 file added");
  EXPECT_TRUE(About.isVisible()) << "Enter presses the focused button";
  About.hide();
  Activate();
  Type("1");
  ToAdd.clear();
  Find<QPushButton>("bt_Add")->setFocus();
  Press(Qt::Key_Enter);
  EXPECT_EQ(AddDialogs, 2);
  EXPECT_EQ(Status(), "1 file added") << "and nothing else";
  Type("3");
  Find<QLineEdit>("edit_Suffix")->setFocus();
  Press(Qt::Key_Return);
  EXPECT_EQ(Status(), "1 file processed ok");
  EXPECT_TRUE(std::filesystem::exists(Dir.Path() / "a_e.wav"));
}

TEST_F(Keys, AnUnknownPageRaisesTheInternalErrors) {
  Pages()->addTab(new QWidget, QStringLiteral("Extra"));
  Pages()->setCurrentIndex(3);
  FocusNeutral();
  Type("q");
  EXPECT_EQ(Errors, std::vector<std::string>({"Internal Error 2", "Internal Error 1"}));
  Errors.clear();
  Type("1");
  EXPECT_EQ(Errors, std::vector<std::string>({"Internal Error 2"})) << "1 is a key of every page";
  EXPECT_EQ(Page(), 0);
}

TEST_F(Keys, ARunDrivenEntirelyByKeys) {
  ToAdd = {PaddedWave(Dir, "one.wav", 12), PaddedWave(Dir, "two.wav", 40)};
  Type("1a3u");
  Type("_k");
  Press(Qt::Key_Tab);
  Type("p");
  EXPECT_EQ(Status(), "2 files processed ok");
  EXPECT_EQ(SampleCount(Dir.Path() / "one_k.wav"), 12);
  EXPECT_EQ(SampleCount(Dir.Path() / "two_k.wav"), 40);
  EXPECT_EQ(Find<QLineEdit>("edit_Suffix")->text(), "_k");
}

}  // namespace
