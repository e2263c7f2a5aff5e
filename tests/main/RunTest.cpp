// A whole run from the window on generated files, cancelling, closing while busy,
// and the snapshot the run works from.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSlider>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "WindowFixture.h"
#include "support/WaveClass.h"

namespace {

class Run : public WindowTest {
 protected:
  void AddPadded() {
    Form->AddFiles({PaddedWave(Dir, "one.wav", 10), PaddedWave(Dir, "two.wav", 20), PaddedWave(Dir, "three.wav", 30)});
    Find<QLineEdit>("edit_FolderSubfolder")->setText("trimmed");
  }
  std::vector<std::string> Statuses() {
    std::vector<std::string> words;
    for (int row = 0; row < Rows(); ++row) words.push_back(Cell(row, 5));
    return words;
  }
};

TEST_F(Run, TrimsEveryFileIntoTheSubfolder) {
  AddPadded();
  Find<QLineEdit>("edit_Prefix")->setText("cut_");
  Click("bt_Process");
  EXPECT_EQ(Status(), "3 files processed ok");
  EXPECT_EQ(Statuses(), std::vector<std::string>({"done", "done", "done"}));
  const auto folder = Dir.Path() / "trimmed";
  EXPECT_EQ(SampleCount(folder / "cut_one.wav"), 10);
  EXPECT_EQ(SampleCount(folder / "cut_two.wav"), 20);
  EXPECT_EQ(SampleCount(folder / "cut_three.wav"), 30);
  EXPECT_FALSE(Enabled("bt_Cancel"));
  EXPECT_TRUE(Enabled("bt_Reset"));
  EXPECT_TRUE(Enabled("bt_Process"));
}

TEST_F(Run, AnExistingOutputStopsTheRunAtThatRow) {
  AddPadded();
  std::filesystem::create_directory(Dir.Path() / "trimmed");
  testsupport::WriteFile((Dir.Path() / "trimmed" / "three.wav").string(), {1, 2, 3});
  Click("bt_Process");
  // Rows are in path order: one, three, two.
  EXPECT_EQ(Statuses(), std::vector<std::string>({"done", "output file already exists", "-"}));
  EXPECT_EQ(Status(), "1 file processed ok, 1 with errors");
}

TEST_F(Run, TheStatusTooltipGivesTheReasonOfTheWord) {
  AddPadded();
  std::filesystem::create_directory(Dir.Path() / "trimmed");
  const std::string existing = (Dir.Path() / "trimmed" / "three.wav").string();
  testsupport::WriteFile(existing, {1, 2, 3});
  std::filesystem::remove(Dir.Path() / "two.wav");
  Find<QCheckBox>("cbx_StopOnError")->setChecked(false);
  Click("bt_Process");
  auto tip = [&](int row) { return List()->model()->index(row, 5).data(Qt::ToolTipRole).toString().toStdString(); };
  EXPECT_EQ(tip(0), "done");
  EXPECT_EQ(tip(1), "output file already exists (" + existing + ")");
  EXPECT_EQ(tip(2), "I/O error (No such file or directory)");
  // The next run's words come without the old reasons.
  Find<QCheckBox>("cbx_Overwrite")->setChecked(true);
  Click("bt_Process");
  EXPECT_EQ(tip(1), "done");
}

TEST_F(Run, AnUnwritableLogStopsBeforeAnythingChanges) {
  AddPadded();
  Form->Files().SetStatus(0, "done");
  Find<QCheckBox>("cbx_Logfile")->setChecked(true);
  Find<QLineEdit>("edit_Logfile")->setText(QString::fromStdString(Dir.Path().string()));
  Click("bt_Process");
  EXPECT_EQ(Status(), "Error writing to Logfile. Processing stopped.");
  EXPECT_EQ(Statuses(), std::vector<std::string>({"done", "-", "-"}));
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "trimmed"));
  EXPECT_FALSE(Enabled("bt_Cancel"));
}

TEST_F(Run, ALogNamedLikeAListedFileStartsNothing) {
  AddPadded();
  const std::string two = (Dir.Path() / "two.wav").string();
  const testsupport::Bytes before = testsupport::ReadFile(two);
  Find<QCheckBox>("cbx_Logfile")->setChecked(true);
  Find<QLineEdit>("edit_Logfile")->setText(QString::fromStdString(two));
  Click("bt_Process");
  EXPECT_EQ(Status(), "Error writing to Logfile. Processing stopped.");
  EXPECT_EQ(Statuses(), std::vector<std::string>({"-", "-", "-"}));
  EXPECT_EQ(testsupport::ReadFile(two), before);
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "trimmed"));
}

TEST_F(Run, CancelLeavesTheRowsNotReachedAtTheirDash) {
  AddPadded();
  QTimer::singleShot(0, Button("bt_Cancel"), &QPushButton::click);
  Click("bt_Process");
  EXPECT_EQ(Status(), "Processing cancelled, 0 files processed ok");
  EXPECT_EQ(Statuses(), std::vector<std::string>({"-", "-", "-"}));
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "trimmed" / "one.wav"));
}

TEST_F(Run, ASortByStatusIsDroppedOnceFilesWereProcessed) {
  AddPadded();
  ClickHeader(5);
  EXPECT_EQ(Form->SortTag(), 11);
  Click("bt_Process");
  EXPECT_EQ(Form->SortTag(), 0);
  EXPECT_FALSE(List()->header()->isSortIndicatorShown());
}

TEST_F(Run, ClosingWhileBusyCancelsAndClosesWhenTheRunHasEnded) {
  AddPadded();
  QTimer::singleShot(0, Form.get(), [this] { Form->close(); });
  Click("bt_Process");
  EXPECT_EQ(Status(), "Processing cancelled, 0 files processed ok");
  EXPECT_TRUE(Form->isVisible()) << "the close waits for the end of the run";
  QTest::qWait(20);
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(Run, ClosingWhileAddingClosesAfterTheAdd) {
  int analysed = 0;
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    if (++analysed == 1) Form->close();
    row.Path = path;
    return true;
  };
  Form->AddFiles({Wave("a.wav"), Wave("b.wav"), Wave("c.wav")});
  EXPECT_EQ(Status(), "Adding cancelled, 1 file added");
  EXPECT_TRUE(Form->isVisible());
  QTest::qWait(20);
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(Run, AnExceptionInTheRunMarksTheFileAndEndsTheBusyState) {
  AddPadded();
  Form->RunBatchFunction = [](const tacetix::RunRequest&, tacetix::RunFrontEnd& frontEnd) {
    frontEnd.BeginBusy();
    frontEnd.SetRowStatus(0, tacetix::RowStatus::Processing);
    throw std::runtime_error("out of memory");
    return tacetix::RunResult{};
  };
  Click("bt_Process");
  EXPECT_EQ(Cell(0, 5), "I/O error");
  EXPECT_FALSE(Enabled("bt_Cancel"));
  EXPECT_TRUE(Enabled("bt_Add"));
  EXPECT_NE(Status().find("out of memory"), std::string::npos);
}

using Snapshot = WindowTest;

TEST_F(Snapshot, ALinkedEndFollowsTheBeginning) {
  Find<QSlider>("track_Threshold1")->setValue(1440);
  Find<QRadioButton>("radio_other1")->setChecked(true);
  Find<QRadioButton>("radio_digital0_2")->setChecked(true);
  Find<QCheckBox>("cbx_Remove2")->setChecked(false);
  tacetix::ProcessSettings settings = Form->CaptureSettings();
  EXPECT_TRUE(settings.RemoveEnd);
  EXPECT_EQ(settings.ThresholdBegin, 1.0);
  EXPECT_EQ(settings.ThresholdEnd, 1.0);
  const std::vector<std::string> header = Form->CaptureLogHeader().Processing;
  EXPECT_EQ(std::vector<std::string>(header.begin(), header.begin() + 4),
            std::vector<std::string>({"remove silence at beginning: Yes", "Threshold beginning: 0.0 dBfs",
                                      "remove silence at end: Yes", "Threshold end: 0.0 dBfs"}));

  Find<QCheckBox>("cbx_Link")->setChecked(false);
  Find<QCheckBox>("cbx_Remove2")->setEnabled(true);
  settings = Form->CaptureSettings();
  EXPECT_FALSE(settings.RemoveEnd);
  EXPECT_EQ(settings.ThresholdEnd, 0.0);
}

TEST_F(Snapshot, ReadsNamesFolderBitsAndNormalizing) {
  Find<QLineEdit>("edit_Prefix")->setText("p");
  Find<QLineEdit>("edit_Suffix")->setText("s");
  Find<QLineEdit>("edit_FolderOther")->setText("/tmp/out");
  Find<QRadioButton>("radio_FolderOther")->setChecked(true);
  Find<QComboBox>("combo_Bits")->setCurrentIndex(3);
  Find<QRadioButton>("radio_BitsDown")->setChecked(true);
  Find<QCheckBox>("cbx_Normalize")->setChecked(true);
  Find<QSlider>("track_Normalize")->setValue(1380);
  const tacetix::ProcessSettings settings = Form->CaptureSettings();
  EXPECT_EQ(settings.Prefix, "p");
  EXPECT_EQ(settings.Suffix, "s");
  EXPECT_EQ(settings.FolderMode, tacetix::FolderKind::OtherFolder);
  EXPECT_EQ(settings.FolderText, "/tmp/out");
  EXPECT_EQ(settings.BitsChoice, 3);
  EXPECT_EQ(settings.BitsMode, tacetix::BitsModeKind::Down);
  EXPECT_TRUE(settings.Normalize);
  EXPECT_NEAR(settings.NormalizeLevelDb, -6.0, 1e-6);
  EXPECT_NEAR(settings.NormalizeTarget, 0.501187, 1e-6);
  EXPECT_TRUE(settings.StopOnError);
  EXPECT_EQ(Form->CaptureLogHeader().Output.at(0), "Bit depth: 16 bit signed integer, only down");
}

// The loudness controls and the dither list reach the run and its header; setting a value
// chooses the loudness.
TEST_F(Snapshot, ReadsLoudnessAndDither) {
  struct Case {
    const char* Name;
    std::function<void()> Set;
    bool Loudness;
    double Lufs, Ceiling;
    tacetix::DitherKind Dither;
    std::string HeaderText;  // the loudness line's text, after "Normalize to: "
  };
  const Case cases[] = {
      {"defaults", [] {}, false, -23.0, -1.0, tacetix::DitherKind::None, ""},
      {"target set", [this] { Find<QDoubleSpinBox>("spin_Lufs")->setValue(-16.0); }, true, -16.0, -1.0,
       tacetix::DitherKind::None, "-16.0 LUFS (true peak -1.0 dBTP)"},
      {"ceiling set, shaped",
       [this] {
         Find<QDoubleSpinBox>("spin_TruePeak")->setValue(-2.5);
         Find<QComboBox>("combo_Dither")->setCurrentIndex(2);
       },
       true, -23.0, -2.5, tacetix::DitherKind::Shaped, "-23.0 LUFS (true peak -2.5 dBTP)"},
      {"back to peak, triangular",
       [this] {
         Find<QDoubleSpinBox>("spin_Lufs")->setValue(-14.0);
         Find<QRadioButton>("radio_NormPeak")->setChecked(true);
         Find<QComboBox>("combo_Dither")->setCurrentIndex(1);
       },
       false, -14.0, -1.0, tacetix::DitherKind::Triangular, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Find<QComboBox>("combo_Dither")->setCurrentIndex(0);
    Find<QDoubleSpinBox>("spin_Lufs")->setValue(-23.0);
    Find<QDoubleSpinBox>("spin_TruePeak")->setValue(-1.0);
    Find<QRadioButton>("radio_NormPeak")->setChecked(true);
    Find<QCheckBox>("cbx_Normalize")->setChecked(true);
    c.Set();
    EXPECT_EQ(Checked("radio_NormLoudness"), c.Loudness);
    const tacetix::ProcessSettings settings = Form->CaptureSettings();
    EXPECT_TRUE(settings.Normalize);
    EXPECT_EQ(settings.NormalizeLoudness, c.Loudness);
    EXPECT_DOUBLE_EQ(settings.LoudnessTarget, c.Lufs);
    EXPECT_DOUBLE_EQ(settings.TruePeakCeiling, c.Ceiling);
    EXPECT_EQ(settings.Dither, c.Dither);
    const std::vector<std::string> header = Form->CaptureLogHeader().Processing;
    const std::string last = header.back().rfind("Normalize to: ", 0) == 0 ? header.back().substr(14) : "";
    EXPECT_EQ(last, c.HeaderText);
  }
}

}  // namespace
