// TForm1: the main window. It owns the file list, the option controls, the log options,
// the sample buffer and the cancel flag; the work itself is done by the core.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "main/FileListModel.h"
#include "main/OptionBindings.h"
#include "options/RunChoices.h"
#include "run/BatchRun.h"

class QAbstractButton;
class QButtonGroup;
class QKeyEvent;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QGroupBox;
class QLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStatusBar;
class QTabWidget;
class QTreeView;
class Tfrm_About;
class Tfrm_LogOptions;
namespace tacetix {
class Tfrm_Preview;
}

namespace tacetix {

class TAlignedEdit;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Status helpers. SetStatus paints at once and zeroes the progress bar;
  // SetStatusProgress leaves the painting to the next pump.
  void SetStatus(const QString& text);
  void SetStatusIdle();
  void SetStatusProgress(const QString& text, int percent);
  void SetProgress(int percent);
  // Every Status cell back to "-", then "Idle".
  void ResetFileStatuses();
  void UpdateSummary();
  // The enabling rules of the list commands, Process and the folder/log buttons.
  void UpdateControls();
  void RefreshControls();
  QString StatusText() const;
  // Busy exactly while bt_Cancel is enabled.
  bool Busy() const;
  int SelectedCount() const;
  // The selected rows as sorted, disjoint spans of first and last row.
  std::vector<std::pair<int, int>> SelectedSpans() const;

  // File list. Each handler does nothing unless its own button is enabled. A folder among
  // the paths adds every wave file below it. keepOrder: the rows come in the order given
  // (the command line's), not sorted by path.
  void AddFiles(const QStringList& paths, bool keepOrder = false);
  void DropFiles(const QList<QUrl>& urls, bool keepOrder = false);
  void bt_AddClick();
  void bt_AddFolderClick();
  // The files the last add refused, each with why, in a dialog that stays until closed.
  void bt_NotAddedClick();
  void bt_DeleteClick();
  void bt_AllClick();
  void bt_NoneClick();
  void bt_ReverseClick();
  void ChangeSelection(const std::function<void()>& change);
  void bt_ResetClick();
  void lview_FilesChange();
  void lview_FilesColumnClick(int column);
  void UpdateSortArrow(bool show);
  int SortTag() const { return SortTagValue; }
  // The column the list is sorted by, or -1 while it keeps the order of adding.
  int SortColumn() const { return SortTagValue > 0 ? (SortTagValue - 1) / 2 : -1; }
  void SetSortTag(int tag) { SortTagValue = tag; }
  FileListModel& Files() { return *FileModel; }

  // The run and the buttons beside the pages.
  void bt_ProcessClick();
  void bt_CancelClick();
  void bt_AboutClick();
  // Opens frm_Preview on the current row (the first row when there is none); it then follows
  // the current row and the options.
  void bt_PreviewClick();
  Tfrm_Preview* PreviewWindow() const;
  // The controls as the user left them, and the run they describe.
  RunChoices CaptureChoices() const;
  ProcessSettings CaptureSettings() const;
  LogHeaderSnapshot CaptureLogHeader() const;

  // The window's side of a busy operation: clear the cancel, enable bt_Cancel, refresh;
  // and at the end disable it, refresh, and close if a close waited for the operation.
  void BeginOperation();
  void EndOperation();
  // An exception caught in a handler, as a status text.
  void ReportFailure(const QString& operation, const char* what);

  // The option controls, one row each (OptionBindings.h), in the order the pages bind them.
  const std::vector<OptionBinding>& Bindings() const { return OptionBindings; }
  // A page binds each option control where it places it; Tab walks the bound controls, and
  // the page's other stops, in the order they were bound.
  void Bind(OptionBinding row);
  void TabStop(QWidget* control);
  // Option controls. A level slider's move is a change to a position other than the one
  // in its "Tag" property; only a move selects its mode and ticks its box.
  void track_Threshold1Change();
  void track_Threshold2Change();
  void track_NormalizeChange();
  void UpdateSliderValues();
  void cbx_LinkClick();
  void cbx_Remove1Click();
  void cbx_Remove2Click();
  // Each bound control that cannot act now is off, with the label that names it.
  void UpdateLiveControls();
  // The conversion radios follow the bit-depth choice; which one is checked never changes.
  void UpdateRadioBits();
  void ExcludeFloatFlac();
  void edit_PrefixSuffixChange(QLineEdit* sender);
  void edit_FolderSubfolderChange();
  void edit_FolderOtherChange();
  void bt_FolderOtherClick();
  void edit_PrefixExit();
  void edit_SuffixExit();
  // Shared by edit_FolderSubfolder and edit_Logfile: both ends trimmed.
  void edit_FolderSubfolderExit(QLineEdit* sender);
  void enter_an_edit();

  // Log controls and the two dialogs, which main() creates after the window.
  void SetDialogs(Tfrm_About* about, Tfrm_LogOptions* logOptions);
  void bt_LogOptionsClick();
  // Runs whether or not bt_LogBrowse is enabled: a name chosen during a run is for the next.
  void bt_LogBrowseClick();
  void edit_LogfileChange();
  void cbx_LogfileClick();
  void cbx_SimulationClick();
  // The warning beside the switches says what an output carries with metadata kept.
  void cbx_KeepMetadataClick();

  // Keyboard commands; neither consumes the key. character is what the key types.
  void FormKeyPress(QChar character);
  void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  // Off while the caret is in one of the typing fields, so letters there stay letters.
  bool KeyPreview = true;

  bool CancelRequested = false;
  tacetix::LogSettings LogSettings;

  // Returns the chosen source files, or nothing when the user cancels.
  std::function<QStringList()> ChooseSourceFiles;
  // Returns the chosen source folder, or "" when the user cancels.
  std::function<QString()> ChooseSourceFolder;
  // The folder and log file choosers: path in as the start, out as the choice; false on
  // cancel. They default to the desktop's dialogs.
  std::function<bool(QString& path)> ChooseOutputFolder;
  std::function<bool(QString& path)> ChooseLogFile;
  // The modal error box of the keyboard's page guards.
  std::function<void(const QString& text)> ShowInternalError;
  // Fills a row from the file at path; false when the file is not a readable wave file.
  std::function<bool(const QString& path, FileRow& row)> AnalyzeFile;
  // The files the last add refused, with the reason for each.
  std::vector<std::pair<QString, QString>> NotAdded;
  std::function<RunResult(const RunRequest&, RunFrontEnd&)> RunBatchFunction;

 protected:
  void showEvent(QShowEvent* event) override;
  // Key preview and the enter/exit of the typing fields, seen application-wide.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void BuildWindow();
  QWidget* BuildInputPage();
  void BuildFileListView(QWidget* page);
  QWidget* BuildProcessingPage();
  QWidget* BuildOutputPage();
  QWidget* BuildThresholdGroup(int which);
  void BindThresholdControls(int which);
  void AddCutRow(QGridLayout* grid, QWidget* group, int which);
  QLayout* BuildIgnoreClicksRow(QWidget* page);
  QLayout* BuildSplitRow(QWidget* page);
  QLayout* BuildLoudnessRow(QWidget* page);
  const OptionBinding* BindingOf(const QObject* control) const;
  QWidget* BindingControl(const char* key) const;
  void ShowDefaults();
  void BuildStatusBar();
  void SetTabOrder();
  void ConnectHandlers();
  void ConnectOptionHandlers();
  void ConnectNameFields();
  void ConnectLogControls();
  void InstallDefaultDialogs();
  void LevelSliderChange(const OptionBinding& row);
  void SelectOwnMode(const OptionBinding& row);
  void FilterNameField(QLineEdit* edit);
  void TypingFieldFocus(QObject* watched, QEvent* event);
  bool IsKeyTarget(QObject* watched) const;
  void PreviewKey(const QKeyEvent& event);
  bool AllPagesKey(QChar character);
  bool InputPageKey(QChar character);
  bool ProcessingPageKey(QChar character);
  bool OutputPageKey(QChar character);
  void DefaultButtonKey(const QKeyEvent& event);
  void ConnectPageSwitching();
  void ShowPage(int index);
  void TakeFocusOffPage(int nextIndex);
  // Drops from queue every path already listed or named twice; counts them in refused.
  void RefuseDuplicates(QStringList& queue, int& refused, bool keepOrder);
  void Refuse(const QString& path, const QString& reason, int& refused);
  // Folders give way to the wave files below them, in name order.
  QStringList ExpandFolders(const QStringList& paths, int& refused);
  void CopySelectedRows() const;
  void SetToolTips();
  void UpdateProcessTip(bool idle, int rows, bool named, bool notASubfolder);
  void MirrorEndWhileLinked();
  int AnalyzeQueue(const QStringList& queue, int& refused);
  void DeleteSelectedRows(int selected, int& deleted);
  void KeepCurrentRowNear(int row);
  void ConnectPreview();
  void FollowCurrentRow();
  void PreviewOptionsChanged();
  void StepCurrentRow(int step);

 public:
  // Controls, named as the user documentation names them.
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;
  QPushButton* bt_Process = nullptr;
  QPushButton* bt_Cancel = nullptr;
  QPushButton* bt_About = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel0 = nullptr;
  QLabel* lab_Progress = nullptr;
  QPushButton* bt_NotAdded = nullptr;
  QProgressBar* ProgressBar1 = nullptr;

  QTreeView* lview_Files = nullptr;
  QPushButton* bt_Add = nullptr;
  QPushButton* bt_AddFolder = nullptr;
  QPushButton* bt_Delete = nullptr;
  QPushButton* bt_All = nullptr;
  QPushButton* bt_None = nullptr;
  QPushButton* bt_Reverse = nullptr;
  QPushButton* bt_Reset = nullptr;
  QPushButton* bt_Preview = nullptr;
  QLabel* lab_summary = nullptr;

  QCheckBox* cbx_Link = nullptr;
  QGroupBox* gbox_Beginning = nullptr;
  QCheckBox* cbx_Remove1 = nullptr;
  QLabel* lab_Threshold1 = nullptr;
  QRadioButton* radio_digital0_1 = nullptr;
  QRadioButton* radio_other1 = nullptr;
  TAlignedEdit* edit_Threshold1 = nullptr;
  QSlider* track_Threshold1 = nullptr;
  QGroupBox* gbox_End = nullptr;
  QCheckBox* cbx_Remove2 = nullptr;
  QLabel* lab_Threshold2 = nullptr;
  QRadioButton* radio_digital0_2 = nullptr;
  QRadioButton* radio_other2 = nullptr;
  TAlignedEdit* edit_Threshold2 = nullptr;
  QSlider* track_Threshold2 = nullptr;
  QCheckBox* cbx_Normalize = nullptr;
  TAlignedEdit* edit_Normalize = nullptr;
  QSlider* track_Normalize = nullptr;
  QRadioButton* radio_NormPeak = nullptr;

  QGroupBox* gbox_Bits = nullptr;
  QComboBox* combo_Bits = nullptr;
  QRadioButton* radio_BitsAll = nullptr;
  QRadioButton* radio_BitsUp = nullptr;
  QRadioButton* radio_BitsDown = nullptr;
  QComboBox* combo_OutputType = nullptr;
  QGroupBox* gbox_Files = nullptr;
  QLabel* lab_FileOther = nullptr;
  QLabel* lab_Prefix = nullptr;
  QLabel* lab_Suffix = nullptr;
  QLabel* lab_Subfolder = nullptr;
  QLineEdit* edit_Prefix = nullptr;
  QLineEdit* edit_Suffix = nullptr;
  QRadioButton* radio_FolderSubfolder = nullptr;
  QRadioButton* radio_FolderOther = nullptr;
  QLineEdit* edit_FolderSubfolder = nullptr;
  QPushButton* bt_FolderOther = nullptr;
  QLineEdit* edit_FolderOther = nullptr;
  QCheckBox* cbx_Simulation = nullptr;
  QCheckBox* cbx_Logfile = nullptr;
  QPushButton* bt_LogOptions = nullptr;
  QPushButton* bt_LogBrowse = nullptr;
  QLineEdit* edit_Logfile = nullptr;
  QCheckBox* cbx_NoChange = nullptr;
  QCheckBox* cbx_Overwrite = nullptr;
  QCheckBox* cbx_StopOnError = nullptr;
  QCheckBox* cbx_KeepMetadata = nullptr;
  QLabel* lab_Warning = nullptr;

 private:
  FileListModel* FileModel = nullptr;
  std::vector<OptionBinding> OptionBindings;
  std::vector<QWidget*> TabChain;
  QPointer<Tfrm_About> AboutDialog;
  QPointer<Tfrm_LogOptions> LogOptionsDialog;
  QPointer<Tfrm_Preview> PreviewDialog;
  int SortTagValue = 0;  // 0 unsorted; 2c + 1 ascending by column c, 2c + 2 descending
  bool Shown = false;
  bool CloseWhenIdle = false;
  bool ShowingEnd = false;  // the end's controls are being set to what they show while linked
};

}  // namespace tacetix

using tacetix::TForm1;
