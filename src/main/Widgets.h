// Makers for the window's controls: each gets its object name and caption in one call.
#pragma once

#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace tacetix {

template <typename Control>
Control* Named(Control* control, const char* name) {
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

inline QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  return Named(new QPushButton(QString::fromUtf8(caption), parent), name);
}

// The option controls among them get their state from the binding table's defaults.
inline QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, bool checked = false) {
  auto* box = Named(new QCheckBox(QString::fromUtf8(caption), parent), name);
  box->setChecked(checked);
  return box;
}

inline QRadioButton* MakeRadio(QWidget* parent, const char* name, const char* caption) {
  return Named(new QRadioButton(QString::fromUtf8(caption), parent), name);
}

inline QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption) {
  return Named(new QLabel(QString::fromUtf8(caption), parent), name);
}

// A level slider: 0.1 dB a step, 2 dB a page, a tick every 14.4 dB.
inline QSlider* MakeLevelSlider(QWidget* parent, const char* name) {
  auto* slider = Named(new QSlider(Qt::Horizontal, parent), name);
  slider->setRange(0, 1440);
  slider->setSingleStep(1);
  slider->setPageStep(20);
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(144);
  slider->setMinimumWidth(297);
  return slider;
}

// Warning red that reads on the window's background: dark on a light scheme, light on a dark one.
inline QColor WarningColour(const QPalette& palette) {
  return palette.color(QPalette::Window).lightnessF() < 0.5 ? QColor(255, 110, 110) : QColor(176, 0, 0);
}

}  // namespace tacetix
