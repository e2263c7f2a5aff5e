// TAlignedEdit: a one-line text the program alone writes, right-aligned like a number.
#pragma once

#include <QLineEdit>
#include <QPalette>

namespace tacetix {

class TAlignedEdit : public QLineEdit {
 public:
  explicit TAlignedEdit(QWidget* parent = nullptr) : QLineEdit(parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The button-face background tells the user the field is not for typing.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    setPalette(colours);
  }
};

}  // namespace tacetix
