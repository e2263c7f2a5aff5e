// A one-line label that cuts a text too long for it in the middle, so that both the start
// of a path and its file name stay in sight; text() keeps the whole text.
#pragma once

#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace tacetix {

class ElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;
  // A long text must not widen the status bar, and so the window.
  QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
  QSize sizeHint() const override { return {minimumWidth(), QLabel::sizeHint().height()}; }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
  }
};

}  // namespace tacetix
