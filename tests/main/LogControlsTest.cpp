// The log controls of the "Output" page, the dialogs wired to the window, and a run
// whose options are changed while it works.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <cmath>
#include <functional>
#include <sstream>

#include "WindowFixture.h"
#include "main/unit_About.h"
#include "main/unit_LogOptions.h"

namespace {

using LogControls = WindowTest;

TEST_F(LogControls, SimulationNeedsALogfileButNotTheOtherWayRound) {
  auto* simulation = Find<QCheckBox>("cbx_Simulation");
  auto* logfile = Find<QCheckBox>("cbx_Logfile");
  simulation->setChecked(true);
  EXPECT_TRUE(logfile->isChecked());
  simulation->setChecked(false);
  EXPECT_TRUE(logfile->isChecked()) << "unticking Simulation leaves the log";
  simulation->setChecked(true);
  logfile->setChecked(false);
  EXPECT_FALSE(simulation->isChecked());
  logfile->setChecked(true);
  EXPECT_FALSE(simulation->isChecked()) << "a log alone is no simulation";
}

TEST_F(LogControls, TheLogNameTicksAndUnticksTheLogfile) {
  auto* name = Find<QLineEdit>("edit_Logfile");
  EXPECT_FALSE(Checked("cbx_Logfile")) << "the start text does not tick it";
  Find<QCheckBox>("cbx_Simulation")->setChecked(true);
  name->clear();
  EXPECT_FALSE(Checked("cbx_Logfile"));
  EXPECT_FALSE(Checked("cbx_Simulation"));
  QTest::keyClicks(name, "run.log");
  EXPECT_TRUE(Checked("cbx_Logfile"));
  EXPECT_FALSE(Checked("cbx_Simulation"));
  name->clear();
  Find<QCheckBox>("cbx_Logfile")->setChecked(true);
  EXPECT_TRUE(Checked("cbx_Logfile")) << "ticking by hand with no name is allowed";
}

TEST_F(LogControls, BrowseStartsFromTheNameAndWorksEvenWhileBusy) {
  std::vector<QString> startedAt;
  Form->ChooseLogFile = [&](QString& path) {
    startedAt.push_back(path);
    path = QStringLiteral("/var/tmp/chosen.log");
    return true;
  };
  Click("bt_LogBrowse");
  ASSERT_EQ(startedAt.size(), 1u);
  EXPECT_EQ(startedAt[0], "tacetix.log");
  EXPECT_EQ(Find<QLineEdit>("edit_Logfile")->text(), "/var/tmp/chosen.log");
  EXPECT_TRUE(Checked("cbx_Logfile"));

  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    Form->bt_LogBrowseClick();
    row.Path = path;
    return true;
  };
  Form->AddFiles({Dir.File("a.wav").c_str()});
  EXPECT_EQ(startedAt.size(), 2u);

  Form->ChooseLogFile = [](QString& path) {
    path = QStringLiteral("ignored.log");
    return false;
  };
  Click("bt_LogBrowse");
  EXPECT_EQ(Find<QLineEdit>("edit_Logfile")->text(), "/var/tmp/chosen.log") << "a cancel changes nothing";

  // With files listed, it starts where the run writes a bare name: beside the first file.
  Form->ChooseLogFile = [&](QString& path) {
    startedAt.push_back(path);
    return false;
  };
  const QString folder = QFileInfo(QString::fromStdString(Dir.File("a.wav"))).absolutePath();
  for (const char* name : {"run.log", ""}) {
    Find<QLineEdit>("edit_Logfile")->setText(QString::fromLatin1(name));
    Click("bt_LogBrowse");
    EXPECT_EQ(startedAt.back(), name[0] ? folder + "/run.log" : folder) << name;
  }
}

TEST_F(LogControls, TheFileDialogRefusesAMissingFolderAndKeepsALongPathWhole) {
  const QString longName = QString(250, QLatin1Char('x'));
  const QString chosen = QString::fromStdString(Dir.File(longName.toStdString() + ".log"));
  std::vector<QString> typed = {QStringLiteral("/no/such/dir/run"),
                                QString::fromStdString(Dir.File(longName.toStdString()))};
  std::vector<QString> warnings;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      warnings.push_back(box->text());
      box->accept();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (typed.empty()) return dialog->reject();
      auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      field->setText(typed.front());
      typed.erase(typed.begin());
      QTest::keyClick(field, Qt::Key_Return);
    }
  });
  driver.start(20);
  Click("bt_LogBrowse");
  driver.stop();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(warnings[0].startsWith("/no/such/dir\n")) << warnings[0].toStdString();
  EXPECT_TRUE(typed.empty()) << "the dialog came back after the warning";
  auto* name = Find<QLineEdit>("edit_Logfile");
  EXPECT_EQ(name->text(), chosen) << "a path of " << chosen.size() << " characters kept whole";

  name->setText(QString(255, QLatin1Char('a')));
  name->end(false);
  QTest::keyClicks(name, "b");
  EXPECT_EQ(name->text().size(), 255) << "typing stays limited";
}

class WiredDialogs : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    About.OpenUrl = [](const QUrl&) {};
    Form->SetDialogs(&About, &LogOptions);
  }
  // Runs the modal options dialog from the window, doing actions inside it.
  bool ShowOptions(const std::function<void()>& actions) {
    bool shown = false;
    QTimer::singleShot(0, &LogOptions, [&] {
      shown = LogOptions.isVisible();
      actions();
    });
    QTimer::singleShot(10000, &LogOptions, [this] { LogOptions.reject(); });
    Click("bt_LogOptions");
    return shown;
  }
  template <typename Control>
  Control* InOptions(const char* name) {
    return LogOptions.findChild<Control*>(QString::fromLatin1(name));
  }

  Tfrm_About About;
  Tfrm_LogOptions LogOptions;
};

TEST_F(WiredDialogs, OptionsConfirmedChangeTheWindowsLogSettingsOnly) {
  EXPECT_TRUE(ShowOptions([this] {
    EXPECT_TRUE(InOptions<QRadioButton>("rb_sepafield_semi")->isChecked());
    InOptions<QRadioButton>("rb_sepadeci_comma")->click();
    InOptions<QRadioButton>("rb_sepafield_tab")->click();
    InOptions<QPushButton>("bt_OK")->click();
  }));
  EXPECT_EQ(Form->LogSettings.SepaDeci, ',');
  EXPECT_EQ(Form->LogSettings.SepaField, '\t');

  EXPECT_TRUE(ShowOptions([this] {
    EXPECT_TRUE(InOptions<QRadioButton>("rb_sepafield_tab")->isChecked()) << "loaded before every showing";
    InOptions<QRadioButton>("rb_sepafield_semi")->click();
    InOptions<QPushButton>("bt_Cancel")->click();
  }));
  EXPECT_EQ(Form->LogSettings.SepaField, '\t');
}

TEST_F(WiredDialogs, OptionsAreRefusedWhileBusyAboutIsNot) {
  bool optionsShown = false;
  Form->AnalyzeFile = [&](const QString& path, tacetix::FileRow& row) {
    // Closes the options dialog should it open, and says whether it did.
    QTimer::singleShot(0, &LogOptions, [&] {
      optionsShown = LogOptions.isVisible();
      LogOptions.reject();
    });
    Form->bt_LogOptionsClick();
    Form->bt_AboutClick();
    row.Path = path;
    return true;
  };
  Form->AddFiles({Dir.File("a.wav").c_str()});
  QTest::qWait(1);
  EXPECT_FALSE(optionsShown);
  EXPECT_TRUE(About.isVisible());
  EXPECT_FALSE(About.isModal());
}

// Passes everything on, and changes the window's options as each file starts.
class MeddlingFrontEnd : public tacetix::RunFrontEnd {
 public:
  MeddlingFrontEnd(tacetix::RunFrontEnd& inner, std::function<void(int32_t)> onFileStart)
      : Inner(inner), OnFileStart(std::move(onFileStart)) {}
  void SetRowStatus(int32_t row, tacetix::RowStatus status) override {
    Inner.SetRowStatus(row, status);
    if (status == tacetix::RowStatus::Processing) OnFileStart(row);
  }
  void SetStatus(const std::string& text) override { Inner.SetStatus(text); }
  void SetStatusProgress(const std::string& text, int32_t percent) override { Inner.SetStatusProgress(text, percent); }
  void SetProgress(int32_t percent) override { Inner.SetProgress(percent); }
  bool Pump() override { return Inner.Pump(); }
  void SetRowOutput(int32_t row, const std::string& path) override { Inner.SetRowOutput(row, path); }
  void BeginBusy() override { Inner.BeginBusy(); }
  void EndBusy(bool rowsTouched) override { Inner.EndBusy(rowsTouched); }

 private:
  tacetix::RunFrontEnd& Inner;
  std::function<void(int32_t)> OnFileStart;
};

// 200 silent frames, a ramp up to peak, 300 silent frames.
QString PeakWave(const testsupport::TempDir& dir, const std::string& name, int16_t peak) {
  std::vector<int16_t> samples(200, 0);
  for (int i = 1; i <= 50; ++i) samples.push_back(static_cast<int16_t>(peak * i / 50));
  samples.insert(samples.end(), 300, 0);
  const std::string path = dir.File(name);
  testsupport::WriteWav16(path, 1, samples, 8000);
  return QString::fromStdString(path);
}

double Peak(const std::string& path) {
  int32_t channels = 0, bits = 0, tag = 0;
  std::vector<double> samples;
  if (!testsupport::ReadWav(path, channels, bits, tag, samples)) return -1.0;
  double peak = 0.0;
  for (double value : samples) peak = std::max(peak, std::fabs(value));
  return peak;
}

std::vector<std::vector<std::string>> LogRecords(const std::string& path) {
  std::vector<std::vector<std::string>> records;
  std::istringstream lines(testsupport::ReadText(path));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] != '"') continue;
    if (line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ';');) fields.push_back(cell);
    records.push_back(fields);
  }
  return records;
}

using LiveOptions = WindowTest;

TEST_F(LiveOptions, ARunKeepsItsSnapshotWhileTheControlsMove) {
  Form->AddFiles({PeakWave(Dir, "a.wav", 8000), PeakWave(Dir, "b.wav", 20000)});
  Find<QSlider>("track_Normalize")->setValue(1380);  // -6.0 dBfs, ticks "&Normalize to"
  Find<QLineEdit>("edit_FolderSubfolder")->setText("out");
  const std::string logPath = Dir.File("run.log");
  Find<QLineEdit>("edit_Logfile")->setText(QString::fromStdString(logPath));
  std::vector<std::string> seenWhileBusy;
  Form->RunBatchFunction = [&](const tacetix::RunRequest& request, tacetix::RunFrontEnd& window) {
    MeddlingFrontEnd meddler(window, [&](int32_t row) {
      if (row != 1) return;
      Find<QSlider>("track_Normalize")->setValue(1140);
      Find<QCheckBox>("cbx_Normalize")->setChecked(false);
      Find<QComboBox>("combo_Bits")->setCurrentIndex(1);
      Find<QLineEdit>("edit_Suffix")->setText("_late");
      Find<QCheckBox>("cbx_Logfile")->setChecked(false);
      seenWhileBusy = {Find<QLineEdit>("edit_Normalize")->text().toStdString(),
                       On("track_Normalize") ? "live" : "locked"};
    });
    return tacetix::RunBatch(request, meddler);
  };
  Click("bt_Process");
  EXPECT_EQ(Status(), "2 files processed ok");
  EXPECT_EQ(seenWhileBusy, std::vector<std::string>({"-30.0 dBfs", "live"}));

  const double target = std::pow(10.0, -6.0 / 20.0);
  for (const char* name : {"a.wav", "b.wav"}) {
    EXPECT_NEAR(Peak((Dir.Path() / "out" / name).string()), target, 2e-4) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "out" / "b_late.wav"));
  EXPECT_NE(testsupport::ReadText(logPath).find("normalize to: -6.0 dBfs"), std::string::npos);
  const auto records = LogRecords(logPath);
  ASSERT_EQ(records.size(), 2u);
  for (const auto& fields : records) {
    ASSERT_EQ(fields.size(), 12u);
    // The gain is the snapshot's target less the file's peak, for the second file too.
    EXPECT_NEAR(std::stod(fields[7]) + std::stod(fields[8]), -6.0, 1e-3) << fields[0];
    EXPECT_EQ(fields[10], "16") << fields[0];
  }
}

TEST_F(LogControls, AFolderNotFoundGivesTheNameBackToTheDialogAsTyped) {
  const QString typed = QString::fromStdString((Dir.Path() / "missing" / "run.log").string());
  QString shownAgain;
  int step = 0;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (name && step == 0) {
      name->setText(typed);
      QMetaObject::invokeMethod(dialog, "accept");
      step = 1;
    } else if (qobject_cast<QMessageBox*>(modal) && step == 1) {
      static_cast<QMessageBox*>(modal)->accept();
      step = 2;
    } else if (name && step == 2) {
      shownAgain = name->text();
      dialog->reject();
      step = 3;
    }
  });
  driver.start(20);
  Click("bt_LogBrowse");
  EXPECT_EQ(step, 3);
  EXPECT_EQ(shownAgain.toStdString(), typed.toStdString());
  EXPECT_EQ(Find<QLineEdit>("edit_Logfile")->text(), "tacetix.log") << "cancelled: the name stays";
}

}  // namespace
