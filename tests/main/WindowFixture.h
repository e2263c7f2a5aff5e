// A shown main window and a folder of generated wave files for each test.
#pragma once

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include <filesystem>

#include "main/unit_main.h"
#include "run/RunFrontEnd.h"
#include "support/TestSupport.h"
#include "support/WaveClass.h"

// Silence, then `sound` samples of sound, then silence: the kept part is exactly the sound.
inline QString PaddedWave(const testsupport::TempDir& dir, const std::string& name, int sound) {
  std::vector<int16_t> samples(200, 0);
  for (int i = 0; i < sound; ++i) samples.push_back(static_cast<int16_t>(1000 + i));
  samples.insert(samples.end(), 300, 0);
  const std::string path = dir.File(name);
  testsupport::WriteWav16(path, 1, samples, 8000);
  return QString::fromStdString(path);
}

// Samples of a written wave file, or -1 when it cannot be read.
inline int32_t SampleCount(const std::filesystem::path& path) {
  tacetix::PCMFile file;
  tacetix::WaveInfo info{};
  if (file.OpenInput(path.string(), false) != 0 || file.GetInfo(info) != 0) return -1;
  return info.SampleCount;
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TForm1>();
    Form->show();
  }
  void TearDown() override {
    Form->CancelRequested = true;
    Form.reset();
  }

  template <typename Control>
  Control* Find(const char* name) {
    auto* control = Form->findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
  bool Enabled(const char* name) { return Button(name)->isEnabled(); }
  QTreeView* List() { return Find<QTreeView>("lview_Files"); }
  // Texts come back as std::string so that failures print readably.
  std::string Cell(int row, int column) { return List()->model()->index(row, column).data().toString().toStdString(); }
  std::string Name(int row) {
    return QFileInfo(List()->model()->index(row, 0).data().toString()).fileName().toStdString();
  }
  int Rows() { return List()->model()->rowCount(); }
  std::string Status() { return Find<QLabel>("StatusPanel0")->text().toStdString(); }
  std::string Summary() { return Find<QLabel>("lab_summary")->text().toStdString(); }
  void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
  // Focus events, and so the typing fields' enter and exit, need the window active.
  void Activate() {
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  }
  // Keys go where a real key goes: to the focused control, past the window's key preview
  // and Qt's accelerators.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
  }
  void Type(const char* keys) { QTest::keyClicks(static_cast<QWidget*>(nullptr), QString::fromLatin1(keys)); }
  bool Checked(const char* name) { return Find<QAbstractButton>(name)->isChecked(); }
  bool On(const char* name) { return Find<QWidget>(name)->isEnabled(); }
  void SelectRows(const std::vector<int>& rows) {
    List()->selectionModel()->clearSelection();
    for (int row : rows) {
      List()->selectionModel()->select(List()->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  std::vector<int> SelectedRowNumbers() {
    std::vector<int> rows;
    for (int row = 0; row < Rows(); ++row) {
      if (List()->selectionModel()->isRowSelected(row, {})) rows.push_back(row);
    }
    return rows;
  }
  // count rows named /f/00.wav, /f/01.wav, ... straight into the list; no file is read.
  void AppendRows(int count) {
    std::vector<tacetix::FileRow> rows(static_cast<size_t>(count));
    const int first = Rows();
    for (int i = 0; i < count; ++i)
      rows[static_cast<size_t>(i)].Path = QStringLiteral("/f/%1.wav").arg(first + i, 2, 10, QLatin1Char('0'));
    Form->Files().AppendRows(std::move(rows));
  }
  // A running batch shows what moved at its next frame, some 30 a second.
  static void Frame(tacetix::RunFrontEnd& frontEnd) {
    QTest::qWait(40);
    frontEnd.Pump();
  }
  void ClickHeader(int column) {
    QHeaderView* header = List()->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
  }

  // A 16-bit mono file of the given samples (or a 1 kHz-ish sound of frames frames).
  QString Wave(const std::string& name, uint32_t rate = 44100, uint16_t bits = 16, uint16_t channels = 1,
               uint32_t frames = 100) {
    const uint16_t bytes = static_cast<uint16_t>((bits + 7) / 8);
    testsupport::Bytes data(static_cast<size_t>(frames) * channels * bytes, 0);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((i * 37) & 0x7F);
    const std::string path = Dir.File(name);
    testsupport::WriteFile(path, testsupport::SimpleWav(1, channels, rate, bits, data));
    return QString::fromStdString(path);
  }
  QString TextFile(const std::string& name) {
    const std::string path = Dir.File(name);
    testsupport::WriteFile(path, {'h', 'e', 'l', 'l', 'o'});
    return QString::fromStdString(path);
  }

  testsupport::TempDir Dir;
  std::unique_ptr<TForm1> Form;
};
