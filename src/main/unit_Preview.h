// frm_Preview: the non-modal preview of one file of the list: its waveform with what the run
// would cut, keep and fade, the first and last second zoomed, and the numbers in a line.
// It reads the file on threads of its own and never writes anything.
#pragma once

#include <QDialog>
#include <memory>

#include "main/BackgroundTask.h"
#include "options/ProcessSettings.h"
#include "preview/PreviewDrawing.h"

class QCheckBox;
class QLabel;
class QTimer;

namespace tacetix {

class WaveformView;

class Tfrm_Preview : public QDialog {
  Q_OBJECT
 public:
  explicit Tfrm_Preview(QWidget* parent = nullptr);
  ~Tfrm_Preview() override;

  // Shows the window without blocking; when it is already open, brings it to the front.
  void ShowPreview();
  // The file to show ("" for none). The overview of the file shown is kept.
  void ShowFile(const QString& path);
  // The options to decide the cut with: only the ends are scanned again.
  void SetSettings(const ProcessSettings& settings);
  // The options the plans are made with.
  const ProcessSettings& PlannedSettings() const { return Settings; }
  // True while the overview of the file shown is still being read.
  bool OverviewBusy() const { return ReadingOverview; }
  // The plans made since the window was created, for whoever waits for the next.
  int PlansMade() const { return PlanCount; }

 signals:
  // Left/Up (-1) or Right/Down (+1): the list's previous or next row is wanted.
  void StepRequested(int step);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  enum class Zoom { Whole, FirstSecond, LastSecond };
  void BuildLayout();
  bool PreviewKey(int key);
  void StartOverview();
  void ReadOverview(int generation, const std::string& path, const std::atomic<bool>& stop);
  void OverviewRead(bool complete);
  void StartPlan();
  void ShowOverviews(std::shared_ptr<WaveOverview> whole, std::shared_ptr<WaveOverview> first,
                     std::shared_ptr<WaveOverview> last, int32_t rate = 0, int64_t frames = 0);
  void ShowPlan(std::shared_ptr<const PreviewPlan> plan);
  void ShowZoom(Zoom zoom);
  void ApplyScale();
  void Repaint();

  WaveformView* view_Waveform = nullptr;
  WaveformView* view_FirstSecond = nullptr;
  WaveformView* view_LastSecond = nullptr;
  QLabel* lab_PreviewFile = nullptr;
  QLabel* lab_PreviewCut = nullptr;
  QLabel* lab_PreviewHelp = nullptr;
  QCheckBox* cbx_PreviewDecibels = nullptr;
  QTimer* RepaintTimer = nullptr;

  QString Path;
  ProcessSettings Settings;
  bool SettingsKnown = false;
  std::shared_ptr<const WaveOverview> Whole, First, Last;
  Zoom MainZoom = Zoom::Whole;
  bool ReadingOverview = false;
  bool OverviewComplete = false;
  int OverviewGeneration = 0;
  int PlanGeneration = 0;
  int PlanCount = 0;
  BackgroundTask OverviewTask;
  BackgroundTask PlanTask;
};

}  // namespace tacetix

using tacetix::Tfrm_Preview;
