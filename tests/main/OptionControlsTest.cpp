// The option controls' reactions: level texts and the selection on a real move, the
// link and remove rules, the conversion radios, the name fields' filter and trimming,
// and the other folder from the chooser.
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>

#include "WindowFixture.h"

namespace {

using Sliders = WindowTest;

TEST_F(Sliders, TextsShowTenthsOfADecibelWithAFullStop) {
  auto* track = Find<QSlider>("track_Threshold1");
  auto* text = Find<QLineEdit>("edit_Threshold1");
  const std::pair<int, const char*> texts[] = {
      {0, "-144.0 dBfs"}, {481, "-95.9 dBfs"}, {480, "-96.0 dBfs"}, {1439, "-0.1 dBfs"}, {1440, "0.0 dBfs"}};
  for (const auto& [position, expected] : texts) {
    track->setValue(position);
    EXPECT_EQ(text->text().toStdString(), expected) << position;
  }
  Find<QSlider>("track_Normalize")->setValue(1380);
  EXPECT_EQ(Find<QLineEdit>("edit_Normalize")->text(), "-6.0 dBfs");
}

TEST_F(Sliders, OnlyARealMoveSelectsOtherOrNormalize) {
  auto* track = Find<QSlider>("track_Threshold1");
  track->setValue(481);
  EXPECT_TRUE(Checked("radio_other1"));
  EXPECT_EQ(track->property("Tag").toInt(), 481);

  // The user goes back to digital zero; a change event at the same position keeps it.
  Find<QRadioButton>("radio_digital0_1")->setChecked(true);
  Form->track_Threshold1Change();
  EXPECT_TRUE(Checked("radio_digital0_1"));
  track->setValue(480);
  EXPECT_TRUE(Checked("radio_other1"));

  Find<QSlider>("track_Normalize")->setValue(1439);
  EXPECT_TRUE(Checked("cbx_Normalize"));
  Find<QCheckBox>("cbx_Normalize")->setChecked(false);
  Form->track_NormalizeChange();
  EXPECT_FALSE(Checked("cbx_Normalize"));

  Find<QCheckBox>("cbx_Link")->setChecked(false);
  Find<QSlider>("track_Threshold2")->setValue(100);
  EXPECT_TRUE(Checked("radio_other2"));
  EXPECT_EQ(Find<QLineEdit>("edit_Threshold2")->text(), "-134.0 dBfs");
}

using LinkAndRemove = WindowTest;

TEST_F(LinkAndRemove, UnlinkingHandsTheEndToItsOwnRemoveBox) {
  const char* endControls[] = {"lab_Threshold2", "radio_digital0_2", "radio_other2", "edit_Threshold2",
                               "track_Threshold2"};
  auto* link = Find<QCheckBox>("cbx_Link");
  auto* remove2 = Find<QCheckBox>("cbx_Remove2");
  QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(6, link->height() / 2));
  ASSERT_FALSE(link->isChecked());
  EXPECT_TRUE(On("gbox_End"));
  EXPECT_TRUE(remove2->isEnabled());
  for (const char* name : endControls) EXPECT_TRUE(On(name)) << name;

  remove2->setChecked(false);
  for (const char* name : endControls) EXPECT_FALSE(On(name)) << name;
  EXPECT_TRUE(remove2->isEnabled());

  Find<QSlider>("track_Threshold2")->setEnabled(true);
  Find<QSlider>("track_Threshold2")->setValue(700);
  Find<QRadioButton>("radio_digital0_2")->setChecked(true);
  remove2->setChecked(true);
  link->setChecked(true);
  EXPECT_FALSE(remove2->isEnabled());
  for (const char* name : endControls) EXPECT_FALSE(On(name)) << name;
  EXPECT_TRUE(remove2->isChecked()) << "linking disables without resetting";
  // Linked, the end shows the beginning's level; its own comes back on unlinking.
  EXPECT_EQ(Find<QSlider>("track_Threshold2")->value(), 480);
  link->setChecked(false);
  EXPECT_EQ(Find<QSlider>("track_Threshold2")->value(), 700);
  EXPECT_TRUE(Checked("radio_digital0_2"));
}

TEST_F(LinkAndRemove, LinkedTheEndShowsTheBeginningsChoicesAndUnlinkedItsOwn) {
  Find<QSlider>("track_Threshold1")->setValue(700);
  Find<QCheckBox>("cbx_Remove1")->setChecked(false);
  EXPECT_EQ(Find<QSlider>("track_Threshold2")->value(), 700);
  EXPECT_EQ(Find<QLineEdit>("edit_Threshold2")->text(), "-74.0 dBfs");
  EXPECT_TRUE(Checked("radio_other2"));
  EXPECT_FALSE(Checked("cbx_Remove2"));
  Find<QCheckBox>("cbx_Link")->setChecked(false);
  EXPECT_EQ(Find<QSlider>("track_Threshold2")->value(), 480);
  EXPECT_TRUE(Checked("radio_digital0_2"));
  EXPECT_TRUE(Checked("cbx_Remove2"));
}

// Each of the end's own choices comes back, whichever the beginning showed over it: the end's
// "other" under the beginning's digital zero too, and its keep under the beginning's.
TEST_F(LinkAndRemove, EveryOwnChoiceOfTheEndComesBackOnUnlinking) {
  Find<QCheckBox>("cbx_Link")->setChecked(false);
  Find<QSlider>("track_Threshold2")->setValue(900);
  Find<QSpinBox>("spin_Keep2")->setValue(70);
  Find<QCheckBox>("cbx_Remove2")->setChecked(false);
  ASSERT_TRUE(Checked("radio_other2"));
  Find<QCheckBox>("cbx_Link")->setChecked(true);
  EXPECT_TRUE(Checked("radio_digital0_2"));
  EXPECT_EQ(Find<QSpinBox>("spin_Keep2")->value(), 0);
  Find<QCheckBox>("cbx_Link")->setChecked(false);
  EXPECT_TRUE(Checked("radio_other2"));
  EXPECT_FALSE(Checked("cbx_Remove2"));
  EXPECT_EQ(Find<QSlider>("track_Threshold2")->value(), 900);
  EXPECT_EQ(Find<QSpinBox>("spin_Keep2")->value(), 70);
}

TEST_F(LinkAndRemove, TheBeginningsRemoveBoxGovernsOnlyItsThresholdControls) {
  Find<QCheckBox>("cbx_Remove1")->setChecked(false);
  for (const char* name : {"lab_Threshold1", "radio_digital0_1", "radio_other1", "edit_Threshold1", "track_Threshold1"})
    EXPECT_FALSE(On(name)) << name;
  for (const char* name : {"gbox_Beginning", "cbx_Remove1", "cbx_Normalize", "edit_Normalize", "track_Normalize"})
    EXPECT_TRUE(On(name)) << name;
  Find<QCheckBox>("cbx_Remove1")->setChecked(true);
  EXPECT_TRUE(On("track_Threshold1"));
}

using ConversionRadios = WindowTest;

TEST_F(ConversionRadios, FollowTheBitDepthChoiceAndKeepTheirCheck) {
  auto* bits = Find<QComboBox>("combo_Bits");
  // Dither follows "convert all": only a conversion can take bits away.
  const QString ditherTip = Find<QComboBox>("combo_Dither")->toolTip();
  EXPECT_FALSE(On("combo_Dither")) << "the window opens on \"same as input\"";
  const std::tuple<const char*, bool, bool> rules[] = {{"16 bit signed integer", true, true},
                                                       {"8 bit unsigned integer", true, false},
                                                       {"64 bit float", true, false},
                                                       {"32 bit float", true, true},
                                                       {"same as input", false, false}};
  std::vector<QString> tips;
  for (const auto& [text, all, directional] : rules) {
    bits->setCurrentIndex(bits->findText(QString::fromLatin1(text)));
    EXPECT_EQ(On("radio_BitsAll"), all) << text;
    EXPECT_EQ(On("radio_BitsUp"), directional) << text;
    EXPECT_EQ(On("radio_BitsDown"), directional) << text;
    EXPECT_EQ(On("combo_Dither"), all) << text;
    tips.push_back(Find<QComboBox>("combo_Dither")->toolTip());
  }
  EXPECT_EQ(tips.back(), ditherTip);
  EXPECT_NE(tips.front(), ditherTip) << "a disabled Dither says why";
  EXPECT_TRUE(ditherTip.contains("same as input")) << ditherTip.toStdString();
  bits->setCurrentIndex(3);
  Find<QRadioButton>("radio_BitsUp")->setChecked(true);
  bits->setCurrentIndex(1);
  EXPECT_FALSE(On("radio_BitsUp"));
  EXPECT_TRUE(Checked("radio_BitsUp")) << "disabling never unchecks";
  EXPECT_EQ(Form->CaptureSettings().BitsMode, tacetix::BitsModeKind::Up);
}

// FLAC holds integers: while it is the type the float depths cannot be chosen, and while a
// float depth is chosen FLAC cannot; the run then writes what the combos show.
TEST_F(ConversionRadios, FlacAndTheFloatDepthsExcludeEachOther) {
  auto* bits = Find<QComboBox>("combo_Bits");
  auto* type = Find<QComboBox>("combo_OutputType");
  auto enabled = [](QComboBox* box, const char* text) {
    const auto* model = qobject_cast<QStandardItemModel*>(box->model());
    return model->item(box->findText(QString::fromLatin1(text)))->isEnabled();
  };
  type->setCurrentIndex(type->findText("FLAC"));
  EXPECT_FALSE(enabled(bits, "32 bit float"));
  EXPECT_FALSE(enabled(bits, "64 bit float"));
  EXPECT_TRUE(enabled(bits, "24 bit signed integer"));
  EXPECT_EQ(Form->CaptureSettings().OutputType, tacetix::OutputKind::Flac);
  type->setCurrentIndex(type->findText("AIFF"));
  bits->setCurrentIndex(bits->findText("64 bit float"));
  EXPECT_FALSE(enabled(type, "FLAC"));
  EXPECT_TRUE(enabled(type, "WAV"));
  bits->setCurrentIndex(bits->findText("16 bit signed integer"));
  EXPECT_TRUE(enabled(type, "FLAC"));
}

class NameFields : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Activate();
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  // Leaves the field by focusing a control outside the typing fields.
  void Leave() { Find<QCheckBox>("cbx_Overwrite")->setFocus(Qt::TabFocusReason); }
};

TEST_F(NameFields, RefusedCharactersTypedLeaveTheTextAndPutTheCaretBack) {
  Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
  auto* prefix = Edit("edit_Prefix");
  prefix->setFocus();
  Type("abcd");
  prefix->setCursorPosition(2);
  Type(":");
  EXPECT_EQ(prefix->text(), "abcd");
  EXPECT_EQ(prefix->cursorPosition(), 3) << "back where it stood after the keystroke";
  Type("x");
  EXPECT_EQ(prefix->text(), "abcxd");
  prefix->end(false);
  Type("\\/|\"*<>");
  EXPECT_EQ(prefix->text(), "abcxd");
  EXPECT_EQ(prefix->cursorPosition(), 5);
}

TEST_F(NameFields, APastedPathBecomesOneFolderNameAndSelectsTheSubfolder) {
  auto* folder = Edit("edit_FolderSubfolder");
  folder->setFocus();
  Type("xy");
  folder->setCursorPosition(1);
  Find<QRadioButton>("radio_FolderOther")->setChecked(true);
  QApplication::clipboard()->setText(QStringLiteral("C:\\Audio\\Out"));
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(folder->text(), "xCAudioOuty");
  EXPECT_EQ(folder->cursorPosition(), 11) << "the position after the paste, held to the text's end";
  EXPECT_TRUE(Checked("radio_FolderSubfolder"));
  QApplication::clipboard()->setText(QStringLiteral("/a/b"));
  Edit("edit_Suffix")->setFocus();
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Edit("edit_Suffix")->text(), "ab");
}

TEST_F(NameFields, PastedControlCharactersAreRefusedLikeTheNine) {
  for (const char* name : {"edit_Prefix", "edit_Suffix", "edit_FolderSubfolder"}) {
    auto* edit = Edit(name);
    edit->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("_a\nb\r\tc\x01\x1f d:"));
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text().toStdString(), "_abc d") << name;
  }
}

TEST_F(NameFields, ASubfolderOfDotOrDotDotKeepsProcessDisabled) {
  Form->AddFiles({Wave("a.wav")});
  auto* subfolder = Edit("edit_FolderSubfolder");
  const std::pair<const char*, bool> names[] = {{".", false}, {"..", false}, {"...", true}, {".x", true}, {"x", true}};
  for (const auto& [name, enabled] : names) {
    subfolder->setText(QString::fromLatin1(name));
    EXPECT_EQ(Enabled("bt_Process"), enabled) << name;
  }
  subfolder->setText("..");
  Edit("edit_Prefix")->setText("p_");
  EXPECT_FALSE(Enabled("bt_Process")) << "a prefix does not make .. a subfolder";
  Find<QRadioButton>("radio_FolderOther")->setChecked(true);
  EXPECT_TRUE(Enabled("bt_Process")) << "the subfolder field is not used then";
  Find<QRadioButton>("radio_FolderSubfolder")->setChecked(true);
  EXPECT_FALSE(Enabled("bt_Process"));
}

TEST_F(NameFields, LeavingAFieldTrimsTheEndsThatMatter) {
  const std::tuple<const char*, const char*, const char*> fields[] = {
      {"edit_Prefix", "  pre ", "pre "},
      {"edit_Suffix", " suf  ", " suf"},
      {"edit_FolderSubfolder", " \tsub \x01", "sub"},
      {"edit_Logfile", "\x02 my log.txt  ", "my log.txt"}};
  for (const auto& [name, typed, kept] : fields) {
    auto* edit = Edit(name);
    edit->setFocus();
    edit->setText(QString::fromLatin1(typed));
    EXPECT_FALSE(Form->KeyPreview) << name;
    Leave();
    EXPECT_EQ(edit->text().toStdString(), kept) << name;
    EXPECT_TRUE(Form->KeyPreview) << name;
  }
}

TEST_F(NameFields, AnotherWindowTakingTheFocusIsNoExit) {
  auto* prefix = Edit("edit_Prefix");
  prefix->setFocus();
  prefix->setText(QStringLiteral("  p"));
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(prefix->text(), "  p");
  EXPECT_FALSE(Form->KeyPreview);
}

using OtherFolder = WindowTest;

TEST_F(OtherFolder, AChosenFolderSelectsOtherFolderAndEnablesProcess) {
  Form->AddFiles({Wave("a.wav")});
  QString startedAt = QStringLiteral("unset");
  bool confirm = false;
  Form->ChooseOutputFolder = [&](QString& path) {
    startedAt = path;
    if (confirm) path = QStringLiteral("/data/out");
    return confirm;
  };
  Click("bt_FolderOther");
  EXPECT_EQ(startedAt, "");
  EXPECT_TRUE(Checked("radio_FolderSubfolder")) << "a cancelled chooser changes nothing";
  EXPECT_FALSE(Enabled("bt_Process"));

  confirm = true;
  Click("bt_FolderOther");
  EXPECT_EQ(Find<QLineEdit>("edit_FolderOther")->text(), "/data/out");
  EXPECT_TRUE(Checked("radio_FolderOther"));
  EXPECT_TRUE(Enabled("bt_Process"));

  // The same folder chosen again after going back to the subfolder is still a choice.
  Find<QRadioButton>("radio_FolderSubfolder")->setChecked(true);
  Click("bt_FolderOther");
  EXPECT_EQ(startedAt, "/data/out");
  EXPECT_TRUE(Checked("radio_FolderOther"));
}

TEST_F(OtherFolder, TheChooserIsNotOfferedWhileBusy) {
  int asked = 0;
  Form->ChooseOutputFolder = [&](QString&) {
    ++asked;
    return true;
  };
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    Form->bt_FolderOtherClick();
    row.Path = path;
    return true;
  };
  Form->AddFiles({Wave("a.wav")});
  EXPECT_EQ(asked, 0);
  Click("bt_FolderOther");
  EXPECT_EQ(asked, 1);
}

}  // namespace
