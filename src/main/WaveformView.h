// view_Waveform and the zoomed seconds: the core's drawing of an overview (ruler, scale, labels,
// legend) painted at the widget's size in its font, with its palette around the plot; the
// pointer's time and level in the tooltip.
#pragma once

#include <QWidget>
#include <memory>

#include "preview/PreviewDrawing.h"

namespace tacetix {

class WaveformView : public QWidget {
  Q_OBJECT
 public:
  explicit WaveformView(QWidget* parent = nullptr);
  // Either may be null: an empty view, or the waveform with no cut drawn over it.
  void SetOverview(std::shared_ptr<const WaveOverview> overview);
  void SetPlan(std::shared_ptr<const PreviewPlan> plan);
  void SetScale(PreviewScale scale);
  // The file's rate and length, for the times (a view of less than the file is a zoomed second).
  void SetTiming(int32_t rate, int64_t fileFrames);
  // The legend's line above the plot.
  void SetLegend(bool on);
  const WaveOverview* Overview() const { return Shown.get(); }
  // What the view paints at its size now, and where its plot sits.
  Drawing Describe(ViewFrame* frame = nullptr) const;
  // The time and level at a point of the view ("" outside the plot).
  QString PointAt(QPoint at) const;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  TextMetrics Metrics() const;
  void ShowPoint(QPoint at, QPoint global);

  std::shared_ptr<const WaveOverview> Shown;
  std::shared_ptr<const PreviewPlan> Plan;
  PreviewScale Scale = PreviewScale::Decibels;
  int32_t Rate = 0;
  int64_t FileFrames = 0;
  bool Legend = false;
};

}  // namespace tacetix
