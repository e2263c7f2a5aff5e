// view_Waveform and the zoomed seconds: the core's preview picture of an overview, at the
// widget's size.
#pragma once

#include <QWidget>
#include <memory>

#include "preview/PreviewPicture.h"

namespace tacetix {

class WaveformView : public QWidget {
  Q_OBJECT
 public:
  explicit WaveformView(QWidget* parent = nullptr);
  // Either may be null: an empty view, or the waveform with no cut drawn over it.
  void SetOverview(std::shared_ptr<const WaveOverview> overview);
  void SetPlan(std::shared_ptr<const PreviewPlan> plan);
  void SetScale(PreviewScale scale);
  const WaveOverview* Overview() const { return Shown.get(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const WaveOverview> Shown;
  std::shared_ptr<const PreviewPlan> Plan;
  PreviewScale Scale = PreviewScale::Decibels;
};

}  // namespace tacetix
