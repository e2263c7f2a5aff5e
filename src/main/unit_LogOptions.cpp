#include "main/unit_LogOptions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QValidator>

#include <iterator>

namespace {

constexpr int CodeTab = 9;
constexpr int CodeComma = 44;
constexpr int CodeDot = 46;
constexpr int CodeSemicolon = 59;

int TagOf(const QObject* object) { return object->property("Tag").toInt(); }
void SetTag(QObject* object, int code) { object->setProperty("Tag", code); }

// The log stores the separator as one byte, so only characters with a single-byte
// code can be offered; anything above 255 would otherwise collapse to a NUL separator.
// What the log's rule refuses is not taken either, except the decimal separator of the
// moment: choosing the other one mends that, and OK stays off until then.
class SeparatorValidator : public QValidator {
 public:
  SeparatorValidator(QObject* parent, const QObject* deciGroup) : QValidator(parent), DeciGroup(deciGroup) {}
  State validate(QString& input, int& /*pos*/) const override {
    const char deci = static_cast<char>(TagOf(DeciGroup));
    for (const QChar ch : input) {
      const char16_t code = ch.unicode();
      if (code > 255) return Invalid;
      const tacetix::SeparatorFault fault = tacetix::FieldSeparatorFault(static_cast<char>(code), deci);
      if (fault != tacetix::SeparatorFault::None && fault != tacetix::SeparatorFault::DecimalSeparator) return Invalid;
    }
    return Acceptable;
  }

 private:
  const QObject* DeciGroup;
};

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& caption, int code) {
  auto* button = new QRadioButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  SetTag(button, code);
  return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

}  // namespace

Tfrm_LogOptions::Tfrm_LogOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frm_LogOptions"));
  setWindowTitle(QStringLiteral("Logfile Options"));
  BuildFilesGroup();
  BuildDeciGroup();
  BuildFieldGroup();
  BuildLayout();
  // Fixed size: at least the designed client area, larger only where this platform's
  // fonts need more room, so no caption is clipped.
  setFixedSize(sizeHint().expandedTo(QSize(241, 312)));
}

void Tfrm_LogOptions::BuildFilesGroup() {
  gbox_files = new QGroupBox(QStringLiteral(" Logfile includes "), this);
  gbox_files->setObjectName(QStringLiteral("gbox_files"));
  cbx_ProcInfOnly = MakeCheckBox(gbox_files, "cbx_ProcInfOnly", QStringLiteral("Only &short list"));
  cbx_infile = MakeCheckBox(gbox_files, "cbx_infile", QStringLiteral("Path of &infiles"));
  cbx_outfile = MakeCheckBox(gbox_files, "cbx_outfile", QStringLiteral("Path of &outfiles"));
  auto* layout = new QVBoxLayout(gbox_files);
  layout->addWidget(cbx_ProcInfOnly);
  layout->addWidget(cbx_infile);
  layout->addWidget(cbx_outfile);
}

void Tfrm_LogOptions::BuildDeciGroup() {
  gbox_deci = new QGroupBox(QStringLiteral(" &Decimal separator "), this);
  gbox_deci->setObjectName(QStringLiteral("gbox_deci"));
  SetTag(gbox_deci, 0);
  rb_sepadeci_comma = MakeRadio(gbox_deci, "rb_sepadeci_comma", QStringLiteral("Comma"), CodeComma);
  rb_sepadeci_dot = MakeRadio(gbox_deci, "rb_sepadeci_dot", QStringLiteral("Dot"), CodeDot);
  auto* layout = new QHBoxLayout(gbox_deci);
  layout->addWidget(rb_sepadeci_comma);
  layout->addWidget(rb_sepadeci_dot);
  layout->addStretch(1);
  // toggled rather than clicked: the group's tag then follows the selection however it
  // changes (mouse, arrow keys, mnemonic or program), as a click handler did in the original.
  for (QRadioButton* button : {rb_sepadeci_comma, rb_sepadeci_dot}) {
    connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
      if (checked) rb_sepadeci_commaClick(button);
    });
  }
}

void Tfrm_LogOptions::BuildFieldGroup() {
  gbox_field = new QGroupBox(QStringLiteral(" &Field separator "), this);
  gbox_field->setObjectName(QStringLiteral("gbox_field"));
  SetTag(gbox_field, 0);
  rb_sepafield_comma = MakeRadio(gbox_field, "rb_sepafield_comma", QStringLiteral("Comma"), CodeComma);
  rb_sepafield_semi = MakeRadio(gbox_field, "rb_sepafield_semi", QStringLiteral("Semicolon"), CodeSemicolon);
  rb_sepafield_tab = MakeRadio(gbox_field, "rb_sepafield_tab", QStringLiteral("Tabulator"), CodeTab);
  rb_sepafield_user = MakeRadio(gbox_field, "rb_sepafield_user", QStringLiteral("User defined"), 0);
  edit_sepafield_user = new QLineEdit(gbox_field);
  edit_sepafield_user->setObjectName(QStringLiteral("edit_sepafield_user"));
  edit_sepafield_user->setMaxLength(1);
  edit_sepafield_user->setValidator(new SeparatorValidator(edit_sepafield_user, gbox_deci));
  edit_sepafield_user->setFixedWidth(edit_sepafield_user->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 3);

  auto* layout = new QGridLayout(gbox_field);
  layout->addWidget(rb_sepafield_comma, 0, 0);
  layout->addWidget(rb_sepafield_semi, 0, 1);
  layout->addWidget(rb_sepafield_tab, 0, 2);
  layout->addWidget(rb_sepafield_user, 1, 0, 1, 2);
  layout->addWidget(edit_sepafield_user, 1, 2, Qt::AlignLeft);

  for (QRadioButton* button : {rb_sepafield_comma, rb_sepafield_semi, rb_sepafield_tab, rb_sepafield_user}) {
    connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
      if (checked) rb_sepafield_userClick(button);
    });
  }
  // textChanged, not textEdited: a change by program selects "User defined" too.
  connect(edit_sepafield_user, &QLineEdit::textChanged, this, &Tfrm_LogOptions::edit_sepafield_userChange);
}

void Tfrm_LogOptions::BuildLayout() {
  bt_OK = new QPushButton(QStringLiteral("OK"), this);
  bt_OK->setObjectName(QStringLiteral("bt_OK"));
  bt_OK->setDefault(true);
  bt_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
  bt_Cancel->setObjectName(QStringLiteral("bt_Cancel"));
  connect(bt_OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(bt_Cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bt_OK);
  buttons->addWidget(bt_Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gbox_files);
  layout->addWidget(gbox_deci);
  layout->addWidget(gbox_field);
  layout->addStretch(1);
  layout->addLayout(buttons);

  QWidget* order[] = {
      cbx_ProcInfOnly,   cbx_infile,       cbx_outfile,       rb_sepadeci_comma,   rb_sepadeci_dot, rb_sepafield_comma,
      rb_sepafield_semi, rb_sepafield_tab, rb_sepafield_user, edit_sepafield_user, bt_OK,           bt_Cancel};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void Tfrm_LogOptions::LoadFrom(const tacetix::LogSettings& settings) {
  cbx_ProcInfOnly->setChecked(settings.ProcInfOnly);
  cbx_infile->setChecked(settings.PathInfile);
  cbx_outfile->setChecked(settings.PathOutfile);
  if (settings.SepaDeci == '.') {
    rb_sepadeci_dot->setChecked(true);
    SetTag(gbox_deci, CodeDot);
  } else {
    rb_sepadeci_comma->setChecked(true);
    SetTag(gbox_deci, CodeComma);
  }
  LoadFieldSeparator(static_cast<unsigned char>(settings.SepaField));
}

void Tfrm_LogOptions::LoadFieldSeparator(unsigned char code) {
  QRadioButton* standard = code == CodeTab         ? rb_sepafield_tab
                           : code == CodeComma     ? rb_sepafield_comma
                           : code == CodeSemicolon ? rb_sepafield_semi
                                                   : nullptr;
  if (standard != nullptr) {
    standard->setChecked(true);
    SetTag(gbox_field, code);
    return;
  }
  // A NUL is no character to show; an empty field leaves OK disabled until one is chosen.
  edit_sepafield_user->setText(code == 0 ? QString() : QString(QChar(code)));
  rb_sepafield_user->setChecked(true);
  const QString text = edit_sepafield_user->text();
  const int userCode = text.isEmpty() ? 0 : text.at(0).unicode();
  SetTag(rb_sepafield_user, userCode);
  SetTag(gbox_field, userCode);
}

void Tfrm_LogOptions::SaveTo(tacetix::LogSettings& settings) const {
  settings.ProcInfOnly = cbx_ProcInfOnly->isChecked();
  settings.PathInfile = cbx_infile->isChecked();
  settings.PathOutfile = cbx_outfile->isChecked();
  settings.SepaDeci = rb_sepadeci_comma->isChecked() ? ',' : '.';
  if (rb_sepafield_comma->isChecked()) {
    settings.SepaField = ',';
  } else if (rb_sepafield_semi->isChecked()) {
    settings.SepaField = ';';
  } else if (rb_sepafield_tab->isChecked()) {
    settings.SepaField = '\t';
  } else if (!edit_sepafield_user->text().isEmpty()) {
    // The validator admits codes up to 255 only, so the Latin-1 byte is exact.
    settings.SepaField = static_cast<char>(edit_sepafield_user->text().at(0).toLatin1());
  }
}

void Tfrm_LogOptions::UpdateOkButton() {
  const auto field = static_cast<char>(TagOf(gbox_field));
  bt_OK->setEnabled(tacetix::FieldSeparatorFault(field, static_cast<char>(TagOf(gbox_deci))) ==
                    tacetix::SeparatorFault::None);
}

void Tfrm_LogOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A spontaneous show is the window system restoring the dialog, not a new showing.
  if (!event->spontaneous()) FormShow();
}

void Tfrm_LogOptions::FormShow() {
  bt_OK->setEnabled(true);
  bt_OK->setFocus();
  UpdateOkButton();
}

void Tfrm_LogOptions::rb_sepadeci_commaClick(QRadioButton* sender) {
  SetTag(gbox_deci, TagOf(sender));
  UpdateOkButton();
}

void Tfrm_LogOptions::rb_sepafield_userClick(QRadioButton* sender) {
  SetTag(gbox_field, TagOf(sender));
  UpdateOkButton();
}

void Tfrm_LogOptions::edit_sepafield_userChange(const QString& text) {
  const int code = text.isEmpty() ? 0 : text.at(0).unicode();
  // The tag first: selecting the button runs its handler, which would otherwise check
  // the old character and could disable OK for a moment, taking the focus off it.
  SetTag(rb_sepafield_user, code);
  rb_sepafield_user->setChecked(true);
  SetTag(gbox_field, code);
  UpdateOkButton();
}

bool RunLogOptions(Tfrm_LogOptions& dialog, tacetix::LogSettings& settings) {
  dialog.LoadFrom(settings);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.SaveTo(settings);
  return true;
}
