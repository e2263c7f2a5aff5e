#include "main/WaveformView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace tacetix {

namespace {

QColor InkColour(Ink ink, const QPalette& palette) {
  if (ink == Ink::Margin) return palette.color(QPalette::Window);
  if (ink == Ink::Text) return palette.color(QPalette::WindowText);
  const Rgb c = InkRgb(ink);
  return QColor(c.R, c.G, c.B);
}

void PaintShape(QPainter& painter, const Shape& s, const QPalette& palette) {
  const QColor colour = InkColour(s.Colour, palette);
  switch (s.What) {
    case Shape::Kind::Fill: painter.fillRect(QRect(s.X0, s.Y0, s.X1 - s.X0, s.Y1 - s.Y0), colour); break;
    // Lines as rectangles a pixel wide, so that a scale factor leaves no gaps between columns.
    case Shape::Kind::Line:
      painter.fillRect(
          QRect(QPoint(std::min(s.X0, s.X1), std::min(s.Y0, s.Y1)), QPoint(std::max(s.X0, s.X1), std::max(s.Y0, s.Y1))),
          colour);
      break;
    case Shape::Kind::DashedLine:
      for (int x = std::min(s.X0, s.X1); x <= std::max(s.X0, s.X1); x += 4)
        painter.fillRect(QRect(x, s.Y0, std::min(2, std::max(s.X0, s.X1) - x + 1), 1), colour);
      break;
    case Shape::Kind::Text:
      painter.setPen(colour);
      painter.drawText(QPoint(s.Left(), s.Y0), QString::fromStdString(s.Words));
      break;
  }
}

}  // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
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

void WaveformView::SetTiming(int32_t rate, int64_t fileFrames) {
  Rate = rate, FileFrames = fileFrames;
  update();
}

void WaveformView::SetLegend(bool on) {
  Legend = on;
  updateGeometry();
  update();
}

TextMetrics WaveformView::Metrics() const {
  const QFontMetrics fm = fontMetrics();
  return {fm.ascent(), fm.descent(),
          [fm](const std::string& text) { return fm.horizontalAdvance(QString::fromStdString(text)); }};
}

Drawing WaveformView::Describe(ViewFrame* frame) const {
  Drawing drawing;
  drawing.Width = width(), drawing.Height = height();
  const ViewFrame made = DescribeView(
      drawing, {{0, 0, width(), height()}, Shown.get(), Plan.get(), Scale, Rate, FileFrames, Legend}, Metrics());
  if (frame) *frame = made;
  return drawing;
}

QString WaveformView::PointAt(QPoint at) const {
  ViewFrame frame;
  Describe(&frame);
  return QString::fromStdString(PointText(frame, at.x(), at.y()));
}

// Room for the legend, the caption, the ruler and a plot, beside the scale, in the widget's font.
QSize WaveformView::minimumSizeHint() const {
  const TextMetrics metrics = Metrics();
  const int width = 120 + metrics.Width("\xE2\x88\x92"
                                        "150");
  return {width, ViewFrameHeight({{0, 0, width, 0}, nullptr, nullptr, Scale, 0, 0, Legend}, width, metrics) +
                     4 * metrics.LineHeight()};
}

void WaveformView::ShowPoint(QPoint at, QPoint global) {
  const QString point = PointAt(at);
  if (point.isEmpty()) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(global, toolTip().isEmpty() ? point : point + QLatin1Char('\n') + toolTip(), this);
}

bool WaveformView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  ShowPoint(help->pos(), help->globalPos());
  return true;
}

void WaveformView::mouseMoveEvent(QMouseEvent* event) {
  if (QToolTip::isVisible()) ShowPoint(event->position().toPoint(), event->globalPosition().toPoint());
  QWidget::mouseMoveEvent(event);
}

void WaveformView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  for (const Shape& s : Describe().Shapes) PaintShape(painter, s, colours);
}

}  // namespace tacetix
