// The window's frame, the "Input" and "Processing" pages and the status bar.
#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "main/AlignedEdit.h"
#include "main/ElidedLabel.h"
#include "main/Widgets.h"
#include "main/unit_main.h"
#include "options/RunChoices.h"

namespace tacetix {

namespace {

// As wide as the caption needs: Qt makes every captioned push button 80 pixels at
// least, which leaves the summary beside the list buttons no room.
void FitToCaption(QPushButton* button) {
  const QFontMetrics metrics = button->fontMetrics();
  const QString caption = QString(button->text()).remove(QLatin1Char('&'));
  const int padding = 2 * (button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                           button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
  button->setFixedWidth(metrics.horizontalAdvance(caption) + padding + 2 * metrics.averageCharWidth());
}

QWidget* LevelEditSized(TAlignedEdit* edit) {
  // Wide enough for the longest level text whatever the font.
  edit->setFixedWidth(std::max(65, edit->fontMetrics().horizontalAdvance(QStringLiteral("-144.0 dBfs")) + 14));
  return edit;
}

}  // namespace

void TForm1::BuildWindow() {
  auto* central = new QWidget(this);
  auto* frame = new QHBoxLayout(central);
  PageControl1 = Named(new QTabWidget(central), "PageControl1");
  TabSheet1 = Named(BuildInputPage(), "TabSheet1");
  TabSheet2 = Named(BuildProcessingPage(), "TabSheet2");
  TabSheet3 = Named(BuildOutputPage(), "TabSheet3");
  PageControl1->addTab(TabSheet1, QStringLiteral("Input"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Processing"));
  PageControl1->addTab(TabSheet3, QStringLiteral("Output"));
  PageControl1->setCurrentIndex(0);
  frame->addWidget(PageControl1, 1);

  auto* buttons = new QVBoxLayout();
  bt_Process = MakeButton(central, "bt_Process", "&Process");
  bt_Process->setDefault(true);
  bt_Cancel = MakeButton(central, "bt_Cancel", "Cancel");
  bt_Cancel->setEnabled(false);
  bt_About = MakeButton(central, "bt_About", "A&bout...");
  buttons->addSpacing(PageControl1->tabBar()->sizeHint().height());
  buttons->addWidget(bt_Process);
  buttons->addWidget(bt_Cancel);
  buttons->addSpacing(12);
  buttons->addWidget(bt_About);
  buttons->addStretch(1);
  frame->addLayout(buttons);
  setCentralWidget(central);
  BuildStatusBar();
  SetTabOrder();
}

QWidget* TForm1::BuildInputPage() {
  auto* page = new QWidget();
  auto* column = new QVBoxLayout(page);
  BuildFileListView(page);
  column->addWidget(lview_Files, 1);

  auto* row = new QHBoxLayout();
  bt_Add = MakeButton(page, "bt_Add", "&Add...");
  bt_AddFolder = MakeButton(page, "bt_AddFolder", "F&older...");
  bt_Delete = MakeButton(page, "bt_Delete", "&Delete");
  bt_Delete->setEnabled(false);
  bt_All = MakeButton(page, "bt_All", "A&ll");
  bt_None = MakeButton(page, "bt_None", "&None");
  bt_Reverse = MakeButton(page, "bt_Reverse", "&Rev");
  bt_Reset = MakeButton(page, "bt_Reset", "Re&set");
  bt_Preview = MakeButton(page, "bt_Preview", "Pre&view...");
  bt_Preview->setEnabled(false);
  for (QPushButton* button : {bt_Add, bt_AddFolder, bt_Delete, bt_All, bt_None, bt_Reverse, bt_Reset, bt_Preview})
    FitToCaption(button);
  lab_summary = MakeLabel(page, "lab_summary", "0 files, 0 selected");
  lab_summary->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Room for the longest summary the list will see, so that a growing count is never
  // cut at its left end; the window grows instead where fonts are large.
  lab_summary->setMinimumWidth(
      lab_summary->fontMetrics().horizontalAdvance(QStringLiteral("100000 files, 100000 selected")) +
      2 * lab_summary->margin() + 2);
  row->addWidget(bt_Add);
  row->addWidget(bt_AddFolder);
  row->addWidget(bt_Delete);
  row->addSpacing(12);
  row->addWidget(bt_All);
  row->addWidget(bt_None);
  row->addWidget(bt_Reverse);
  row->addSpacing(12);
  row->addWidget(bt_Reset);
  row->addWidget(bt_Preview);
  row->addStretch(1);
  row->addWidget(lab_summary);
  column->addLayout(row);
  return page;
}

QWidget* TForm1::BuildThresholdGroup(int which) {
  const bool begin = which == 1;
  auto* group =
      Named(new QGroupBox(QString::fromLatin1(begin ? " Beginning " : " End ")), begin ? "gbox_Beginning" : "gbox_End");
  auto* grid = new QGridLayout(group);
  auto* remove = MakeCheck(group, begin ? "cbx_Remove1" : "cbx_Remove2", begin ? "&Remove silence" : "R&emove silence");
  auto* label = MakeLabel(group, begin ? "lab_Threshold1" : "lab_Threshold2", begin ? "&Threshold" : "T&hreshold");
  auto* zero = MakeRadio(group, begin ? "radio_digital0_1" : "radio_digital0_2", "-inf (digital zero)");
  auto* other = MakeRadio(group, begin ? "radio_other1" : "radio_other2", "other");
  auto* edit = Named(new TAlignedEdit(group), begin ? "edit_Threshold1" : "edit_Threshold2");
  auto* track = MakeLevelSlider(group, begin ? "track_Threshold1" : "track_Threshold2");
  label->setBuddy(track);
  auto* radios = Named(new QButtonGroup(group), begin ? "group_Threshold1" : "group_Threshold2");
  radios->addButton(zero);
  radios->addButton(other);
  grid->addWidget(remove, 0, 0, 1, 3);
  grid->addWidget(label, 1, 0);
  grid->addWidget(zero, 1, 1, 1, 2);
  grid->addWidget(other, 2, 1);
  grid->addWidget(LevelEditSized(edit), 2, 2);
  grid->addWidget(track, 1, 3, 2, 1);
  grid->setColumnStretch(3, 1);
  grid->setColumnMinimumWidth(0, 50);
  (begin ? cbx_Remove1 : cbx_Remove2) = remove;
  (begin ? lab_Threshold1 : lab_Threshold2) = label;
  (begin ? radio_digital0_1 : radio_digital0_2) = zero;
  (begin ? radio_other1 : radio_other2) = other;
  (begin ? edit_Threshold1 : edit_Threshold2) = edit;
  (begin ? track_Threshold1 : track_Threshold2) = track;
  BindThresholdControls(which);
  AddCutRow(grid, group, which);
  return group;
}

// The end's controls show the beginning's while linked (Follows).
void TForm1::BindThresholdControls(int which) {
  if (which == 1) {
    // clang-format off
    Bind({.Key = "no-trim-begin", .Control = cbx_Remove1, .Field = TACETIX_FIELD(Begin.Remove), .Value = 1,
          .Tip = "Cut the silence at the beginning of each file."});
    Bind({.Key = "begin-mode", .Control = radio_digital0_1, .Field = TACETIX_FIELD(Begin.DigitalZero), .Value = 1,
          .Tip = "Only samples of exactly zero count as silence at the beginning."});
    Bind({.Key = "begin-mode", .Control = radio_other1, .Field = TACETIX_FIELD(Begin.DigitalZero), .Value = 0,
          .Tip = "Samples below the level on the slider count as silence at the beginning."});
    Bind({.Key = "begin", .Control = track_Threshold1, .Field = TACETIX_FIELD(Begin.Position),
          .Tip = "The beginning's silence level", .Mode = radio_other1, .Level = edit_Threshold1});
    // clang-format on
    return;
  }
  // clang-format off
  Bind({.Key = "no-trim-end", .Control = cbx_Remove2, .Field = TACETIX_FIELD(End.Remove), .Value = 1,
        .Tip = "Cut the silence at the end of each file.", .Follows = cbx_Remove1});
  Bind({.Key = "end-mode", .Control = radio_digital0_2, .Field = TACETIX_FIELD(End.DigitalZero), .Value = 1,
        .Tip = "Only samples of exactly zero count as silence at the end.", .Follows = radio_digital0_1});
  Bind({.Key = "end-mode", .Control = radio_other2, .Field = TACETIX_FIELD(End.DigitalZero), .Value = 0,
        .Tip = "Samples below the level on the slider count as silence at the end.", .Follows = radio_other1});
  Bind({.Key = "end", .Control = track_Threshold2, .Field = TACETIX_FIELD(End.Position),
        .Tip = "The end's silence level", .Mode = radio_other2, .Level = edit_Threshold2, .Follows = track_Threshold1});
  // clang-format on
}

QWidget* TForm1::BuildProcessingPage() {
  auto* page = new QWidget();
  auto* column = new QVBoxLayout(page);
  cbx_Link = MakeCheck(page, "cbx_Link", "&Link silence removal of beginning and end");
  // clang-format off
  Bind({.Key = "link", .Control = cbx_Link, .Field = TACETIX_FIELD(Linked), .Value = 1,
        .Tip = "Cut the end with the Beginning's settings; untick to set the end apart."});
  // clang-format on
  column->addWidget(cbx_Link);
  gbox_Beginning = static_cast<QGroupBox*>(BuildThresholdGroup(1));
  gbox_End = static_cast<QGroupBox*>(BuildThresholdGroup(2));
  gbox_End->setEnabled(false);
  column->addWidget(gbox_Beginning);
  column->addWidget(gbox_End);
  column->addLayout(BuildIgnoreClicksRow(page));
  column->addSpacing(16);

  auto* normalize = new QHBoxLayout();
  cbx_Normalize = MakeCheck(page, "cbx_Normalize", "&Normalize to");
  edit_Normalize = Named(new TAlignedEdit(page), "edit_Normalize");
  track_Normalize = MakeLevelSlider(page, "track_Normalize");
  radio_NormPeak = MakeRadio(page, "radio_NormPeak", "peak");
  normalize->addWidget(cbx_Normalize);
  normalize->addSpacing(8);
  normalize->addWidget(radio_NormPeak);
  normalize->addWidget(LevelEditSized(edit_Normalize));
  normalize->addWidget(track_Normalize, 1);
  // clang-format off
  Bind({.Key = "normalize-to", .Control = cbx_Normalize, .Field = TACETIX_FIELD(Normalize), .Value = 1,
        .Tip = "Scale what is kept so that its peak reaches the level on the slider, or its loudness the level "
               "in LUFS below."});
  Bind({.Key = "normalize-mode", .Control = radio_NormPeak, .Field = TACETIX_FIELD(NormalizeLoudness), .Value = 0,
        .Tip = "Normalise by the peak: the loudest sample reaches the level on the slider."});
  Bind({.Key = "normalize", .Control = track_Normalize, .Field = TACETIX_FIELD(NormalizePosition),
        .Tip = "The peak level to normalise to", .Mode = radio_NormPeak, .Box = cbx_Normalize,
        .Level = edit_Normalize});
  // clang-format on
  column->addLayout(normalize);
  column->addLayout(BuildLoudnessRow(page));
  column->addSpacing(16);
  column->addLayout(BuildSplitRow(page));
  column->addStretch(1);
  return page;
}

namespace {
QDoubleSpinBox* MakeTenthsSpin(QWidget* parent, const char* name, int32_t lowestTenths, const char* unit) {
  auto* spin = Named(new QDoubleSpinBox(parent), name);
  spin->setDecimals(1);
  spin->setSingleStep(0.1);
  spin->setRange(lowestTenths / 10.0, 0.0);
  spin->setSuffix(QString::fromLatin1(unit));
  return spin;
}
}  // namespace

// The second way to normalise, under the peak's slider: to an integrated loudness, with the
// true-peak ceiling that may lower its gain.
QLayout* TForm1::BuildLoudnessRow(QWidget* page) {
  auto* row = new QHBoxLayout();
  auto* loudness = MakeRadio(page, "radio_NormLoudness", "loudness");
  auto* modes = Named(new QButtonGroup(page), "group_NormMode");
  modes->addButton(radio_NormPeak);
  modes->addButton(loudness);
  auto* lufs = MakeTenthsSpin(page, "spin_Lufs", MinLoudnessTenths, " LUFS");
  auto* truePeak = MakeTenthsSpin(page, "spin_TruePeak", MinTruePeakTenths, " dBTP");
  row->addSpacing(cbx_Normalize->sizeHint().width() + 8);
  row->addWidget(loudness);
  row->addWidget(lufs);
  row->addSpacing(12);
  row->addWidget(MakeLabel(page, "lab_TruePeak", "true peak at most"));
  row->addWidget(truePeak);
  row->addStretch(1);
  // clang-format off
  Bind({.Key = "normalize-mode", .Control = loudness, .Field = TACETIX_FIELD(NormalizeLoudness), .Value = 1,
        .Tip = "Normalise by the integrated loudness (EBU R128), with a ceiling for the true peak."});
  Bind({.Key = "loudness", .Control = lufs, .Tip = "The loudness to normalise to (LUFS, 0.1 a step).",
        .Mode = loudness, .Box = cbx_Normalize});
  Bind({.Key = "true-peak", .Control = truePeak,
        .Tip = "The highest true peak the gain may reach (dBTP, 0.1 a step); the gain is lowered to meet it.",
        .Mode = loudness, .Box = cbx_Normalize});
  // clang-format on
  return row;
}

void TForm1::BuildStatusBar() {
  StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel0 = Named(new ElidedLabel(StatusBar1), "StatusPanel0");
  StatusPanel0->setMinimumWidth(200);
  lab_Progress = MakeLabel(StatusBar1, "lab_Progress", "");
  bt_NotAdded = MakeButton(StatusBar1, "bt_NotAdded", "Not added...");
  bt_NotAdded->setFlat(true);
  bt_NotAdded->setVisible(false);
  ProgressBar1 = Named(new QProgressBar(StatusBar1), "ProgressBar1");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setFormat(QStringLiteral("%p%"));
  ProgressBar1->setFixedWidth(ProgressBar1->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 60);
  StatusBar1->addWidget(StatusPanel0, 1);
  StatusBar1->addPermanentWidget(bt_NotAdded);
  StatusBar1->addPermanentWidget(lab_Progress);
  StatusBar1->addPermanentWidget(ProgressBar1);
  setStatusBar(StatusBar1);
}

void TForm1::SetTabOrder() {
  // The page control, the list and its buttons, the option controls in the order the pages
  // bound them, then the buttons beside the pages. Controls of hidden pages are skipped, so
  // Tab walks only the page on show.
  QList<QWidget*> chain = {PageControl1, lview_Files, bt_Add,     bt_AddFolder, bt_Delete,
                           bt_All,       bt_None,     bt_Reverse, bt_Reset,     bt_Preview};
  chain.append(QList<QWidget*>(TabChain.begin(), TabChain.end()));
  chain.append({bt_Process, bt_Cancel, bt_About, bt_NotAdded});
  for (int i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace tacetix
