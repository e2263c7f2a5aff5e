// The binding table of the window's option controls and the reading and showing of a row.
#include "main/OptionBindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <cmath>
#include <variant>

#include "main/AlignedEdit.h"
#include "main/unit_main.h"
#include "options/OptionTable.h"
#include "options/RunChoices.h"

namespace tacetix {

void TForm1::Bind(OptionBinding row) {
  if (!row.Field)
    if (const OptionRow* option = FindOption(row.Key)) row.Field = option->Field;
  if (row.Level != nullptr) TabStop(row.Level);
  TabStop(row.Control);
  OptionBindings.push_back(std::move(row));
}

void TForm1::TabStop(QWidget* control) { TabChain.push_back(control); }

const OptionBinding* TForm1::BindingOf(const QObject* control) const {
  for (const OptionBinding& row : OptionBindings)
    if (row.Control == control) return &row;
  return nullptr;
}

QWidget* TForm1::BindingControl(const char* key) const {
  for (const OptionBinding& row : OptionBindings)
    if (std::string_view(row.Key) == key) return row.Control;
  return nullptr;
}

void TForm1::ShowDefaults() {
  RunChoices defaults;
  for (const OptionBinding& row : OptionBindings) ShowChoice(row, defaults);
}

int32_t ControlNumber(const QWidget* control) {
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->isChecked() ? 1 : 0;
  if (auto* slider = qobject_cast<const QSlider*>(control)) return slider->value();
  if (auto* spin = qobject_cast<const QSpinBox*>(control)) return spin->value();
  if (auto* tenths = qobject_cast<const QDoubleSpinBox*>(control))
    return static_cast<int32_t>(std::lround(tenths->value() * 10));
  return static_cast<const QComboBox*>(control)->currentIndex();
}

void ShowNumber(QWidget* control, int32_t number) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setChecked(number != 0);
  } else if (auto* slider = qobject_cast<QSlider*>(control)) {
    // Shown, not moved: the slider's change event must not take it for the user's move, so
    // the mode stays as it is.
    slider->setProperty("Tag", number);
    slider->setValue(number);
  } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
    spin->setValue(number);
  } else if (auto* tenths = qobject_cast<QDoubleSpinBox*>(control)) {
    tenths->setValue(number / 10.0);
  } else {
    static_cast<QComboBox*>(control)->setCurrentIndex(number);
  }
}

// Every text names part of a file's path, so it goes as the file system spells names. Of a
// choice's radios, the checked one sets the field.
void ReadControl(const OptionBinding& row, RunChoices& choices) {
  const auto* radio = qobject_cast<const QRadioButton*>(row.Control);
  if (row.Field == nullptr || (radio != nullptr && !radio->isChecked())) return;
  const ChoiceField field = row.Field(choices);
  if (auto* text = std::get_if<std::string*>(&field))
    **text = QFile::encodeName(static_cast<const QLineEdit*>(row.Control)->text()).toStdString();
  else SetFieldNumber(field, radio ? row.Value : ControlNumber(row.Control));
}

// A radio unchecked is no change: its group checks the radio of the field's value.
void ShowChoice(const OptionBinding& row, RunChoices& choices) {
  if (row.Field == nullptr) return;
  const ChoiceField field = row.Field(choices);
  if (auto* text = std::get_if<std::string*>(&field)) {
    static_cast<QLineEdit*>(row.Control)->setText(QFile::decodeName((*text)->c_str()));
    return;
  }
  const int32_t number = FieldNumber(field);
  ShowNumber(row.Control, qobject_cast<QRadioButton*>(row.Control) ? number == row.Value : number);
}

void OnChange(const OptionBinding& row, QObject* receiver, const std::function<void()>& changed) {
  QWidget* control = row.Control;
  if (auto* button = qobject_cast<QAbstractButton*>(control))
    QObject::connect(button, &QAbstractButton::toggled, receiver, changed);
  else if (auto* slider = qobject_cast<QSlider*>(control))
    QObject::connect(slider, &QSlider::valueChanged, receiver, changed);
  else if (auto* spin = qobject_cast<QSpinBox*>(control))
    QObject::connect(spin, &QSpinBox::valueChanged, receiver, changed);
  else if (auto* tenths = qobject_cast<QDoubleSpinBox*>(control))
    QObject::connect(tenths, &QDoubleSpinBox::valueChanged, receiver, changed);
  else if (auto* combo = qobject_cast<QComboBox*>(control))
    QObject::connect(combo, &QComboBox::currentIndexChanged, receiver, changed);
  else QObject::connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, receiver, changed);
}

bool TakesTyping(const QWidget* control) {
  if (auto* edit = qobject_cast<const QLineEdit*>(control)) return !edit->isReadOnly();
  return qobject_cast<const QAbstractSpinBox*>(control) != nullptr ||
         qobject_cast<const QComboBox*>(control) != nullptr;
}

}  // namespace tacetix
