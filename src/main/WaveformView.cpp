#include "main/WaveformView.h"

#include <QImage>
#include <QPainter>

namespace tacetix {

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setMinimumSize(120, 60);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void WaveformView::SetOverview(std::shared_ptr<const WaveOverview> overview) {
  Shown = std::move(overview);
  update();
}

void WaveformView::SetPlan(std::shared_ptr<const PreviewPlan> plan) {
  Plan = std::move(plan);
  update();
}

void WaveformView::SetScale(PreviewScale scale) {
  Scale = scale;
  update();
}

void WaveformView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!Shown) {
    painter.fillRect(rect(), palette().base());
    return;
  }
  Picture picture(width(), height());
  DrawPreview(picture, {0, 0, picture.Width, picture.Height}, *Shown, Plan.get(), Scale);
  const QImage image(picture.Rgb.data(), picture.Width, picture.Height, picture.Width * 3, QImage::Format_RGB888);
  painter.drawImage(0, 0, image);
}

}  // namespace tacetix
