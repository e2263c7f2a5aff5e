// The preview window: its controls and keys, and the two reads behind it, the overview of the
// file (once per file, shown as it grows) and the cut (again at every change of the options).
#include "main/unit_Preview.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "main/WaveformView.h"
#include "main/Widgets.h"
#include "run/RowText.h"

namespace tacetix {

namespace {

// Columns of the whole file's overview: more than a screen is wide, so a wide window still
// draws a column a pixel; a second's columns likewise.
constexpr int32_t WholeBins = 4096;
constexpr int32_t SecondBins = 2048;
// How often the picture follows an overview that is still being read.
constexpr int RepaintMs = 40;

const char* const MeasuringText = "measuring\xE2\x80\xA6";
const char* const HelpText =
    "Esc closes  \xC2\xB7  Left/Up, Right/Down: previous, next file  \xC2\xB7  Home, End: first, last second "
    "(again: whole file)";

}  // namespace

Tfrm_Preview::Tfrm_Preview(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frm_Preview"));
  setWindowTitle(QStringLiteral("Preview"));
  setModal(false);
  setSizeGripEnabled(true);
  BuildLayout();
  RepaintTimer = new QTimer(this);
  RepaintTimer->setInterval(RepaintMs);
  connect(RepaintTimer, &QTimer::timeout, this, &Tfrm_Preview::Repaint);
  resize(760, 420);
}

// The threads post to this window: they end before it goes.
Tfrm_Preview::~Tfrm_Preview() {
  OverviewTask.Stop();
  PlanTask.Stop();
}

void Tfrm_Preview::BuildLayout() {
  auto* column = new QVBoxLayout(this);
  lab_PreviewFile = MakeLabel(this, "lab_PreviewFile", "");
  lab_PreviewFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
  view_Waveform = Named(new WaveformView(this), "view_Waveform");
  view_FirstSecond = Named(new WaveformView(this), "view_FirstSecond");
  view_LastSecond = Named(new WaveformView(this), "view_LastSecond");
  view_Waveform->SetLegend(true);
  view_FirstSecond->setToolTip(QStringLiteral("The first second (Home)"));
  view_LastSecond->setToolTip(QStringLiteral("The last second (End)"));
  lab_PreviewCut = MakeLabel(this, "lab_PreviewCut", "");
  lab_PreviewCut->setWordWrap(true);
  lab_PreviewCut->setTextInteractionFlags(Qt::TextSelectableByMouse);
  cbx_PreviewDecibels = MakeCheck(this, "cbx_PreviewDecibels", "&dB scale", true);
  lab_PreviewHelp = MakeLabel(this, "lab_PreviewHelp", HelpText);
  lab_PreviewHelp->setEnabled(false);
  setToolTip(QString::fromUtf8(HelpText));
  auto* seconds = new QHBoxLayout();
  seconds->addWidget(view_FirstSecond);
  seconds->addWidget(view_LastSecond);
  column->addWidget(lab_PreviewFile);
  column->addWidget(view_Waveform, 3);
  column->addLayout(seconds, 1);
  column->addWidget(lab_PreviewCut);
  auto* bottom = new QHBoxLayout();
  bottom->addWidget(cbx_PreviewDecibels);
  bottom->addStretch(1);
  bottom->addWidget(lab_PreviewHelp);
  column->addLayout(bottom);
  connect(cbx_PreviewDecibels, &QCheckBox::toggled, this, &Tfrm_Preview::ApplyScale);
  // The keys work wherever the focus is in this window.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void Tfrm_Preview::ShowPreview() {
  show();
  raise();
  activateWindow();
  if (!Path.isEmpty() && !OverviewComplete && !ReadingOverview) StartOverview();
}

void Tfrm_Preview::ShowFile(const QString& path) {
  if (path == Path && (OverviewComplete || ReadingOverview)) return;
  Path = path;
  lab_PreviewFile->setText(path);
  setWindowTitle(path.isEmpty() ? QStringLiteral("Preview") : QStringLiteral("Preview: ") + QFileInfo(path).fileName());
  MainZoom = Zoom::Whole;
  ShowOverviews(nullptr, nullptr, nullptr);
  ShowPlan(nullptr);
  OverviewComplete = false;
  if (path.isEmpty()) {
    OverviewTask.Stop();
    PlanTask.Stop();
    ReadingOverview = false;
    lab_PreviewCut->clear();
    return;
  }
  // The last file's figures go at once: this file's come when its plan is made.
  lab_PreviewCut->setText(QString::fromUtf8(MeasuringText));
  StartOverview();
  StartPlan();
}

void Tfrm_Preview::SetSettings(const ProcessSettings& settings) {
  Settings = settings;
  SettingsKnown = true;
  if (!Path.isEmpty()) StartPlan();
}

void Tfrm_Preview::StartOverview() {
  const int generation = ++OverviewGeneration;
  const std::string path = QFile::encodeName(Path).toStdString();
  ReadingOverview = true;
  RepaintTimer->start();
  OverviewTask.Start([this, generation, path](const std::atomic<bool>& stop) { ReadOverview(generation, path, stop); });
}

// On the task's thread: everything it gives the window goes through the window's event queue.
void Tfrm_Preview::ReadOverview(int generation, const std::string& path, const std::atomic<bool>& stop) {
  SourceReader reader;
  WaveInfo info{};
  if (reader.Open(path) != 0 || reader.GetInfo(info) != 0 || info.Channels < 1) {
    const QString why = QString::fromStdString(reader.FailReason());
    QMetaObject::invokeMethod(this, [this, generation, why] {
      if (generation != OverviewGeneration) return;
      OverviewRead(false);
      lab_PreviewCut->setText(QStringLiteral("cannot be read (%1)").arg(why));
    });
    return;
  }
  const int64_t frames = info.SampleCount / info.Channels;
  const FrameStretch first = ZoomStretch(frames, info.SampleRate, false);
  const FrameStretch last = ZoomStretch(frames, info.SampleRate, true);
  auto whole = std::make_shared<WaveOverview>(0, frames, WholeBins);
  auto begin = std::make_shared<WaveOverview>(first.First, first.Count, SecondBins);
  auto end = std::make_shared<WaveOverview>(last.First, last.Count, SecondBins);
  QMetaObject::invokeMethod(this, [this, generation, whole, begin, end, rate = info.SampleRate, frames] {
    if (generation == OverviewGeneration) ShowOverviews(whole, begin, end, rate, frames);
  });
  const auto cancelled = [&stop] { return stop.load(); };
  // The seconds first: a few blocks, and the cut lies there.
  const bool done = begin->Scan(reader, cancelled) == 0 && end->Scan(reader, cancelled) == 0 &&
                    whole->Scan(reader, cancelled) == 0;
  QMetaObject::invokeMethod(this, [this, generation, done] {
    if (generation == OverviewGeneration) OverviewRead(done);
  });
}

void Tfrm_Preview::OverviewRead(bool complete) {
  ReadingOverview = false;
  OverviewComplete = complete;
  RepaintTimer->stop();
  Repaint();
}

void Tfrm_Preview::StartPlan() {
  if (!SettingsKnown) return;
  const int generation = ++PlanGeneration;
  const std::string path = QFile::encodeName(Path).toStdString();
  PlanTask.Start([this, generation, path, settings = Settings](const std::atomic<bool>& stop) {
    auto plan = std::make_shared<const PreviewPlan>(PlanPreview(path, settings, [&stop] { return stop.load(); }));
    if (plan->Result == FileResult::Cancelled) return;
    QMetaObject::invokeMethod(this, [this, generation, plan] {
      if (generation == PlanGeneration) ShowPlan(plan);
    });
  });
}

void Tfrm_Preview::ShowOverviews(std::shared_ptr<WaveOverview> whole, std::shared_ptr<WaveOverview> first,
                                 std::shared_ptr<WaveOverview> last, int32_t rate, int64_t frames) {
  for (WaveformView* view : {view_Waveform, view_FirstSecond, view_LastSecond}) view->SetTiming(rate, frames);
  Whole = std::move(whole);
  First = std::move(first);
  Last = std::move(last);
  view_FirstSecond->SetOverview(First);
  view_LastSecond->SetOverview(Last);
  ShowZoom(MainZoom);
}

void Tfrm_Preview::ShowPlan(std::shared_ptr<const PreviewPlan> plan) {
  for (WaveformView* view : {view_Waveform, view_FirstSecond, view_LastSecond}) view->SetPlan(plan);
  if (!plan) return;
  ++PlanCount;
  lab_PreviewCut->setText(QString::fromStdString(PreviewCutText(*plan)));
}

void Tfrm_Preview::ShowZoom(Zoom zoom) {
  MainZoom = zoom;
  view_Waveform->SetOverview(zoom == Zoom::FirstSecond ? First : zoom == Zoom::LastSecond ? Last : Whole);
}

void Tfrm_Preview::ApplyScale() {
  const PreviewScale scale = cbx_PreviewDecibels->isChecked() ? PreviewScale::Decibels : PreviewScale::Linear;
  for (WaveformView* view : {view_Waveform, view_FirstSecond, view_LastSecond}) view->SetScale(scale);
}

void Tfrm_Preview::Repaint() {
  for (WaveformView* view : {view_Waveform, view_FirstSecond, view_LastSecond}) view->update();
}

bool Tfrm_Preview::PreviewKey(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up: emit StepRequested(-1); return true;
    case Qt::Key_Right:
    case Qt::Key_Down: emit StepRequested(1); return true;
    case Qt::Key_Home: ShowZoom(MainZoom == Zoom::FirstSecond ? Zoom::Whole : Zoom::FirstSecond); return true;
    case Qt::Key_End: ShowZoom(MainZoom == Zoom::LastSecond ? Zoom::Whole : Zoom::LastSecond); return true;
    default: return false;
  }
}

bool Tfrm_Preview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier && PreviewKey(key->key())) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void Tfrm_Preview::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier && PreviewKey(event->key())) return;
  QDialog::keyPressEvent(event);
}

// Closed, it reads nothing; the overview read so far is read again when it opens. Hidden with
// the main window (minimised), it reads on.
void Tfrm_Preview::hideEvent(QHideEvent* event) {
  if (event->spontaneous()) {
    QDialog::hideEvent(event);
    return;
  }
  OverviewTask.Stop();
  PlanTask.Stop();
  if (ReadingOverview) ++OverviewGeneration;
  ReadingOverview = false;
  RepaintTimer->stop();
  QDialog::hideEvent(event);
}

}  // namespace tacetix
